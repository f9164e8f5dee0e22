// Wayland toplevels for Win32 windows: a surface made with the pixel format, a role while shown,
// a fixed size in physical pixels fitted to the scale of the output it is on, and what the
// compositor tells, delivered to the program between its frames.
#include <stdio.h>

#include <algorithm>

#include "surface_scale.h"
#include "wl_state.h"

namespace winx::wayland {

namespace {

// The logical size a buffer of the window's has at the scale it is fitted to.
void logicalSize(const NativeWindow* n, int* width, int* height) {
  const SurfaceScale k =
      surfaceScale(n->bufferWidth, n->bufferHeight, n->scale120, n->top.viewport != nullptr);
  *width = k.logicalWidth;
  *height = k.logicalHeight;
}

// The program's size, fitted to the scale so that the compositor shows it 1:1 (at most a few
// pixels off where the scale is a fraction or does not divide it); the EGL window follows at
// once, between frames, so that the next frame is drawn at that size.
void takeSize(HWND__* w, int width, int height) {
  NativeWindow* n = native(w);
  n->wantWidth = std::max(1, width);
  n->wantHeight = std::max(1, height);
  const int bufferWidth = snapToScale(n->wantWidth, n->scale120);
  const int bufferHeight = snapToScale(n->wantHeight, n->scale120);
  if (bufferWidth != n->bufferWidth || bufferHeight != n->bufferHeight) {
    n->bufferWidth = bufferWidth;
    n->bufferHeight = bufferHeight;
    resizeEglSurface(w);
    w->needsPaint = true;
  }
  resized(w, bufferWidth, bufferHeight);
}

// What the compositor told about w since the program last heard: Win32 sends such messages
// from inside GetMessage and PeekMessage, never in the middle of a frame.
void deliverTo(HWND__* w) {
  NativeWindow* n = native(w);
  Toplevel& t = n->top;
  State& s = state();
  if (t.closeRequested) {
    t.closeRequested = false;
    postInput(w, WM_CLOSE, 0, 0, POINT{0, 0});
  }
  if (t.home && t.home != n->home) {
    n->home = t.home;
    s.screen = t.home;  // Win32's screen is where the window is
  }
  if (t.scale120 != n->scale120) {
    n->scale120 = t.scale120;
    w->needsPaint = true;  // drawn again at the new scale: the first frame came before it
    takeSize(w, n->wantWidth, n->wantHeight);
  }
  if (t.sizeImposed) {
    // As a window manager's size on X: the program hears of it and may ask its own back.
    t.sizeImposed = false;
    resized(w, t.imposedWidth * t.scale120 / 120, t.imposedHeight * t.scale120 / 120);
  }
  if (n->hiddenByFrames != w->iconic) setIconic(w, n->hiddenByFrames);
}

}  // namespace

void deliverChanges() {
  State& s = state();
  std::vector<HWND> windows;
  findWindow([&](const HWND__& w) {
    if (w.native) windows.push_back(const_cast<HWND__*>(&w));
    return false;
  });
  for (HWND w : windows) {
    if (HWND__* live = findWindow([w](const HWND__& x) { return &x == w; }); live && live->native) {
      deliverTo(live);
    }
  }
  if (HWND__* w = s.captureLost) {
    s.captureLost = nullptr;
    loseCapture(w);
  }
  // The screen changed size under a program that sized itself from it (moved to another
  // output, a new mode, a rotation): Win32 tells every top-level window.
  const Output* o = screenOutput();
  if (o && s.screenHeightTold &&
      (o->width != s.screenWidthTold || o->height != s.screenHeightTold)) {
    s.screenWidthTold = o->width;
    s.screenHeightTold = o->height;
    displayChanged(o->width, o->height);
  }
}

bool createWindow(HWND__* w, int pixelFormat) {
  NativeWindow* n = native(w);
  if (n == nullptr) {
    n = new NativeWindow;
    n->top.owner = w;
    // The screen's scale until the surface is on an output: most often it is the right one.
    const Output* screen = screenOutput();
    n->top.scale120 = n->scale120 = screen ? screen->scale120 : 120;
    n->wantWidth = std::max(1, w->width);
    n->wantHeight = std::max(1, w->height);
    n->bufferWidth = snapToScale(n->wantWidth, n->scale120);
    n->bufferHeight = snapToScale(n->wantHeight, n->scale120);
    createSurface(&n->top);
    w->native = n;
    resized(w, n->bufferWidth, n->bufferHeight);
  }
  if (pixelFormat != 0 && !createEglSurface(w, pixelFormat)) {
    return false;
  }
  if (w->visible) showWindow(w, true);
  return true;
}

void destroyWindow(HWND__* w) {
  NativeWindow* n = native(w);
  State& s = state();
  if (s.pointerSurface == n->top.surface) s.pointerSurface = nullptr;
  if (s.keyboardSurface == n->top.surface) s.keyboardSurface = nullptr;
  if (s.captureLost == w) s.captureLost = nullptr;
  if (s.touchSurface == n->top.surface) s.touchSurface = nullptr;
  if (n->frameCallback) wl_callback_destroy(n->frameCallback);
  destroyEglSurface(w);
  destroySurface(&n->top);
  wl_display_flush(s.display);
  delete n;
  w->native = nullptr;
}

void showWindow(HWND__* w, bool show) {
  NativeWindow* n = native(w);
  const bool shown = n->top.xdgSurface || n->top.frame;
  if (show && !shown) {
    int width, height;
    logicalSize(n, &width, &height);
    n->appliedScale120 = 0;  // the role is new: the next frame sets scale and size again
    if (!openToplevel(&n->top, w->title, width, height) || !waitConfigured(&n->top)) {
      fprintf(stderr, "winx: the compositor does not show the window\n");
    }
  } else if (!show && shown) {
    if (n->frameCallback) wl_callback_destroy(n->frameCallback);
    n->frameCallback = nullptr;
    n->hiddenByFrames = false;
    closeToplevel(&n->top);
  }
  wl_display_flush(state().display);
}

// Clients cannot place windows on Wayland: the compositor does.
void moveWindow(HWND__*) {}
void raiseWindow(HWND__*) {}

// The buffer is the program's to size: it takes the size asked at once, whatever the
// compositor imposed, and the next frame shows it.
void resizeWindow(HWND__* w, int width, int height) {
  takeSize(w, width, height);
}

}  // namespace winx::wayland
