// Child processes with deadlines, and waiting for an observable state instead of sleeping.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Asks condition every 10 ms until it holds or timeoutMs has passed; its last answer.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
void sleepMs(int ms);  // for measurements over time (benchmarks); tests wait for states

// A child in its own process group, killed with it at the end: a body in a fork (status 1 if an
// assertion failed) or a command with NAME=value settings ("NAME=" removes), stderr and stdout
// kept. The Win32 layer keeps one X connection a process: tests that use it run it in a child.
class Child {
 public:
  explicit Child(const std::function<void()>& body);
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env);
  ~Child();
  pid_t pid() const { return pid_; }
  bool running();
  int wait(int timeoutMs = 60000);  // the status (128 + signal after a crash), -1 after timeoutMs
  std::string stderrText() const;
  std::string stdoutText() const;

 private:
  void start(const std::function<void()>& inChild);
  pid_t pid_ = -1;
  int status_ = -1;
  std::string stderrPath_, stdoutPath_;
};

// The standard output of a command run as Child runs it, once it has ended (within timeoutMs).
std::string commandOutput(const std::vector<std::string>& argv,
                          const std::vector<std::string>& env = {}, int timeoutMs = 10000);

inline int runInChild(const std::function<void()>& body, int timeoutMs = 60000) {
  return Child(body).wait(timeoutMs);
}
