#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "compositor.h"

namespace fs = std::filesystem;

// The first entry of dir whose name starts with prefix and is a socket; empty if none.
static std::string socketIn(const std::string& dir, const std::string& prefix) {
  std::error_code e;
  for (const fs::directory_entry& f : fs::directory_iterator(dir, e)) {
    const std::string name = f.path().filename();
    if (name.rfind(prefix, 0) == 0 && f.is_socket()) return name;
  }
  return "";
}

Sway::Sway(int width_, int height_, double scale_, const std::string& config) {
  name = "sway", width = width_, height = height_, scale = scale_;
  start("output HEADLESS-1 resolution " + std::to_string(width) + "x" + std::to_string(height) +
            " scale " + std::to_string(scale) + "\n" + config,
        {"WLR_BACKENDS=headless"});
}

Sway::Sway(Sway& host, int outputs) {
  name = "sway", width = host.width, height = host.height;
  // Floating side by side in the host, its outputs keep their size and none hides another.
  for (int i = 1; i <= outputs; ++i) {
    host.msg({"for_window", "[title=\"^wlroots - WL-" + std::to_string(i) + "$\"]", "floating",
              "enable,", "move", "position", std::to_string(1280 * (i - 1)), "0"});
  }
  start("", {"WLR_BACKENDS=wayland", "WLR_WL_OUTPUTS=" + std::to_string(outputs),
             "WAYLAND_DISPLAY=" + host.runtimeDir + "/" + host.display});
}

void Sway::start(const std::string& config, std::vector<std::string> env) {
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return void(error = "sway: no user nobody to run it as");
  if (!makeRuntimeDir() || chown(runtimeDir.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
    return void(error = "sway: cannot give nobody a runtime directory");
  }
  const std::string file = runtimeDir + "/config";
  std::ofstream(file) << "output * bg #204060 solid_color\nxwayland disable\n" << config;
  env.insert(env.end(), {"XDG_RUNTIME_DIR=" + runtimeDir, "WLR_LIBINPUT_NO_DEVICES=1",
                         "WLR_RENDERER=pixman", "DISPLAY=", "SWAYSOCK="});
  if (env.front() == "WLR_BACKENDS=headless") env.push_back("WAYLAND_DISPLAY=");
  server = std::make_unique<Child>(compositorSide({"setpriv", "--reuid=nobody", "--regid=nogroup",
                                                   "--clear-groups", "sway", "-c", file}),
                                   env);
  // Its IPC answers once the configuration has been read and the outputs made.
  const bool ready = waitUntil([&] {
    return !server->running() ||
           (!socketIn(runtimeDir, "sway-ipc.").empty() &&
            msg({"-t", "get_version"}).find("human_readable") != std::string::npos);
  });
  if (!ready || !server->running()) {
    const std::string log = server->stderrText();  // its last lines say why
    return void(error = "sway: did not start: " +
                        log.substr(log.size() - std::min<size_t>(log.size(), 300)));
  }
  display = socketIn(runtimeDir, "wayland-");
  if (!virtualInput()) display.clear(), error = "sway: no virtual pointer and keyboard";
}

std::string Sway::msg(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"swaymsg", "-s",
                                   runtimeDir + "/" + socketIn(runtimeDir, "sway-ipc.")};
  argv.insert(argv.end(), args.begin(), args.end());
  return commandOutput(compositorSide(argv));
}

// With the pointer (-c), as a user sees the output.
Image Sway::screenshot() {
  std::vector<std::string> argv = {"grim", "-c", "-t", "ppm", "-"};
  if (!output.empty()) argv.insert(argv.end() - 1, {"-o", output});
  return imageFromPpm(commandOutput(compositorSide(argv), clientEnv()));
}
