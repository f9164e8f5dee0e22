// Runs a test body in a child process: the Win32 layer keeps one X connection per process,
// and each test brings its own X server.
#pragma once

#include <functional>

// Runs body in a fork and returns the child's exit status: 0 when its assertions held, 1 when
// one failed (or the status it exited with), 128 + signal if it crashed, -1 when it had to be
// killed after timeoutMs.
// whileRunning, when given, runs in the parent right after the fork: threads must not exist at
// fork time, since the child would inherit locks they may hold (the sanitizers' among them).
int runIsolated(const std::function<void()>& body, int timeoutMs = 60000,
                const std::function<void()>& whileRunning = nullptr);
