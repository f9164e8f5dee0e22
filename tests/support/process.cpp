#include "process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (; std::chrono::steady_clock::now() < end; sleepMs(10)) {
    if (condition()) return true;
  }
  return condition();
}

void sleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Child::Child(const std::function<void()>& body) {
  start([&] {
    body();
    fflush(stdout);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  });
}

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  char path[] = "/tmp/bowlview-test-stderr-XXXXXX", outPath[] = "/tmp/bowlview-test-stdout-XXXXXX";
  const int fd = mkstemp(path), out = mkstemp(outPath);
  stderrPath_ = path, stdoutPath_ = outPath;
  start([&] {
    for (const std::string& e : env) {
      const std::string name = e.substr(0, e.find('=')), value = e.substr(e.find('=') + 1);
      value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    }
    dup2(open("/dev/null", O_RDONLY), 0), dup2(out, 1), dup2(fd, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  });
  close(fd), close(out);
}

void Child::start(const std::function<void()>& inChild) {
  fflush(stdout), fflush(stderr);
  if ((pid_ = fork()) == 0) {
    setpgid(0, 0);  // so that a kill reaches whatever the child starts in turn
    inChild();
  }
}

Child::~Child() {
  wait(0);
  if (!stderrPath_.empty()) unlink(stderrPath_.c_str());
  if (!stdoutPath_.empty()) unlink(stdoutPath_.c_str());
}

bool Child::running() {
  int st = 0;
  if (pid_ <= 0 || status_ >= 0) return false;
  if (waitpid(pid_, &st, WNOHANG) != pid_) return true;
  status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  return false;
}

int Child::wait(int timeoutMs) {
  if (waitUntil([&] { return !running(); }, timeoutMs)) return status_;
  kill(-pid_, SIGKILL), kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  status_ = 128 + SIGKILL;
  return -1;
}

static std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Child::stderrText() const {
  return fileText(stderrPath_);
}

std::string Child::stdoutText() const {
  return fileText(stdoutPath_);
}

std::string commandOutput(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                          int timeoutMs) {
  Child child(argv, env);
  child.wait(timeoutMs);
  return child.stdoutText();
}
