// Starts the viewer as a user would, on a given X display, and watches it end.
#pragma once

#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

struct Launcher {
  std::string name;               // for test names: "native", "wine"
  std::vector<std::string> argv;  // the command that starts the viewer
  std::vector<std::string> env;   // extra NAME=value settings
};

inline void PrintTo(const Launcher& l, std::ostream* os) {
  *os << l.name;
}

class ViewerProcess {
 public:
  // display empty: DISPLAY is removed from the environment.
  ViewerProcess(const Launcher& launcher, const std::string& display);
  ~ViewerProcess();
  bool running();
  // Waits for the exit; the status, or -1 if it did not end within timeoutMs.
  int waitExit(int timeoutMs);
  // What the process wrote to stderr so far (complete once it has exited).
  std::string stderrText();

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::string stderrPath_;
};

// The launchers this build can test: the native binary, and the Windows build under Wine
// where both are present.
std::vector<Launcher> availableLaunchers();
