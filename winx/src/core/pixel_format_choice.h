// Choosing a pixel format from described candidates. Pure logic.
#pragma once

#include <vector>

#include <windows.h>

namespace winx {

// The 1-based index of the best candidate for the request, or 0 when none qualifies.
int choosePixelFormat(const PIXELFORMATDESCRIPTOR& request,
                      const std::vector<PIXELFORMATDESCRIPTOR>& candidates);

}  // namespace winx
