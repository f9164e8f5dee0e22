// The main loop over the Win32 layer's real queue. No X server is needed: windows are not
// shown, and posted messages and timers never touch the display.
#include <gtest/gtest.h>

#include <string>

#include "app/main_loop.h"
#include "app/state.h"
#include "app/window_proc.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"

namespace {

std::string events;  // what happened, in order: "m1" a message, "t" a timer, "i" an idle run
HWND target;

LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) events += "m" + std::to_string(wParam) + " ";
  if (msg == WM_TIMER && (events += "t ").size() >= 6) PostQuitMessage(0);
  if (msg == WM_SIZE) return windowProc(hwnd, msg, wParam, lParam);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Posts one more message on its first run, then removes itself and quits with 5.
void idleThatPostsOnce() {
  events += "i ";
  if (events.find("m9") == std::string::npos) {
    PostMessageA(target, WM_USER, 9, 0);
  } else {
    idleFunc = nullptr;
    PostQuitMessage(5);
  }
}
void idleThatRemovesItself() {
  events += "i ";
  idleFunc = nullptr;
}

TEST(MainLoop, MessagesIdleRunsAndTheExitCode) {
  const struct {
    int posted, minimised, timerMs;
    IdleProc idle;
    int exitCode;
    const char* want;
  } cases[] = {
      {3, 0, 0, idleThatPostsOnce, 5, "m1 m2 m3 i m9 i "},  // waiting messages before idle runs
      {0, 0, 20, nullptr, 0, "t t t "},                     // no idle procedure: it blocks
      {0, 0, 10, idleThatRemovesItself, 0, "i t t "},       // one that removes itself runs once
      {0, 1, 10, idleThatRemovesItself, 0, "t t t "},       // minimised: nothing is drawn
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, runInChild([&] {
                target = makeTestWindow(loggingProc, "loop");
                static int fakeContext;
                hRC = (HGLRC)&fakeContext;  // so that the viewer's procedure takes WM_SIZE
                if (c.minimised) PostMessageA(target, WM_SIZE, SIZE_MINIMIZED, 0);
                for (int i = 1; i <= c.posted; ++i) PostMessageA(target, WM_USER, (WPARAM)i, 0);
                if (c.timerMs) SetTimer(target, 1, (UINT)c.timerMs, NULL);
                idleFunc = c.idle;
                EXPECT_EQ(runMainLoop(), c.exitCode);
                EXPECT_EQ(events, c.want);
              }))
        << c.want;
  }
  // Nothing can ever arrive (no window, no timer, no display): the queue reports an error.
  EXPECT_EQ(0, runInChild([] { EXPECT_EQ(runMainLoop(), 1); }, 5000));
}

}  // namespace
