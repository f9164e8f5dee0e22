#pragma once

// One-time set-up of a fresh context: fog, projection, view, lights, texture, rotation.
void initScene(void);
