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

std::vector<Launcher> availableLaunchers() {
  std::vector<Launcher> out = {{"native", {BOWLVIEW_NATIVE}, {}}};
  const char* exe = std::getenv("BOWLVIEW_EXE");
  const char* prefix = std::getenv("BOWLVIEW_WINEPREFIX");
  if (exe && *exe && prefix && *prefix) {
    out.push_back({"wine",
                   {"wine", exe},
                   {std::string("WINEPREFIX=") + prefix, "WINEDEBUG=-all",
                    "WINEDLLOVERRIDES=winemenubuilder.exe=d"}});
  }
  return out;
}
