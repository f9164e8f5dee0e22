#include "pixel_format_choice.h"

namespace winx {

namespace {

// Must the candidate have this flag? Only when the request asks for it.
bool lacksRequested(const PIXELFORMATDESCRIPTOR& req, const PIXELFORMATDESCRIPTOR& c, DWORD flag) {
  return (req.dwFlags & flag) && !(c.dwFlags & flag);
}

// -1 if a is the better bit count for request r, 1 if b is, 0 if neither. Meeting the
// request beats falling short; among those that meet it, fewer bits win; among those that
// fall short, more bits win. A zero request does not count.
int compareBits(int a, int b, int r) {
  if (r == 0 || a == b) {
    return 0;
  }
  const bool aMeets = a >= r, bMeets = b >= r;
  if (aMeets != bMeets) {
    return aMeets ? -1 : 1;
  }
  if (aMeets) {
    return a < b ? -1 : 1;
  }
  return a > b ? -1 : 1;
}

bool better(const PIXELFORMATDESCRIPTOR& req, const PIXELFORMATDESCRIPTOR& a,
            const PIXELFORMATDESCRIPTOR& b) {
  const bool wantDouble = (req.dwFlags & PFD_DOUBLEBUFFER) != 0;
  const bool aMatch = ((a.dwFlags & PFD_DOUBLEBUFFER) != 0) == wantDouble;
  const bool bMatch = ((b.dwFlags & PFD_DOUBLEBUFFER) != 0) == wantDouble;
  if (aMatch != bMatch) {
    return aMatch;
  }
  const int order[][3] = {
      {a.cColorBits, b.cColorBits, req.cColorBits},
      {a.cAlphaBits, b.cAlphaBits, req.cAlphaBits},
      {a.cStencilBits, b.cStencilBits, req.cStencilBits},
      {a.cDepthBits, b.cDepthBits, req.cDepthBits},
  };
  for (const auto& f : order) {
    const int c = compareBits(f[0], f[1], f[2]);
    if (c != 0) {
      return c < 0;
    }
  }
  return false;  // a tie keeps the earlier candidate
}

}  // namespace

int choosePixelFormat(const PIXELFORMATDESCRIPTOR& request,
                      const std::vector<PIXELFORMATDESCRIPTOR>& candidates) {
  int best = 0;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const PIXELFORMATDESCRIPTOR& c = candidates[i];
    if (c.iPixelType != request.iPixelType || lacksRequested(request, c, PFD_DRAW_TO_WINDOW) ||
        lacksRequested(request, c, PFD_SUPPORT_OPENGL)) {
      continue;
    }
    if (best == 0 || better(request, c, candidates[best - 1])) {
      best = (int)i + 1;
    }
  }
  return best;
}

}  // namespace winx
