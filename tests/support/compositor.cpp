#include "compositor.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

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

// The smallest rectangle holding every pixel of within (all of image if empty) where hit holds.
static bool boundingBox(const Image& image, Rect within,
                        const std::function<bool(int x, int y)>& hit, Rect* where) {
  if (within.width == 0) within = {0, 0, image.width, image.height};
  int x0 = image.width, y0 = image.height, x1 = -1, y1 = -1;
  for (int y = within.y; y < within.y + within.height && y < image.height; ++y) {
    for (int x = within.x; x < within.x + within.width && x < image.width; ++x) {
      if (!hit(x, y)) continue;
      x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return false;
  *where = {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
  return true;
}

bool findColour(const Image& image, const std::vector<int>& colour, Rect* where, Rect within) {
  return boundingBox(
      image, within, [&](int x, int y) { return near(image.at(x, y), colour); }, where);
}

static std::string root() {
  const char* r = getenv("BOWLVIEW_COMPOSITOR_ROOT");
  return r && *r && std::string(r) != "/" ? r : "";
}

std::vector<std::string> compositorSide(std::vector<std::string> argv) {
  if (root().empty()) return argv;
  std::vector<std::string> in = {"/usr/bin/env", "BOWLVIEW_DEBIAN13_ROOT=" + root(), "bash",
                                 BOWLVIEW_DEBIAN13_SH, "run"};
  in.insert(in.end(), argv.begin(), argv.end());
  return in;
}

std::string compositorFile(const std::string& path) {
  return root() + path;
}

int compositorRelease() {
  std::ifstream in(compositorFile("/etc/os-release"));
  int release = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VERSION_ID=\"", 0) == 0) release = atoi(line.c_str() + 12);
  }
  return release;
}

bool onPath(const std::string& program) {
  for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
    if (access(compositorFile(dir + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}
