#include "gl/palette.h"

#include <stdlib.h>
#include <string.h>

#include "app/state.h"

namespace {

// Larger palettes do not fit LOGPALETTE's 16-bit count, nor make sense on any display.
const int maxPaletteBits = 8;

BYTE rampComponent(int i, int bits, int shift) {
  // No bits: nothing to spread. Counts or shifts past a palette index's width describe
  // no pixel value of a palette format either, and would overflow the shifts below.
  if (bits <= 0 || bits > maxPaletteBits || shift >= 31) {
    return 0;
  }
  const int mask = (1 << bits) - 1;
  return (BYTE)(((i >> shift) & mask) * 255 / mask);
}

}  // namespace

PALETTEENTRY paletteEntryFor(const PIXELFORMATDESCRIPTOR& pfd, int i) {
  PALETTEENTRY e;
  e.peRed = rampComponent(i, pfd.cRedBits, pfd.cRedShift);
  e.peGreen = rampComponent(i, pfd.cGreenBits, pfd.cGreenShift);
  e.peBlue = rampComponent(i, pfd.cBlueBits, pfd.cBlueShift);
  e.peFlags = 0;
  return e;
}

void setupPalette(HDC hdc) {
  PIXELFORMATDESCRIPTOR pfd;
  memset(&pfd, 0, sizeof pfd);
  DescribePixelFormat(hdc, GetPixelFormat(hdc), sizeof pfd, &pfd);
  if (!(pfd.dwFlags & PFD_NEED_PALETTE) && pfd.iPixelType != PFD_TYPE_COLORINDEX) {
    return;
  }
  if (pfd.cColorBits > maxPaletteBits) {
    return;
  }
  const int n = 1 << pfd.cColorBits;
  LOGPALETTE* record =
      (LOGPALETTE*)malloc(sizeof(LOGPALETTE) + (size_t)(n - 1) * sizeof(PALETTEENTRY));
  if (record == NULL) {
    return;  // no memory for the record: go on without a palette
  }
  record->palVersion = 0x300;
  record->palNumEntries = (WORD)n;
  for (int i = 0; i < n; ++i) {
    record->palPalEntry[i] = paletteEntryFor(pfd, i);
  }
  hPalette = CreatePalette(record);
  free(record);
  if (hPalette != NULL) {
    SelectPalette(hdc, hPalette, FALSE);
    RealizePalette(hdc);
  }
}

void realizeWindowPalette(void) {
  UnrealizeObject(hPalette);
  SelectPalette(hDC, hPalette, FALSE);
  RealizePalette(hDC);
}
