// Win32 windows as canvases in the page: "the screen" is the page's viewport, in device pixels,
// and a window keeps the size the program gives it (the page places it).
#include <algorithm>

#include "web_state.h"

namespace winx::web {

State& state() {
  static State s;
  return s;
}

bool connect(std::string*) {
  state().hidden = winx_web_hidden() != 0;
  return true;
}

void screenSize(int* width, int* height) {
  winx_web_screen_size(width, height);
}

bool createWindow(HWND__* w, int) {
  if (native(w) == nullptr) {
    NativeWindow* n = new NativeWindow;
    n->id = state().nextId++;
    winx_web_canvas_create(n->id, std::max(1, w->width), std::max(1, w->height));
    w->native = n;
  }
  if (w->visible) showWindow(w, true);
  return true;
}

void destroyWindow(HWND__* w) {
  NativeWindow* n = native(w);
  winx_web_canvas_destroy(n->id);
  delete n;
  w->native = nullptr;
}

// A window nothing can be seen of counts as minimised: the tab hidden, or its context lost.
static void applyIconic(HWND__* w) {
  setIconic(w, state().hidden || native(w)->lost);
}

void showWindow(HWND__* w, bool show) {
  winx_web_canvas_show(native(w)->id, show, w->title.c_str());
  // A window shown in a hidden tab is minimised from the start, as one whose frames go nowhere.
  if (show) applyIconic(w);
}

// The page places its canvases.
void moveWindow(HWND__*) {}
void raiseWindow(HWND__*) {}

void resizeWindow(HWND__* w, int width, int height) {
  width = std::max(1, width);
  height = std::max(1, height);
  winx_web_canvas_size(native(w)->id, width, height);
  w->needsPaint = true;
  resized(w, width, height);
}

void applyVisibility(bool hidden) {
  state().hidden = hidden;
  findWindow([](const HWND__& w) {
    if (w.native) applyIconic(const_cast<HWND__*>(&w));
    return false;
  });
}

void loseContext(HWND__* w, bool lost) {
  native(w)->lost = lost;
  if (!lost) restoreContexts(native(w)->id);
  applyIconic(w);
}

void pumpEvents() {
  readEvents();
}

bool waitForEvents(int timeoutMs) {
  winx_web_wait(timeoutMs);
  return true;
}

int messageBox(HWND__*, const char* text, const char* caption, UINT type) {
  // Modal: while it is up the page keeps input out of the queue.
  return winx_web_message_box(text ? text : "", caption ? caption : "Error",
                              (type & MB_ICONERROR) != 0)
             ? IDOK
             : 0;
}

// The page shows the cursor by its CSS name, the first name themes give it too.
void setCursor(const HCURSOR__* cursor) {
  winx_web_set_cursor(cursor ? cursor->names[0] : "none");
}

}  // namespace winx::web
