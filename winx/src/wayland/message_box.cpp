// MessageBoxA on Wayland: a toplevel of its own showing the picture the core draws, through
// wl_shm, at the scale of the output it is on (96 DPI times the scale), 1:1 at fractions too.
#include <algorithm>
#include <cstring>

#include "box_picture.h"
#include "message_box.h"
#include "surface_scale.h"
#include "wl_state.h"

namespace winx::wayland {

struct MessageBoxWindow {
  Toplevel top;
  const char* text;
  bool errorIcon;
  BoxPicture picture;
  int drawnScale120 = 0;
  wl_buffer* buffer = nullptr;
  bool buttonHeld = false;
  bool done = false;
};

namespace {

// Grown to a whole number of logical pixels at scale, in the box's own grey, so that the
// compositor maps it 1:1.
void pad(BoxPicture& p, int scale120) {
  const int step = scaleStep(scale120);
  const int width = (p.width + step - 1) / step * step,
            height = (p.height + step - 1) / step * step;
  if (width == p.width && height == p.height) return;
  std::vector<uint32_t> pixels((size_t)width * height, p.pixels[0]);
  for (int y = 0; y < p.height; ++y) {
    std::copy_n(&p.pixels[(size_t)y * p.width], p.width, &pixels[(size_t)y * width]);
  }
  p.pixels = std::move(pixels);
  p.width = width;
  p.height = height;
}

// The picture at scale in a shared-memory buffer.
bool draw(MessageBoxWindow& b, int scale120) {
  int maxWidth = 0, maxHeight = 0;
  const Output* o = b.top.home ? b.top.home : screenOutput();
  if (o) maxWidth = o->width, maxHeight = o->height;
  BoxPicture p;
  if (!drawBox(b.text, b.errorIcon, scale120 / 120.0, maxWidth > 0 ? maxWidth : 1 << 14,
               maxHeight > 0 ? maxHeight : 1 << 14, &p)) {
    return false;
  }
  pad(p, scale120);
  wl_buffer* buffer = shmBuffer(p.pixels.data(), p.width, p.height, WL_SHM_FORMAT_XRGB8888);
  if (buffer == nullptr) return false;
  if (b.buffer) wl_buffer_destroy(b.buffer);
  b.buffer = buffer;
  b.picture = std::move(p);
  b.drawnScale120 = scale120;
  return true;
}

void present(MessageBoxWindow& b) {
  wl_surface* s = b.top.surface;
  wl_surface_attach(s, b.buffer, 0, 0);
  applyScale(&b.top, b.picture.width, b.picture.height, b.drawnScale120);
  wl_surface_damage(s, 0, 0, INT32_MAX, INT32_MAX);
  wl_surface_commit(s);
}

// Closing counts as OK; on an output of another scale the box is drawn again for it.
void onBoxChange(Toplevel* t) {
  MessageBoxWindow& b = *static_cast<MessageBoxWindow*>(t->owner);
  if (t->closeRequested) b.done = true;
  if (t->scale120 != b.drawnScale120 && t->configured && draw(b, t->scale120)) present(b);
}

// Physical pixels of the box's picture per logical one.
double boxPixels(const MessageBoxWindow& b) {
  return (double)b.picture.width / b.top.logicalWidth;
}

}  // namespace

bool isBoxSurface(wl_surface* surface) {
  const MessageBoxWindow* b = state().box;
  return b && surface && b->top.surface == surface;
}

void boxButton(double x, double y, bool pressed) {
  MessageBoxWindow& b = *state().box;
  const double k = boxPixels(b);
  const bool over = onButton(b.picture, (int)(x * k), (int)(y * k));
  if (pressed) {
    b.buttonHeld = over;
  } else {
    b.done = b.done || (b.buttonHeld && over);
    b.buttonHeld = false;
  }
}

int boxScale() {
  return state().box ? state().box->top.scale120 : 120;
}

void boxKey(xkb_keysym_t keysym) {
  if (keysym == XKB_KEY_Return || keysym == XKB_KEY_KP_Enter || keysym == XKB_KEY_Escape ||
      keysym == XKB_KEY_space) {
    state().box->done = true;
  }
}

int messageBox(HWND__*, const char* text, const char* caption, UINT type) {
  State& s = state();
  MessageBoxWindow b;
  b.text = text ? text : "";
  b.errorIcon = (type & MB_ICONERROR) != 0;
  // Drawn first for the screen's scale; again if it shows on an output of another.
  const Output* o = screenOutput();
  const int scale120 = o ? o->scale120 : 120;
  if (s.shm == nullptr || !draw(b, scale120)) return 0;
  b.top.owner = &b;
  b.top.onChange = onBoxChange;
  b.top.scale120 = scale120;
  createSurface(&b.top);
  const SurfaceScale k =
      surfaceScale(b.picture.width, b.picture.height, scale120, b.top.viewport != nullptr);
  const bool shown =
      openToplevel(&b.top, caption ? caption : "Error", k.logicalWidth, k.logicalHeight) &&
      waitConfigured(&b.top);
  if (shown) {
    present(b);
    // Modal: the box's input is its own; other windows' input is dropped meanwhile.
    MessageBoxWindow* outer = s.box;
    s.box = &b;
    // Its OK may be pressed from the accessibility bus too, which the wait serves.
    while (!b.done) {
      pumpEvents();
      b.done = b.done || boxPressedElsewhere();
      if (!b.done) waitForEvents(-1);
    }
    s.box = outer;
    // Win32's screen is the monitor the box was on.
    if (b.top.home) s.screen = b.top.home;
  }
  if (s.pointerSurface == b.top.surface) s.pointerSurface = nullptr;
  if (s.keyboardSurface == b.top.surface) s.keyboardSurface = nullptr;
  if (s.touchSurface == b.top.surface) s.touchSurface = nullptr;
  destroySurface(&b.top);
  if (b.buffer) wl_buffer_destroy(b.buffer);
  wl_display_flush(s.display);
  return shown ? IDOK : 0;
}

}  // namespace winx::wayland
