#pragma once

#include <windows.h>

// Takes the window's DC, sets its pixel format and palette, creates and binds the GL
// context. A context that cannot be created is reported and ends the process.
void setupRenderingContext(HWND hwnd);
// Unbinds and deletes the GL context.
void releaseRenderingContext(void);
