// Real Wayland compositors for end-to-end tests, each private to one test: sway headless,
// weston and mutter inside a private Xvfb, KWin in Debian 13's root. One shape for all, so that
// a test can run the same steps on each: start, give a client the environment, look at the
// output, send input.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xserver.h"

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

class VirtualInput;

class Compositor {
 public:
  virtual ~Compositor();
  // Whether it started and answers; if not, why in error.
  bool ok() const { return !display.empty(); }
  // What a client needs to reach it: XDG_RUNTIME_DIR and WAYLAND_DISPLAY, and no X display.
  std::vector<std::string> clientEnv() const;

  // The output as it shows, in physical pixels.
  virtual Image screenshot() = 0;
  // Input as a user gives it, in physical pixels of the output. Each returns once the
  // compositor has taken it in; clients may see it a little later.
  virtual void moveTo(int x, int y) = 0;
  virtual void button(bool press, unsigned linuxCode = 0x110) = 0;  // BTN_LEFT
  virtual void key(const std::string& keysym, bool press) = 0;      // an xkb name: a, Escape
  void click(int x, int y) { moveTo(x, y), button(true), button(false); }
  void tap(const std::string& keysym) { key(keysym, true), key(keysym, false); }

  std::string name;                 // sway, weston, mutter, kwin
  int width = 0, height = 0;        // the output's physical size
  double scale = 1;                 // its scale
  std::string runtimeDir, display;  // display empty if it did not start
  std::string error;                // one line when it did not start
  std::unique_ptr<Child> server;

 protected:
  bool makeRuntimeDir();
};

// sway headless, run as nobody (it refuses root) in a runtime directory nobody owns; root's
// clients reach it all the same. Input through a virtual pointer and keyboard that live as long
// as it does; pictures through grim. With xwayland, xDisplay names its Xwayland, open to root.
class Sway : public Compositor {
 public:
  // output: more of its headless output's settings, as sway's output command takes them.
  Sway(int width, int height, double scale = 1, bool xwayland = false,
       const std::string& output = "");
  // A sway nested in host, with outputs that are windows of host's: killed there, they are
  // unplugged here.
  Sway(Sway& host, int outputs);
  ~Sway() override;
  Image screenshot() override;
  Image screenshot(const std::string& output);  // one output, at its own scale
  void moveTo(int x, int y) override;
  void button(bool press, unsigned linuxCode = 0x110) override;
  void key(const std::string& keysym, bool press) override;

  // swaymsg with these arguments (as "-t get_tree" or "workspace 2"); its output.
  std::string msg(const std::vector<std::string>& args);
  // Shows workspace name on the output: windows on others are hidden, their frames stop.
  void showWorkspace(const std::string& name) { msg({"workspace", name}); }

  std::string xDisplay;  // ":N" with xwayland, else empty
  std::unique_ptr<VirtualInput> input;

 private:
  void start(const std::string& config, std::vector<std::string> env);
};

// weston's X11 backend with the desktop shell, no panel, a plain background, its output a window
// of a private Xvfb 64 pixels larger each way, so that the pointer can leave the output and come
// back. Input through XTest into the Xvfb, which weston passes on to its clients; pictures read
// from the Xvfb.
class Weston : public Compositor {
 public:
  Weston(int width, int height, int scale = 1);
  ~Weston() override;
  Image screenshot() override { return x->grab(0, 0, width, height); }
  void moveTo(int x, int y) override;
  void button(bool press, unsigned linuxCode = 0x110) override;
  void key(const std::string& keysym, bool press) override;

  Xvfb xvfb;
  std::unique_ptr<XClient> x;
};

// mutter headless, GNOME's compositor as it runs for remote desktops, in a D-Bus session and
// with a PipeWire of its own: input (pointer, keys and touch) and pictures (physical pixels)
// through its RemoteDesktop and ScreenCast APIs, by remote_desktop.py. The seat has touch once
// used (the client uses each device once at start); mutter hides the pointer while a finger is
// down. It places windows itself and has no way to tell where: find them by colour. A
// fractional scale takes its experimental scale-monitor-framebuffer, as GNOME users switch it
// on. With xwayland, xEnv() reaches its Xwayland.
class RemoteMutter : public Compositor {
 public:
  RemoteMutter(int width, int height, double scale = 1, bool xwayland = false);
  ~RemoteMutter() override;
  Image screenshot() override;
  void moveTo(int x, int y) override;
  void button(bool press, unsigned linuxCode = 0x110) override;
  void key(const std::string& keysym, bool press) override;
  // Another scale for its monitor, as GNOME's display settings apply it (D-Bus DisplayConfig).
  bool setScale(double scale);
  // The first finger: "down" or "motion" at (x, y) in physical pixels, or "up".
  void touch(const std::string& phase, int x = 0, int y = 0);

  // DISPLAY and XAUTHORITY of its Xwayland, for an X client.
  std::vector<std::string> xEnv() const {
    return {"DISPLAY=" + xDisplay, "XAUTHORITY=" + xAuthority};
  }

  std::string xDisplay, xAuthority;
  std::unique_ptr<VirtualInput> input;
  std::vector<std::unique_ptr<Child>> services;  // the D-Bus session, PipeWire, WirePlumber
};

// KWin, KDE's compositor, run in Debian 13's root (scripts/debian13.sh), in a D-Bus session
// and a home of its own, its output a window of a private Xvfb as large: pictures read from the
// Xvfb, whose X cursor is its pointer's. Input (pointer, keys and touch) through its fake input,
// and the output's scale as its display settings set it, both by virtual_input_client.
class KWin : public Compositor {
 public:
  KWin(int width, int height, double scale = 1);
  ~KWin() override;
  // Debian 13's root; empty if it is not made, or has no KWin.
  static std::string root();
  Image screenshot() override { return x->grab(0, 0, width, height); }
  void moveTo(int x, int y) override;
  void button(bool press, unsigned linuxCode = 0x110) override;
  void key(const std::string& keysym, bool press) override;
  // The first finger: "down" or "motion" at (x, y) in physical pixels, or "up".
  void touch(const std::string& phase, int x = 0, int y = 0);

  Xvfb xvfb;
  std::unique_ptr<XClient> x;
  std::unique_ptr<VirtualInput> input;
};

// The smallest rectangle holding every pixel near colour, in within if given; false if none is.
bool findColour(const Image& image, const std::vector<int>& colour, Rect* where, Rect within = {});

// Whether program is found on PATH (tests skip a compositor that is not installed).
bool onPath(const std::string& program);
