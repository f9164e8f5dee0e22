#include <unistd.h>

#include <filesystem>

#include "compositor.h"
#include "tests/support/virtual_input.h"

namespace fs = std::filesystem;

std::string KWin::root() {
  const char* set = getenv("BOWLVIEW_DEBIAN13_ROOT");  // as scripts/debian13.sh takes it
  const std::string root = set ? set : "/var/cache/bowlview/debian13";
  return fs::exists(root + "/usr/bin/kwin_wayland") ? root : "";
}

KWin::KWin(int width_, int height_, double scale_)
    : xvfb(std::to_string(width_) + "x" + std::to_string(height_) + "x24") {
  name = "kwin", width = width_, height = height_, scale = scale_;
  if (xvfb.name.empty() || !makeRuntimeDir()) {
    error = "kwin: no Xvfb to run in";
    return;
  }
  x = std::make_unique<XClient>(xvfb.name);
  // Its own session bus, and a home of its own: it keeps the scales it was given there.
  server = std::make_unique<Child>(
      std::vector<std::string>{"bash", BOWLVIEW_DEBIAN13, "run", "dbus-run-session", "--",
                               "kwin_wayland", "--x11-display", xvfb.name, "--width",
                               std::to_string(width), "--height", std::to_string(height),
                               "--socket", "wayland-1", "--no-lockscreen", "--no-global-shortcuts"},
      std::vector<std::string>{"HOME=" + runtimeDir, "XDG_RUNTIME_DIR=" + runtimeDir, "DISPLAY=",
                               "WAYLAND_DISPLAY=", "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1"});
  if (!waitUntil([&] { return fs::exists(runtimeDir + "/wayland-1") || !server->running(); }) ||
      !server->running()) {
    error = "kwin: did not start: " + server->stderrText().substr(0, 2000);
    return;
  }
  display = "wayland-1";
  input = std::make_unique<VirtualInput>(
      clientEnv(), std::vector<std::string>{BOWLVIEW_VIRTUAL_INPUT, std::to_string(width),
                                            std::to_string(height)});
  if (!input->ok() || (scale != 1 && !input->send("scale " + std::to_string(scale)))) {
    display.clear(), error = "kwin: no fake input, or no scale " + std::to_string(scale);
  }
}

KWin::~KWin() {
  input.reset();
  server.reset();  // before its X server goes
}

void KWin::moveTo(int x_, int y_) {
  input->send("move " + std::to_string(x_) + " " + std::to_string(y_));
}

void KWin::button(bool press, unsigned linuxCode) {
  input->send("button " + std::to_string(linuxCode) + (press ? " 1" : " 0"));
}

void KWin::key(const std::string& keysym, bool press) {
  input->send("key " + keysym + (press ? " 1" : " 0"));
}

void KWin::touch(const std::string& phase, int x_, int y_) {
  input->send("touch " + phase +
              (phase == "up" ? "" : " " + std::to_string(x_) + " " + std::to_string(y_)));
}
