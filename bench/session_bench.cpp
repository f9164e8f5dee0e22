// Start-up time, peak memory and CPU at rest of the real program, native or under Wine, on the
// X display in $DISPLAY.
// Minimising needs a window manager on that display.
//   session_bench native|wine   prints: box_ms=N startup_ms=N peak_rss_mib=N rss_growth_kib=N
//                 spinning_cpu_percent=N minimised_cpu_percent=N rest_cpu_percent=N
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/launcher.h"
#include "tests/support/xserver.h"

namespace {

using Clock = std::chrono::steady_clock;

// The process that runs the viewer: the launcher's own, or the one Wine names bowlview.exe.
pid_t viewerPid(const Child& v, bool wine) {
  if (!wine) return v.pid();
  DIR* proc = opendir("/proc");
  pid_t found = -1;
  while (dirent* e = readdir(proc)) {
    std::ifstream comm(std::string("/proc/") + e->d_name + "/comm");
    std::string name;
    if (comm && std::getline(comm, name) && name == "bowlview.exe") found = atoi(e->d_name);
  }
  closedir(proc);
  return found;
}

long statusKiB(pid_t pid, const char* key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(strlen(key)));
  }
  return -1;
}

double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream rest(all.substr(all.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return (double)(utime + stime) / sysconf(_SC_CLK_TCK);
}

bool isBackground(const Image& p) {
  return p.rgb.size() == 3 && near(p.at(0, 0), {38, 38, 140});
}

}  // namespace

int main(int argc, char** argv) {
  const bool wine = argc > 1 && std::string(argv[1]) == "wine";
  const char* display = getenv("DISPLAY");
  XClient x(display ? display : "");
  if (!x.d) {
    fprintf(stderr, "session_bench: cannot open the X display\n");
    return 1;
  }
  const auto started = Clock::now();
  const auto viewerProcess = startViewer(launcher(), display);
  const Child& viewer = *viewerProcess;
  WindowInfo box, window;
  // Looked for every millisecond: a screen reader's share of the start is smaller than the
  // tests' usual poll.
  bool up = false;
  while (!(up = x.waitForWindow("bowlview - by the bowlview authors", &box, 0)) &&
         Clock::now() - started < std::chrono::seconds(60)) {
    sleepMs(1);
  }
  if (!up) {
    fprintf(stderr, "session_bench: no controls box\n");
    return 1;
  }
  const double boxMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  x.moveTo(box.x + box.width / 2, box.y + box.height / 3);
  sleepMs(500);
  const auto dismissed = Clock::now();
  x.key(XK_Return);
  // The first frame is there once the window shows the background.
  bool shown = false;
  while (!shown && Clock::now() - dismissed < std::chrono::seconds(60)) {
    shown = x.waitForWindow(" KEYS:f,p and MOUSE ", &window, 0) &&
            isBackground(x.grab(window.x + 3, window.y + 3, 1, 1));
    if (!shown) sleepMs(1);
  }
  const double startupMs =
      std::chrono::duration<double, std::milli>(Clock::now() - dismissed).count();
  if (!shown) {
    fprintf(stderr, "session_bench: no first frame\n");
    return 1;
  }
  const pid_t pid = viewerPid(viewer, wine);
  // Spinning: memory must settle, not grow with the frames drawn.
  sleepMs(2000);
  const long earlyKiB = statusKiB(pid, "VmRSS:");
  sleepMs(8000);
  const long growthKiB = statusKiB(pid, "VmRSS:") - earlyKiB;
  const long peakKiB = statusKiB(pid, "VmHWM:");

  // At rest after a click.
  const int cx = window.x + window.width / 2, cy = window.y + window.height / 2;
  x.click(cx, cy);
  sleepMs(1000);
  const double rest0 = cpuSeconds(pid);
  sleepMs(10000);
  const double restPercent = (cpuSeconds(pid) - rest0) / 10.0 * 100.0;

  // A drag sets it spinning again; then minimised: nothing to draw, so nothing to do.
  x.moveTo(cx - 60, cy);
  x.button(1, true);
  for (int i = 1; i <= 6; ++i) x.moveTo(cx - 60 + 20 * i, cy - 5 * i);
  x.button(1, false);
  sleepMs(500);
  const double spin0 = cpuSeconds(pid);
  sleepMs(1000);
  const double spinningPercent = (cpuSeconds(pid) - spin0) * 100.0;
  XIconifyWindow(x.d, window.id, DefaultScreen(x.d));
  waitUntil([&] { return !x.geometry(window.id).viewable; });
  sleepMs(1000);
  const double minimised0 = cpuSeconds(pid);
  sleepMs(10000);
  const double minimisedPercent = (cpuSeconds(pid) - minimised0) / 10.0 * 100.0;

  x.send(window.id, "WM_PROTOCOLS", {(long)x.atom("WM_DELETE_WINDOW")}, false);
  viewerProcess->wait(10000);
  printf(
      "box_ms=%.0f startup_ms=%.0f peak_rss_mib=%.1f rss_growth_kib=%ld spinning_cpu_percent=%.0f "
      "minimised_cpu_percent=%.2f rest_cpu_percent=%.2f\n",
      boxMs, startupMs, peakKiB / 1024.0, growthKiB, spinningPercent, minimisedPercent,
      restPercent);
  return 0;
}
