// The real program on sway headless (pixman renderer), natively on Wayland and through sway's
// Xwayland (BOWLVIEW_BACKEND=x11), the same build: frames per second and CPU per frame
// unthrottled (vblank_mode=0), then, run as a user runs it, CPU while its window is on another
// workspace. Frames are the program's swaps, counted by a preloaded swap_counter: the same count
// on either backend. CPU is from /proc, all threads (llvmpipe's rasterisers too); the session's
// adds sway's and Xwayland's.
//   wayland_bench [SECONDS]   prints, for each of wayland and x11 (through Xwayland) as B:
//     B_fps=N B_cpu_ms=N B_session_cpu_ms=N B_hidden_cpu_percent=N
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "tests/support/compositor.h"

namespace {

const char boxTitle[] = "bowlview - by the bowlview authors",
           windowTitle[] = " KEYS:f,p and MOUSE ";

// CPU seconds a process has used so far, all its threads; 0 if there is none.
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  if (all.empty()) return 0;
  std::istringstream rest(all.substr(all.rfind(')') + 2));
  std::string field;
  long ticks = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stol(field);
  }
  return (double)ticks / sysconf(_SC_CLK_TCK);
}

// The Xwayland serving display (":N"); -1 if none. wlroots starts it detached from sway.
pid_t xwaylandPid(const std::string& display) {
  DIR* proc = opendir("/proc");
  pid_t found = -1;
  while (dirent* e = readdir(proc)) {
    std::ifstream cmdline(std::string("/proc/") + e->d_name + "/cmdline");
    std::string program, first;
    if (std::getline(cmdline, program, '\0') && std::getline(cmdline, first, '\0') &&
        program.find("Xwayland") != std::string::npos && first == display) {
      found = atoi(e->d_name);
    }
  }
  closedir(proc);
  return found;
}

// Swaps counted so far in the counter file.
uint64_t swaps(const std::string& counterFile) {
  uint64_t n = 0;
  std::ifstream(counterFile, std::ios::binary).read((char*)&n, sizeof n);
  return n;
}

struct Session {
  Sway& sway;
  pid_t xwayland;
  double cpu(const Child& viewer) const {
    return cpuSeconds(viewer.pid()) + cpuSeconds(sway.server->pid()) + cpuSeconds(xwayland);
  }
};

// Whether sway has a window titled title (its tree as swaymsg prints it).
bool shows(Sway& sway, const std::string& title) {
  return sway.msg({"-t", "get_tree"}).find("\"name\": \"" + title + "\"") != std::string::npos;
}

// The viewer on sway through backend, past its controls box and spinning; null if it did not
// get there (the reason on stderr).
std::unique_ptr<Child> start(Session& s, const std::string& backend, std::vector<std::string> env) {
  for (const std::string& e : s.sway.clientEnv()) env.insert(env.begin(), e);
  env.push_back("BOWLVIEW_BACKEND=" + backend);
  if (backend == "x11") env.push_back("DISPLAY=" + s.sway.xDisplay);
  auto viewer = std::make_unique<Child>(std::vector<std::string>{BOWLVIEW_NATIVE}, env);
  if (!waitUntil([&] { return shows(s.sway, boxTitle); }, 30000)) {
    fprintf(stderr, "wayland_bench: no controls box on %s\n", backend.c_str());
    return nullptr;
  }
  s.sway.tap("Return");
  if (!waitUntil([&] { return shows(s.sway, windowTitle); }, 30000)) {
    fprintf(stderr, "wayland_bench: no window on %s\n", backend.c_str());
    return nullptr;
  }
  sleepMs(1000);  // past the first frames
  return viewer;
}

void stop(Session& s, std::unique_ptr<Child> viewer) {
  s.sway.msg({std::string("[title=\"^") + windowTitle + "$\"]", "kill"});
  viewer->wait(10000);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? atoi(argv[1]) : 5;
  if (seconds < 1) return fprintf(stderr, "wayland_bench: SECONDS must be a whole number > 0\n"), 2;
  // sway with its Xwayland, open to root's X clients (the X11 build), which tells its display.
  Sway sway(
      1280, 1024, 1,
      "xwayland force\nexec sh -c 'xhost +si:localuser:root >/dev/null && "
      "echo $DISPLAY >$XDG_RUNTIME_DIR/x.new && mv $XDG_RUNTIME_DIR/x.new $XDG_RUNTIME_DIR/x'\n");
  const std::string xFile = sway.runtimeDir + "/x";
  if (!sway.ok() || !waitUntil([&] { return access(xFile.c_str(), F_OK) == 0; })) {
    fprintf(stderr, "wayland_bench: %s\n", sway.ok() ? "sway: no Xwayland" : sway.error.c_str());
    return 1;
  }
  std::ifstream(xFile) >> sway.xDisplay;
  Session s{sway, xwaylandPid(sway.xDisplay)};
  char counterFile[] = "/tmp/bowlview-swaps-XXXXXX";
  const int fd = mkstemp(counterFile);
  if (fd < 0) return fprintf(stderr, "wayland_bench: no counter file\n"), 1;
  close(fd);

  for (const std::string backend : {"wayland", "x11"}) {
    auto viewer = start(s, backend,
                        {"vblank_mode=0", "LD_PRELOAD=" BOWLVIEW_SWAP_COUNTER,
                         std::string("BOWLVIEW_SWAP_COUNT=") + counterFile});
    if (!viewer) return unlink(counterFile), 1;
    const uint64_t swaps0 = swaps(counterFile);
    const double own0 = cpuSeconds(viewer->pid()), all0 = s.cpu(*viewer);
    sleepMs(seconds * 1000);
    const double frames = (double)(swaps(counterFile) - swaps0);
    const double own = cpuSeconds(viewer->pid()) - own0, all = s.cpu(*viewer) - all0;
    stop(s, std::move(viewer));

    // As a user runs it: hidden, frames on Wayland stop coming back, and drawing must stop too.
    viewer = start(s, backend, {"vblank_mode=", "LD_PRELOAD="});
    if (!viewer) return unlink(counterFile), 1;
    sway.msg({"workspace", "2"});
    sleepMs(1000);
    const double hidden0 = cpuSeconds(viewer->pid());
    sleepMs(seconds * 1000);
    const double hidden = cpuSeconds(viewer->pid()) - hidden0;
    sway.msg({"workspace", "1"});
    stop(s, std::move(viewer));

    printf("%s_fps=%.0f %s_cpu_ms=%.2f %s_session_cpu_ms=%.2f %s_hidden_cpu_percent=%.1f\n",
           backend.c_str(), frames / seconds, backend.c_str(),
           frames > 0 ? own / frames * 1000 : 0.0, backend.c_str(),
           frames > 0 ? all / frames * 1000 : 0.0, backend.c_str(), hidden / seconds * 100);
    fflush(stdout);
  }
  unlink(counterFile);
  return 0;
}
