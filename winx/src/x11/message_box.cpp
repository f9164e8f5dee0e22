// MessageBoxA on X: a small modal Xlib dialog with the text, an OK button and, for errors, a
// mark, laid out by the core. Text is anti-aliased (Xft, fontconfig's default sans) at the
// desktop's DPI; the core "fixed" font serves where Xft can open no font.
#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xresource.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "box_layout.h"
#include "x11_state.h"

namespace winx::x11 {

namespace {

// The box's text face: Xft where it opens, else the core font.
struct Font {
  XftFont* xft;
  XFontStruct* core;
  int ascent, descent;
};

struct Box : BoxLayout {
  Display* d;
  Window win;
  GC gc;
  XftDraw* draw;
  XftColor black;
  Font font;
  unsigned long background, buttonFace, red;
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

Font openFont(Display* d, double dpi) {
  Font f = {};
  f.xft = XftFontOpen(d, DefaultScreen(d), XFT_FAMILY, XftTypeString, "sans-serif", XFT_SIZE,
                      XftTypeDouble, 10.0, XFT_DPI, XftTypeDouble, dpi, XFT_ANTIALIAS, XftTypeBool,
                      True, nullptr);
  if (f.xft != nullptr) {
    f.ascent = f.xft->ascent;
    f.descent = f.xft->descent;
  } else if ((f.core = XLoadQueryFont(d, "fixed")) != nullptr) {
    f.ascent = f.core->ascent;
    f.descent = f.core->descent;
  }
  return f;
}

void closeFont(Display* d, const Font& f) {
  if (f.xft) XftFontClose(d, f.xft);
  if (f.core) XFreeFont(d, f.core);
}

int textWidth(const Box& b, const std::string& s) {
  if (b.font.core) return XTextWidth(b.font.core, s.data(), (int)s.size());
  XGlyphInfo extents;
  XftTextExtents8(b.d, b.font.xft, (const FcChar8*)s.data(), (int)s.size(), &extents);
  return extents.xOff;
}

void drawText(const Box& b, int x, int y, const std::string& s) {
  if (b.font.core) {
    XSetForeground(b.d, b.gc, BlackPixel(b.d, DefaultScreen(b.d)));
    XDrawString(b.d, b.win, b.gc, x, y, s.data(), (int)s.size());
  } else {
    // ANSI text: each byte a Latin-1 character.
    XftDrawString8(b.draw, &b.black, b.font.xft, x, y, (const FcChar8*)s.data(), (int)s.size());
  }
}

unsigned long colour(Display* d, unsigned short r, unsigned short g, unsigned short b,
                     unsigned long fallback) {
  XColor c = {};
  c.red = r;
  c.green = g;
  c.blue = b;
  return XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &c) ? c.pixel : fallback;
}

// The core's layout, measured in the box's font.
void layout(Box& b) {
  b.ascent = b.font.ascent;
  b.descent = b.font.descent;
  layOut(b, [&b](const std::string& s) { return textWidth(b, s); });
}

// A box never exceeds its monitor: at a DPI too high for it (or a nonsense one), the text is
// made smaller until the box fits, though never below the size it has at 96 DPI.
void fitMonitor(Box& b) {
  const XRectangle& m = state().primary;
  for (int tries = 0; tries < 4 && b.scale > 1.0; ++tries) {
    const double fit = std::min(0.9 * m.width / b.width, 0.9 * m.height / b.height);
    if (fit >= 1.0) {
      return;
    }
    const double scale = std::max(1.0, b.scale * fit);
    const Font smaller = openFont(b.d, 96.0 * scale);
    if (smaller.xft == nullptr && smaller.core == nullptr) {
      return;
    }
    closeFont(b.d, b.font);
    b.font = smaller;
    b.scale = scale;
    layout(b);
  }
}

void draw(const Box& b) {
  XSetForeground(b.d, b.gc, b.background);
  XFillRectangle(b.d, b.win, b.gc, 0, 0, (unsigned)b.width, (unsigned)b.height);
  if (b.errorIcon) {
    const int m = b.margin, lo = m + b.iconSize * 5 / 16, hi = m + b.iconSize * 11 / 16;
    XSetForeground(b.d, b.gc, b.red);
    XFillArc(b.d, b.win, b.gc, m, m, (unsigned)b.iconSize, (unsigned)b.iconSize, 0, 360 * 64);
    XSetForeground(b.d, b.gc, WhitePixel(b.d, DefaultScreen(b.d)));
    XSetLineAttributes(b.d, b.gc, (unsigned)(3 * b.scale), LineSolid, CapRound, JoinRound);
    XDrawLine(b.d, b.win, b.gc, lo, lo, hi, hi);
    XDrawLine(b.d, b.win, b.gc, lo, hi, hi, lo);
    XSetLineAttributes(b.d, b.gc, 1, LineSolid, CapButt, JoinMiter);
  }
  int y = b.margin + b.font.ascent;
  for (const std::string& l : b.lines) {
    drawText(b, b.textX, y, l);
    y += lineHeight(b);
  }
  const auto& r = b.button;
  XSetForeground(b.d, b.gc, b.buttonFace);
  XFillRectangle(b.d, b.win, b.gc, r.x, r.y, r.width, r.height);
  XSetForeground(b.d, b.gc, BlackPixel(b.d, DefaultScreen(b.d)));
  XDrawRectangle(b.d, b.win, b.gc, r.x, r.y, r.width - 1, r.height - 1);
  drawText(b, r.x + (r.width - textWidth(b, "OK")) / 2,
           r.y + (r.height + b.font.ascent - b.font.descent) / 2, "OK");
}

// True once the event dismisses the box.
bool handleBoxEvent(Box& b, XEvent& e) {
  switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) draw(b);
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
      b.buttonHeld = e.xbutton.button == Button1 && onButton(b, e.xbutton.x, e.xbutton.y);
      return false;
    case ButtonRelease:
      return b.buttonHeld && e.xbutton.button == Button1 && onButton(b, e.xbutton.x, e.xbutton.y);
    case ClientMessage:
      return isCloseRequest(e.xclient);  // closing it counts as OK
    default:
      return false;
  }
}

void setHints(Box& b, HWND__* owner, const char* caption) {
  setDesktopProperties(b.win, caption ? caption : "Error", true);
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PPosition | PMinSize | PMaxSize;
  hints->min_width = hints->max_width = b.width;
  hints->min_height = hints->max_height = b.height;
  XSetWMNormalHints(b.d, b.win, hints);
  XFree(hints);
  if (xwin(owner) != 0) {
    XSetTransientForHint(b.d, b.win, xwin(owner));
  }
  Atom protocols[] = {state().wmDeleteWindow};
  XSetWMProtocols(b.d, b.win, protocols, 1);
}

}  // namespace

int messageBox(HWND__* owner, const char* text, const char* caption, UINT type) {
  Box b = {};
  b.d = display();
  const double dpi = desktopDpi(b.d);
  b.scale = dpi / 96.0;
  b.font = openFont(b.d, dpi);
  if (b.font.xft == nullptr && b.font.core == nullptr) {
    return 0;
  }
  b.lines = splitLines(text);
  b.errorIcon = (type & MB_ICONERROR) != 0;
  layout(b);
  fitMonitor(b);
  const int screen = DefaultScreen(b.d);
  b.background = colour(b.d, 0xe0e0, 0xe0e0, 0xe0e0, WhitePixel(b.d, screen));
  b.buttonFace = colour(b.d, 0xf4f4, 0xf4f4, 0xf4f4, WhitePixel(b.d, screen));
  b.red = colour(b.d, 0xcccc, 0x2222, 0x2222, BlackPixel(b.d, screen));

  // Centred on the primary monitor, where Win32 puts a box without an owner.
  const XRectangle& m = state().primary;
  const int x = m.x + std::max(0, (m.width - b.width) / 2);
  const int y = m.y + std::max(0, (m.height - b.height) / 2);
  b.win = XCreateSimpleWindow(b.d, RootWindow(b.d, screen), x, y, (unsigned)b.width,
                              (unsigned)b.height, 0, 0, b.background);
  XSelectInput(
      b.d, b.win,
      ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
  setHints(b, owner, caption);
  b.gc = XCreateGC(b.d, b.win, 0, nullptr);
  if (b.font.xft) {
    Visual* visual = DefaultVisual(b.d, screen);
    const Colormap cmap = DefaultColormap(b.d, screen);
    b.draw = XftDrawCreate(b.d, b.win, visual, cmap);
    const XRenderColor black = {0, 0, 0, 0xffff};
    XftColorAllocValue(b.d, visual, cmap, &black, &b.black);
  } else {
    XSetFont(b.d, b.gc, b.font.core->fid);
  }
  XMapRaised(b.d, b.win);

  // Modal: serve the box; other windows still learn of exposure and size, never of input.
  for (bool done = false; !done;) {
    XEvent e;
    XNextEvent(b.d, &e);
    if (e.xany.window == b.win) {
      done = handleBoxEvent(b, e);
    } else {
      handleEvent(e, false);
    }
  }

  if (b.draw) {
    XftColorFree(b.d, DefaultVisual(b.d, screen), DefaultColormap(b.d, screen), &b.black);
    XftDrawDestroy(b.draw);
  }
  XFreeGC(b.d, b.gc);
  XDestroyWindow(b.d, b.win);
  closeFont(b.d, b.font);
  XFlush(b.d);
  return IDOK;
}

}  // namespace winx::x11
