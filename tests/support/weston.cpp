#include <X11/keysym.h>

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

Weston::Weston(int width_, int height_, int scale_) {
  name = "weston", width = width_, height = height_, scale = scale_;
  if (!inXvfb(width + 64, height + 64)) return;
  // No panel (its launchers start terminals when clicked), no locking, a plain background, no
  // animations (a window fading in under load can end a shade short).
  const std::string ini = runtimeDir + "/weston.ini";
  std::ofstream(ini) << "[core]\nidle-time=0\n[shell]\npanel-position=none\nlocking=false\n"
                        "animation=none\nstartup-animation=none\nfocus-animation=none\n"
                        "background-color=0xff204060\n";
  // The pointer waits outside: weston draws it where it last saw it, over what a test looks at.
  x->moveTo(width + 32, height + 32);
  // Its width and height are in logical pixels.
  server = std::make_unique<Child>(
      compositorSide({"weston", "--config=" + ini, "--backend=x11-backend.so", "--use-pixman",
                      "--scale=" + std::to_string(scale_),
                      "--width=" + std::to_string(width / scale_),
                      "--height=" + std::to_string(height / scale_), "--socket=wayland-1"}),
      std::vector<std::string>{"DISPLAY=" + xvfb->name, "XDG_RUNTIME_DIR=" + runtimeDir,
                               "WAYLAND_DISPLAY="});
  WindowInfo output;
  // Ready once it has painted its background (not black) in its output.
  if (!listening()) return;
  if (!waitUntil([&] { return outputWindow(*x, &output); }) || !waitUntil([&] {
        return !near(x->grab(width / 2, height / 2, 1, 1).at(0, 0), {0, 0, 0}, 0);
      }) ||
      output.x != 0 || output.y != 0 || output.width != width) {
    display.clear(), error = "weston: its output is not " + std::to_string(width) + " wide at 0, 0";
    return;
  }
  // Keys go where the X focus is: to the output even while the pointer is outside it.
  XSetInputFocus(x->d, output.id, RevertToParent, CurrentTime);
}

void Weston::key(const std::string& keysym, bool press) {
  XTestFakeKeyEvent(x->d, XKeysymToKeycode(x->d, XStringToKeysym(keysym.c_str())), press, 0);
  x->sync();
}
