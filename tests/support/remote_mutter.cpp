#include <filesystem>
#include <fstream>
#include <iterator>

#include "compositor.h"

namespace fs = std::filesystem;

RemoteMutter::RemoteMutter(int width_, int height_, double scale_, bool xwayland, bool fractions) {
  name = "mutter", width = width_, height = height_, scale = scale_;
  if (!makeRuntimeDir()) return;
  if (fractions || scale != (int)scale) {
    const std::string settings = runtimeDir + "/glib-2.0/settings";
    fs::create_directories(settings);
    std::ofstream(settings + "/keyfile")
        << "[org/gnome/mutter]\nexperimental-features=['scale-monitor-framebuffer']\n";
  }
  std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtimeDir,
                                  "DBUS_SESSION_BUS_ADDRESS=unix:path=" + runtimeDir + "/bus",
                                  "DISPLAY=",
                                  "WAYLAND_DISPLAY=",
                                  "GSETTINGS_BACKEND=keyfile",
                                  "XDG_CONFIG_HOME=" + runtimeDir};
  // Each service is ready once its socket is there; without WirePlumber, PipeWire links no
  // stream to its reader.
  const std::string bus = "--address=unix:path=" + runtimeDir + "/bus";
  const std::pair<std::vector<std::string>, const char*> parts[] = {
      {{"dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf", bus, "--nofork"}, "bus"},
      {{"pipewire"}, "pipewire-0"},
      {{"wireplumber"}, nullptr}};
  for (const auto& p : parts) {
    services.push_back(std::make_unique<Child>(compositorSide(p.first), env));
    if (p.second && !waitUntil([&] { return fs::exists(runtimeDir + "/" + p.second); })) {
      error = "mutter: " + p.first[0] + " did not start";
      return;
    }
  }
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  std::vector<std::string> argv = {"mutter", "--headless",        "--wayland", "--virtual-monitor",
                                   size,     "--wayland-display", "wayland-1"};
  if (!xwayland) argv.push_back("--no-x11");
  server = std::make_unique<Child>(compositorSide(argv), env);
  const std::string tag = "Using public X11 display ";
  std::string log;
  const auto said = [&] { return (log = server->stderrText()).find(tag) != std::string::npos; };
  if (!listening()) return;
  if (xwayland && !waitUntil(said)) {
    display.clear(), error = "mutter: no Xwayland";
    return;
  }
  const size_t at = log.find(tag);
  if (xwayland) xDisplay = log.substr(at + tag.size(), log.find(',', at) - at - tag.size());
  for (const fs::directory_entry& f : fs::directory_iterator(runtimeDir)) {
    const std::string name = f.path().filename();
    if (name.rfind(".mutter-Xwaylandauth.", 0) == 0) xAuthority = f.path();
  }
  env.push_back("WAYLAND_DISPLAY=wayland-1");
  input = std::make_unique<VirtualInput>(
      env, compositorSide({"/usr/bin/python3", BOWLVIEW_REMOTE_DESKTOP}));
  if (!input->ok() || (scale != 1 && !setScale(scale)))
    display.clear(),
        error = "mutter: no remote desktop session, or no scale " + std::to_string(scale);
}

Image RemoteMutter::screenshot() {
  const std::string path = runtimeDir + "/shot.ppm";
  if (!input->send("shot " + path)) return {};
  std::ifstream in(path, std::ios::binary);
  return imageFromPpm(std::string(std::istreambuf_iterator<char>(in), {}));
}
