// A private Xvfb per test, and a client connection to look at it and drive it with XTest.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

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
  pid_t pid_ = -1;
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

  std::vector<WindowInfo> topLevelWindows();
  // Waits up to timeoutMs for a viewable top-level window whose name equals name.
  bool waitForWindow(const std::string& name, WindowInfo* out, int timeoutMs = 10000);
  bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

  // The colour at root pixel (x, y) as 0..255 RGB.
  std::vector<int> pixel(int x, int y);
  // The root area as packed RGB rows.
  std::vector<unsigned char> grab(int x, int y, int width, int height);

  void moveTo(int x, int y);
  void button(int number, bool press);
  void click(int x, int y);
  // Presses and releases the key for a keysym, with Shift held when shift is true.
  void key(unsigned long keysym, bool shift = false);
  void sync();

 private:
  Display* d_ = nullptr;
};

void sleepMs(int ms);
