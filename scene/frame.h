#pragma once

// Asks for one frame: installs idleRender unless an idle procedure is installed.
void requestRedraw(void);
// The idle procedure: draws a frame and removes itself unless the model spins.
void idleRender(void);
// Draws and presents one frame, advancing rotMatrix by the pending increment.
void renderFrame(void);
// Turns rotMatrix by rotAngle about rotAxis on the GL matrix stack, keeping it a rotation.
void applyRotationStep(void);
