// The seat's pointer, touch and keyboard into Win32 messages: client coordinates in physical
// pixels, the first finger as the left button, virtual keys and typed characters through
// xkbcommon, key repeat on our own clock.
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "keys.h"
#include "message_box.h"
#include "wl_state.h"

namespace winx::wayland {

namespace {

// Physical pixels per logical one on a toplevel of ours: its buffer over its surface size.
double pixelsPerPoint(wl_surface* surface) {
  if (HWND__* w = windowFromSurface(surface)) {
    const NativeWindow* n = native(w);
    return (double)n->bufferWidth / n->top.logicalWidth;
  }
  return 1.0;
}

WPARAM mouseKeyState() {
  const State& s = state();
  return s.buttons | (s.shift ? MK_SHIFT : 0) | (s.control ? MK_CONTROL : 0);
}

// A mouse message at a surface-local point, if the surface is a window of ours and no box is up.
void postMouseAt(wl_surface* surface, double px, double py, UINT message, WPARAM keys) {
  HWND__* w = windowFromSurface(surface);
  if (w == nullptr || state().box) return;
  const double k = pixelsPerPoint(surface);
  const int x = (int)(px * k), y = (int)(py * k);
  postInput(w, message, keys, MAKELPARAM((WORD)(short)x, (WORD)(short)y), POINT{x, y});
}

void postMouse(UINT message) {
  const State& s = state();
  postMouseAt(s.pointerSurface, s.pointerX, s.pointerY, message, mouseKeyState());
}

// The pointer left with a button still held: the compositor ended the implicit grab. The
// program hears of it between frames (deliverChanges).
void dropButtons() {
  State& s = state();
  if (s.buttons != 0) {
    s.buttons = 0;
    if (HWND__* w = windowFromSurface(s.pointerSurface)) s.captureLost = w;
  }
}

void onPointerEnter(void*, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                    wl_fixed_t y) {
  State& s = state();
  s.pointerSurface = surface;
  s.pointerSerial = serial;
  showCursor();  // a surface that sets none shows what the last one set
  s.pointerX = wl_fixed_to_double(x);
  s.pointerY = wl_fixed_to_double(y);
  postMouse(WM_MOUSEMOVE);
}

void onPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {
  dropButtons();
  state().pointerSurface = nullptr;
}

void onPointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  State& s = state();
  s.pointerX = wl_fixed_to_double(x);
  s.pointerY = wl_fixed_to_double(y);
  followScale();
  if (isBoxSurface(s.pointerSurface)) return;
  postMouse(WM_MOUSEMOVE);
}

void onPointerButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t pressed) {
  State& s = state();
  if (isBoxSurface(s.pointerSurface)) {
    if (button == BTN_LEFT) boxButton(s.pointerX, s.pointerY, pressed != 0);
    return;
  }
  static const struct {
    uint32_t button;
    WPARAM flag;
    UINT down, up;
  } buttons[] = {{BTN_LEFT, MK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP},
                 {BTN_RIGHT, MK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP},
                 {BTN_MIDDLE, MK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP}};
  for (const auto& b : buttons) {
    if (b.button == button) {
      s.buttons = pressed ? (s.buttons | b.flag) : (s.buttons & ~b.flag);
      postMouse(pressed ? b.down : b.up);
    }
  }
}

void onAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void onFrame(void*, wl_pointer*) {}
void onAxisSource(void*, wl_pointer*, uint32_t) {}
void onAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void onAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener pointerListener = {onPointerEnter,  onPointerLeave, onPointerMotion,
                                             onPointerButton, onAxis,         onFrame,
                                             onAxisSource,    onAxisStop,     onAxisDiscrete,
                                             nullptr,         nullptr};  // axis_value120 and
                                                                         // axis_relative_direction:
                                                                         // seat 8 and 9, we bind 5

// Touch as Windows promotes it to the mouse: the first finger down is the left button, pressed
// where it touches, moved and released with it; the compositor keeps its points on the surface
// they began on (the implicit grab), as the capture. Other fingers wait until it lifts.
void postTouch(UINT message) {
  const State& s = state();
  const WPARAM keys = (message == WM_LBUTTONUP ? 0 : MK_LBUTTON) | (s.shift ? MK_SHIFT : 0) |
                      (s.control ? MK_CONTROL : 0);
  postMouseAt(s.touchSurface, s.touchX, s.touchY, message, keys);
}

void onTouchDown(void*, wl_touch*, uint32_t, uint32_t, wl_surface* surface, int32_t id,
                 wl_fixed_t x, wl_fixed_t y) {
  State& s = state();
  if (s.touching) return;
  s.touching = true;
  s.touchId = id;
  s.touchSurface = surface;
  s.touchX = wl_fixed_to_double(x);
  s.touchY = wl_fixed_to_double(y);
  if (isBoxSurface(surface)) {
    boxButton(s.touchX, s.touchY, true);
  } else {
    postTouch(WM_LBUTTONDOWN);
  }
}

void onTouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t id) {
  State& s = state();
  if (!s.touching || id != s.touchId) return;
  s.touching = false;
  if (isBoxSurface(s.touchSurface)) {
    boxButton(s.touchX, s.touchY, false);
  } else {
    postTouch(WM_LBUTTONUP);
  }
  s.touchSurface = nullptr;
}

void onTouchMotion(void*, wl_touch*, uint32_t, int32_t id, wl_fixed_t x, wl_fixed_t y) {
  State& s = state();
  if (!s.touching || id != s.touchId) return;
  s.touchX = wl_fixed_to_double(x);
  s.touchY = wl_fixed_to_double(y);
  if (!isBoxSurface(s.touchSurface)) postTouch(WM_MOUSEMOVE);
}

// The compositor took the touch for itself (a gesture), or the seat lost it: the button never
// comes up, the capture is lost.
void dropTouch() {
  State& s = state();
  if (!s.touching) return;
  s.touching = false;
  if (isBoxSurface(s.touchSurface)) {
    boxButton(-1, -1, false);  // released off the button: nothing pressed
  } else if (HWND__* w = windowFromSurface(s.touchSurface)) {
    loseCapture(w);
  }
  s.touchSurface = nullptr;
}

void onTouchFrame(void*, wl_touch*) {}
void onTouchCancel(void*, wl_touch*) {
  dropTouch();
}

const wl_touch_listener touchListener = {
    onTouchDown,   onTouchUp, onTouchMotion, onTouchFrame,
    onTouchCancel, nullptr,   nullptr};  // shape, orientation: v6

void onKey(uint32_t key, bool pressed, bool repeat) {
  State& s = state();
  if (s.plainState == nullptr) return;
  const xkb_keycode_t code = key + 8;  // evdev to xkb, as X's keycodes
  const xkb_keysym_t keysym = xkb_state_key_get_one_sym(s.plainState, code);
  if (isBoxSurface(s.keyboardSurface)) {
    if (pressed) boxKey(keysym);
    return;
  }
  HWND__* w = windowFromSurface(s.keyboardSurface);
  if (w == nullptr || s.box) return;
  std::string chars;
  if (pressed) {
    char utf8[64];
    xkb_state_key_get_utf8(s.plainState, code, utf8, sizeof utf8);
    const std::string text = latin1FromUtf8(utf8);
    // With Ctrl, Windows types what its own table says, from what the key types without.
    chars = s.control ? controlCharacters(keysym, text.data(), (int)text.size())
                      : charactersFromLookup(text.data(), (int)text.size());
  }
  const UINT vk = virtualKeyFromKeysym(keysym);
  if (vk == 0 && chars.empty()) return;
  LPARAM lParam = 1 | ((LPARAM)(key & 0xff) << 16);
  if (repeat) lParam |= (LPARAM)1 << 30;    // previous state down
  if (!pressed) lParam |= (LPARAM)3 << 30;  // previous state down, transition up
  postInput(w, pressed ? WM_KEYDOWN : WM_KEYUP, vk, lParam, POINT{0, 0}, chars);
}

void onKeymap(void*, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  State& s = state();
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    close(fd);
    return;
  }
  void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (map == MAP_FAILED) return;
  if (s.xkb == nullptr) s.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap =
      xkb_keymap_new_from_buffer(s.xkb, (const char*)map, strnlen((const char*)map, size),
                                 XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(map, size);
  if (keymap == nullptr) return;
  if (s.keyState) xkb_state_unref(s.keyState);
  if (s.plainState) xkb_state_unref(s.plainState);
  if (s.keymap) xkb_keymap_unref(s.keymap);
  s.keymap = keymap;
  s.keyState = xkb_state_new(keymap);
  s.plainState = xkb_state_new(keymap);
}

void onKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  state().keyboardSurface = surface;
  if (HWND__* w = windowFromSurface(surface)) setActive(w, true);
}

void onKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface* surface) {
  State& s = state();
  if (HWND__* w = windowFromSurface(surface)) setActive(w, false);
  s.keyboardSurface = nullptr;
  s.repeatKey = 0;
}

void onKeyboardKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t pressed) {
  State& s = state();
  onKey(key, pressed != 0, false);
  if (pressed && s.keymap && xkb_keymap_key_repeats(s.keymap, key + 8) && s.repeatRate > 0) {
    s.repeatKey = key;
    s.nextRepeatMs = nowMs() + s.repeatDelay;
  } else if (!pressed && key == s.repeatKey) {
    s.repeatKey = 0;
  }
}

void onModifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                 uint32_t locked, uint32_t group) {
  State& s = state();
  if (s.keyState == nullptr) return;
  xkb_state_update_mask(s.keyState, depressed, latched, locked, 0, 0, group);
  const xkb_mod_index_t ctrl = xkb_keymap_mod_get_index(s.keymap, XKB_MOD_NAME_CTRL);
  const uint32_t noCtrl = ctrl == XKB_MOD_INVALID ? ~0u : ~(1u << ctrl);
  xkb_state_update_mask(s.plainState, depressed & noCtrl, latched & noCtrl, locked & noCtrl, 0, 0,
                        group);
  s.control =
      xkb_state_mod_name_is_active(s.keyState, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0;
  s.shift =
      xkb_state_mod_name_is_active(s.keyState, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0;
}

void onRepeatInfo(void*, wl_keyboard*, int32_t rate, int32_t delay) {
  State& s = state();
  s.repeatRate = rate;
  s.repeatDelay = delay;
}

const wl_keyboard_listener keyboardListener = {onKeymap,      onKeyboardEnter, onKeyboardLeave,
                                               onKeyboardKey, onModifiers,     onRepeatInfo};

// Seat capabilities may go and come back: release and bind again.
void onCapabilities(void*, wl_seat* seat, uint32_t caps) {
  State& s = state();
  const bool pointer = caps & WL_SEAT_CAPABILITY_POINTER;
  const bool keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD;
  const bool touch = caps & WL_SEAT_CAPABILITY_TOUCH;
  if (pointer && s.pointer == nullptr) {
    s.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(s.pointer, &pointerListener, nullptr);
    followPointer();
  } else if (!pointer && s.pointer) {
    dropButtons();
    s.pointerSurface = nullptr;
    wl_pointer_release(s.pointer);
    s.pointer = nullptr;
    followPointer();
  }
  if (touch && s.touch == nullptr) {
    s.touch = wl_seat_get_touch(seat);
    wl_touch_add_listener(s.touch, &touchListener, nullptr);
  } else if (!touch && s.touch) {
    dropTouch();
    wl_touch_release(s.touch);
    s.touch = nullptr;
  }
  if (keyboard && s.keyboard == nullptr) {
    s.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(s.keyboard, &keyboardListener, nullptr);
  } else if (!keyboard && s.keyboard) {
    wl_keyboard_release(s.keyboard);
    s.keyboard = nullptr;
    s.keyboardSurface = nullptr;
    s.repeatKey = 0;
  }
}

void onSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener seatListener = {onCapabilities, onSeatName};

}  // namespace

void bindSeat(wl_registry* registry, uint32_t name, uint32_t version) {
  State& s = state();
  // Version 5 at most (the listeners above); 3 at least, for release.
  if (version < 3) return;
  s.seat = static_cast<wl_seat*>(
      wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u)));
  wl_seat_add_listener(s.seat, &seatListener, nullptr);
}

int repeatKeys() {
  State& s = state();
  if (s.repeatKey == 0 || s.repeatRate <= 0) return -1;
  const int64_t now = nowMs();
  const int interval = std::max(1, 1000 / s.repeatRate);
  if (now >= s.nextRepeatMs) {
    onKey(s.repeatKey, true, true);
    // A late wake-up repeats once, not once for every interval missed.
    s.nextRepeatMs = std::max(s.nextRepeatMs + interval, now + 1);
  }
  return (int)std::max<int64_t>(0, s.nextRepeatMs - now);
}

}  // namespace winx::wayland
