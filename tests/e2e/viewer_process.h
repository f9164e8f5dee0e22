// Starts the viewer as a user would, on a given X display, and watches it end.
#pragma once

#include <sys/types.h>

#include <ostream>
#include <string>
#include <vector>

struct Launcher {
  std::string name;                  // for test names: "native", "wine"
  std::vector<std::string> argv;     // the command that starts the viewer
  std::vector<std::string> env;      // extra NAME=value settings
  std::vector<std::string> cleanup;  // run after each test, when not empty
  // Where the platform draws no frame of its own around the client area, the window's
  // outer rectangle is this much larger: left, top, right, bottom.
  int frame[4];
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
  pid_t pid() const { return pid_; }
  // Waits for the exit; the status, or -1 if it did not end within timeoutMs.
  int waitExit(int timeoutMs);
  // What the process wrote to stderr so far (complete once it has exited).
  std::string stderrText();

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::string stderrPath_;
};

// The launchers this test binary drives: the native binary, or the Windows build under Wine.
std::vector<Launcher> availableLaunchers();
// Runs a command to its end with extra environment settings; its exit status.
int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env);
