// The viewer's pixel-format request against candidate lists, and the palette ramp.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/state.h"
#include "gl/palette.h"
#include "gl/pixel_format.h"
#include "pixel_format_choice.h"

namespace {

// A candidate: flags (w draws to a window, g OpenGL, 2 double-buffered, i colour index),
// then colour, alpha, depth and stencil bits.
PIXELFORMATDESCRIPTOR pf(const char* flags, int colour, int alpha, int depth, int stencil = 0) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.dwFlags = (strchr(flags, 'w') ? PFD_DRAW_TO_WINDOW : 0) |
              (strchr(flags, 'g') ? PFD_SUPPORT_OPENGL : 0) |
              (strchr(flags, '2') ? PFD_DOUBLEBUFFER : 0);
  p.iPixelType = strchr(flags, 'i') ? PFD_TYPE_COLORINDEX : PFD_TYPE_RGBA;
  p.cColorBits = (BYTE)colour, p.cAlphaBits = (BYTE)alpha;
  p.cDepthBits = (BYTE)depth, p.cStencilBits = (BYTE)stencil;
  return p;
}

TEST(ChoosePixelFormat, TheViewersRequestAgainstCandidateLists) {
  const struct {
    int doubleBuffer, depthBuffer;
    std::vector<PIXELFORMATDESCRIPTOR> list;
    int want;
    const char* why;
  } cases[] = {
      // clang-format off
      {1, 1, {pf("wg", 24, 0, 16), pf("wg2", 32, 8, 24), pf("wg2", 24, 0, 24), pf("wg2", 24, 0, 16),
              pf("wg2", 24, 0, 16, 8)}, 4, "double-buffered, then the smallest that meets it"},
      {1, 1, {pf("wg2", 16, 0, 0), pf("wg2", 16, 0, 8), pf("wg2", 16, 0, 8)}, 2,
       "short of depth: as little as possible, the first of a tie"},
      {1, 1, {pf("g2", 24, 0, 16), pf("wg", 24, 0, 16)}, 2, "single-buffered if nothing better"},
      {1, 1, {pf("g2", 24, 0, 16), pf("w2", 24, 0, 16), pf("wg2i", 24, 0, 16)}, 0,
       "without window drawing, OpenGL or RGBA: nothing"},
      {1, 1, {}, 0, "no candidates"},
      {0, 0, {pf("wg2", 24, 0, 24), pf("wg", 24, 0, 0)}, 2, "settings off: single, no depth"},
      // clang-format on
  };
  for (const auto& c : cases) {
    doubleBufferOn = c.doubleBuffer, depthBufferOn = c.depthBuffer;
    EXPECT_EQ(winx::choosePixelFormat(pixelFormatRequest(), c.list), c.want) << c.why;
  }
}

TEST(Palette, EntriesSpreadEachChannelOverTheFullRangeAndIgnoreNonsense) {
  PIXELFORMATDESCRIPTOR p = pf("wgi", 8, 0, 0);  // 3-3-2 bits: red low, blue high
  p.cRedBits = p.cGreenBits = p.cGreenShift = 3, p.cBlueBits = 2, p.cBlueShift = 6;
  const std::vector<std::vector<int>> want = {
      {5, 182, 0, 0}, {24, 0, 109, 0}, {128, 0, 0, 170}, {255, 255, 255, 255}};
  for (const std::vector<int>& w : want) {
    const PALETTEENTRY e = paletteEntryFor(p, w[0]);
    EXPECT_EQ((std::vector<int>{w[0], e.peRed, e.peGreen, e.peBlue, e.peFlags}),
              (std::vector<int>{w[0], w[1], w[2], w[3], 0}));
  }
  p.cRedBits = 200, p.cGreenShift = 250, p.cBlueBits = 0;  // too many bits, shifted out, none
  const PALETTEENTRY e = paletteEntryFor(p, 255);
  EXPECT_EQ((std::vector<int>{e.peRed, e.peGreen, e.peBlue}), (std::vector<int>{0, 0, 0}));
}

}  // namespace
