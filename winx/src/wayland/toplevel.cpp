// Top-level surfaces: xdg-shell with the compositor's decorations, or libdecor's where it
// draws none; fixed sizes; the scale of the output a surface is on.
#include <algorithm>

#include <libdecor.h>

#include "fractional-scale-v1-client-protocol.h"
#include "surface_scale.h"
#include "viewporter-client-protocol.h"
#include "wl_state.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace winx::wayland {

namespace {

const char appId[] = "org.bowlview.bowlview";  // the desktop entry's id

void changed(Toplevel* t) {
  if (t->onChange) t->onChange(t);
}

// Our own output, not another binding of it (libdecor binds the outputs too).
Output* ourOutput(wl_output* output) {
  for (Output* o : state().outputs) {
    if (o->output == output) return o;
  }
  return nullptr;
}

void onEnter(void* data, wl_surface*, wl_output* output) {
  Toplevel* t = static_cast<Toplevel*>(data);
  if (Output* o = ourOutput(output)) {
    if (std::find(t->outputs.begin(), t->outputs.end(), o) == t->outputs.end()) {
      t->outputs.push_back(o);
    }
    updateScale(t);
  }
}

void onLeave(void* data, wl_surface*, wl_output* output) {
  Toplevel* t = static_cast<Toplevel*>(data);
  auto& v = t->outputs;
  v.erase(std::remove(v.begin(), v.end(), ourOutput(output)), v.end());
  updateScale(t);
}

// wl_surface 6: the compositor's own word on the scale, above what the outputs entered say.
void onPreferredBufferScale(void* data, wl_surface*, int32_t scale) {
  Toplevel* t = static_cast<Toplevel*>(data);
  t->preferredBufferScale = scale > 0 ? scale : 0;
  updateScale(t);
}

// Heard, and left to the compositor: the program's GL draws upright, and turning its picture
// would mean turning the program's own projection. The compositor turns the buffer instead.
void onPreferredTransform(void*, wl_surface*, uint32_t) {}

const wl_surface_listener surfaceListener = {onEnter, onLeave, onPreferredBufferScale,
                                             onPreferredTransform};

// Where the compositor says which scale it would like (in 120ths), that one counts.
void onPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale120) {
  Toplevel* t = static_cast<Toplevel*>(data);
  t->preferred120 = (int)scale120;
  updateScale(t);
}

const wp_fractional_scale_v1_listener fractionalListener = {onPreferredScale};

void onXdgConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  xdg_surface_ack_configure(surface, serial);
  static_cast<Toplevel*>(data)->configured = true;
}

const xdg_surface_listener xdgSurfaceListener = {onXdgConfigure};

// A size the compositor imposes (tiling, maximised); 0 × 0 leaves it to us.
void imposeSize(Toplevel* t, int width, int height) {
  if (width > 0 && height > 0 && (width != t->logicalWidth || height != t->logicalHeight) &&
      (width != t->imposedWidth || height != t->imposedHeight)) {
    t->imposedWidth = width;
    t->imposedHeight = height;
    t->sizeImposed = true;
    changed(t);
  }
}

void onToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  imposeSize(static_cast<Toplevel*>(data), width, height);
}

void onToplevelClose(void* data, xdg_toplevel*) {
  Toplevel* t = static_cast<Toplevel*>(data);
  t->closeRequested = true;
  changed(t);
}

// configure_bounds and wm_capabilities come from version 4 and 5: we bind 2.
const xdg_toplevel_listener toplevelListener = {onToplevelConfigure, onToplevelClose, nullptr,
                                                nullptr};

void onFrameConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  Toplevel* t = static_cast<Toplevel*>(data);
  int width = 0, height = 0;
  if (libdecor_configuration_get_content_size(configuration, frame, &width, &height)) {
    imposeSize(t, width, height);
  }
  // The content keeps our size whatever was asked: the picture stays as the program drew it.
  libdecor_state* s = libdecor_state_new(t->logicalWidth, t->logicalHeight);
  libdecor_frame_commit(frame, s, configuration);
  libdecor_state_free(s);
  // The frame's parts are subsurfaces: what libdecor just set on them (the shadow's input
  // region, which must leave our content to us) counts with our surface's next commit, and a
  // box draws no further frames that would commit it.
  if (t->configured) wl_surface_commit(t->surface);
  t->configured = true;
}

void onFrameClose(libdecor_frame*, void* data) {
  Toplevel* t = static_cast<Toplevel*>(data);
  t->closeRequested = true;
  changed(t);
}

// libdecor's title bar is a subsurface: it shows with our surface's next commit.
void onFrameCommit(libdecor_frame*, void* data) {
  wl_surface_commit(static_cast<Toplevel*>(data)->surface);
}

void onDismissPopup(libdecor_frame*, const char*, void*) {}

libdecor_frame_interface frameInterface = {onFrameConfigure,
                                           onFrameClose,
                                           onFrameCommit,
                                           onDismissPopup,
                                           {},
                                           {},
                                           {},
                                           {},
                                           {},
                                           {},
                                           {},
                                           {},
                                           {},
                                           {}};

}  // namespace

void updateScale(Toplevel* t) {
  if (t->outputs.size() == 1) t->home = t->outputs.front();
  // The compositor's word first (a fraction, else an integer), then the outputs entered.
  const int scale120 = t->preferred120           ? t->preferred120
                       : t->preferredBufferScale ? t->preferredBufferScale * 120
                       : t->home                 ? t->home->scale120
                                                 : t->scale120;
  if (scale120 != t->scale120) {
    t->scale120 = scale120;
    changed(t);
  }
}

void createSurface(Toplevel* t) {
  State& s = state();
  if (t->surface == nullptr) {
    t->surface = wl_compositor_create_surface(s.compositor);
    wl_surface_add_listener(t->surface, &surfaceListener, t);
    if (s.viewporter) t->viewport = wp_viewporter_get_viewport(s.viewporter, t->surface);
    // A fraction needs the viewport to be shown 1:1.
    if (s.fractionalScales && t->viewport) {
      t->fractional =
          wp_fractional_scale_manager_v1_get_fractional_scale(s.fractionalScales, t->surface);
      wp_fractional_scale_v1_add_listener(t->fractional, &fractionalListener, t);
    }
    s.toplevels.push_back(t);
  }
}

void destroySurface(Toplevel* t) {
  State& s = state();
  closeToplevel(t);
  if (t->fractional) wp_fractional_scale_v1_destroy(t->fractional);
  if (t->viewport) wp_viewport_destroy(t->viewport);
  if (t->surface) wl_surface_destroy(t->surface);
  t->fractional = nullptr;
  t->viewport = nullptr;
  t->surface = nullptr;
  s.toplevels.erase(std::remove(s.toplevels.begin(), s.toplevels.end(), t), s.toplevels.end());
}

bool openToplevel(Toplevel* t, const std::string& title, int logicalWidth, int logicalHeight) {
  State& s = state();
  createSurface(t);
  t->configured = t->closeRequested = false;
  t->imposedWidth = t->imposedHeight = 0;
  t->logicalWidth = std::max(1, logicalWidth);
  t->logicalHeight = std::max(1, logicalHeight);
  if (s.decor) {
    t->frame = libdecor_decorate(s.decor, t->surface, &frameInterface, t);
    if (t->frame == nullptr) return false;
    libdecor_frame_set_app_id(t->frame, appId);
    libdecor_frame_set_title(t->frame, title.c_str());
    libdecor_frame_unset_capabilities(
        t->frame, (libdecor_capabilities)(LIBDECOR_ACTION_RESIZE | LIBDECOR_ACTION_FULLSCREEN));
    libdecor_frame_set_min_content_size(t->frame, t->logicalWidth, t->logicalHeight);
    libdecor_frame_set_max_content_size(t->frame, t->logicalWidth, t->logicalHeight);
    libdecor_frame_map(t->frame);
    setIcon(t);
  } else {
    t->xdgSurface = xdg_wm_base_get_xdg_surface(s.wmBase, t->surface);
    xdg_surface_add_listener(t->xdgSurface, &xdgSurfaceListener, t);
    t->xdgToplevel = xdg_surface_get_toplevel(t->xdgSurface);
    xdg_toplevel_add_listener(t->xdgToplevel, &toplevelListener, t);
    xdg_toplevel_set_title(t->xdgToplevel, title.c_str());
    xdg_toplevel_set_app_id(t->xdgToplevel, appId);
    xdg_toplevel_set_min_size(t->xdgToplevel, t->logicalWidth, t->logicalHeight);
    xdg_toplevel_set_max_size(t->xdgToplevel, t->logicalWidth, t->logicalHeight);
    setIcon(t);
    if (s.decorations) {
      t->decoration =
          zxdg_decoration_manager_v1_get_toplevel_decoration(s.decorations, t->xdgToplevel);
      zxdg_toplevel_decoration_v1_set_mode(t->decoration,
                                           ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
    wl_surface_commit(t->surface);
  }
  return true;
}

void closeToplevel(Toplevel* t) {
  if (t->configured) {
    // Unmapped with no buffer left, so that the surface may take the role again.
    wl_surface_attach(t->surface, nullptr, 0, 0);
    wl_surface_commit(t->surface);
  }
  if (t->decoration) zxdg_toplevel_decoration_v1_destroy(t->decoration);
  if (t->xdgToplevel) xdg_toplevel_destroy(t->xdgToplevel);
  if (t->xdgSurface) xdg_surface_destroy(t->xdgSurface);
  if (t->frame) libdecor_frame_unref(t->frame);
  t->decoration = nullptr;
  t->xdgToplevel = nullptr;
  t->xdgSurface = nullptr;
  t->frame = nullptr;
  t->configured = false;
  t->outputs.clear();
}

void setToplevelSize(Toplevel* t, int logicalWidth, int logicalHeight) {
  t->logicalWidth = std::max(1, logicalWidth);
  t->logicalHeight = std::max(1, logicalHeight);
  if (t->frame) {
    libdecor_frame_set_min_content_size(t->frame, t->logicalWidth, t->logicalHeight);
    libdecor_frame_set_max_content_size(t->frame, t->logicalWidth, t->logicalHeight);
    if (t->configured) {
      libdecor_state* s = libdecor_state_new(t->logicalWidth, t->logicalHeight);
      libdecor_frame_commit(t->frame, s, nullptr);
      libdecor_state_free(s);
    }
  } else if (t->xdgToplevel) {
    xdg_toplevel_set_min_size(t->xdgToplevel, t->logicalWidth, t->logicalHeight);
    xdg_toplevel_set_max_size(t->xdgToplevel, t->logicalWidth, t->logicalHeight);
  }
}

void applyScale(Toplevel* t, int width, int height, int scale120) {
  const SurfaceScale k = surfaceScale(width, height, scale120, t->viewport != nullptr);
  wl_surface_set_buffer_scale(t->surface, k.bufferScale);
  if (t->viewport) {
    wp_viewport_set_destination(t->viewport, k.viewport ? k.logicalWidth : -1,
                                k.viewport ? k.logicalHeight : -1);
  }
  if (k.logicalWidth != t->logicalWidth || k.logicalHeight != t->logicalHeight) {
    setToplevelSize(t, k.logicalWidth, k.logicalHeight);
  }
}

bool waitConfigured(Toplevel* t) {
  for (int i = 0; i < 50 && !t->configured; ++i) {
    if (wl_display_roundtrip(state().display) < 0) connectionLost();
  }
  return t->configured;
}

}  // namespace winx::wayland
