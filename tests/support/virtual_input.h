// A virtual pointer and keyboard on a wlroots compositor's seat, through virtual_input_client
// run as a child that lives as long as this object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"

class VirtualInput {
 public:
  // env reaches the compositor; width × height is its output in physical pixels.
  VirtualInput(const std::vector<std::string>& env, int width, int height,
               const std::string& layout = "us");
  ~VirtualInput();
  bool ok() const { return ok_; }
  // One command of the client's (see virtual_input_client.cpp); whether it was done.
  bool send(const std::string& command);

 private:
  bool readLine(std::string* line);
  std::unique_ptr<Child> child_;
  int toChild_ = -1, fromChild_ = -1;
  bool ok_ = false;
};
