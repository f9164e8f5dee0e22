#include "virtual_input.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>

VirtualInput::VirtualInput(const std::vector<std::string>& env,
                           const std::vector<std::string>& argv) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
  child_ = std::make_unique<Child>([&] {
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    dup2(in[0], 0), dup2(out[1], 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  });
  close(in[0]), close(out[1]);
  toChild_ = in[1], fromChild_ = out[0];
  std::string line;
  ok_ = readLine(&line, 60000) && line == "ready";
}

VirtualInput::~VirtualInput() {
  close(toChild_), close(fromChild_);  // the client ends at the end of its input
  child_.reset();
}

bool VirtualInput::readLine(std::string* line, int timeoutMs) {
  line->clear();
  char c;
  for (pollfd p = {fromChild_, POLLIN, 0};
       poll(&p, 1, timeoutMs) > 0 && read(fromChild_, &c, 1) == 1;) {
    if (c == '\n') return true;
    line->push_back(c);
  }
  return false;
}

bool VirtualInput::send(const std::string& command) {
  const std::string line = command + "\n";
  // A client that has died must fail this command, not end the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  std::string answer;
  if (!ok_ || write(toChild_, line.data(), line.size()) != (ssize_t)line.size() ||
      !readLine(&answer) || answer != "ok") {
    std::cerr << "virtual input: '" << command << "' not done: " << answer << "\n";
    return false;
  }
  return true;
}
