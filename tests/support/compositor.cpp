#include "compositor.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

Compositor::~Compositor() {
  input.reset(), server.reset();
  if (!runtimeDir.empty()) std::filesystem::remove_all(runtimeDir);
}

bool Compositor::makeRuntimeDir() {
  char path[] = "/tmp/bowlview-wayland-XXXXXX";
  if (!mkdtemp(path)) return error = name + ": no runtime directory", false;
  runtimeDir = path;
  return true;
}

std::vector<std::string> Compositor::clientEnv() const {
  return {"XDG_RUNTIME_DIR=" + runtimeDir, "WAYLAND_DISPLAY=" + display, "DISPLAY=" + xDisplay,
          "XAUTHORITY=" + xAuthority};
}

void Compositor::moveTo(int x, int y) {
  input->send("move " + std::to_string(x) + " " + std::to_string(y));
}

void Compositor::button(bool press, unsigned linuxCode) {
  input->send("button " + std::to_string(linuxCode) + (press ? " 1" : " 0"));
}

static std::string root() {
  const char* r = getenv("BOWLVIEW_COMPOSITOR_ROOT");
  return r && *r && std::string(r) != "/" ? r : "";
}

std::vector<std::string> compositorSide(std::vector<std::string> argv) {
  if (root().empty()) return argv;
  std::vector<std::string> in = {"/usr/bin/env", "BOWLVIEW_DEBIAN13_ROOT=" + root(), "bash",
                                 BOWLVIEW_DEBIAN13, "run"};
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
