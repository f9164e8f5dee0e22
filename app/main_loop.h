#pragma once

// Dispatches messages, running idleFunc whenever none waits. Returns the quit code,
// or 1 when the message queue fails.
int runMainLoop(void);
