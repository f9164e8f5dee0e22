#include "viewer_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string.h>
#include <fstream>
#include <sstream>
#include <thread>

ViewerProcess::ViewerProcess(const Launcher& launcher, const std::string& display) {
  char path[] = "/tmp/bowlview-e2e-stderr-XXXXXX";
  const int fd = mkstemp(path);
  stderrPath_ = path;
  pid_ = fork();
  if (pid_ == 0) {
    // Its own process group, so that a kill reaches whatever the launcher started.
    setpgid(0, 0);
    if (display.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", display.c_str(), 1);
    }
    for (const std::string& e : launcher.env) putenv(::strdup(e.c_str()));
    dup2(fd, 2);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    std::vector<char*> argv;
    for (const std::string& a : launcher.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(fd);
}

ViewerProcess::~ViewerProcess() {
  if (running()) {
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  unlink(stderrPath_.c_str());
}

bool ViewerProcess::running() {
  if (pid_ <= 0 || status_ >= 0) return false;
  int st = 0;
  if (waitpid(pid_, &st, WNOHANG) == pid_) {
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return false;
  }
  return true;
}

int ViewerProcess::waitExit(int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (running()) {
    if (std::chrono::steady_clock::now() > end) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
}

std::string ViewerProcess::stderrText() {
  std::ifstream in(stderrPath_);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (const std::string& e : env) putenv(::strdup(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

std::vector<Launcher> availableLaunchers() {
#if defined(BOWLVIEW_WINE_EXE)
  const std::vector<std::string> env = {std::string("WINEPREFIX=") + BOWLVIEW_WINEPREFIX,
                                        "WINEDEBUG=-all",
                                        "WINEDLLOVERRIDES=mscoree,mshtml=;winemenubuilder.exe=d"};
  // Without a window manager Wine keeps the frame of a WS_OVERLAPPEDWINDOW to itself and
  // maps only the client area: 4-pixel sizing borders and a 19-pixel caption (measured).
  return {{"wine", {"wine", BOWLVIEW_WINE_EXE}, env, {"wineserver", "-k"}, {4, 23, 4, 4}}};
#else
  return {{"native", {BOWLVIEW_NATIVE}, {}, {}, {0, 0, 0, 0}}};
#endif
}
