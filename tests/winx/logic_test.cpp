// The layer's pure parts: message order and coalescing, timers.
#include <gtest/gtest.h>

#include <string>

#include "message_queue.h"
#include "timers.h"

namespace {

HWND fakeWindow(int n) {
  return (HWND)(uintptr_t)(0x1000 * n);
}

// Posts "window:message:lParam[:front]" items, drops window 3's, and drains the queue:
// what comes out, written the same way, in order.
std::string through(const std::vector<std::string>& in, int quitCode = -1) {
  winx::MessageQueue q;
  if (quitCode >= 0) q.postQuit(quitCode);
  for (const std::string& item : in) {
    winx::QueuedMessage m;
    int window = 0, front = 0;
    sscanf(item.c_str(), "%d:%u:%ld:%d", &window, &m.msg.message, &m.msg.lParam, &front);
    m.msg.hwnd = fakeWindow(window);
    front ? q.postFront(m) : q.post(m);
  }
  q.dropWindow(fakeWindow(3));
  std::string out;
  for (winx::QueuedMessage m; q.take(&m);) {
    out += std::to_string((uintptr_t)m.msg.hwnd / 0x1000) + ":" + std::to_string(m.msg.message) +
           ":" + std::to_string(m.msg.message == WM_QUIT ? m.msg.wParam : m.msg.lParam) + " ";
  }
  return q.empty() ? out : "the queue is not empty after draining";
}

TEST(MessageQueue, OrderCoalescingFrontPostsDroppedWindowsAndQuit) {
  static_assert(WM_MOUSEMOVE == 512 && WM_LBUTTONDOWN == 513 && WM_LBUTTONUP == 514 &&
                    WM_KEYDOWN == 256 && WM_CHAR == 258 && WM_TIMER == 275 && WM_QUIT == 18,
                "the items below spell these out");
  // clang-format off
  const struct { std::vector<std::string> in; int quit; const char* out; } cases[] = {
      // Motion folds into motion of the same window at the tail, never across other input.
      {{"1:512:1", "1:512:2", "1:513:3", "1:512:4", "1:512:5", "1:256:6", "1:512:7", "2:512:8",
        "1:514:9"}, -1, "1:512:2 1:513:3 1:512:5 1:256:6 1:512:7 2:512:8 1:514:9 "},
      // Quit waits for what was posted; a front post jumps the queue; a gone window's go.
      {{"1:275:1", "3:275:2", "1:258:3:1"}, 7, "1:258:3 1:275:1 0:18:7 "},
      {{}, -1, ""},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(through(c.in, c.quit), c.out);
}

TEST(Timers, OncePerPeriodEarliestFirstNeverInBursts) {
  winx::TimerSet t;
  t.set(fakeWindow(1), 1, 100, 1000);
  t.set(fakeWindow(2), 9, 300, 1000);
  // clang-format off
  const struct { int64_t now; bool remove; UINT_PTR due; } steps[] = {
      {1099, true, 0}, {1100, false, 1}, {1100, true, 1},  // a peek does not consume it
      {1100, true, 0}, {1700, true, 1},  {1700, true, 9},  // late: one tick, not six
      {1750, true, 0}};
  // clang-format on
  for (const auto& s : steps) {
    HWND hwnd;
    UINT_PTR id = 0;
    const bool due = t.due(s.now, &hwnd, &id, s.remove);
    EXPECT_EQ(due ? id : 0, s.due) << "at " << s.now;
  }
  EXPECT_EQ(t.msUntilNext(1750), 50);
  t.killWindow(fakeWindow(1)), t.killWindow(fakeWindow(2));
  EXPECT_EQ(t.msUntilNext(1750), -1);
  EXPECT_FALSE(t.kill(fakeWindow(1), 1));
}

}  // namespace
