// The viewer's pixel-format request against candidate lists, and the palette ramp.
#include <gtest/gtest.h>

#include <vector>

#include "app/state.h"
#include "gl/palette.h"
#include "gl/pixel_format.h"
#include "pixel_format_choice.h"

namespace {

PIXELFORMATDESCRIPTOR candidate(DWORD flags, int colour, int alpha, int depth, int stencil = 0,
                                BYTE type = PFD_TYPE_RGBA) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.dwFlags = flags;
  p.iPixelType = type;
  p.cColorBits = (BYTE)colour;
  p.cAlphaBits = (BYTE)alpha;
  p.cDepthBits = (BYTE)depth;
  p.cStencilBits = (BYTE)stencil;
  return p;
}

const DWORD gl = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
const DWORD gl2 = gl | PFD_DOUBLEBUFFER;

TEST(ChoosePixelFormat, TheViewersRequestAgainstCandidateLists) {
  const struct {
    const char* name;
    int doubleBuffer, depthBuffer;
    std::vector<PIXELFORMATDESCRIPTOR> list;
    int want;
  } cases[] = {
      {"double-buffered, then the smallest that meets the request",
       1,
       1,
       {candidate(gl, 24, 0, 16), candidate(gl2, 32, 8, 24), candidate(gl2, 24, 0, 24),
        candidate(gl2, 24, 0, 16), candidate(gl2, 24, 0, 16, 8)},
       4},
      {"short of depth: as little as possible, first of a tie",
       1,
       1,
       {candidate(gl2, 16, 0, 0), candidate(gl2, 16, 0, 8), candidate(gl2, 16, 0, 8)},
       2},
      {"single-buffered when nothing better exists",
       1,
       1,
       {candidate(PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, 24, 0, 16), candidate(gl, 24, 0, 16)},
       2},
      {"without window drawing, OpenGL or RGBA: nothing",
       1,
       1,
       {candidate(PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, 24, 0, 16),
        candidate(PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER, 24, 0, 16),
        candidate(gl2, 24, 0, 16, 0, PFD_TYPE_COLORINDEX)},
       0},
      {"no candidates", 1, 1, {}, 0},
      {"settings off: single-buffered, no depth wanted",
       0,
       0,
       {candidate(gl2, 24, 0, 24), candidate(gl, 24, 0, 0)},
       2},
  };
  for (const auto& c : cases) {
    doubleBufferOn = c.doubleBuffer;
    depthBufferOn = c.depthBuffer;
    EXPECT_EQ(winx::choosePixelFormat(pixelFormatRequest(), c.list), c.want) << c.name;
  }
}

TEST(Palette, EntriesSpreadEachChannelOverTheFullRange) {
  PIXELFORMATDESCRIPTOR p = {};
  p.dwFlags = PFD_NEED_PALETTE;
  p.cColorBits = 8;
  p.cRedBits = 3;
  p.cGreenBits = 3;
  p.cGreenShift = 3;
  p.cBlueBits = 2;
  p.cBlueShift = 6;
  PIXELFORMATDESCRIPTOR nonsense = p;
  nonsense.cRedBits = 200;     // more bits than a byte holds
  nonsense.cGreenShift = 250;  // shifted out of any index
  nonsense.cBlueBits = 0;      // no bits at all
  const struct {
    const PIXELFORMATDESCRIPTOR* format;
    int index, r, g, b;
  } cases[] = {{&p, 0, 0, 0, 0},     {&p, 5, 182, 0, 0},       {&p, 24, 0, 109, 0},
               {&p, 128, 0, 0, 170}, {&p, 255, 255, 255, 255}, {&nonsense, 255, 0, 0, 0}};
  for (const auto& c : cases) {
    const PALETTEENTRY e = paletteEntryFor(*c.format, c.index);
    EXPECT_EQ((std::vector<int>{e.peRed, e.peGreen, e.peBlue, e.peFlags}),
              (std::vector<int>{c.r, c.g, c.b, 0}))
        << "index " << c.index;
  }
}

}  // namespace
