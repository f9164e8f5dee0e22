// The Wayland connection: the registry, the outputs, reading events and waiting for them.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include <libdecor.h>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wl_state.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace winx::wayland {

namespace {

// How long a compositor may take to list its globals before we try X instead.
const int answerMs = 3000;

void onPing(void*, xdg_wm_base* base, uint32_t serial) {
  xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener wmBaseListener = {onPing};

void onGlobal(void*, wl_registry* r, uint32_t name, const char* interface, uint32_t version) {
  State& s = state();
  auto bind = [&](const wl_interface* i, uint32_t most) {
    return wl_registry_bind(r, name, i, std::min(version, most));
  };
  if (strcmp(interface, wl_compositor_interface.name) == 0) {
    // 6: the compositor's own word on a surface's scale and transform (toplevel.cpp).
    s.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 6));
  } else if (strcmp(interface, wl_shm_interface.name) == 0) {
    s.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
    s.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
    xdg_wm_base_add_listener(s.wmBase, &wmBaseListener, nullptr);
  } else if (strcmp(interface, wl_seat_interface.name) == 0 && s.seat == nullptr) {
    bindSeat(r, name, version);
  } else if (strcmp(interface, wp_viewporter_interface.name) == 0) {
    s.viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
  } else if (strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
    s.decorations =
        static_cast<zxdg_decoration_manager_v1*>(bind(&zxdg_decoration_manager_v1_interface, 1));
  } else if (strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
    s.fractionalScales = static_cast<wp_fractional_scale_manager_v1*>(
        bind(&wp_fractional_scale_manager_v1_interface, 1));
  } else if (strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
    bindXdgOutputs(r, name, version);
  } else if (strcmp(interface, "xdg_toplevel_icon_manager_v1") == 0) {
    bindIconManager(r, name);
  } else if (strcmp(interface, "wp_cursor_shape_manager_v1") == 0) {
    bindCursorShapes(r, name);
  } else if (strcmp(interface, wl_output_interface.name) == 0) {
    addOutput(r, name, version);
  }
}

void onGlobalRemove(void*, wl_registry*, uint32_t name) {
  removeOutput(name);
}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onDecorError(libdecor*, libdecor_error, const char* message) {
  fprintf(stderr, "winx: libdecor: %s\n", message);
}

void onSyncDone(void* data, wl_callback* callback, uint32_t) {
  *static_cast<bool*>(data) = true;
  wl_callback_destroy(callback);
}

const wl_callback_listener syncListener = {onSyncDone};

// A round trip that gives up at deadline: a socket may accept and never answer.
bool roundtripBy(int64_t deadline) {
  wl_display* d = state().display;
  bool done = false;
  wl_callback* sync = wl_display_sync(d);
  wl_callback_add_listener(sync, &syncListener, &done);
  while (!done) {
    const int64_t left = deadline - nowMs();
    if (left <= 0 || wl_display_flush(d) < 0 || wl_display_dispatch_pending(d) < 0) break;
    if (wl_display_prepare_read(d) != 0) continue;
    pollfd pfd = {wl_display_get_fd(d), POLLIN, 0};
    const int n = poll(&pfd, 1, (int)left);
    if (n > 0 ? wl_display_read_events(d) < 0
              : (wl_display_cancel_read(d), n < 0 && errno != EINTR)) {
      break;
    }
    if (wl_display_dispatch_pending(d) < 0) break;
  }
  return done;
}

libdecor_interface decorInterface = {onDecorError, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};

}  // namespace

State& state() {
  static State s;
  return s;
}

bool connect(std::string* why) {
  State& s = state();
  const char* name = getenv("WAYLAND_DISPLAY");
  s.displayName = name && *name ? name : "wayland-0";
  // A name relative to a runtime directory that is not set: libwayland would print a line of
  // its own before failing. The reason is ours to give, once.
  const char* runtimeDir = getenv("XDG_RUNTIME_DIR");
  if (s.displayName[0] != '/' && (runtimeDir == nullptr || *runtimeDir == '\0')) {
    *why =
        "cannot connect to Wayland display \"" + s.displayName + "\": XDG_RUNTIME_DIR is not set";
    return false;
  }
  s.display = wl_display_connect(nullptr);
  if (s.display == nullptr) {
    *why = "cannot connect to Wayland display \"" + s.displayName + "\"";
    return false;
  }
  s.registry = wl_display_get_registry(s.display);
  wl_registry_add_listener(s.registry, &registryListener, nullptr);
  // The globals, then what the outputs and the seat say about themselves.
  const int64_t deadline = nowMs() + answerMs;
  if (!roundtripBy(deadline) || !roundtripBy(deadline)) {
    *why = "Wayland display \"" + s.displayName + "\" does not answer";
    wl_display_disconnect(s.display);
    s.display = nullptr;
    return false;
  }
  if (s.compositor == nullptr || s.wmBase == nullptr) {
    *why = "Wayland display \"" + s.displayName + "\" offers no xdg-shell";
    wl_display_disconnect(s.display);
    s.display = nullptr;
    return false;
  }
  // A write to a compositor that has gone would otherwise end the process by SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  // What we loaded for the connection goes with the process; EGL's own exit handlers, which
  // come later, run before this one.
  atexit(releaseCursors);
  s.unthrottled = getenv("vblank_mode") && strcmp(getenv("vblank_mode"), "0") == 0;
  if (s.decorations == nullptr) {
    s.decor = libdecor_new(s.display, &decorInterface);  // draws title bars where none are
  }
  return true;
}

const Output* screenOutput() {
  const State& s = state();
  if (s.screen) return s.screen;
  // An output counts once it has described itself: one just plugged in has no mode yet.
  for (const Output* o : s.outputs) {
    if (o->ready) return o;
  }
  return nullptr;
}

void screenSize(int* width, int* height) {
  State& s = state();
  const Output* o = screenOutput();
  *width = s.screenWidthTold = o ? o->width : 0;
  *height = s.screenHeightTold = o ? o->height : 0;
}

void connectionLost() {
  State& s = state();
  const int error = wl_display_get_error(s.display);
  if (error == EPROTO) {
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    const uint32_t code = wl_display_get_protocol_error(s.display, &interface, &id);
    fprintf(stderr, "winx: Wayland protocol error %u on %s@%u\n", code,
            interface ? interface->name : "?", id);
  } else {
    fprintf(stderr, "winx: lost the connection to Wayland display \"%s\"\n", s.displayName.c_str());
  }
  fflush(stderr);
  // _exit, because exit handlers in the GL driver would talk to the dead connection again.
  _exit(1);
}

// Waits up to timeoutMs (-1: no limit) for the compositor's bytes and reads them in, unless
// events already wait in the queue (then it reads nothing and returns at once).
static void readSocket(wl_display* d, int timeoutMs) {
  if (wl_display_flush(d) < 0 && errno != EAGAIN) connectionLost();
  if (wl_display_prepare_read(d) != 0) return;
  pollfd pfd = {wl_display_get_fd(d), POLLIN, 0};
  if (pollWithOthers(&pfd, timeoutMs) > 0) {
    if (wl_display_read_events(d) < 0) connectionLost();
  } else {
    wl_display_cancel_read(d);
  }
}

void readEvents(int timeoutMs) {
  wl_display* d = state().display;
  readSocket(d, timeoutMs);
  if (wl_display_dispatch_pending(d) < 0) connectionLost();
}

void pumpEvents() {
  readEvents(0);
  repeatKeys();
  deliverChanges();
}

bool waitForEvents(int timeoutMs) {
  // A held key repeats on our own clock.
  const int repeat = repeatKeys();
  if (repeat >= 0 && (timeoutMs < 0 || repeat < timeoutMs)) timeoutMs = repeat;
  readSocket(state().display, timeoutMs);
  return true;
}

HWND__* windowFromSurface(wl_surface* surface) {
  return surface ? findWindow([surface](const HWND__& w) {
    return w.native && native(&w)->top.surface == surface;
  })
                 : nullptr;
}

}  // namespace winx::wayland
