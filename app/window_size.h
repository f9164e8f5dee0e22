#pragma once

// Sizes the window for the screen: square, 0.8 of the screen's shorter side on each side (its
// height on a landscape screen). At start, and again when the screen changes under the window.
void sizeWindowForScreen(void);

// The side for a screen of this size, in double precision and truncated.
int windowSideForScreen(int width, int height);
