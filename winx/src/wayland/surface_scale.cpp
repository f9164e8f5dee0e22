#include "surface_scale.h"

#include <algorithm>

namespace winx::wayland {

SurfaceScale surfaceScale(int width, int height, int scale, bool haveViewporter) {
  width = std::max(1, width);
  height = std::max(1, height);
  scale = std::max(1, scale);
  if (width % scale == 0 && height % scale == 0) {
    return {scale, width / scale, height / scale, false};
  }
  if (!haveViewporter) {
    return {1, width, height, false};
  }
  return {1, std::max(1, (width + scale / 2) / scale), std::max(1, (height + scale / 2) / scale),
          true};
}

}  // namespace winx::wayland
