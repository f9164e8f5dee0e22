// The modal box's share of the seat: input on its surface is the box's; while it is up, no
// other window's input reaches the queue.
#pragma once

#include <xkbcommon/xkbcommon.h>

struct wl_surface;

namespace winx::wayland {

bool isBoxSurface(wl_surface* surface);
// A left button on the box, at surface-local (logical) coordinates.
void boxButton(double x, double y, bool pressed);
void boxKey(xkb_keysym_t keysym);
// The scale of the output the box is on, in 120ths.
int boxScale();

}  // namespace winx::wayland
