#pragma once

#include <windows.h>

// Palette entry i of a format: the colour pixel value i stands for, each channel spread
// evenly over 0..255. A channel without bits stores 0.
PALETTEENTRY paletteEntryFor(const PIXELFORMATDESCRIPTOR& pfd, int i);
// Builds, selects and realises a palette when the format set on hdc needs one.
void setupPalette(HDC hdc);
// Selects and realises hPalette again after a palette change.
void realizeWindowPalette(void);
