// The pointer's image over our surfaces: the program's cursor over its windows, the arrow over
// boxes. Where the compositor draws cursors by name (wp_cursor_shape_v1), it is named; else it
// comes from the user's theme (XCURSOR_THEME, XCURSOR_SIZE, 24 where unset) through
// libwayland-cursor, loaded at that size times the surface's scale and shown at that scale
// (a fraction through the viewport), so that it is as crisp as the compositor's own. Without
// either, a surface shows whatever cursor the last one set.
#include <stdlib.h>
#include <wayland-cursor.h>

#include <algorithm>
#include <cstring>

#include "cursor-shape-v1-client-protocol.h"
#include "message_box.h"
#include "surface_scale.h"
#include "viewporter-client-protocol.h"
#include "wl_state.h"

namespace winx::wayland {

namespace {

// The shapes the protocol names, by the first name a standard cursor has in themes.
const struct {
  const char* name;
  uint32_t shape;
} shapes[] = {{"default", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_DEFAULT},
              {"text", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_TEXT},
              {"wait", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_WAIT},
              {"crosshair", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_CROSSHAIR},
              {"all-scroll", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_ALL_SCROLL},
              {"nwse-resize", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_NWSE_RESIZE},
              {"nesw-resize", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_NESW_RESIZE},
              {"ew-resize", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_EW_RESIZE},
              {"ns-resize", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_NS_RESIZE},
              {"not-allowed", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_NOT_ALLOWED},
              {"pointer", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_POINTER},
              {"progress", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_PROGRESS},
              {"help", WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_HELP}};

// The theme's nominal size in logical pixels, as other programs read it.
int themeSize() {
  const char* size = getenv("XCURSOR_SIZE");
  const int n = size ? atoi(size) : 0;
  return n > 0 && n <= 256 ? n : 24;
}

// The scale of our surface under the pointer, in 120ths.
int cursorScale() {
  const State& s = state();
  if (HWND__* w = windowFromSurface(s.pointerSurface)) return native(w)->top.scale120;
  return isBoxSurface(s.pointerSurface) ? boxScale() : 120;
}

// The theme at a size in pixels, loaded once; null where it cannot be.
wl_cursor_theme* themeAt(int size) {
  State& s = state();
  for (const auto& t : s.cursorThemes) {
    if (t.first == size) return t.second;
  }
  wl_cursor_theme* theme = wl_cursor_theme_load(getenv("XCURSOR_THEME"), size, s.shm);
  s.cursorThemes.emplace_back(size, theme);
  return theme;
}

// The cursor's image on a surface of ours; none where the theme has no such cursor (null
// hides it, as SetCursor(NULL) does).
void showImage(const HCURSOR__* c) {
  State& s = state();
  const int scale120 = cursorScale();
  s.cursorLoadedScale = scale120;
  wl_cursor_theme* theme = c && s.shm ? themeAt((themeSize() * scale120 + 60) / 120) : nullptr;
  wl_cursor* cursor = nullptr;
  for (int i = 0; theme && !cursor && i < 3 && c->names[i]; ++i) {
    cursor = wl_cursor_theme_get_cursor(theme, c->names[i]);
  }
  if (cursor == nullptr || cursor->image_count == 0) {
    wl_pointer_set_cursor(s.pointer, s.pointerSerial, nullptr, 0, 0);
    return;
  }
  // Animated cursors show their first frame.
  wl_cursor_image* image = cursor->images[0];
  if (s.cursorSurface == nullptr) {
    s.cursorSurface = wl_compositor_create_surface(s.compositor);
    if (s.viewporter) s.cursorViewport = wp_viewporter_get_viewport(s.viewporter, s.cursorSurface);
  }
  // Pixel for pixel: an integer scale that divides the image as its buffer scale, a fraction
  // through the viewport; else at scale 1, larger, never cut.
  const SurfaceScale k =
      surfaceScale((int)image->width, (int)image->height, scale120, s.cursorViewport != nullptr);
  if (wl_proxy_get_version((wl_proxy*)s.cursorSurface) >= 3) {
    wl_surface_set_buffer_scale(s.cursorSurface, k.bufferScale);
  }
  if (s.cursorViewport) {
    wp_viewport_set_destination(s.cursorViewport, k.viewport ? k.logicalWidth : -1,
                                k.viewport ? k.logicalHeight : -1);
  }
  wl_surface_attach(s.cursorSurface, wl_cursor_image_get_buffer(image), 0, 0);
  wl_surface_damage(s.cursorSurface, 0, 0, (int32_t)image->width, (int32_t)image->height);
  wl_surface_commit(s.cursorSurface);
  wl_pointer_set_cursor(s.pointer, s.pointerSerial, s.cursorSurface,
                        (int32_t)image->hotspot_x * k.logicalWidth / (int32_t)image->width,
                        (int32_t)image->hotspot_y * k.logicalHeight / (int32_t)image->height);
}

void showShape(const HCURSOR__* c) {
  State& s = state();
  if (c == nullptr) {
    wl_pointer_set_cursor(s.pointer, s.pointerSerial, nullptr, 0, 0);
    return;
  }
  uint32_t shape = WP_CURSOR_SHAPE_DEVICE_V1_SHAPE_DEFAULT;
  for (const auto& n : shapes) {
    if (strcmp(n.name, c->names[0]) == 0) shape = n.shape;
  }
  wp_cursor_shape_device_v1_set_shape(s.cursorShapeDevice, s.pointerSerial, shape);
}

}  // namespace

void bindCursorShapes(wl_registry* registry, uint32_t name) {
  State& s = state();
  s.cursorShapes = static_cast<wp_cursor_shape_manager_v1*>(
      wl_registry_bind(registry, name, &wp_cursor_shape_manager_v1_interface, 1));
  followPointer();
}

void followPointer() {
  State& s = state();
  if (s.cursorShapeDevice && s.pointer == nullptr) {
    wp_cursor_shape_device_v1_destroy(s.cursorShapeDevice);
    s.cursorShapeDevice = nullptr;
  } else if (s.cursorShapes && s.pointer && s.cursorShapeDevice == nullptr) {
    s.cursorShapeDevice = wp_cursor_shape_manager_v1_get_pointer(s.cursorShapes, s.pointer);
  }
}

// Over libdecor's title bar, libdecor sets its own cursors.
void showCursor() {
  const State& s = state();
  if (s.pointer == nullptr) return;
  const HCURSOR__* c;
  if (isBoxSurface(s.pointerSurface)) {
    c = arrowCursor();
  } else if (windowFromSurface(s.pointerSurface)) {
    c = s.cursor;
  } else {
    return;
  }
  s.cursorShapeDevice ? showShape(c) : showImage(c);
}

// A surface learns its scale once it is on an output, which may come after the pointer.
void followScale() {
  const State& s = state();
  if (s.cursorShapeDevice == nullptr && s.cursorLoadedScale != 0 &&
      cursorScale() != s.cursorLoadedScale) {
    showCursor();
  }
}

void releaseCursors() {
  State& s = state();
  for (const auto& t : s.cursorThemes) {
    if (t.second) wl_cursor_theme_destroy(t.second);
  }
  s.cursorThemes.clear();
}

void setCursor(const HCURSOR__* cursor) {
  state().cursor = cursor;
  showCursor();
}

}  // namespace winx::wayland
