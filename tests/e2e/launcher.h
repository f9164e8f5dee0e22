// How to start the viewer as a user would: the native binary, or the Windows build under Wine.
#pragma once

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"

struct Launcher {
  std::string name;                    // "native" or "wine"
  std::vector<std::string> argv, env;  // the command, and its extra NAME=value settings
  // Where the platform draws no frame of its own around the client area, the window's
  // outer rectangle is this much larger: left, top, right, bottom.
  int frame[4];
};

// The launcher this binary drives, chosen when it is built. Without a manager Wine keeps a
// WS_OVERLAPPEDWINDOW's frame to itself (4-pixel borders, the caption wine-prefix.sh sets).
// BOWLVIEW_EXE runs another .exe, or a .lnk as the Start menu would; Wine 10's start neither
// waits for it nor passes on its status, so the launch ends with the prefix's last program.
inline Launcher launcher() {
#if defined(BOWLVIEW_WINE_EXE)
  const std::string exe = getenv("BOWLVIEW_EXE") ? getenv("BOWLVIEW_EXE") : BOWLVIEW_WINE_EXE;
  const bool link = exe.size() > 4 && exe.compare(exe.size() - 4, 4, ".lnk") == 0;
  return {"wine",
          link ? std::vector<std::string>{"sh", "-c",
                                          "wine start /unix \"$0\" && exec wineserver -w", exe}
               : std::vector<std::string>{"wine", exe},
          {std::string("WINEPREFIX=") + BOWLVIEW_WINEPREFIX, "WINEDEBUG=-all",
           "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d"},
          {4, 23, 4, 4}};
#else
  // A Wayland display that does not answer: the viewer falls back to X, as it must on an X
  // desktop where WAYLAND_DISPLAY is left over (and a compositor of the machine's is not used).
  return {"native", {BOWLVIEW_NATIVE}, {"WAYLAND_DISPLAY=bowlview-test-nobody"}, {0, 0, 0, 0}};
#endif
}

// Starts the viewer on an X display ("" for none), with extra NAME=value settings; under the
// command BOWLVIEW_WRAP names, if set (such as valgrind).
inline std::unique_ptr<Child> startViewer(Launcher l, const std::string& display,
                                          std::vector<std::string> env = {}) {
  env.insert(env.begin(), l.env.begin(), l.env.end());
  env.push_back("DISPLAY=" + display);
  if (getenv("BOWLVIEW_WRAP")) l.argv.insert(l.argv.begin(), getenv("BOWLVIEW_WRAP"));
  return std::make_unique<Child>(l.argv, env);
}
