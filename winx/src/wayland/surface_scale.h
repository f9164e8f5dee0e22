// How a buffer of physical pixels maps onto a surface at an output's integer scale. Pure logic.
#pragma once

namespace winx::wayland {

struct SurfaceScale {
  int bufferScale;                  // wl_surface.set_buffer_scale
  int logicalWidth, logicalHeight;  // the surface's size in the compositor's coordinates
  bool viewport;                    // the viewport's destination gives that size
};

// Pixel-exact where the scale divides the buffer; where it does not, the buffer is mapped onto
// the nearest logical size through the viewport, or shown at scale 1 without one.
SurfaceScale surfaceScale(int width, int height, int scale, bool haveViewporter);

}  // namespace winx::wayland
