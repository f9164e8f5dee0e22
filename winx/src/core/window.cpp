// Window classes and windows: creation, showing, sizing, painting, timers and capture.
#include <strings.h>

#include "accessibility.h"
#include "winx_state.h"

namespace winx {

namespace {

const winx::RegisteredClass* findClass(const char* name) {
  for (const RegisteredClass& c : state().classes) {
    if (strcasecmp(c.name.c_str(), name) == 0) {  // class names ignore case in Win32
      return &c;
    }
  }
  return nullptr;
}

}  // namespace

HWND__* liveWindow(HWND hwnd) {
  if (hwnd == nullptr) {
    return nullptr;
  }
  for (const auto& w : state().windows) {
    if (w.get() == hwnd) {
      return w->destroyed ? nullptr : w.get();
    }
  }
  return nullptr;
}

HWND__* findWindow(const std::function<bool(const HWND__&)>& match) {
  for (const auto& w : state().windows) {
    if (!w->destroyed && match(*w)) {
      return w.get();
    }
  }
  return nullptr;
}

LRESULT sendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr || w->proc == nullptr) {
    return 0;
  }
  return w->proc(hwnd, msg, wParam, lParam);
}

void resized(HWND__* w, int width, int height) {
  if (width == w->width && height == w->height) {
    return;
  }
  // Size hints are advisory: whoever resized us, the window procedure hears of it.
  w->width = width;
  w->height = height;
  if (!w->iconic) {
    sendMessage(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  }
}

void displayChanged(int width, int height) {
  // A window procedure may create or destroy windows meanwhile: the list as it was, each one
  // while it still lives.
  std::vector<HWND> windows;
  for (const auto& w : state().windows) {
    if (!w->destroyed) windows.push_back(w.get());
  }
  for (HWND w : windows) sendMessage(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(width, height));
}

// Minimised (unmapped by the window manager, or marked iconic) or shown again: Win32 tells the
// window procedure with WM_SIZE, SIZE_MINIMIZED at 0 x 0, then SIZE_RESTORED.
void setIconic(HWND__* w, bool iconic) {
  if (w->iconic == iconic || !w->visible) {
    return;  // no news, or our own ShowWindow(SW_HIDE)
  }
  w->iconic = iconic;
  if (iconic) {
    sendMessage(w, WM_SIZE, SIZE_MINIMIZED, 0);
  } else {
    w->needsPaint = true;
    sendMessage(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width, w->height));
  }
  if (accessibility) accessibility->windowChanged(w);
}

void setActive(HWND__* w, bool active) {
  if (w->active == active) return;
  w->active = active;
  if (accessibility) accessibility->windowChanged(w);
}

void loseCapture(HWND__* w) {
  State& s = state();
  if (s.capture == w) {
    s.capture = nullptr;
    sendMessage(w, WM_CAPTURECHANGED, 0, 0);
  }
}

}  // namespace winx

using winx::liveWindow;
using winx::sendMessage;
using winx::state;

BOOL RegisterClassA(const WNDCLASSA* wc) {
  if (wc == nullptr || wc->lpszClassName == nullptr || winx::findClass(wc->lpszClassName)) {
    return FALSE;
  }
  state().classes.push_back(winx::RegisteredClass{wc->lpszClassName, *wc});
  return TRUE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR title, DWORD, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
  const winx::RegisteredClass* cls = className ? winx::findClass(className) : nullptr;
  if (cls == nullptr) {
    return nullptr;
  }
  auto owned = std::make_unique<HWND__>();
  HWND__* w = owned.get();
  w->proc = cls->wc.lpfnWndProc;
  w->cursor = cls->wc.hCursor;
  w->title = title ? title : "";
  w->x = x;
  w->y = y;
  w->width = width > 0 ? width : 0;  // Win32 makes a window of no size, not none
  w->height = height > 0 ? height : 0;
  w->native = nullptr;
  w->pixelFormat = 0;
  w->visible = w->iconic = w->shownOnce = w->needsPaint = w->destroyed = w->active = false;
  w->askedWidth = w->width;
  w->askedHeight = w->height;
  w->refusedWidth = w->refusedHeight = 0;
  w->dc = HDC__{w, nullptr};
  state().windows.push_back(std::move(owned));

  // The native window waits for the pixel format, which fixes its visual (see SetPixelFormat).
  if (!sendMessage(w, WM_NCCREATE, 0, 0)) {
    DestroyWindow(w);
    return nullptr;
  }
  if (sendMessage(w, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  if (liveWindow(w) && winx::accessibility) winx::accessibility->windowChanged(w);
  return liveWindow(w);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr) {
    return FALSE;
  }
  const winx::Backend& b = winx::backend();
  const BOOL wasVisible = w->visible;
  if (cmdShow == SW_HIDE) {
    if (w->native != nullptr) {
      b.showWindow(w, false);
    }
    w->visible = false;
    if (winx::accessibility) winx::accessibility->windowChanged(w);
    return wasVisible;
  }
  if (w->native == nullptr && !b.createWindow(w, 0)) {
    return wasVisible;
  }
  w->visible = true;
  b.showWindow(w, true);
  sendMessage(w, WM_SHOWWINDOW, TRUE, 0);
  if (!w->shownOnce) {
    w->shownOnce = true;
    sendMessage(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width, w->height));
  }
  w->needsPaint = true;
  if (winx::accessibility) winx::accessibility->windowChanged(w);
  return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr) {
    return FALSE;
  }
  if (w->visible && w->needsPaint) {
    sendMessage(w, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL DestroyWindow(HWND hwnd) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr) {
    return FALSE;
  }
  winx::State& s = state();
  if (s.capture == hwnd) {
    s.capture = nullptr;
  }
  sendMessage(w, WM_DESTROY, 0, 0);
  sendMessage(w, WM_NCDESTROY, 0, 0);
  w->destroyed = true;
  s.timers.killWindow(hwnd);
  s.queue.dropWindow(hwnd);
  if (w->native != nullptr) {
    winx::backend().destroyWindow(w);
  }
  if (winx::accessibility) winx::accessibility->windowDestroyed(w);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  HWND__* w = liveWindow(hwnd);
  return w ? &w->dc : nullptr;  // every window keeps its own DC, as with CS_OWNDC
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  HWND__* w = liveWindow(hwnd);
  return (w != nullptr && hdc == &w->dc) ? 1 : 0;
}

HWND WindowFromDC(HDC hdc) {
  return hdc ? liveWindow(hdc->window) : nullptr;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr || ps == nullptr) {
    return nullptr;
  }
  *ps = PAINTSTRUCT{};
  ps->hdc = &w->dc;
  ps->rcPaint = RECT{0, 0, w->width, w->height};
  w->needsPaint = false;
  ps->fErase = sendMessage(w, WM_ERASEBKGND, (WPARAM)ps->hdc, 0) == 0;
  return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*) {
  return liveWindow(hwnd) ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr) {
    return FALSE;
  }
  w->needsPaint = true;
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr || rect == nullptr) {
    return FALSE;
  }
  *rect = RECT{0, 0, w->width, w->height};
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr) {
    return FALSE;
  }
  const winx::Backend* b = w->native ? &winx::backend() : nullptr;
  if (!(flags & SWP_NOMOVE)) {
    w->x = x;
    w->y = y;
    if (b) {
      b->moveWindow(w);
    }
  }
  if (!(flags & SWP_NOZORDER) && insertAfter == HWND_TOP && b) {
    b->raiseWindow(w);
  }
  const bool sized = !(flags & SWP_NOSIZE) && cx > 0 && cy > 0;
  if (sized && (cx != w->askedWidth || cy != w->askedHeight)) {
    w->askedWidth = cx;  // a new size: whatever was refused before, it is asked for
    w->askedHeight = cy;
    w->refusedWidth = w->refusedHeight = 0;
  }
  const bool resize = sized && !w->iconic && (cx != w->width || cy != w->height);
  if (resize && b != nullptr) {
    // The native window changes size when the window system says so (resized()), and a size
    // the window manager imposed is asked back from once only: if it insists, it wins.
    if (w->width == w->refusedWidth && w->height == w->refusedHeight) {
      return TRUE;
    }
    w->refusedWidth = w->width;
    w->refusedHeight = w->height;
    b->resizeWindow(w, cx, cy);
  } else if (resize) {
    w->width = cx;
    w->height = cy;
    sendMessage(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx, cy));  // may re-enter SetWindowPos
  }
  return TRUE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC) {
  if (liveWindow(hwnd) == nullptr) {
    return 0;
  }
  state().timers.set(hwnd, id, elapse, winx::nowMs());
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  return state().timers.kill(hwnd, id) ? TRUE : FALSE;
}

HWND SetCapture(HWND hwnd) {
  winx::State& s = state();
  HWND previous = s.capture;
  if (liveWindow(hwnd) == nullptr) {
    return previous;
  }
  // Window systems already route the pointer to us while a button is held (the implicit
  // grab), so capture is bookkeeping; an explicit X grab would fail with AlreadyGrabbed.
  s.capture = hwnd;
  if (previous != nullptr && previous != hwnd) {
    sendMessage(previous, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
  }
  return previous;
}

BOOL ReleaseCapture(void) {
  winx::State& s = state();
  HWND previous = s.capture;
  s.capture = nullptr;
  if (previous != nullptr) {
    sendMessage(previous, WM_CAPTURECHANGED, 0, 0);
  }
  return TRUE;
}

BOOL IsIconic(HWND hwnd) {
  HWND__* w = liveWindow(hwnd);
  return w != nullptr && w->iconic;
}

HWND GetCapture(void) {
  return liveWindow(state().capture);
}
