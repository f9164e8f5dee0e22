// The program's icon on its toplevels (xdg_toplevel_icon_v1), where the compositor takes one:
// the packaged PNGs' pixels at every size the package installs, so that a task bar shows the
// viewer's own icon even where the package (its desktop entry, its themed icon) is not installed.
#include <libdecor.h>

#include <vector>

#include "wl_state.h"
#include "xdg-toplevel-icon-v1-client-protocol.h"

namespace winx::wayland {

namespace {

// 0xAARRGGBB as wl_shm's ARGB8888 wants it: premultiplied by its alpha.
uint32_t premultiplied(uint32_t p) {
  const uint32_t a = p >> 24;
  auto channel = [&](int shift) { return ((p >> shift & 0xff) * a + 127) / 255 << shift; };
  return a << 24 | channel(16) | channel(8) | channel(0);
}

// The icon, made once and kept: its buffers must live as long as it does.
xdg_toplevel_icon_v1* programIconObject() {
  State& s = state();
  if (s.icon || s.shm == nullptr) return s.icon;
  s.icon = xdg_toplevel_icon_manager_v1_create_icon(s.iconManager);
  for (size_t at = 0; at + 2 <= programIconSize;) {
    const int width = (int)programIcon[at], height = (int)programIcon[at + 1];
    std::vector<uint32_t> pixels(programIcon + at + 2, programIcon + at + 2 + width * height);
    for (uint32_t& p : pixels) p = premultiplied(p);
    at += 2 + (size_t)width * height;
    // The protocol takes square pictures only; every size the package installs is one.
    if (width != height) continue;
    if (wl_buffer* b = shmBuffer(pixels.data(), width, height, WL_SHM_FORMAT_ARGB8888)) {
      xdg_toplevel_icon_v1_add_buffer(s.icon, b, 1);
      s.iconBuffers.push_back(b);
    }
  }
  return s.icon;
}

}  // namespace

void bindIconManager(wl_registry* registry, uint32_t name) {
  state().iconManager = static_cast<xdg_toplevel_icon_manager_v1*>(
      wl_registry_bind(registry, name, &xdg_toplevel_icon_manager_v1_interface, 1));
}

void setIcon(Toplevel* t) {
  State& s = state();
  xdg_toplevel* toplevel = t->frame ? libdecor_frame_get_xdg_toplevel(t->frame) : t->xdgToplevel;
  if (s.iconManager && toplevel) {
    xdg_toplevel_icon_manager_v1_set_icon(s.iconManager, toplevel, programIconObject());
  }
}

}  // namespace winx::wayland
