// A private Xvfb per test, and a client connection to look at it and drive it with XTest.
#pragma once

#include <X11/Xlib.h>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/image.h"
#include "tests/support/process.h"

class Xvfb {
 public:
  // Starts Xvfb on a free display (-displayfd); extra arguments go on its command line.
  explicit Xvfb(const std::string& screen = "1280x1024x24",
                const std::vector<std::string>& extra = {});
  ~Xvfb();
  bool ok() const { return number_ >= 0; }
  std::string name() const { return ":" + std::to_string(number_); }
  // Ends the server at once, as a crash would.
  void kill();

 private:
  std::unique_ptr<Child> server_;
  int number_ = -1;
};

struct WindowInfo {
  Window id;
  std::string name;
  int x, y, width, height;  // root coordinates of the window's inside
  bool viewable;
};

// A client of the test's X server: looks at windows and pixels, sends input through XTest.
class XClient {
 public:
  explicit XClient(const std::string& display);
  ~XClient();
  Display* display() const { return d_; }
  bool ok() const { return d_ != nullptr; }

  // Waits up to timeoutMs for a viewable top-level window named name (at any depth below
  // the root, since a window manager reparents).
  bool waitForWindow(const std::string& name, WindowInfo* out, int timeoutMs = 10000);
  bool windowShown(const std::string& name) { return waitForWindow(name, nullptr, 0); }
  WindowInfo geometry(Window w);

  // The colour at root pixel (x, y), and a root area.
  std::vector<int> pixel(int x, int y);
  Image grab(int x, int y, int width, int height);

  void moveTo(int x, int y);
  void button(int number, bool press);
  void click(int x, int y);
  // Presses and releases the key for a keysym, with Shift held when shift is true.
  void key(unsigned long keysym, bool shift = false);
  // Asks the window to close, as a window manager's close button does.
  void close(Window w);
  // Sends an EWMH request about w to the root, as a pager or wmctrl does:
  // _NET_CLOSE_WINDOW, or _NET_WM_STATE with "add" and the states' atom names.
  void ewmh(Window w, const char* message, const char* state1 = nullptr,
            const char* state2 = nullptr);
  // Replaces the screen's RandR monitors with these, the first one primary.
  bool setMonitors(const std::vector<XRectangle>& monitors);
  // A window property's 32-bit items (CARDINAL, ATOM, WINDOW) or 8-bit text, read whole.
  std::vector<long> property(Window w, const char* name);
  std::string text(Window w, const char* name);
  void sync();

 private:
  bool find(Window parent, const std::string& name, WindowInfo* out);
  Display* d_ = nullptr;
};
