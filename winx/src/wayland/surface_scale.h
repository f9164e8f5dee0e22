// How buffers of physical pixels map onto surfaces at an output's scale, integer or fractional.
// Scales are in 120ths, as wp_fractional_scale_v1 gives them (1.5 is 180). Pure logic.
#pragma once

namespace winx::wayland {

// The scale an output draws at: the fraction its mode has over its logical size (xdg-output)
// where the compositor rounded it up to the integer wl_output.scale it announces; else that
// integer. A logical size equal to the mode at scale 2 (mutter's physical layout) is not a
// fraction: there the integer holds.
int outputScale120(int integerScale, int modeWidth, int logicalWidth);

// The physical pixels that make a whole number of logical ones at scale: 3 at 1.5, 2 at 2.
int scaleStep(int scale120);

// The size nearest to size (ties go down) that scale maps onto whole logical pixels, so that
// the compositor shows the buffer 1:1: a multiple of 3 at 1.5, of 2 at 2.
int snapToScale(int size, int scale120);

struct SurfaceScale {
  int bufferScale;                  // wl_surface.set_buffer_scale
  int logicalWidth, logicalHeight;  // the surface's size in the compositor's coordinates
  bool viewport;                    // the viewport's destination gives that size
};

// Pixel-exact where an integer scale divides the buffer; otherwise the viewport maps the buffer
// onto the nearest logical size (1:1 for sizes snapToScale gave), or without a viewporter the
// buffer is shown at scale 1.
SurfaceScale surfaceScale(int width, int height, int scale120, bool haveViewporter);

}  // namespace winx::wayland
