#include "compositor.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "tests/support/virtual_input.h"

Compositor::~Compositor() {
  server.reset();
  if (!runtimeDir.empty()) std::filesystem::remove_all(runtimeDir);
}

bool Compositor::makeRuntimeDir() {
  char path[] = "/tmp/bowlview-wayland-XXXXXX";
  if (!mkdtemp(path)) return error = name + ": no runtime directory", false;
  runtimeDir = path;
  return true;
}

std::vector<std::string> Compositor::clientEnv() const {
  return {"XDG_RUNTIME_DIR=" + runtimeDir, "WAYLAND_DISPLAY=" + display, "DISPLAY="};
}

bool findColour(const Image& image, const std::vector<int>& colour, Rect* where, int tolerance) {
  int x0 = image.width, y0 = image.height, x1 = -1, y1 = -1;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (!near(image.at(x, y), colour, tolerance)) continue;
      x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return false;
  *where = {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
  return true;
}

bool onPath(const std::string& program) {
  std::istringstream path(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
  for (std::string dir; std::getline(path, dir, ':');) {
    if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}
