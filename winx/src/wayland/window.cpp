// Wayland toplevels for Win32 windows: a surface made with the pixel format, a role while shown,
// a fixed size in physical pixels, whatever the compositor imposes.
#include <stdio.h>

#include <algorithm>

#include "surface_scale.h"
#include "wl_state.h"

namespace winx::wayland {

namespace {

// What the compositor tells a window: a close request, another scale, a size it imposes.
void onWindowChange(Toplevel* t) {
  HWND__* w = static_cast<HWND__*>(t->owner);
  NativeWindow* n = native(w);
  if (t->closeRequested) {
    t->closeRequested = false;
    postInput(w, WM_CLOSE, 0, 0, POINT{0, 0});
  }
  if (t->scale != n->appliedScale) {
    w->needsPaint = true;  // drawn again at the new scale: the first frame came before it
  }
  if (t->sizeImposed) {
    // As a window manager's size on X: the program hears of it and may ask its own back.
    t->sizeImposed = false;
    resized(w, t->imposedWidth * t->scale, t->imposedHeight * t->scale);
  }
}

// The logical size a buffer of the window's has at the scale known now.
void logicalSize(const NativeWindow* n, int* width, int* height) {
  const SurfaceScale k =
      surfaceScale(n->bufferWidth, n->bufferHeight, n->top.scale, n->top.viewport != nullptr);
  *width = k.logicalWidth;
  *height = k.logicalHeight;
}

}  // namespace

bool createWindow(HWND__* w, int pixelFormat) {
  NativeWindow* n = native(w);
  if (n == nullptr) {
    n = new NativeWindow;
    n->top.owner = w;
    n->top.onChange = onWindowChange;
    n->bufferWidth = std::max(1, w->width);
    n->bufferHeight = std::max(1, w->height);
    // The screen's scale until the surface is on an output: most often it is the right one.
    const Output* screen = screenOutput();
    n->top.scale = screen ? screen->scale : 1;
    createSurface(&n->top);
    w->native = n;
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
    n->appliedScale = 0;  // the role is new: the next frame sets scale and size again
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
  NativeWindow* n = native(w);
  width = std::max(1, width);
  height = std::max(1, height);
  if (width != n->bufferWidth || height != n->bufferHeight) {
    n->bufferWidth = width;
    n->bufferHeight = height;
    w->needsPaint = true;
  }
  resized(w, width, height);
}

}  // namespace winx::wayland
