// Child processes with deadlines, and waiting for an observable state instead of sleeping.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Asks condition every few milliseconds until it holds or timeoutMs has passed; its last answer.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// For measurements over time only (benchmarks); tests wait for states.
void sleepMs(int ms);

// A child process in its own process group; killed with its group if still running at the end.
class Child {
 public:
  // Runs body in a fork: the child exits 0 if none of its assertions failed, else 1. The Win32
  // layer keeps one X connection per process, so a test that uses it runs it in a child.
  explicit Child(const std::function<void()>& body);
  // Runs argv with extra NAME=value settings ("NAME=" removes NAME); stderr is kept.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env);
  ~Child();
  pid_t pid() const { return pid_; }
  bool running();
  // The exit status, 128 + signal after a crash, or -1 (the child killed) after timeoutMs.
  int wait(int timeoutMs = 60000);
  std::string stderrText() const;

 private:
  void start(const std::function<void()>& inChild);
  pid_t pid_ = -1;
  int status_ = -1;
  std::string stderrPath_;
};

// Child(body).wait(timeoutMs).
inline int runInChild(const std::function<void()>& body, int timeoutMs = 60000) {
  return Child(body).wait(timeoutMs);
}
