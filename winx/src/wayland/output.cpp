// Outputs: their modes, scales, rotations and logical sizes as they change, and their removal,
// which every surface of ours must hear of whatever order the compositor tells it in.
#include <algorithm>

#include "surface_scale.h"
#include "wl_state.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace winx::wayland {

namespace {

// What counts from what was announced; every surface on the output looks again if it changed.
void settle(Output* o) {
  const bool quarterTurn = o->transform & 1;  // 90 and 270, flipped or not
  const int width = quarterTurn ? o->modeHeight : o->modeWidth;
  const int height = quarterTurn ? o->modeWidth : o->modeHeight;
  const int scale120 = outputScale120(o->integerScale, width, o->logicalWidth);
  if (o->ready && width == o->width && height == o->height && scale120 == o->scale120) return;
  o->ready = width > 0 && height > 0;
  o->width = width;
  o->height = height;
  o->scale120 = scale120;
  for (Toplevel* t : state().toplevels) updateScale(t);
}

void onGeometry(void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t transform) {
  static_cast<Output*>(data)->transform = transform;
}

void onMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  if (flags & WL_OUTPUT_MODE_CURRENT) {
    Output* o = static_cast<Output*>(data);
    o->modeWidth = width;
    o->modeHeight = height;
  }
}

void onDone(void* data, wl_output*) {
  settle(static_cast<Output*>(data));
}

void onScale(void* data, wl_output*, int32_t factor) {
  static_cast<Output*>(data)->integerScale = std::max(1, factor);
}

const wl_output_listener outputListener = {onGeometry, onMode,  onDone,
                                           onScale,    nullptr, nullptr};  // name, description: v4

void onLogicalPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}

void onLogicalSize(void* data, zxdg_output_v1*, int32_t width, int32_t) {
  static_cast<Output*>(data)->logicalWidth = width;
}

// Version 3 leaves its done to wl_output's; earlier ones end their own description here.
void onXdgDone(void* data, zxdg_output_v1* x) {
  if (zxdg_output_v1_get_version(x) < 3) settle(static_cast<Output*>(data));
}

void onXdgName(void*, zxdg_output_v1*, const char*) {}
void onXdgDescription(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener xdgOutputListener = {onLogicalPosition, onLogicalSize, onXdgDone,
                                                   onXdgName, onXdgDescription};

void describe(Output* o) {
  State& s = state();
  if (s.xdgOutputs && o->xdgOutput == nullptr) {
    o->xdgOutput = zxdg_output_manager_v1_get_xdg_output(s.xdgOutputs, o->output);
    zxdg_output_v1_add_listener(o->xdgOutput, &xdgOutputListener, o);
  }
}

}  // namespace

void addOutput(wl_registry* registry, uint32_t name, uint32_t version) {
  Output* o = new Output;
  o->name = name;
  o->output = static_cast<wl_output*>(wl_registry_bind(
      registry, name, &wl_output_interface, std::min(version, 2u)));  // 2: scale and done
  wl_output_add_listener(o->output, &outputListener, o);
  describe(o);
  state().outputs.push_back(o);
}

void bindXdgOutputs(wl_registry* registry, uint32_t name, uint32_t version) {
  State& s = state();
  s.xdgOutputs = static_cast<zxdg_output_manager_v1*>(
      wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
  for (Output* o : s.outputs) describe(o);
}

// An output unplugged: every surface forgets it, whether or not a leave came first (it need
// not); the screen falls back to an output still there. Surfaces that were on it keep their
// scale and size until the compositor puts them on another.
void removeOutput(uint32_t name) {
  State& s = state();
  auto it = std::find_if(s.outputs.begin(), s.outputs.end(),
                         [name](const Output* o) { return o->name == name; });
  if (it == s.outputs.end()) return;
  Output* o = *it;
  s.outputs.erase(it);
  if (s.screen == o) s.screen = nullptr;
  for (Toplevel* t : s.toplevels) {
    t->outputs.erase(std::remove(t->outputs.begin(), t->outputs.end(), o), t->outputs.end());
    if (t->home == o) t->home = nullptr;
  }
  findWindow([o](const HWND__& w) {
    if (NativeWindow* n = native(&w); n && n->home == o) n->home = nullptr;
    return false;
  });
  if (o->xdgOutput) zxdg_output_v1_destroy(o->xdgOutput);
  wl_output_destroy(o->output);
  delete o;
}

}  // namespace winx::wayland
