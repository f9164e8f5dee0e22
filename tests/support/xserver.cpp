#include "xserver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/process.h"

Xvfb::Xvfb(const std::string& screen, const std::vector<std::string>& extra) {
  int fds[2];
  if (pipe(fds) != 0) return;
  std::vector<std::string> argv = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                   "-screen",   "0",          screen,
                                   "-nolisten", "tcp",        "-noreset"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  server_ = std::make_unique<Child>(argv, std::vector<std::string>{});
  close(fds[1]);
  std::string digits;
  char c;
  pollfd p = {fds[0], POLLIN, 0};
  while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') digits.push_back(c);
  close(fds[0]);
  if (!digits.empty()) number_ = std::atoi(digits.c_str());
}

Xvfb::~Xvfb() = default;

void Xvfb::kill() {
  server_.reset();
}

// Windows come and go under the tests' feet: a BadWindow is an answer, not a reason to exit.
static int ignoreXErrors(Display*, XErrorEvent*) {
  return 0;
}

XClient::XClient(const std::string& display) {
  XSetErrorHandler(ignoreXErrors);
  d_ = XOpenDisplay(display.c_str());
}

XClient::~XClient() {
  if (d_) XCloseDisplay(d_);
}

WindowInfo XClient::geometry(Window w) {
  XWindowAttributes a = {};
  WindowInfo info{w, "", 0, 0, 0, 0, false};
  if (!XGetWindowAttributes(d_, w, &a)) return info;
  Window child;
  XTranslateCoordinates(d_, w, DefaultRootWindow(d_), 0, 0, &info.x, &info.y, &child);
  info.width = a.width;
  info.height = a.height;
  info.viewable = a.map_state == IsViewable;
  return info;
}

bool XClient::find(Window parent, const std::string& name, WindowInfo* out) {
  Window root, up, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d_, parent, &root, &up, &children, &n)) return false;
  bool found = false;
  for (unsigned int i = 0; i < n && !found; ++i) {
    char* title = nullptr;
    if (XFetchName(d_, children[i], &title) && title) {
      found = name == title;
      XFree(title);
      WindowInfo w = geometry(children[i]);
      found = found && w.viewable;
      if (found && out) *out = w, out->name = name;
    }
    found = found || find(children[i], name, out);
  }
  if (children) XFree(children);
  return found;
}

bool XClient::waitForWindow(const std::string& name, WindowInfo* out, int timeoutMs) {
  return waitUntil([&] { return find(DefaultRootWindow(d_), name, out); }, timeoutMs);
}

Image XClient::grab(int x, int y, int width, int height) {
  Image pic;
  XImage* img = XGetImage(d_, DefaultRootWindow(d_), x, y, (unsigned)width, (unsigned)height,
                          AllPlanes, ZPixmap);
  if (!img) return pic;
  pic.width = width;
  pic.height = height;
  pic.rgb.reserve((size_t)width * height * 3);
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const unsigned long p = XGetPixel(img, i, j);
      pic.rgb.push_back((unsigned char)((p & img->red_mask) >> 16));
      pic.rgb.push_back((unsigned char)((p & img->green_mask) >> 8));
      pic.rgb.push_back((unsigned char)(p & img->blue_mask));
    }
  }
  XDestroyImage(img);
  return pic;
}

std::vector<int> XClient::pixel(int x, int y) {
  const Image p = grab(x, y, 1, 1);
  if (p.rgb.size() < 3) return {};
  return {p.rgb[0], p.rgb[1], p.rgb[2]};
}

void XClient::moveTo(int x, int y) {
  XTestFakeMotionEvent(d_, DefaultScreen(d_), x, y, CurrentTime);
  XSync(d_, False);
}

void XClient::button(int number, bool press) {
  XTestFakeButtonEvent(d_, (unsigned)number, press, CurrentTime);
  XSync(d_, False);
}

void XClient::click(int x, int y) {
  moveTo(x, y);
  button(1, true);
  button(1, false);
}

void XClient::key(unsigned long keysym, bool shift) {
  const KeyCode code = XKeysymToKeycode(d_, keysym);
  const KeyCode shiftCode = XKeysymToKeycode(d_, XK_Shift_L);
  if (shift) XTestFakeKeyEvent(d_, shiftCode, True, CurrentTime);
  XTestFakeKeyEvent(d_, code, True, CurrentTime);
  XTestFakeKeyEvent(d_, code, False, CurrentTime);
  if (shift) XTestFakeKeyEvent(d_, shiftCode, False, CurrentTime);
  XSync(d_, False);
}

void XClient::close(Window w) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(d_, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d_, w, False, NoEventMask, &e);
  XSync(d_, False);
}

void XClient::ewmh(Window w, const char* message, const char* state1, const char* state2) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d_, message, False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = state1 ? 1 : 0;  // _NET_WM_STATE_ADD; for closing, a timestamp
  if (state1) e.xclient.data.l[1] = (long)XInternAtom(d_, state1, False);
  if (state2) e.xclient.data.l[2] = (long)XInternAtom(d_, state2, False);
  e.xclient.data.l[3] = 2;  // the request comes from a pager, as a user's does
  XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask,
             &e);
  XSync(d_, False);
}

bool XClient::setMonitors(const std::vector<XRectangle>& monitors) {
  const Window root = DefaultRootWindow(d_);
  int n = 0;
  XRRMonitorInfo* old = XRRGetMonitors(d_, root, False, &n);
  if (old == nullptr) return false;
  for (int i = 0; i < n; ++i) XRRDeleteMonitor(d_, root, old[i].name);
  XRRFreeMonitors(old);
  for (size_t i = 0; i < monitors.size(); ++i) {
    XRRMonitorInfo* m = XRRAllocateMonitor(d_, 0);
    m->name = XInternAtom(d_, ("M" + std::to_string(i)).c_str(), False);
    m->primary = i == 0;
    m->x = monitors[i].x;
    m->y = monitors[i].y;
    m->width = monitors[i].width;
    m->height = monitors[i].height;
    m->mwidth = m->width * 254 / 960;  // 96 DPI, in millimetres
    m->mheight = m->height * 254 / 960;
    XRRSetMonitor(d_, root, m);
    XRRFreeMonitors(m);
  }
  XSync(d_, False);
  return true;
}

std::vector<long> XClient::property(Window w, const char* name) {
  Atom type;
  int format;
  unsigned long n = 0, left;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(d_, w, XInternAtom(d_, name, False), 0, 1024, False, AnyPropertyType,
                         &type, &format, &n, &left, &data) == Success &&
      data && format == 32) {
    out.assign((long*)data, (long*)data + n);
  }
  if (data) XFree(data);
  return out;
}

std::string XClient::text(Window w, const char* name) {
  Atom type;
  int format;
  unsigned long n = 0, left;
  unsigned char* data = nullptr;
  std::string out;
  if (XGetWindowProperty(d_, w, XInternAtom(d_, name, False), 0, 1024, False, AnyPropertyType,
                         &type, &format, &n, &left, &data) == Success &&
      data && format == 8) {
    out.assign((char*)data, n);
  }
  if (data) XFree(data);
  return out;
}

void XClient::sync() {
  XSync(d_, False);
}
