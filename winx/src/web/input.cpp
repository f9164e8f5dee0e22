// The page's events into Win32 messages: pointer in device pixels of the canvas, keys by the
// desktop's rules (the core's key table over X keysyms), the tab hidden or shown.
#include "keys.h"
#include "web_state.h"

namespace winx::web {

namespace {

enum Event {
  pointerDown = 1,
  pointerUp,
  pointerMove,
  captureLost,
  keyDown,
  keyUp,
  visibility,
  display,
  contextLost,
};

HWND__* windowOf(int id) {
  return findWindow([id](const HWND__& w) { return w.native && native(&w)->id == id; });
}

void postMouse(const int* e) {
  HWND__* w = windowOf(e[1]);
  if (w == nullptr) return;
  static const UINT down[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  static const UINT up[] = {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
  const UINT message = e[0] == pointerDown ? down[e[4]]
                       : e[0] == pointerUp ? up[e[4]]
                                           : WM_MOUSEMOVE;
  const int x = e[2], y = e[3];
  postInput(w, message, (WPARAM)e[5], MAKELPARAM((WORD)(short)x, (WORD)(short)y), POINT{x, y});
}

// Keys go to the window shown last, as the one with the focus: the page has no other.
HWND__* focusWindow() {
  HWND__* last = nullptr;
  findWindow([&last](const HWND__& w) {
    if (w.native && w.visible) last = const_cast<HWND__*>(&w);
    return false;
  });
  return last;
}

void postKey(const int* e) {
  HWND__* w = focusWindow();
  if (w == nullptr) return;
  const unsigned long keysym = (unsigned long)e[1];
  const bool pressed = e[0] == keyDown, control = e[3] != 0, repeat = e[4] != 0;
  std::string chars;
  if (pressed) {
    const char text[1] = {(char)e[2]};
    const int length = e[2] != 0 ? 1 : 0;
    chars = control ? controlCharacters(keysym, text, length) : charactersFromLookup(text, length);
  }
  const UINT vk = virtualKeyFromKeysym(keysym);
  if (vk == 0 && chars.empty()) return;
  LPARAM lParam = 1;
  if (repeat) lParam |= (LPARAM)1 << 30;    // previous state down
  if (!pressed) lParam |= (LPARAM)3 << 30;  // previous state down, transition up
  postInput(w, pressed ? WM_KEYDOWN : WM_KEYUP, vk, lParam, POINT{0, 0}, chars);
}

}  // namespace

void readEvents() {
  int e[6];
  while (winx_web_next_event(e)) {
    switch (e[0]) {
      case pointerDown:
      case pointerUp:
      case pointerMove:
        postMouse(e);
        break;
      case captureLost:
        if (HWND__* w = windowOf(e[1])) loseCapture(w);
        break;
      case keyDown:
      case keyUp:
        postKey(e);
        break;
      case visibility:
        applyVisibility(e[1] != 0);
        break;
      case display:
        displayChanged(e[1], e[2]);
        break;
      case contextLost:
        if (HWND__* w = windowOf(e[1])) loseContext(w, e[2] != 0);
        break;
      default:
        break;
    }
  }
}

}  // namespace winx::web
