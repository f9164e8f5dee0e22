// A private Xvfb per test, a client to look at it and drive it with XTest, pictures of it.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* at(int x, int y) const { return &rgb[((size_t)y * width + x) * 3]; }
};

// A PPM (P6, 8 bits), as grim and remote_desktop.py write them; empty if it is not one.
Image imageFromPpm(const std::string& ppm);

// Whether pixel p is within tolerance of colour c in every channel.
inline bool near(const unsigned char* p, const std::vector<int>& c, int tolerance = 3) {
  return std::abs(p[0] - c[0]) <= tolerance && std::abs(p[1] - c[1]) <= tolerance &&
         std::abs(p[2] - c[2]) <= tolerance;
}

// Pixels of a unlike b's beyond tolerance, every step-th of every step-th row; b may be wider
// and upside down.
inline int differingPixels(const Image& a, const Image& b, int tolerance = 0, int step = 1,
                           bool flipB = false) {
  int n = 0;
  for (int y = 0; y < a.height && y < b.height; y += step) {
    for (int x = 0; x < a.width && x < b.width; x += step) {
      const unsigned char* q = b.at(x, flipB ? b.height - 1 - y : y);
      n += !near(a.at(x, y), {q[0], q[1], q[2]}, tolerance);
    }
  }
  return n;
}

// A private X server on a free display (-displayfd), through launcher if given; resetting
// server ends it at once, as a crash would.
struct Xvfb {
  explicit Xvfb(const std::string& screen = "1280x1024x24",
                const std::vector<std::string>& extra = {}, std::vector<std::string> launcher = {});
  std::string name;  // ":N", or empty if it did not start
  std::unique_ptr<Child> server;
};

struct WindowInfo {
  Window id;
  int x, y, width, height;  // root coordinates of the window's inside
  bool viewable;
};

// A client of the test's X server: looks at windows and pixels, sends input through XTest.
struct XClient {
  explicit XClient(const std::string& display);
  ~XClient() { d ? XCloseDisplay(d) : 0; }
  Atom atom(const char* name) { return XInternAtom(d, name, False); }
  void sync() { XSync(d, False); }

  // Waits up to timeoutMs for a viewable window named name, at any depth (a manager reparents).
  bool waitForWindow(const std::string& name, WindowInfo* out, int timeoutMs = 10000);
  WindowInfo geometry(Window w);
  Image grab(int x, int y, int width, int height);  // a root area

  void moveTo(int x, int y) { XTestFakeMotionEvent(d, -1, x, y, CurrentTime), sync(); }
  void button(unsigned n, bool press) { XTestFakeButtonEvent(d, n, press, CurrentTime), sync(); }
  void click(int x, int y) { moveTo(x, y), button(1, true), button(1, false); }
  void key(unsigned long keysym, unsigned long modifier = 0);  // modifier: a keysym held
  // A client message of type about w, to w or to the root (as a pager sends); format 8 carries
  // the items' bytes as they lie in memory.
  void send(Window w, const char* type, const std::vector<long>& data, bool toRoot,
            int format = 32);
  // Replaces the screen's RandR monitors with these, the first one primary.
  bool setMonitors(const std::vector<XRectangle>& monitors);
  // A window property's items, 8- or 32-bit, read whole up to length 32-bit units.
  std::vector<long> property(Window w, const char* name, long length = 1024);
  bool find(Window parent, const std::string& name, WindowInfo* out);
  // The cursor shown now (XFixes), a theme's at its default size (empty if none): width, height,
  // premultiplied pixels.
  std::vector<unsigned long> cursorShown();
  std::vector<unsigned long> themeCursor(const char* name);

  Display* d = nullptr;  // none if the server could not be reached
};
