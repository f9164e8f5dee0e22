// The main loop over the Win32 layer's real queue. No X server is needed: windows are not
// shown, and posted messages and timers never touch the display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/state.h"
#include "tests/support/isolated.h"

namespace {

std::vector<std::string> events;
int timerTicks = 0;

LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) events.push_back("message " + std::to_string(wParam));
  if (msg == WM_TIMER && ++timerTicks == 3) PostQuitMessage(0);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND hiddenWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = loggingProc;
  wc.lpszClassName = "Loop";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Loop", "loop", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
}

HWND target;

void idleThatPostsOnce() {
  events.push_back("idle");
  if (events.size() == 4) {
    PostMessageA(target, WM_USER, 9, 0);
  } else {
    idleFunc = nullptr;
    PostQuitMessage(5);
  }
}

TEST(MainLoop, WaitingMessagesComeBeforeTheIdleProcedure) {
  EXPECT_EQ(0, runIsolated([] {
              target = hiddenWindow();
              for (WPARAM i = 1; i <= 3; ++i) PostMessageA(target, WM_USER, i, 0);
              idleFunc = idleThatPostsOnce;
              EXPECT_EQ(runMainLoop(), 5);
              EXPECT_EQ(events, (std::vector<std::string>{"message 1", "message 2", "message 3",
                                                          "idle", "message 9", "idle"}));
            }));
}

TEST(MainLoop, WithoutAnIdleProcedureItWaitsForMessages) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = hiddenWindow();
              SetTimer(hwnd, 1, 20, NULL);
              idleFunc = nullptr;
              EXPECT_EQ(runMainLoop(), 0);
              EXPECT_EQ(timerTicks, 3);
              EXPECT_TRUE(events.empty());
            }));
}

int selfRemovingCalls = 0;
void idleThatRemovesItself() {
  ++selfRemovingCalls;
  idleFunc = nullptr;
}

TEST(MainLoop, AnIdleProcedureThatRemovesItselfRunsOnce) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = hiddenWindow();
              SetTimer(hwnd, 1, 10, NULL);
              idleFunc = idleThatRemovesItself;
              EXPECT_EQ(runMainLoop(), 0);
              EXPECT_EQ(selfRemovingCalls, 1);
            }));
}

TEST(MainLoop, AFailingQueueIsNotASuccess) {
  // Nothing can ever arrive (no window, no timer, no display): the queue reports an error.
  EXPECT_EQ(0, runIsolated([] { EXPECT_EQ(runMainLoop(), 1); }, 5000));
}

}  // namespace
