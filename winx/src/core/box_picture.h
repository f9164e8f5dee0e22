// The message box drawn into pixels, once, for every backend: each shows the same picture
// (a window of its own on X, a buffer on Wayland) and hit-tests the same button.
#pragma once

#include <cstdint>
#include <vector>

#include "box_layout.h"

namespace winx {

struct BoxPicture : BoxLayout {
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, opaque, width × height, rows top down
};

// Lays out and draws a box at scale (the desktop's DPI over 96) in fontconfig's sans,
// anti-aliased. A box never exceeds maxWidth × maxHeight where it can be helped: its text
// is made smaller to fit, though never below its size at 96 DPI. False when no font loads.
bool drawBox(const char* text, bool errorIcon, double scale, int maxWidth, int maxHeight,
             BoxPicture* out);

}  // namespace winx
