// The message box in pixels: FreeType draws fontconfig's sans into a plain ARGB buffer, so
// that no backend needs a text renderer of its own.
#include "box_picture.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <string>

namespace winx {

namespace {

const uint32_t background = 0xffe0e0e0, buttonFace = 0xfff4f4f4, black = 0xff000000,
               red = 0xffcc2222, white = 0xffffffff;

// The file fontconfig gives for sans-serif, looked up once per process.
bool sansFont(std::string* path, int* index) {
  static std::string file;
  static int face = 0;
  static bool looked = false;
  if (!looked) {
    looked = true;
    FcPattern* want = FcNameParse((const FcChar8*)"sans-serif");
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, want, &result);
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &name) == FcResultMatch) {
      file = (const char*)name;
      FcPatternGetInteger(match, FC_INDEX, 0, &face);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(want);
  }
  *path = file;
  *index = face;
  return !file.empty();
}

// One face at one size for the life of a drawing.
struct Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

// 10-point text at the scale's DPI, as desktops size dialog text.
bool openFace(double scale, Face* f) {
  std::string path;
  int index;
  const FT_UInt dpi = (FT_UInt)std::lround(96.0 * scale);
  return sansFont(&path, &index) && FT_Init_FreeType(&f->library) == 0 &&
         FT_New_Face(f->library, path.c_str(), index, &f->face) == 0 &&
         FT_Set_Char_Size(f->face, 0, 10 * 64, dpi, dpi) == 0;
}

const FT_Int32 loadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT;

// ANSI text: each byte a Latin-1 character, which is its Unicode code point.
int textWidth(const Face& f, const std::string& s) {
  long width = 0;
  for (unsigned char c : s) {
    if (FT_Load_Char(f.face, c, FT_LOAD_TARGET_LIGHT) == 0) width += f.face->glyph->advance.x;
  }
  return (int)((width + 32) >> 6);
}

// Mixes colour into the pixel at (x, y) by coverage (0 to 1), where the pixel exists.
void blend(BoxPicture& p, int x, int y, uint32_t colour, double coverage) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height || coverage <= 0) return;
  uint32_t& d = p.pixels[(size_t)y * p.width + x];
  const double a = std::min(coverage, 1.0);
  uint32_t out = 0xff000000;
  for (int shift = 0; shift < 24; shift += 8) {
    const double mixed = ((d >> shift) & 0xff) * (1 - a) + ((colour >> shift) & 0xff) * a;
    out |= (uint32_t)std::lround(mixed) << shift;
  }
  d = out;
}

void fill(BoxPicture& p, int x, int y, int width, int height, uint32_t colour) {
  for (int j = y; j < y + height; ++j) {
    for (int i = x; i < x + width; ++i) blend(p, i, j, colour, 1);
  }
}

void drawText(BoxPicture& p, const Face& f, int x, int baseline, const std::string& s) {
  long pen = (long)x << 6;
  for (unsigned char c : s) {
    if (FT_Load_Char(f.face, c, loadFlags) != 0) continue;
    const FT_GlyphSlot g = f.face->glyph;
    const FT_Bitmap& bm = g->bitmap;
    const int left = (int)((pen + 32) >> 6) + g->bitmap_left, top = baseline - g->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row) {
      for (unsigned col = 0; col < bm.width; ++col) {
        const unsigned char v = bm.buffer[row * bm.pitch + col];
        blend(p, left + (int)col, top + (int)row, black, v / 255.0);
      }
    }
    pen += g->advance.x;
  }
}

// Distance from (x, y) to the segment from (x0, y0) to (x1, y1).
double segmentDistance(double x, double y, double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
}

// A red disc with a white cross, edges anti-aliased by their distance from each pixel centre.
void drawErrorMark(BoxPicture& p) {
  const double r = p.iconSize / 2.0, cx = p.margin + r, cy = p.margin + r;
  const double lo = p.margin + p.iconSize * 5 / 16, hi = p.margin + p.iconSize * 11 / 16;
  const double half = 1.5 * p.scale;
  for (int y = p.margin; y < p.margin + p.iconSize; ++y) {
    for (int x = p.margin; x < p.margin + p.iconSize; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      blend(p, x, y, red, r + 0.5 - std::hypot(px - cx, py - cy));
      const double d = std::min(segmentDistance(px, py, lo, lo, hi, hi),
                                segmentDistance(px, py, lo, hi, hi, lo));
      blend(p, x, y, white, half + 0.5 - d);
    }
  }
}

void layOutWith(BoxPicture& p, const Face& f, double scale) {
  const FT_Size_Metrics& m = f.face->size->metrics;
  p.scale = scale;
  p.ascent = (int)((m.ascender + 63) >> 6);
  p.descent = (int)((-m.descender + 63) >> 6);
  layOut(p, [&](const std::string& s) { return textWidth(f, s); });
}

}  // namespace

bool drawBox(const char* text, bool errorIcon, double scale, int maxWidth, int maxHeight,
             BoxPicture* out) {
  BoxPicture& p = *out;
  p.lines = splitLines(text);
  p.errorIcon = errorIcon;
  Face face;
  if (!openFace(scale, &face)) return false;
  layOutWith(p, face, scale);
  // Too large for its monitor (a very high DPI, or nonsense): smaller text until it fits.
  for (int tries = 0; tries < 4 && p.scale > 1.0; ++tries) {
    const double fit = std::min(0.9 * maxWidth / p.width, 0.9 * maxHeight / p.height);
    if (fit >= 1.0) break;
    Face smaller;
    if (!openFace(std::max(1.0, p.scale * fit), &smaller)) break;
    std::swap(face.library, smaller.library), std::swap(face.face, smaller.face);
    layOutWith(p, face, std::max(1.0, p.scale * fit));
  }

  p.pixels.assign((size_t)p.width * p.height, background);
  if (p.errorIcon) drawErrorMark(p);
  int baseline = p.margin + p.ascent;
  for (const std::string& l : p.lines) {
    drawText(p, face, p.textX, baseline, l);
    baseline += lineHeight(p);
  }
  const auto& r = p.button;
  const int border = std::max(1, (int)p.scale);
  fill(p, r.x, r.y, r.width, r.height, black);
  fill(p, r.x + border, r.y + border, r.width - 2 * border, r.height - 2 * border, buttonFace);
  drawText(p, face, r.x + (r.width - textWidth(face, "OK")) / 2,
           r.y + (r.height + p.ascent - p.descent) / 2, "OK");
  return true;
}

}  // namespace winx
