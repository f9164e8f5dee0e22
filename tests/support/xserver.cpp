#include "xserver.h"

#include <X11/Xcursor/Xcursor.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <sstream>

Xvfb::Xvfb(const std::string& screen, const std::vector<std::string>& extra,
           std::vector<std::string> argv) {
  int fds[2];
  if (pipe(fds) != 0) return;
  argv.insert(argv.end(), {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                           "-nolisten", "tcp", "-noreset"});
  argv.insert(argv.end(), extra.begin(), extra.end());
  server = std::make_unique<Child>(argv, std::vector<std::string>{});
  close(fds[1]);
  std::string digits;
  char c;
  for (pollfd p = {fds[0], POLLIN, 0};
       poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) {
    digits.push_back(c);
  }
  close(fds[0]);
  if (!digits.empty()) name = ":" + digits;
}

// Windows come and go under the tests' feet: a BadWindow is an answer, not a reason to exit.
static int ignoreXErrors(Display*, XErrorEvent*) {
  return 0;
}

XClient::XClient(const std::string& display) {
  XSetErrorHandler(ignoreXErrors);
  d = XOpenDisplay(display.c_str());
}

WindowInfo XClient::geometry(Window w) {
  XWindowAttributes a = {};
  WindowInfo info{w, 0, 0, 0, 0, false};
  if (!XGetWindowAttributes(d, w, &a)) return info;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &info.x, &info.y, &child);
  info.width = a.width, info.height = a.height, info.viewable = a.map_state == IsViewable;
  return info;
}

bool XClient::find(Window parent, const std::string& name, WindowInfo* out) {
  Window root, up, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &n)) return false;
  bool found = false;
  for (unsigned int i = 0; i < n && !found; ++i) {
    char* title = nullptr;
    if (XFetchName(d, children[i], &title) && title) {
      const WindowInfo w = geometry(children[i]);
      found = name == title && w.viewable;
      if (found && out) *out = w;
      XFree(title);
    }
    found = found || find(children[i], name, out);
  }
  if (children) XFree(children);
  return found;
}

bool XClient::waitForWindow(const std::string& name, WindowInfo* out, int timeoutMs) {
  return waitUntil([&] { return find(DefaultRootWindow(d), name, out); }, timeoutMs);
}

Image XClient::grab(int x, int y, int width, int height) {
  Image pic;
  XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, (unsigned)width, (unsigned)height,
                          AllPlanes, ZPixmap);
  if (!img) return pic;
  pic.width = width, pic.height = height;
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const unsigned long p = XGetPixel(img, i, j);
      pic.rgb.insert(pic.rgb.end(), {(unsigned char)((p & img->red_mask) >> 16),
                                     (unsigned char)((p & img->green_mask) >> 8),
                                     (unsigned char)(p & img->blue_mask)});
    }
  }
  XDestroyImage(img);
  return pic;
}

void XClient::key(unsigned long keysym, unsigned long modifier) {
  const KeyCode code = XKeysymToKeycode(d, keysym), held = XKeysymToKeycode(d, modifier);
  if (modifier) XTestFakeKeyEvent(d, held, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  if (modifier) XTestFakeKeyEvent(d, held, False, CurrentTime);
  sync();
}

void XClient::send(Window w, const char* type, const std::vector<long>& data, bool toRoot,
                   int format) {
  XEvent e = {};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = atom(type);
  e.xclient.format = format;
  for (size_t i = 0; i < data.size() && i < 5; ++i) e.xclient.data.l[i] = data[i];
  XSendEvent(d, toRoot ? DefaultRootWindow(d) : w, False,
             toRoot ? SubstructureRedirectMask | SubstructureNotifyMask : NoEventMask, &e);
  sync();
}

bool XClient::setMonitors(const std::vector<XRectangle>& monitors) {
  const Window root = DefaultRootWindow(d);
  int n = 0;
  XRRMonitorInfo* old = XRRGetMonitors(d, root, False, &n);
  if (old == nullptr) return false;
  for (int i = 0; i < n; ++i) XRRDeleteMonitor(d, root, old[i].name);
  XRRFreeMonitors(old);
  for (size_t i = 0; i < monitors.size(); ++i) {
    XRRMonitorInfo* m = XRRAllocateMonitor(d, 0);
    const XRectangle& r = monitors[i];
    m->name = atom(("M" + std::to_string(i)).c_str());
    m->primary = i == 0;
    m->x = r.x, m->y = r.y, m->width = r.width, m->height = r.height;
    m->mwidth = r.width * 254 / 960, m->mheight = r.height * 254 / 960;  // 96 DPI
    XRRSetMonitor(d, root, m);
    XRRFreeMonitors(m);
  }
  sync();
  return true;
}

std::vector<long> XClient::property(Window w, const char* name, long length) {
  Atom type;
  int format = 0;
  unsigned long n = 0, left;
  unsigned char* data = nullptr;
  std::vector<long> out;
  if (XGetWindowProperty(d, w, atom(name), 0, length, False, AnyPropertyType, &type, &format, &n,
                         &left, &data) == Success &&
      data) {
    for (unsigned long i = 0; i < n; ++i) {
      out.push_back(format == 32 ? ((long*)data)[i] : format == 8 ? (long)data[i] : 0);
    }
  }
  if (data) XFree(data);
  return out;
}

std::vector<unsigned long> XClient::cursorShown() {
  XFixesCursorImage* c = XFixesGetCursorImage(d);
  std::vector<unsigned long> out = {c->width, c->height};
  // 32-bit pixels in longs, which Xlib may have sign-extended.
  for (int i = 0; i < c->width * c->height; ++i) out.push_back(c->pixels[i] & 0xffffffff);
  XFree(c);
  return out;
}

std::vector<unsigned long> XClient::themeCursor(const char* name) {
  XcursorImage* c = XcursorLibraryLoadImage(name, XcursorGetTheme(d), XcursorGetDefaultSize(d));
  if (c == nullptr) return {};
  std::vector<unsigned long> out = {c->width, c->height};
  out.insert(out.end(), c->pixels, c->pixels + c->width * c->height);
  XcursorImageDestroy(c);
  return out;
}

Image imageFromPpm(const std::string& ppm) {
  Image image;
  std::istringstream in(ppm);
  std::string magic;
  int maxValue = 0;
  if (!(in >> magic >> image.width >> image.height >> maxValue) || magic != "P6") return {};
  const size_t start = (size_t)in.tellg() + 1, size = (size_t)image.width * image.height * 3;
  if (maxValue != 255 || ppm.size() < start + size) return {};
  image.rgb.assign(ppm.begin() + (long)start, ppm.begin() + (long)(start + size));
  return image;
}
