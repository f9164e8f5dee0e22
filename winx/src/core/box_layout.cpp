#include "box_layout.h"

#include <algorithm>

namespace winx {

std::vector<std::string> splitLines(const char* text) {
  std::vector<std::string> lines(1);
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '\n') {
      lines.emplace_back();
    } else if (*p != '\r') {
      lines.back().push_back(*p);
    }
  }
  if (lines.size() > 1 && lines.back().empty()) {
    lines.pop_back();
  }
  return lines;
}

int lineHeight(const BoxLayout& b) {
  return b.ascent + b.descent + (int)(2 * b.scale);
}

void layOut(BoxLayout& b, const std::function<int(const std::string&)>& textWidth) {
  int widest = 0;
  for (const std::string& l : b.lines) {
    widest = std::max(widest, textWidth(l));
  }
  b.margin = (int)(16 * b.scale);
  b.iconSize = (int)(32 * b.scale);
  const int buttonWidth = std::max((int)(80 * b.scale), textWidth("OK") + 2 * b.margin);
  const int buttonHeight = lineHeight(b) + b.margin / 2;
  const int textHeight = lineHeight(b) * (int)b.lines.size();
  b.textX = b.margin + (b.errorIcon ? b.iconSize + b.margin : 0);
  b.width = std::max(b.textX + widest + b.margin, buttonWidth + 2 * b.margin);
  const int body = std::max(textHeight, b.errorIcon ? b.iconSize : 0);
  b.height = b.margin + body + b.margin + buttonHeight + b.margin;
  b.button = {(b.width - buttonWidth) / 2, b.height - b.margin - buttonHeight, buttonWidth,
              buttonHeight};
}

bool onButton(const BoxLayout& b, int x, int y) {
  const auto& r = b.button;
  return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

}  // namespace winx
