#include <X11/keysym.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "compositor.h"

// Its output: the root's viewable child (there is no window manager to reparent it).
static bool outputWindow(XClient& x, WindowInfo* out) {
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  bool found = false;
  if (!XQueryTree(x.d, DefaultRootWindow(x.d), &root, &parent, &children, &n)) return false;
  for (unsigned i = 0; i < n && !found; ++i) found = (*out = x.geometry(children[i])).viewable;
  if (children) XFree(children);
  return found;
}

Weston::Weston(int width_, int height_, int scale_)
    : xvfb(std::to_string(width_ + 64) + "x" + std::to_string(height_ + 64) + "x24", {},
           compositorSide()) {
  name = "weston", width = width_, height = height_, scale = scale_;
  if (xvfb.name.empty() || !makeRuntimeDir()) {
    error = "weston: no Xvfb to run in";
    return;
  }
  x = std::make_unique<XClient>(xvfb.name);
  // No panel (its launchers start terminals when clicked), no locking, a plain background.
  const std::string ini = runtimeDir + "/weston.ini";
  // No animations either: a window fading in under load can end a shade short of its colours.
  std::ofstream(ini) << "[core]\nidle-time=0\n[shell]\npanel-position=none\nlocking=false\n"
                        "animation=none\nstartup-animation=none\nfocus-animation=none\n"
                        "background-color=0xff204060\n";
  // The pointer waits outside the output from the start: weston takes it in only when it
  // enters (EnterNotify), and draws it where it last saw it, over what a test looks at.
  x->moveTo(width + 32, height + 32);
  // Its width and height are in logical pixels.
  server = std::make_unique<Child>(
      compositorSide({"weston", "--config=" + ini, "--backend=x11-backend.so", "--use-pixman",
                      "--scale=" + std::to_string(scale_),
                      "--width=" + std::to_string(width / scale_),
                      "--height=" + std::to_string(height / scale_), "--socket=wayland-1"}),
      std::vector<std::string>{"DISPLAY=" + xvfb.name, "XDG_RUNTIME_DIR=" + runtimeDir,
                               "WAYLAND_DISPLAY="});
  WindowInfo output;
  // Ready once it has painted its background (not black) in its output.
  const bool ready =
      waitUntil([&] { return std::filesystem::exists(runtimeDir + "/wayland-1"); }) &&
      waitUntil([&] { return outputWindow(*x, &output); }) && waitUntil([&] {
        return !near(x->grab(width / 2, height / 2, 1, 1).at(0, 0), {0, 0, 0}, 0);
      });
  if (!ready || output.x != 0 || output.y != 0 || output.width != width) {
    error = "weston: did not start, or its output is not " + std::to_string(width) +
            " pixels wide at 0, 0: " + server->stderrText().substr(0, 2000);
    return;
  }
  // Keys go where the X focus is: to the output even while the pointer is outside it.
  XSetInputFocus(x->d, output.id, RevertToParent, CurrentTime);
  display = "wayland-1";
}

Weston::~Weston() {
  server.reset();  // before its X server goes
}

void Weston::moveTo(int x_, int y_) {
  x->moveTo(x_, y_);
}

void Weston::button(bool press, unsigned linuxCode) {
  // Linux's left, right, middle buttons are X's 1, 3, 2.
  const unsigned xButton = linuxCode == 0x111 ? 3 : linuxCode == 0x112 ? 2 : 1;
  x->button(xButton, press);
}

void Weston::key(const std::string& keysym, bool press) {
  const KeyCode code = XKeysymToKeycode(x->d, XStringToKeysym(keysym.c_str()));
  XTestFakeKeyEvent(x->d, code, press, CurrentTime);
  x->sync();
}
