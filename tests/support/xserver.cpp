#include "xserver.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

void sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Xvfb::Xvfb(const std::string& screen, const std::vector<std::string>& extra) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    std::vector<std::string> args = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                     "-screen",   "0",          screen,
                                     "-nolisten", "tcp",        "-noreset"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(fds[1]);
  std::string digits;
  pollfd p = {fds[0], POLLIN, 0};
  while (poll(&p, 1, 15000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    digits.push_back(c);
  }
  close(fds[0]);
  if (!digits.empty()) number_ = std::atoi(digits.c_str());
}

Xvfb::~Xvfb() {
  kill();
}

void Xvfb::kill() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
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

std::vector<WindowInfo> XClient::topLevelWindows() {
  std::vector<WindowInfo> out;
  Window root, parent, *children = nullptr;
  unsigned int n = 0;
  XSync(d_, False);
  if (!XQueryTree(d_, DefaultRootWindow(d_), &root, &parent, &children, &n)) return out;
  for (unsigned int i = 0; i < n; ++i) {
    XWindowAttributes a = {};
    if (!XGetWindowAttributes(d_, children[i], &a)) continue;
    char* name = nullptr;
    WindowInfo w{children[i], "", 0, 0, a.width, a.height, a.map_state == IsViewable};
    if (XFetchName(d_, children[i], &name) && name) {
      w.name = name;
      XFree(name);
    }
    Window child;
    XTranslateCoordinates(d_, children[i], root, 0, 0, &w.x, &w.y, &child);
    out.push_back(w);
  }
  if (children) XFree(children);
  return out;
}

bool XClient::waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    sleepMs(20);
  }
  return condition();
}

bool XClient::waitForWindow(const std::string& name, WindowInfo* out, int timeoutMs) {
  return waitUntil(
      [&] {
        for (const WindowInfo& w : topLevelWindows()) {
          if (w.viewable && w.name == name) {
            if (out) *out = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
}

std::vector<unsigned char> XClient::grab(int x, int y, int width, int height) {
  std::vector<unsigned char> rgb;
  XImage* img = XGetImage(d_, DefaultRootWindow(d_), x, y, (unsigned)width, (unsigned)height,
                          AllPlanes, ZPixmap);
  if (!img) return rgb;
  rgb.reserve((size_t)width * height * 3);
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const unsigned long p = XGetPixel(img, i, j);
      rgb.push_back((unsigned char)((p & img->red_mask) >> 16));
      rgb.push_back((unsigned char)((p & img->green_mask) >> 8));
      rgb.push_back((unsigned char)(p & img->blue_mask));
    }
  }
  XDestroyImage(img);
  return rgb;
}

std::vector<int> XClient::pixel(int x, int y) {
  const std::vector<unsigned char> p = grab(x, y, 1, 1);
  if (p.size() < 3) return {};
  return {p[0], p[1], p[2]};
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

void XClient::sync() {
  XSync(d_, False);
}
