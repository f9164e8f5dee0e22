// X windows for Win32 windows: creation with a visual, hints for the window manager, showing,
// placing and sizing.
#include <unistd.h>

#include <X11/Xatom.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "x11_state.h"

namespace winx::x11 {

namespace {

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
  XSetWMNormalHints(display(), xwin(w), hints);
  XFree(hints);
}

// A fixed-size window offers neither resizing nor maximising (Motif hints, which window
// managers honour for fixed-size dialogs): flags, functions, decorations, input mode, status.
void setNoResizeHints(Window id) {
  enum { functions = 1, decorations = 2 };
  enum { funcMove = 4, funcMinimize = 8, funcClose = 32 };
  enum { decorBorder = 2, decorTitle = 8, decorMenu = 16, decorMinimize = 32 };
  const long hints[5] = {functions | decorations, funcMove | funcMinimize | funcClose,
                         decorBorder | decorTitle | decorMenu | decorMinimize, 0, 0};
  const Atom atom = state().motifWmHints;
  XChangeProperty(display(), id, atom, atom, 32, PropModeReplace, (const unsigned char*)hints, 5);
}

// The X window and its colormap go; the HWND keeps its data for a new one.
void destroyXWindow(NativeWindow* n) {
  XDestroyWindow(display(), n->id);
  if (n->colormap != 0) {
    XFreeColormap(display(), n->colormap);
  }
  n->id = 0;
  n->colormap = 0;
}

// Creates (or re-creates) the X window with the given visual.
bool createXWindow(HWND__* w, Visual* visual, int depth) {
  State& s = state();
  Display* d = display();
  const Window root = RootWindow(d, s.screen);
  if (w->native == nullptr) {
    w->native = new NativeWindow{0, 0};
  }
  NativeWindow* n = static_cast<NativeWindow*>(w->native);
  if (n->id != 0) {
    // The visual of an X window is fixed at creation; a new one needs a new window.
    destroyXWindow(n);
  }
  XSetWindowAttributes attrs = {};
  attrs.colormap = XCreateColormap(d, root, visual, AllocNone);
  attrs.background_pixmap = None;  // no class brush: nothing erases the client area
  attrs.border_pixel = 0;
  attrs.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask | FocusChangeMask |
                     LeaveWindowMask | PropertyChangeMask;
  trapErrors();
  const Window id = XCreateWindow(d, root, rootX(w->x), rootY(w->y), (unsigned)xExtent(w->width),
                                  (unsigned)xExtent(w->height), 0, depth, InputOutput, visual,
                                  CWColormap | CWBackPixmap | CWBorderPixel | CWEventMask, &attrs);
  if (untrapErrors() != 0) {
    XFreeColormap(d, attrs.colormap);
    delete n;
    w->native = nullptr;
    return false;
  }
  n->id = id;
  n->colormap = attrs.colormap;
  setSizeHints(w);
  setDesktopProperties(id, w->title, false);
  setProtocols(id);
  XDefineCursor(d, id, s.cursor);
  if (w->visible) {
    XMapRaised(d, id);
  }
  return true;
}

}  // namespace

void setDesktopProperties(Window id, const std::string& title, bool dialog) {
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
  XSetWMProperties(d, id, &name, &name, nullptr, 0, nullptr, hints, cls);
  XFree(cls);
  XFree(hints);
  XFree(name.value);
  // ANSI text; the same bytes are valid UTF-8 for ASCII titles.
  XChangeProperty(d, id, s.netWmName, s.utf8String, 8, PropModeReplace,
                  (const unsigned char*)title.data(), (int)title.size());
  const long pid = (long)getpid();
  XChangeProperty(d, id, s.netWmPid, XA_CARDINAL, 32, PropModeReplace, (const unsigned char*)&pid,
                  1);
  if (dialog) {
    XChangeProperty(d, id, s.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    (const unsigned char*)&s.netWmWindowTypeDialog, 1);
  }
  setNoResizeHints(id);
  // Xlib takes 32-bit items as longs.
  static const std::vector<long> icon(programIcon, programIcon + programIconSize);
  XChangeProperty(d, id, s.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  (const unsigned char*)icon.data(), (int)icon.size());
}

void setProtocols(Window id) {
  State& s = state();
  Atom protocols[] = {s.wmDeleteWindow, s.netWmPing};
  XSetWMProtocols(display(), id, protocols, 2);
}

bool createWindow(HWND__* w, int pixelFormat) {
  Display* d = display();
  if (pixelFormat == 0) {
    return createXWindow(w, DefaultVisual(d, state().screen), DefaultDepth(d, state().screen));
  }
  XVisualInfo* vi = glXGetVisualFromFBConfig(d, state().configs[(size_t)pixelFormat - 1]);
  if (vi == nullptr) {
    return false;
  }
  const bool created = createXWindow(w, vi->visual, vi->depth);
  XFree(vi);
  return created;
}

void destroyWindow(HWND__* w) {
  NativeWindow* n = static_cast<NativeWindow*>(w->native);
  destroyXWindow(n);
  XFlush(display());
  delete n;
  w->native = nullptr;
}

void showWindow(HWND__* w, bool show) {
  if (show) {
    XMapRaised(display(), xwin(w));
  } else {
    XUnmapWindow(display(), xwin(w));
  }
  XFlush(display());
}

void moveWindow(HWND__* w) {
  XMoveWindow(display(), xwin(w), rootX(w->x), rootY(w->y));
  XFlush(display());
}

void resizeWindow(HWND__* w, int width, int height) {
  XResizeWindow(display(), xwin(w), (unsigned)width, (unsigned)height);
  XFlush(display());
}

void raiseWindow(HWND__* w) {
  XRaiseWindow(display(), xwin(w));
  XFlush(display());
}

}  // namespace winx::x11
