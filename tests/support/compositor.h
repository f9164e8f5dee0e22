// Real Wayland compositors for end-to-end tests, each private to one test: sway headless, weston
// inside a private Xvfb, mutter headless, KWin in Debian 13's root. One shape for all, so that a
// test runs the same steps on each: start, give a client the environment, look at the output,
// send input. Their side (the compositors and their tools) runs here or in a Debian root: see
// compositorSide().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/virtual_input.h"
#include "tests/support/xserver.h"

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

class Compositor {
 public:
  virtual ~Compositor();
  // Whether it started and answers; if not, why in error.
  bool ok() const { return !display.empty(); }
  // What a client needs to reach it: XDG_RUNTIME_DIR and WAYLAND_DISPLAY; its Xwayland if any.
  std::vector<std::string> clientEnv() const;

  // The output as it shows, in physical pixels.
  virtual Image screenshot() = 0;
  // Input as a user gives it, in physical pixels of the output, through input unless the
  // compositor has its own way. Each returns once the compositor has taken it in.
  virtual void moveTo(int x, int y);
  virtual void button(bool press, unsigned linuxCode = 0x110);  // BTN_LEFT
  virtual void key(const std::string& keysym, bool press) = 0;  // an xkb name: a, Escape
  void click(int x, int y) { moveTo(x, y), button(true), button(false); }
  void tap(const std::string& keysym) { key(keysym, true), key(keysym, false); }

  std::string name;                  // sway, weston, mutter, kwin
  int width = 0, height = 0;         // the output's physical size
  double scale = 1;                  // its scale
  std::string runtimeDir, display;   // display empty if it did not start
  std::string xDisplay, xAuthority;  // its Xwayland's, if any
  std::string error;                 // one line when it did not start
  std::unique_ptr<Child> server;
  std::unique_ptr<VirtualInput> input;  // the client that gives the seat its devices

 protected:
  bool makeRuntimeDir();
};

// sway headless, run as nobody (it refuses root) in a runtime directory nobody owns; root's
// clients reach it all the same. Input through a virtual pointer and keyboard; pictures through
// grim, with the pointer.
class Sway : public Compositor {
 public:
  Sway(int width, int height, double scale = 1);
  // A sway nested in host, with outputs that are windows of host's: killed there, they are
  // unplugged here.
  Sway(Sway& host, int outputs);
  Image screenshot() override;
  void key(const std::string& keysym, bool press) override;

  // swaymsg with these arguments (as "-t get_tree" or "workspace 2"); its output.
  std::string msg(const std::vector<std::string>& args);
  // Shows workspace name on the output: windows on others are hidden, their frames stop.
  void showWorkspace(const std::string& name) { msg({"workspace", name}); }

  std::string output;  // the one output screenshots show, at its scale; all where empty

 private:
  void start(const std::string& config, std::vector<std::string> env);
};

// weston's X11 backend with the desktop shell, no panel, a plain background, its output a window
// of a private Xvfb 64 pixels larger each way, so that the pointer can leave the output and come
// back. Input through XTest into the Xvfb, which weston passes on; pictures read from the Xvfb.
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
// fractional scale (at start, or later with fractions) takes its experimental
// scale-monitor-framebuffer, as GNOME users switch it on.
class RemoteMutter : public Compositor {
 public:
  RemoteMutter(int width, int height, double scale = 1, bool xwayland = false,
               bool fractions = false);
  ~RemoteMutter() override;
  Image screenshot() override;
  void key(const std::string& keysym, bool press) override;
  // Another scale for its monitor (the nearest it offers), as GNOME's display settings apply it.
  bool setScale(double scale) { return input->send("scale " + std::to_string(scale)); }
  // The first finger: "down" or "motion" at (x, y) in physical pixels, or "up".
  void touch(const std::string& phase, int x = 0, int y = 0);

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

// argv as the compositors' side runs it, as the same process: here, or in the Debian root that
// BOWLVIEW_COMPOSITOR_ROOT names (scripts/debian13.sh run: the same paths, /tmp shared, so that
// clients here reach its sockets). The prefix alone for an empty argv.
std::vector<std::string> compositorSide(std::vector<std::string> argv = {});
// A file of the compositors' side, as this machine reaches it.
std::string compositorFile(const std::string& path);
// The Debian release whose compositors run: 12, 13.
int compositorRelease();
