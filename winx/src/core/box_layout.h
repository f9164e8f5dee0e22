// The message box's layout: lines, sizes, the button's place. Pure logic, so that every
// backend draws the same box; the font is the backend's, measured through a callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace winx {

struct BoxLayout {
  // Given:
  std::vector<std::string> lines;
  bool errorIcon;
  double scale;         // the desktop's DPI over 96
  int ascent, descent;  // the font's
  // Laid out, in pixels:
  int width, height, margin, iconSize;
  int textX;
  struct {
    int x, y, width, height;
  } button;
};

// Lines of the text; a final line feed ends the last line rather than starting another.
std::vector<std::string> splitLines(const char* text);
int lineHeight(const BoxLayout& b);
// Everything scales with the text: margins, the mark and the button.
void layOut(BoxLayout& b, const std::function<int(const std::string&)>& textWidth);
bool onButton(const BoxLayout& b, int x, int y);

}  // namespace winx
