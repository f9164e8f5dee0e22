// Private Wayland compositors, one per test, all of one shape (start, a client's environment,
// the output's picture, input); their side runs here or in a Debian root (compositorSide()).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/xserver.h"

// A child that gives the seat input, one command a line, as long as this object lives:
// virtual_input_client (wlroots, KWin) or remote_desktop.py (mutter).
class VirtualInput {
 public:
  // env reaches the compositor; argv is the client and its arguments.
  VirtualInput(const std::vector<std::string>& env, const std::vector<std::string>& argv);
  ~VirtualInput();
  bool ok() const { return ok_; }
  // One command of the client's (see virtual_input_client.cpp); whether it was done.
  bool send(const std::string& command);

 private:
  bool readLine(std::string* line, int timeoutMs = 10000);
  std::unique_ptr<Child> child_;
  int toChild_ = -1, fromChild_ = -1;
  bool ok_ = false;
};

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

  // The output as it shows, in physical pixels: by default read from the Xvfb it is a window of.
  virtual Image screenshot() { return x->grab(0, 0, width, height); }
  // Input in the output's physical pixels; each returns once the compositor has taken it in.
  virtual void moveTo(int x, int y);
  virtual void button(bool press);                          // the left one
  virtual void key(const std::string& keysym, bool press);  // an xkb name: a, Escape
  void click(int x, int y) { moveTo(x, y), button(true), button(false); }
  void tap(const std::string& keysym) { key(keysym, true), key(keysym, false); }
  // The first finger (mutter, KWin): "down" or "motion" at (x, y), or "up".
  void touch(const std::string& phase, int x = 0, int y = 0);
  // Another scale for its output (mutter, KWin: the nearest offered), as display settings do it.
  bool setScale(double to) { return input->send("scale " + std::to_string(to)); }

  std::string name;                              // sway, weston, mutter, kwin
  int width = 0, height = 0;                     // the output's physical size
  double scale = 1;                              // its scale
  std::string runtimeDir, display;               // display empty if it did not start
  std::string xDisplay, xAuthority;              // its Xwayland's, if any
  std::string error;                             // one line when it did not start
  std::unique_ptr<Xvfb> xvfb;                    // where its output is a window, if it is
  std::unique_ptr<XClient> x;                    // xvfb's
  std::vector<std::unique_ptr<Child>> services;  // what it needs, ended last to first after it
  std::unique_ptr<Child> server;
  std::unique_ptr<VirtualInput> input;  // the client that gives the seat its devices

 protected:
  bool makeRuntimeDir();
  // A runtime directory and an Xvfb this large for the output's window.
  bool inXvfb(int xWidth, int xHeight);
  // Whether the server made its socket (display), or else why not in error.
  bool listening(const std::string& socket = "wayland-1");
  // Whether virtual_input_client gives the seat its devices.
  bool virtualInput();
};

// sway headless, run as nobody (it refuses root) in a runtime directory nobody owns; root's
// clients reach it all the same. Pictures through grim, with the pointer.
class Sway : public Compositor {
 public:
  // config: more of sway's configuration (the benchmarks start its Xwayland so).
  Sway(int width, int height, double scale = 1, const std::string& config = "");
  // A sway nested in host, with outputs that are windows of host's: killed there, they are
  // unplugged here.
  Sway(Sway& host, int outputs);
  Image screenshot() override;
  // swaymsg with these arguments (as "-t get_tree" or "workspace 2"); its output.
  std::string msg(const std::vector<std::string>& args);

  std::string output;  // the one output screenshots show, at its scale; all where empty

 private:
  void start(const std::string& config, std::vector<std::string> env);
};

// weston's X11 backend, no panel, its output a window of an Xvfb 64 pixels larger each way (so
// the pointer can leave it); XTest input, which weston passes on.
class Weston : public Compositor {
 public:
  Weston(int width, int height, int scale = 1);
  void moveTo(int x, int y) override { this->x->moveTo(x, y); }
  void button(bool press) override { x->button(1, press); }
  void key(const std::string& keysym, bool press) override;
};

// mutter headless, in a D-Bus session with a PipeWire of its own, driven by remote_desktop.py.
// Its seat has touch once used; it hides the pointer while a finger is down and tells no window's
// place. A fractional scale takes scale-monitor-framebuffer, as GNOME users switch it on.
class RemoteMutter : public Compositor {
 public:
  RemoteMutter(int width, int height, double scale = 1, bool xwayland = false,
               bool fractions = false);
  Image screenshot() override;
};

// KWin (Debian 13's), its output a window of a private Xvfb whose X cursor is its pointer's;
// input and the output's scale through virtual_input_client.
class KWin : public Compositor {
 public:
  KWin(int width, int height, double scale = 1);
};

// argv as the compositors' side runs it: here, or in BOWLVIEW_COMPOSITOR_ROOT's Debian root
// (scripts/debian13.sh run: same paths, /tmp shared). The prefix alone for an empty argv.
std::vector<std::string> compositorSide(std::vector<std::string> argv = {});
// A file of the compositors' side, as this machine reaches it.
std::string compositorFile(const std::string& path);
// The Debian release whose compositors run: 12, 13.
int compositorRelease();
