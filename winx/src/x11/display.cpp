// The X connection, error handling and the screen.
#include <X11/XKBlib.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include "x11_state.h"

namespace winx::x11 {

namespace {

// Protocol errors from our own requests become failed results, never an abort.
int onXError(Display*, XErrorEvent* e) {
  State& s = state();
  if (s.trapping) {
    s.trappedError = e->error_code;
  } else {
    fprintf(stderr, "winx: X error %d on request %d (ignored)\n", e->error_code, e->request_code);
  }
  return 0;
}

// The server went away: one line and out, promptly. _exit, because exit handlers in the
// GL driver would talk to the dead connection again.
int onXIOError(Display* d) {
  fprintf(stderr, "winx: lost the connection to X display \"%s\"\n", DisplayString(d));
  fflush(stderr);
  _exit(1);
}

Atom intern(Display* d, const char* name) {
  return XInternAtom(d, name, False);
}

// A text property of the root window, empty where there is none.
std::string rootText(Display* d, Window root, const char* name) {
  Atom type;
  int format;
  unsigned long n = 0, left;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(d, root, intern(d, name), 0, 1024, False, AnyPropertyType, &type, &format,
                         &n, &left, &data) == Success &&
      data && format == 8) {
    text.assign((const char*)data, n);
  }
  if (data) XFree(data);
  return text;
}

}  // namespace

bool windowOrigin(HWND__* w, POINT* origin) {
  Window child;
  int x, y;
  if (!XTranslateCoordinates(display(), xwin(w), RootWindow(display(), state().screen), 0, 0, &x,
                             &y, &child)) {
    return false;
  }
  *origin = POINT{x, y};
  return true;
}

XRectangle primaryMonitor(Display* d, int screen) {
  XRectangle r = {0, 0, (unsigned short)DisplayWidth(d, screen),
                  (unsigned short)DisplayHeight(d, screen)};
  int n = 0;
  if (state().randrEvent < 0) return r;
  XRRMonitorInfo* monitors = XRRGetMonitors(d, RootWindow(d, screen), True, &n);
  int pick = 0;
  while (pick < n && !monitors[pick].primary) ++pick;
  if (n > 0) {
    const XRRMonitorInfo& m = monitors[pick < n ? pick : 0];
    r = XRectangle{(short)m.x, (short)m.y, (unsigned short)m.width, (unsigned short)m.height};
  }
  if (monitors) XRRFreeMonitors(monitors);
  return r;
}

bool connect(std::string* why) {
  State& s = state();
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    const char* name = XDisplayName(nullptr);
    if (name == nullptr || *name == '\0') {
      *why = "cannot open X display: DISPLAY is not set";
    } else {
      *why = std::string("cannot open X display \"") + name + "\"";
    }
    return false;
  }
  XSetErrorHandler(onXError);
  XSetIOErrorHandler(onXIOError);
  // A write to a server that has gone would otherwise end the process by SIGPIPE, silently,
  // before Xlib can report the lost connection.
  signal(SIGPIPE, SIG_IGN);
  // Auto-repeat then arrives as presses only, as Win32 reports it.
  XkbSetDetectableAutoRepeat(d, True, nullptr);
  s.display = d;
  s.screen = DefaultScreen(d);
  s.wmProtocols = intern(d, "WM_PROTOCOLS");
  s.wmDeleteWindow = intern(d, "WM_DELETE_WINDOW");
  s.netWmName = intern(d, "_NET_WM_NAME");
  s.utf8String = intern(d, "UTF8_STRING");
  s.netWmWindowType = intern(d, "_NET_WM_WINDOW_TYPE");
  s.netWmWindowTypeDialog = intern(d, "_NET_WM_WINDOW_TYPE_DIALOG");
  s.netWmPid = intern(d, "_NET_WM_PID");
  s.motifWmHints = intern(d, "_MOTIF_WM_HINTS");
  s.wmState = intern(d, "WM_STATE");
  s.netWmIcon = intern(d, "_NET_WM_ICON");
  s.netWmPing = intern(d, "_NET_WM_PING");
  // The monitors as they change: a new mode, a rotation, another primary.
  int event, error, major = 0, minor = 0;
  if (XRRQueryExtension(d, &event, &error) && XRRQueryVersion(d, &major, &minor) &&
      major * 100 + minor >= 105) {
    s.randrEvent = event;
    XRRSelectInput(d, RootWindow(d, s.screen), RRScreenChangeNotifyMask);
  }
  s.primary = primaryMonitor(d, s.screen);
  offerAccessibilityBus(rootText(d, RootWindow(d, s.screen), "AT_SPI_BUS"));
  return true;
}

State& state() {
  static State s;
  return s;
}

void screenSize(int* width, int* height) {
  *width = state().primary.width;
  *height = state().primary.height;
}

void trapErrors() {
  State& s = state();
  XSync(display(), False);
  s.trappedError = 0;
  s.trapping = true;
}

int untrapErrors() {
  State& s = state();
  XSync(display(), False);
  s.trapping = false;
  return s.trappedError;
}

}  // namespace winx::x11
