// A real OpenGL compatibility context from Mesa, headless: EGL's surfaceless platform with
// a pbuffer. No X server needed.
#pragma once

#include <string>

// Makes a fresh context current on a width x height pbuffer, in place of the last one made
// here, and sets the viewer's window size to match; "" once done, or why it could not be.
std::string makeEglContext(int width, int height);

// Puts every variable of the viewer's state back to its initial value.
void resetViewerState();
