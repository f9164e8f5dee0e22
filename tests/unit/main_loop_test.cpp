// The main loop over the Win32 layer's real queue. No X server is needed: windows are not
// shown, and posted messages and timers never touch the display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/state.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"

namespace {

std::vector<std::string> events;
HWND target;

LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) events.push_back("message " + std::to_string(wParam));
  if (msg == WM_TIMER) {
    events.push_back("timer");
    if (events.size() == 3) PostQuitMessage(0);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Idle procedures, each logging its runs.
void idleThatPostsOnce() {
  events.push_back("idle");
  if (events.size() == 4) {
    PostMessageA(target, WM_USER, 9, 0);
  } else {
    idleFunc = nullptr;
    PostQuitMessage(5);
  }
}
void idleThatRemovesItself() {
  events.push_back("idle");
  idleFunc = nullptr;
}

TEST(MainLoop, MessagesIdleAndTheExitCode) {
  const struct {
    const char* name;
    int posted, timerMs;
    IdleProc idle;
    int exitCode;
    std::vector<std::string> want;
  } cases[] = {
      {"waiting messages come before the idle procedure",
       3,
       0,
       idleThatPostsOnce,
       5,
       {"message 1", "message 2", "message 3", "idle", "message 9", "idle"}},
      {"without an idle procedure it blocks for messages",
       0,
       20,
       nullptr,
       0,
       {"timer", "timer", "timer"}},
      {"an idle procedure that removes itself runs once",
       0,
       10,
       idleThatRemovesItself,
       0,
       {"idle", "timer", "timer"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, runInChild([&] {
                target = makeTestWindow(loggingProc, "loop");
                for (int i = 1; i <= c.posted; ++i) PostMessageA(target, WM_USER, (WPARAM)i, 0);
                if (c.timerMs) SetTimer(target, 1, (UINT)c.timerMs, NULL);
                idleFunc = c.idle;
                EXPECT_EQ(runMainLoop(), c.exitCode);
                EXPECT_EQ(events, c.want);
              }))
        << c.name;
  }
}

TEST(MainLoop, AFailingQueueIsNotASuccess) {
  // Nothing can ever arrive (no window, no timer, no display): the queue reports an error.
  EXPECT_EQ(0, runInChild([] { EXPECT_EQ(runMainLoop(), 1); }, 5000));
}

}  // namespace
