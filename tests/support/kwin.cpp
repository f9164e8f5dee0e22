#include "compositor.h"

KWin::KWin(int width_, int height_, double scale_) {
  name = "kwin", width = width_, height = height_, scale = scale_;
  if (!inXvfb(width, height)) return;
  // Its own session bus, and a home of its own: it keeps the scales it was given there.
  server = std::make_unique<Child>(
      compositorSide({"dbus-run-session", "--", "kwin_wayland", "--x11-display", xvfb->name,
                      "--width", std::to_string(width), "--height", std::to_string(height),
                      "--socket", "wayland-1", "--no-lockscreen", "--no-global-shortcuts"}),
      std::vector<std::string>{"HOME=" + runtimeDir, "XDG_RUNTIME_DIR=" + runtimeDir, "DISPLAY=",
                               "WAYLAND_DISPLAY=", "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1"});
  if (listening() && (!virtualInput() || (scale != 1 && !setScale(scale))))
    display.clear(), error = "kwin: no fake input, or no scale " + std::to_string(scale);
}
