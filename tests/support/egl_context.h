// A real OpenGL compatibility context from Mesa, headless: EGL's surfaceless platform with
// a pbuffer. No X server needed.
#pragma once

#include <string>

// Makes a fresh context current on a width x height pbuffer, in place of the last one made
// here, and sets the viewer's window size to match; "" once done, or why it could not be.
std::string makeEglContext(int width, int height);

// Puts every variable of the viewer's state back to its initial value.
void resetViewerState();

struct Image;
// How many of window's pixels (every other one of every other row) at best differ by more than
// 10 in a channel from the scene drawn headless (fog and wire-frame as asked), at window's size
// with the viewer's viewport side × side, after 1 to 3600 spin frames (0.2 degrees a frame); the
// best frame in *frame. Neighbouring frames of the best match within 0.5 % too: the search goes
// on ten frames past the first such. A picture of the viewer at rest shown 1:1 differs in a few.
int differsFromReference(const Image& window, int side, bool fog = false, bool wireframe = false,
                         int* frame = nullptr);
