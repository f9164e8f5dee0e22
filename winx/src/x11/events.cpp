// X events into Win32 messages: input, exposure, size changes, close requests, lost grabs.
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include "keys.h"
#include "x11_state.h"

namespace winx::x11 {

namespace {

WPARAM mouseKeyState(unsigned int xstate) {
  WPARAM mk = 0;
  if (xstate & Button1Mask) mk |= MK_LBUTTON;
  if (xstate & Button2Mask) mk |= MK_MBUTTON;
  if (xstate & Button3Mask) mk |= MK_RBUTTON;
  if (xstate & ShiftMask) mk |= MK_SHIFT;
  if (xstate & ControlMask) mk |= MK_CONTROL;
  return mk;
}

// X's state field holds the buttons before the event; Win32 reports them after it.
WPARAM buttonsAfter(const XButtonEvent& b, bool pressed) {
  const unsigned int masks[] = {0, Button1Mask, Button2Mask, Button3Mask};
  unsigned int s = b.state;
  if (b.button >= 1 && b.button <= 3) {
    s = pressed ? (s | masks[b.button]) : (s & ~masks[b.button]);
  }
  return mouseKeyState(s);
}

LPARAM pointParam(int x, int y) {
  return MAKELPARAM((WORD)(short)x, (WORD)(short)y);
}

void post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int rootX, int rootY,
          const std::string& chars = std::string()) {
  postInput(hwnd, message, wParam, lParam, POINT{rootX, rootY}, chars);
}

void onButton(HWND__* w, const XButtonEvent& b, bool pressed) {
  static const UINT down[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  static const UINT up[] = {0, WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
  if (b.button < 1 || b.button > 3) {
    return;  // wheel and extra buttons: the layer has no messages for them
  }
  post(w, pressed ? down[b.button] : up[b.button], buttonsAfter(b, pressed), pointParam(b.x, b.y),
       b.x_root, b.y_root);
}

void onKey(HWND__* w, XKeyEvent k, bool pressed) {
  char text[16];
  KeySym keysym = NoSymbol;
  // With Ctrl, Windows types what its own table says (Ctrl+3 nothing, where X gives Esc).
  const bool control = (k.state & ControlMask) != 0;
  k.state &= ~(unsigned)ControlMask;
  const int n = XLookupString(&k, text, sizeof text, &keysym, nullptr);
  const UINT vk = virtualKeyFromKeysym(keysym);
  std::string chars;
  if (pressed) {
    chars = control ? controlCharacters(keysym, text, n) : charactersFromLookup(text, n);
  }
  if (vk == 0 && chars.empty()) {
    return;
  }
  LPARAM lParam = 1 | ((LPARAM)((k.keycode - 8) & 0xff) << 16);
  if (!pressed) {
    lParam |= (LPARAM)3 << 30;  // previous state down, transition up
  }
  post(w, pressed ? WM_KEYDOWN : WM_KEYUP, vk, lParam, k.x_root, k.y_root, chars);
}

// The X window of an empty Win32 window is as small as X allows (xExtent): that is no news.
void onConfigure(HWND__* w, const XConfigureEvent& c) {
  if (c.width != xExtent(w->width) || c.height != xExtent(w->height)) {
    resized(w, c.width, c.height);
  }
}

// ICCCM's WM_STATE as a window manager last wrote it. It may be stale (the manager died) or
// forged (any client can write it), so it only counts where the server agrees.
bool markedIconic(HWND__* w) {
  Atom type;
  int format;
  unsigned long n = 0, left;
  unsigned char* data = nullptr;
  const Atom wmState = state().wmState;
  const bool iconic = XGetWindowProperty(display(), xwin(w), wmState, 0, 2, False, wmState, &type,
                                         &format, &n, &left, &data) == Success &&
                      data && n >= 1 && format == 32 && ((long*)data)[0] == IconicState;
  if (data) XFree(data);
  return iconic;
}

// Whether the server shows the window: mapped, and every ancestor mapped.
bool viewable(HWND__* w) {
  XWindowAttributes a = {};
  return XGetWindowAttributes(display(), xwin(w), &a) && a.map_state == IsViewable;
}

// A manager that minimises by hiding only its frame says so with WM_STATE alone; a manager
// that dies leaves WM_STATE as it was while the server maps the window again.
void onWmStateChanged(HWND__* w) {
  const bool shown = viewable(w);
  if (!shown && markedIconic(w)) {
    setIconic(w, true);
  } else if (shown) {
    setIconic(w, false);
  }
}

// Events that report what happened to the window itself: from another client (XSendEvent)
// they are claims, not facts, and change nothing.
bool isStateEvent(int type) {
  return type == UnmapNotify || type == MapNotify || type == ConfigureNotify || type == FocusOut ||
         type == LeaveNotify;
}

}  // namespace

bool isCloseRequest(const XClientMessageEvent& c) {
  return c.message_type == state().wmProtocols && c.format == 32 &&
         (Atom)c.data.l[0] == state().wmDeleteWindow;
}

bool answerPing(const XClientMessageEvent& c) {
  State& s = state();
  if (c.message_type != s.wmProtocols || c.format != 32 || (Atom)c.data.l[0] != s.netWmPing) {
    return false;
  }
  // Back to the root, as EWMH has it: the manager reads the timestamp and window it sent.
  XClientMessageEvent reply = c;
  const Window root = RootWindow(display(), s.screen);
  reply.window = root;
  XSendEvent(display(), root, False, SubstructureNotifyMask | SubstructureRedirectMask,
             (XEvent*)&reply);
  XFlush(display());
  return true;
}

HWND__* windowFromX(Window id) {
  return id ? findWindow([id](const HWND__& w) { return xwin(&w) == id; }) : nullptr;
}

// The monitors changed (RandR): the screen is the primary monitor as it is now, and where its
// size changed Win32 tells every top-level window. Forged ones are ignored, as state events.
void onScreenChange(const XEvent& e) {
  State& s = state();
  if (e.xany.send_event) return;
  XRRUpdateConfiguration(const_cast<XEvent*>(&e));
  const XRectangle was = s.primary;
  s.primary = primaryMonitor(display(), s.screen);
  if (s.primary.width != was.width || s.primary.height != was.height) {
    displayChanged(s.primary.width, s.primary.height);
  }
}

void handleEvent(const XEvent& e, bool inputAllowed) {
  if (state().randrEvent >= 0 && e.type == state().randrEvent + RRScreenChangeNotify) {
    return onScreenChange(e);
  }
  HWND__* w = windowFromX(e.xany.window);
  if (w == nullptr || (e.xany.send_event && isStateEvent(e.type))) {
    return;
  }
  switch (e.type) {
    case Expose:
      w->needsPaint = true;
      break;
    case ConfigureNotify:
      onConfigure(w, e.xconfigure);
      break;
    case UnmapNotify:
      loseCapture(w);
      setIconic(w, true);
      break;
    case MapNotify:
      setIconic(w, false);  // mapped by the server: shown, whatever WM_STATE still says
      break;
    case PropertyNotify:
      if (e.xproperty.atom == state().wmState) onWmStateChanged(w);
      break;
    case FocusIn:
      if (e.xfocus.mode != NotifyUngrab) setActive(w, true);
      break;
    case FocusOut:
      // Another client grabbed the keyboard (a window switcher, say).
      if (e.xfocus.mode == NotifyGrab) {
        loseCapture(w);
      } else if (e.xfocus.detail != NotifyInferior) {
        setActive(w, false);
      }
      break;
    case LeaveNotify:
      // Another client grabbed the pointer away from us.
      if (e.xcrossing.mode == NotifyGrab) {
        loseCapture(w);
      }
      break;
    case ClientMessage:
      if (isCloseRequest(e.xclient)) {
        post(w, WM_CLOSE, 0, 0, 0, 0);
      } else {
        answerPing(e.xclient);
      }
      break;
    case ButtonPress:
    case ButtonRelease:
      if (inputAllowed) {
        onButton(w, e.xbutton, e.type == ButtonPress);
      }
      break;
    case MotionNotify:
      if (inputAllowed) {
        post(w, WM_MOUSEMOVE, mouseKeyState(e.xmotion.state), pointParam(e.xmotion.x, e.xmotion.y),
             e.xmotion.x_root, e.xmotion.y_root);
      }
      break;
    case KeyPress:
    case KeyRelease:
      if (inputAllowed) {
        onKey(w, e.xkey, e.type == KeyPress);
      }
      break;
    default:
      break;
  }
}

void pumpEvents(bool inputAllowed) {
  Display* d = display();
  // One read from the socket, then only what it brought: a steady stream of motion
  // cannot keep us here.
  XPending(d);
  while (QLength(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
    handleEvent(e, inputAllowed);
  }
}

bool waitForEvents(int timeoutMs) {
  Display* d = display();
  XFlush(d);
  // Xlib may hold events already read from the socket; poll would not see them.
  if (QLength(d) > 0) {
    return true;
  }
  pollfd pfd = {};
  pfd.fd = ConnectionNumber(d);
  pfd.events = POLLIN;
  return pollWithOthers(&pfd, timeoutMs) >= 0;
}

}  // namespace winx::x11
