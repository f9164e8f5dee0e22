// MessageBoxA on X: a small modal Xlib dialog showing the picture the core draws (the text, an
// OK button and, for errors, a mark) at the desktop's DPI.
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "box_picture.h"
#include "x11_state.h"

namespace winx::x11 {

namespace {

struct Box {
  Display* d;
  Window win;
  GC gc;
  XImage* image;
  BoxPicture picture;
  bool buttonHeld;
};

// The desktop's DPI: the Xft.dpi resource, as desktops publish it; 96 where none is set.
double desktopDpi(Display* d) {
  double dpi = 96.0;
  const char* resources = XResourceManagerString(d);
  if (resources == nullptr) {
    return dpi;
  }
  XrmInitialize();
  XrmDatabase db = XrmGetStringDatabase(resources);
  char* type = nullptr;
  XrmValue value = {};
  if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    const double v = std::atof(value.addr);
    if (v >= 48.0 && v <= 960.0) dpi = v;  // ignore nonsense rather than draw nonsense
  }
  XrmDestroyDatabase(db);
  return dpi;
}

// The picture in the default visual's pixel layout, whatever its masks.
XImage* toImage(Display* d, const BoxPicture& p) {
  const int screen = DefaultScreen(d);
  Visual* visual = DefaultVisual(d, screen);
  XImage* image = XCreateImage(d, visual, (unsigned)DefaultDepth(d, screen), ZPixmap, 0, nullptr,
                               (unsigned)p.width, (unsigned)p.height, 32, 0);
  if (image == nullptr) return nullptr;
  image->data = static_cast<char*>(malloc((size_t)image->bytes_per_line * p.height));
  auto channel = [](uint32_t argb, int shift, unsigned long mask) {
    const unsigned long v = (argb >> shift) & 0xff;
    int low = 0;
    while (mask && !(mask & 1)) mask >>= 1, ++low;
    return ((v * mask + 127) / 255) << low;
  };
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const uint32_t c = p.pixels[(size_t)y * p.width + x];
      XPutPixel(image, x, y,
                channel(c, 16, visual->red_mask) | channel(c, 8, visual->green_mask) |
                    channel(c, 0, visual->blue_mask));
    }
  }
  return image;
}

// True once the event dismisses the box.
bool handleBoxEvent(Box& b, XEvent& e) {
  switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) {
        XPutImage(b.d, b.win, b.gc, b.image, 0, 0, 0, 0, (unsigned)b.picture.width,
                  (unsigned)b.picture.height);
      }
      return false;
    case MapNotify:
      // Without a window manager nobody gives the box the keyboard; take it.
      trapErrors();
      XSetInputFocus(b.d, b.win, RevertToPointerRoot, CurrentTime);
      untrapErrors();
      return false;
    case KeyPress: {
      const KeySym k = XLookupKeysym(&e.xkey, 0);
      return k == XK_Return || k == XK_KP_Enter || k == XK_Escape || k == XK_space;
    }
    case ButtonPress:
      b.buttonHeld = e.xbutton.button == Button1 && onButton(b.picture, e.xbutton.x, e.xbutton.y);
      return false;
    case ButtonRelease:
      return b.buttonHeld && e.xbutton.button == Button1 &&
             onButton(b.picture, e.xbutton.x, e.xbutton.y);
    case ClientMessage:
      return !answerPing(e.xclient) && isCloseRequest(e.xclient);  // closing it counts as OK
    default:
      return false;
  }
}

void setHints(Box& b, HWND__* owner, const char* caption) {
  setDesktopProperties(b.win, caption ? caption : "Error", true);
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PPosition | PMinSize | PMaxSize;
  hints->min_width = hints->max_width = b.picture.width;
  hints->min_height = hints->max_height = b.picture.height;
  XSetWMNormalHints(b.d, b.win, hints);
  XFree(hints);
  if (xwin(owner) != 0) {
    XSetTransientForHint(b.d, b.win, xwin(owner));
  }
  setProtocols(b.win);
  XDefineCursor(b.d, b.win, xCursor(arrowCursor()));
}

}  // namespace

int messageBox(HWND__* owner, const char* text, const char* caption, UINT type) {
  Box b = {};
  b.d = display();
  const XRectangle& m = state().primary;
  if (!drawBox(text, (type & MB_ICONERROR) != 0, desktopDpi(b.d) / 96.0, m.width, m.height,
               &b.picture) ||
      (b.image = toImage(b.d, b.picture)) == nullptr) {
    return 0;
  }
  const int width = b.picture.width, height = b.picture.height;

  // Centred on the primary monitor, where Win32 puts a box without an owner.
  const int screen = DefaultScreen(b.d);
  const int x = m.x + std::max(0, (m.width - width) / 2);
  const int y = m.y + std::max(0, (m.height - height) / 2);
  b.win = XCreateSimpleWindow(b.d, RootWindow(b.d, screen), x, y, (unsigned)width, (unsigned)height,
                              0, 0, WhitePixel(b.d, screen));
  XSelectInput(
      b.d, b.win,
      ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
  setHints(b, owner, caption);
  b.gc = XCreateGC(b.d, b.win, 0, nullptr);
  XMapRaised(b.d, b.win);

  // Modal: serve the box; other windows still learn of exposure and size, never of input.
  // Its OK may be pressed from the accessibility bus too, which the wait serves.
  for (bool done = false; !done;) {
    while (!done && XPending(b.d) > 0) {
      XEvent e;
      XNextEvent(b.d, &e);
      if (e.xany.window == b.win) {
        done = handleBoxEvent(b, e);
      } else {
        handleEvent(e, false);
      }
    }
    done = done || boxPressedElsewhere();
    if (!done && !waitForEvents(-1)) break;
  }

  XDestroyImage(b.image);
  XFreeGC(b.d, b.gc);
  XDestroyWindow(b.d, b.win);
  XFlush(b.d);
  return IDOK;
}

}  // namespace winx::x11
