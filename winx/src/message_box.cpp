// MessageBoxA: a small modal Xlib dialog with the text, an OK button and, for errors, a mark.
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

#include "winx_state.h"

namespace winx {

namespace {

const int margin = 16;
const int iconSize = 32;
const int buttonWidth = 80;
const int buttonHeight = 26;

struct Box {
  Display* d;
  Window win;
  GC gc;
  XFontStruct* font;
  std::vector<std::string> lines;
  bool errorIcon;
  int width, height;
  int textX;
  XRectangle button;
  unsigned long background, buttonFace, red;
  bool buttonHeld;
};

// Lines of the text; a final line feed ends the last line rather than starting another.
std::vector<std::string> splitLines(const char* text) {
  std::vector<std::string> lines(1);
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '\n') {
      lines.emplace_back();
    } else if (*p != '\r') {
      lines.back().push_back(*p);
    }
  }
  if (lines.size() > 1 && lines.back().empty()) {
    lines.pop_back();
  }
  return lines;
}

unsigned long colour(Display* d, unsigned short r, unsigned short g, unsigned short b,
                     unsigned long fallback) {
  XColor c = {};
  c.red = r;
  c.green = g;
  c.blue = b;
  return XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &c) ? c.pixel : fallback;
}

int lineHeight(const Box& b) {
  return b.font->ascent + b.font->descent + 2;
}

void layout(Box& b) {
  int textWidth = 0;
  for (const std::string& l : b.lines) {
    textWidth = std::max(textWidth, XTextWidth(b.font, l.data(), (int)l.size()));
  }
  const int textHeight = lineHeight(b) * (int)b.lines.size();
  b.textX = margin + (b.errorIcon ? iconSize + margin : 0);
  b.width = std::max(b.textX + textWidth + margin, buttonWidth + 2 * margin);
  const int body = std::max(textHeight, b.errorIcon ? iconSize : 0);
  b.height = margin + body + margin + buttonHeight + margin;
  b.button = XRectangle{(short)((b.width - buttonWidth) / 2),
                        (short)(b.height - margin - buttonHeight), buttonWidth, buttonHeight};
}

void draw(const Box& b) {
  XSetForeground(b.d, b.gc, b.background);
  XFillRectangle(b.d, b.win, b.gc, 0, 0, (unsigned)b.width, (unsigned)b.height);
  if (b.errorIcon) {
    XSetForeground(b.d, b.gc, b.red);
    XFillArc(b.d, b.win, b.gc, margin, margin, iconSize, iconSize, 0, 360 * 64);
    XSetForeground(b.d, b.gc, WhitePixel(b.d, DefaultScreen(b.d)));
    XSetLineAttributes(b.d, b.gc, 3, LineSolid, CapRound, JoinRound);
    const int lo = margin + 10, hi = margin + iconSize - 10;
    XDrawLine(b.d, b.win, b.gc, lo, lo, hi, hi);
    XDrawLine(b.d, b.win, b.gc, lo, hi, hi, lo);
    XSetLineAttributes(b.d, b.gc, 1, LineSolid, CapButt, JoinMiter);
  }
  XSetForeground(b.d, b.gc, BlackPixel(b.d, DefaultScreen(b.d)));
  int y = margin + b.font->ascent;
  for (const std::string& l : b.lines) {
    XDrawString(b.d, b.win, b.gc, b.textX, y, l.data(), (int)l.size());
    y += lineHeight(b);
  }
  const XRectangle& r = b.button;
  XSetForeground(b.d, b.gc, b.buttonFace);
  XFillRectangle(b.d, b.win, b.gc, r.x, r.y, r.width, r.height);
  XSetForeground(b.d, b.gc, BlackPixel(b.d, DefaultScreen(b.d)));
  XDrawRectangle(b.d, b.win, b.gc, r.x, r.y, r.width - 1, r.height - 1);
  const int labelWidth = XTextWidth(b.font, "OK", 2);
  XDrawString(b.d, b.win, b.gc, r.x + (r.width - labelWidth) / 2,
              r.y + (r.height + b.font->ascent - b.font->descent) / 2, "OK", 2);
}

bool onButton(const Box& b, int x, int y) {
  const XRectangle& r = b.button;
  return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
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
      return (Atom)e.xclient.data.l[0] == state().wmDeleteWindow;  // closing it counts as OK
    default:
      return false;
  }
}

void setHints(Box& b, HWND owner, const char* caption) {
  State& s = state();
  const std::string title = caption ? caption : "Error";
  XStoreName(b.d, b.win, title.c_str());
  XChangeProperty(b.d, b.win, s.netWmName, s.utf8String, 8, PropModeReplace,
                  (const unsigned char*)title.data(), (int)title.size());
  Atom dialog = s.netWmWindowTypeDialog;
  XChangeProperty(b.d, b.win, s.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                  (const unsigned char*)&dialog, 1);
  XSizeHints* hints = XAllocSizeHints();
  hints->flags = PPosition | PMinSize | PMaxSize;
  hints->min_width = hints->max_width = b.width;
  hints->min_height = hints->max_height = b.height;
  XSetWMNormalHints(b.d, b.win, hints);
  XFree(hints);
  HWND__* o = liveWindow(owner);
  if (o != nullptr && o->xwin != 0) {
    XSetTransientForHint(b.d, b.win, o->xwin);
  }
  Atom protocols[] = {s.wmDeleteWindow};
  XSetWMProtocols(b.d, b.win, protocols, 1);
}

}  // namespace

}  // namespace winx

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  using namespace winx;
  Box b = {};
  b.d = display();
  b.font = XLoadQueryFont(b.d, "fixed");
  if (b.font == nullptr) {
    return 0;
  }
  b.lines = splitLines(text);
  b.errorIcon = (type & MB_ICONERROR) != 0;
  layout(b);
  const int screen = DefaultScreen(b.d);
  b.background = colour(b.d, 0xe0e0, 0xe0e0, 0xe0e0, WhitePixel(b.d, screen));
  b.buttonFace = colour(b.d, 0xf4f4, 0xf4f4, 0xf4f4, WhitePixel(b.d, screen));
  b.red = colour(b.d, 0xcccc, 0x2222, 0x2222, BlackPixel(b.d, screen));

  const int x = std::max(0, (DisplayWidth(b.d, screen) - b.width) / 2);
  const int y = std::max(0, (DisplayHeight(b.d, screen) - b.height) / 2);
  b.win = XCreateSimpleWindow(b.d, RootWindow(b.d, screen), x, y, (unsigned)b.width,
                              (unsigned)b.height, 0, 0, b.background);
  XSelectInput(
      b.d, b.win,
      ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
  setHints(b, owner, caption);
  b.gc = XCreateGC(b.d, b.win, 0, nullptr);
  XSetFont(b.d, b.gc, b.font->fid);
  XMapRaised(b.d, b.win);

  // Modal: serve the box; other windows still learn of exposure and size, never of input.
  for (bool done = false; !done;) {
    XEvent e;
    XNextEvent(b.d, &e);
    if (e.xany.window == b.win) {
      done = handleBoxEvent(b, e);
    } else {
      handleXEvent(e, false);
    }
  }

  XFreeGC(b.d, b.gc);
  XDestroyWindow(b.d, b.win);
  XFreeFont(b.d, b.font);
  XFlush(b.d);
  return IDOK;
}
