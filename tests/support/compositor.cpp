#include "compositor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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

Compositor::~Compositor() {
  input.reset(), server.reset();
  while (!services.empty()) services.pop_back();
  x.reset(), xvfb.reset();
  if (!runtimeDir.empty()) std::filesystem::remove_all(runtimeDir);
}

bool Compositor::makeRuntimeDir() {
  char path[] = "/tmp/bowlview-wayland-XXXXXX";
  if (!mkdtemp(path)) return error = name + ": no runtime directory", false;
  runtimeDir = path;
  return true;
}

bool Compositor::inXvfb(int xWidth, int xHeight) {
  const std::string screen = std::to_string(xWidth) + "x" + std::to_string(xHeight) + "x24";
  xvfb = std::make_unique<Xvfb>(screen, std::vector<std::string>{}, compositorSide());
  if (xvfb->name.empty() || !makeRuntimeDir()) return error = name + ": no Xvfb to run in", false;
  x = std::make_unique<XClient>(xvfb->name);
  return true;
}

bool Compositor::listening(const std::string& socket) {
  const std::string path = runtimeDir + "/" + socket;
  if (waitUntil([&] { return std::filesystem::exists(path) || !server->running(); }) &&
      server->running())
    return display = socket, true;
  return error = name + ": did not start: " + server->stderrText().substr(0, 2000), false;
}

bool Compositor::virtualInput() {
  input = std::make_unique<VirtualInput>(
      clientEnv(), std::vector<std::string>{BOWLVIEW_VIRTUAL_INPUT, std::to_string(width),
                                            std::to_string(height)});
  return input->ok();
}

std::vector<std::string> Compositor::clientEnv() const {
  return {"XDG_RUNTIME_DIR=" + runtimeDir, "WAYLAND_DISPLAY=" + display, "DISPLAY=" + xDisplay,
          "XAUTHORITY=" + xAuthority};
}

void Compositor::moveTo(int x_, int y_) {
  input->send("move " + std::to_string(x_) + " " + std::to_string(y_));
}

void Compositor::button(bool press) {
  input->send(press ? "button 272 1" : "button 272 0");  // BTN_LEFT
}

// As the keysym's number, which xkbcommon shares with X.
void Compositor::key(const std::string& keysym, bool press) {
  input->send("key " + std::to_string(XStringToKeysym(keysym.c_str())) + (press ? " 1" : " 0"));
}

void Compositor::touch(const std::string& phase, int x_, int y_) {
  input->send("touch " + phase +
              (phase == "up" ? "" : " " + std::to_string(x_) + " " + std::to_string(y_)));
}

static std::string root() {
  const char* r = getenv("BOWLVIEW_COMPOSITOR_ROOT");
  return r && *r && std::string(r) != "/" ? r : "";
}

std::vector<std::string> compositorSide(std::vector<std::string> argv) {
  if (root().empty()) return argv;
  std::vector<std::string> in = {"/usr/bin/env", "BOWLVIEW_DEBIAN13_ROOT=" + root(), "bash",
                                 BOWLVIEW_DEBIAN13, "run"};
  in.insert(in.end(), argv.begin(), argv.end());
  return in;
}

std::string compositorFile(const std::string& path) {
  return root() + path;
}

int compositorRelease() {
  std::ifstream in(compositorFile("/etc/os-release"));
  int release = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VERSION_ID=\"", 0) == 0) release = atoi(line.c_str() + 12);
  }
  return release;
}
