#pragma once

#include <windows.h>

// The descriptor requested for the window, from doubleBufferOn and depthBufferOn.
PIXELFORMATDESCRIPTOR pixelFormatRequest(void);
// Chooses and sets the pixel format; reports a failure and exits with status 1.
void setupPixelFormat(HDC hdc);
// Shows a one-line error in a box owned by hdc's window, then exits with status 1.
void fatalSetupError(HDC hdc, const char* text);
