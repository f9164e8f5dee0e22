// Window classes and windows: creation, showing, sizing, painting, timers and capture.
#include <strings.h>
#include <unistd.h>

#include <X11/Xatom.h>

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

// Win32 screen coordinates start at the primary monitor's top-left corner.
int rootX(int x) {
  return state().primary.x + x;
}
int rootY(int y) {
  return state().primary.y + y;
}

// A fixed size (min = max) at an exact position: Win32 windows go where they are told.
void setSizeHints(HWND__* w) {
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = USPosition | PPosition | USSize | PSize | PMinSize | PMaxSize | PWinGravity;
  hints->x = rootX(w->x);
  hints->y = rootY(w->y);
  hints->width = hints->min_width = hints->max_width = xExtent(w->width);
  hints->height = hints->min_height = hints->max_height = xExtent(w->height);
  hints->win_gravity = NorthWestGravity;
  XSetWMNormalHints(display(), w->xwin, hints);
  XFree(hints);
}

// A fixed-size window offers neither resizing nor maximising (Motif hints, which window
// managers honour for fixed-size dialogs): flags, functions, decorations, input mode, status.
void setNoResizeHints(Window xwin) {
  enum { functions = 1, decorations = 2 };
  enum { funcMove = 4, funcMinimize = 8, funcClose = 32 };
  enum { decorBorder = 2, decorTitle = 8, decorMenu = 16, decorMinimize = 32 };
  const long hints[5] = {functions | decorations, funcMove | funcMinimize | funcClose,
                         decorBorder | decorTitle | decorMenu | decorMinimize, 0, 0};
  const Atom atom = state().motifWmHints;
  XChangeProperty(display(), xwin, atom, atom, 32, PropModeReplace, (const unsigned char*)hints, 5);
}

}  // namespace

void setDesktopProperties(Window xwin, const std::string& title, bool dialog) {
  State& s = state();
  Display* d = display();
  // WM_NAME, WM_ICON_NAME, WM_CLIENT_MACHINE, WM_CLASS and WM_HINTS in one call, as Xlib has it.
  XTextProperty name = {};
  char* text = const_cast<char*>(title.c_str());
  XStringListToTextProperty(&text, 1, &name);
  XWMHints* hints = XAllocWMHints();
  hints->flags = InputHint | StateHint;
  hints->input = True;  // we take the keyboard when the window manager gives it
  hints->initial_state = NormalState;
  XClassHint* cls = XAllocClassHint();
  cls->res_name = const_cast<char*>("bowlview");
  cls->res_class = const_cast<char*>("bowlview");
  XSetWMProperties(d, xwin, &name, &name, nullptr, 0, nullptr, hints, cls);
  XFree(cls);
  XFree(hints);
  XFree(name.value);
  // ANSI text; the same bytes are valid UTF-8 for ASCII titles.
  XChangeProperty(d, xwin, s.netWmName, s.utf8String, 8, PropModeReplace,
                  (const unsigned char*)title.data(), (int)title.size());
  const long pid = (long)getpid();
  XChangeProperty(d, xwin, s.netWmPid, XA_CARDINAL, 32, PropModeReplace, (const unsigned char*)&pid,
                  1);
  if (dialog) {
    XChangeProperty(d, xwin, s.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)&s.netWmWindowTypeDialog, 1);
  }
  setNoResizeHints(xwin);
}

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

HWND__* windowFromX(Window xwin) {
  for (const auto& w : state().windows) {
    if (!w->destroyed && w->xwin == xwin && xwin != 0) {
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

bool createXWindow(HWND__* w, Visual* visual, int depth) {
  State& s = state();
  Display* d = display();
  const Window root = RootWindow(d, s.screen);
  if (w->xwin != 0) {
    // The visual of an X window is fixed at creation; a new one needs a new window.
    XDestroyWindow(d, w->xwin);
    if (w->colormap != 0) {
      XFreeColormap(d, w->colormap);
    }
    w->xwin = 0;
    w->colormap = 0;
  }
  XSetWindowAttributes attrs = {};
  attrs.colormap = XCreateColormap(d, root, visual, AllocNone);
  attrs.background_pixmap = None;  // no class brush: nothing erases the client area
  attrs.border_pixel = 0;
  attrs.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask | FocusChangeMask |
                     LeaveWindowMask | PropertyChangeMask;
  trapErrors();
  const Window xwin =
      XCreateWindow(d, root, rootX(w->x), rootY(w->y), (unsigned)xExtent(w->width),
                    (unsigned)xExtent(w->height), 0, depth, InputOutput, visual,
                    CWColormap | CWBackPixmap | CWBorderPixel | CWEventMask, &attrs);
  if (untrapErrors() != 0) {
    XFreeColormap(d, attrs.colormap);
    return false;
  }
  w->xwin = xwin;
  w->colormap = attrs.colormap;
  setSizeHints(w);
  setDesktopProperties(xwin, w->title, false);
  Atom protocols[] = {s.wmDeleteWindow};
  XSetWMProtocols(d, xwin, protocols, 1);
  if (w->visible) {
    XMapRaised(d, xwin);
  }
  return true;
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
  w->title = title ? title : "";
  w->x = x;
  w->y = y;
  w->width = width > 0 ? width : 0;  // Win32 makes a window of no size, not none
  w->height = height > 0 ? height : 0;
  w->xwin = 0;
  w->colormap = 0;
  w->pixelFormat = 0;
  w->visible = w->iconic = w->shownOnce = w->needsPaint = w->destroyed = false;
  w->refusedWidth = w->refusedHeight = 0;
  w->dc = HDC__{w, nullptr};
  state().windows.push_back(std::move(owned));

  // The X window waits for the pixel format, which fixes its visual (see SetPixelFormat).
  if (!sendMessage(w, WM_NCCREATE, 0, 0)) {
    DestroyWindow(w);
    return nullptr;
  }
  if (sendMessage(w, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  return liveWindow(w);
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  HWND__* w = liveWindow(hwnd);
  if (w == nullptr) {
    return FALSE;
  }
  Display* d = winx::display();
  const BOOL wasVisible = w->visible;
  if (cmdShow == SW_HIDE) {
    if (w->xwin != 0) {
      XUnmapWindow(d, w->xwin);
    }
    w->visible = false;
    return wasVisible;
  }
  if (w->xwin == 0 &&
      !winx::createXWindow(w, DefaultVisual(d, state().screen), DefaultDepth(d, state().screen))) {
    return wasVisible;
  }
  w->visible = true;
  XMapRaised(d, w->xwin);
  XFlush(d);
  sendMessage(w, WM_SHOWWINDOW, TRUE, 0);
  if (!w->shownOnce) {
    w->shownOnce = true;
    sendMessage(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width, w->height));
  }
  w->needsPaint = true;
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
  if (w->xwin != 0) {
    Display* d = winx::display();
    XDestroyWindow(d, w->xwin);
    if (w->colormap != 0) {
      XFreeColormap(d, w->colormap);
    }
    XFlush(d);
    w->xwin = 0;
    w->colormap = 0;
  }
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
  Display* d = w->xwin ? winx::display() : nullptr;
  if (!(flags & SWP_NOMOVE)) {
    w->x = x;
    w->y = y;
    if (d) {
      XMoveWindow(d, w->xwin, winx::rootX(x), winx::rootY(y));
    }
  }
  if (!(flags & SWP_NOZORDER) && insertAfter == HWND_TOP && d) {
    XRaiseWindow(d, w->xwin);
  }
  const bool resize = !(flags & SWP_NOSIZE) && cx > 0 && cy > 0 && !w->iconic &&
                      (cx != w->width || cy != w->height);
  if (resize && d != nullptr) {
    // The X window changes size when the server says so (ConfigureNotify), and a size the
    // window manager imposed is asked back from once only: if it insists, it wins.
    if (w->width == w->refusedWidth && w->height == w->refusedHeight) {
      return TRUE;
    }
    w->refusedWidth = w->width;
    w->refusedHeight = w->height;
    XResizeWindow(d, w->xwin, (unsigned)cx, (unsigned)cy);
  } else if (resize) {
    w->width = cx;
    w->height = cy;
    sendMessage(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cx, cy));  // may re-enter SetWindowPos
  }
  if (d) {
    XFlush(d);
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
  // X already routes the pointer to us while a button is held (the implicit grab), so
  // capture is bookkeeping; an explicit grab would fail with AlreadyGrabbed.
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
