// A client that gives a compositor's seat input as a user would, run as a child that lives as
// long as this object and takes one command a line: virtual_input_client (a virtual pointer
// and keyboard on a wlroots compositor) or remote_desktop.py (mutter's remote desktop).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"

class VirtualInput {
 public:
  // env reaches the compositor; argv is the client and its arguments.
  VirtualInput(const std::vector<std::string>& env, const std::vector<std::string>& argv);
  ~VirtualInput();
  bool ok() const { return ok_; }
  // One command of the client's (see virtual_input_client.cpp); whether it was done.
  bool send(const std::string& command);

 private:
  bool readLine(std::string* line, int timeoutMs = 10000);
  std::unique_ptr<Child> child_;
  int toChild_ = -1, fromChild_ = -1;
  bool ok_ = false;
};
