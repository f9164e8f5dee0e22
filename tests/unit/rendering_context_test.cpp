// The pixel-format request and the palette ramp: pure functions of their descriptors.
#include <gtest/gtest.h>

#include "app/state.h"
#include "gl/palette.h"
#include "gl/pixel_format.h"

namespace {

TEST(PixelFormatRequest, FlagsAndBitsFollowTheSettings) {
  PIXELFORMATDESCRIPTOR p = pixelFormatRequest();
  EXPECT_EQ(p.nSize, 40);
  EXPECT_EQ(p.nVersion, 1);
  EXPECT_EQ(p.dwFlags, 0x25u);
  EXPECT_EQ(p.iPixelType, PFD_TYPE_RGBA);
  EXPECT_EQ(p.cColorBits, 8);
  EXPECT_EQ(p.cDepthBits, 16);
  EXPECT_EQ(p.cAlphaBits + p.cStencilBits + p.cAccumBits + p.cRedBits, 0);
  doubleBufferOn = 0;
  depthBufferOn = 0;
  p = pixelFormatRequest();
  EXPECT_EQ(p.dwFlags, 0x24u);
  EXPECT_EQ(p.cDepthBits, 0);
  doubleBufferOn = depthBufferOn = 1;
}

PIXELFORMATDESCRIPTOR format332() {
  PIXELFORMATDESCRIPTOR p = {};
  p.dwFlags = PFD_NEED_PALETTE;
  p.cColorBits = 8;
  p.cRedBits = 3;
  p.cRedShift = 0;
  p.cGreenBits = 3;
  p.cGreenShift = 3;
  p.cBlueBits = 2;
  p.cBlueShift = 6;
  return p;
}

void expectEntry(const PALETTEENTRY& e, int r, int g, int b) {
  EXPECT_EQ(e.peRed, r);
  EXPECT_EQ(e.peGreen, g);
  EXPECT_EQ(e.peBlue, b);
  EXPECT_EQ(e.peFlags, 0);
}

TEST(Palette, RampOfAThreeThreeTwoFormat) {
  const PIXELFORMATDESCRIPTOR p = format332();
  expectEntry(paletteEntryFor(p, 0), 0, 0, 0);
  expectEntry(paletteEntryFor(p, 5), 182, 0, 0);
  expectEntry(paletteEntryFor(p, 24), 0, 109, 0);
  expectEntry(paletteEntryFor(p, 64), 0, 0, 85);
  expectEntry(paletteEntryFor(p, 128), 0, 0, 170);
  expectEntry(paletteEntryFor(p, 255), 255, 255, 255);
}

TEST(Palette, ChannelsWithoutBitsOrWithNonsenseCountsStoreZero) {
  PIXELFORMATDESCRIPTOR p = {};
  p.iPixelType = PFD_TYPE_COLORINDEX;
  p.cColorBits = 8;
  expectEntry(paletteEntryFor(p, 200), 0, 0, 0);
  p.cRedBits = 200;
  p.cGreenBits = 3;
  p.cGreenShift = 250;
  expectEntry(paletteEntryFor(p, 255), 0, 0, 0);
}

}  // namespace
