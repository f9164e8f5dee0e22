#include "surface_scale.h"

#include <algorithm>
#include <numeric>

namespace winx::wayland {

namespace {

// a × 120 / scale120, to the nearest whole number.
int logical(int a, int scale120) {
  return std::max(1, (int)(((long)a * 120 + scale120 / 2) / scale120));
}

}  // namespace

int outputScale120(int integerScale, int modeWidth, int logicalWidth) {
  integerScale = std::max(1, integerScale);
  if (modeWidth > 0 && logicalWidth > 0) {
    const int fraction = (int)(((long)modeWidth * 120 + logicalWidth / 2) / logicalWidth);
    if (fraction % 120 != 0 && fraction > (integerScale - 1) * 120 &&
        fraction < integerScale * 120) {
      return fraction;
    }
  }
  return integerScale * 120;
}

int scaleStep(int scale120) {
  scale120 = std::max(1, scale120);
  return scale120 / std::gcd(scale120, 120);
}

int snapToScale(int size, int scale120) {
  const int step = scaleStep(scale120);
  const int below = std::max(step, size / step * step);
  return size - below <= below + step - size || size < step ? below : below + step;
}

SurfaceScale surfaceScale(int width, int height, int scale120, bool haveViewporter) {
  width = std::max(1, width);
  height = std::max(1, height);
  scale120 = std::max(120, scale120);
  const int scale = scale120 / 120;
  if (scale120 % 120 == 0 && width % scale == 0 && height % scale == 0) {
    return {scale, width / scale, height / scale, false};
  }
  if (!haveViewporter) {
    return {1, width, height, false};
  }
  return {1, logical(width, scale120), logical(height, scale120), true};
}

}  // namespace winx::wayland
