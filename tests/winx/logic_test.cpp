// The layer's pure parts: message order and coalescing, timers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_queue.h"
#include "timers.h"

namespace {

HWND fakeWindow(int n) {
  return (HWND)(uintptr_t)(0x1000 * n);
}

void post(winx::MessageQueue& q, int window, UINT m, LPARAM lParam = 0, bool front = false) {
  winx::QueuedMessage qm;
  qm.msg.hwnd = fakeWindow(window);
  qm.msg.message = m;
  qm.msg.lParam = lParam;
  front ? q.postFront(qm) : q.post(qm);
}

// Every message as "message:lParam", in the order taken.
std::vector<std::string> drain(winx::MessageQueue& q) {
  std::vector<std::string> out;
  winx::QueuedMessage m;
  while (q.take(&m))
    out.push_back(std::to_string(m.msg.message) + ":" + std::to_string(m.msg.lParam));
  return out;
}

std::string m(UINT message, LPARAM lParam = 0) {
  return std::to_string(message) + ":" + std::to_string(lParam);
}

TEST(MessageQueue, MotionCoalescesOnlyWithMotionOfTheSameWindowAtTheTail) {
  winx::MessageQueue q;
  const UINT sequence[] = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE,
                           WM_MOUSEMOVE, WM_KEYDOWN,   WM_MOUSEMOVE};
  for (int i = 0; i < 7; ++i) post(q, 1, sequence[i], i + 1);
  post(q, 2, WM_MOUSEMOVE, 8);
  post(q, 1, WM_LBUTTONUP, 9);
  EXPECT_EQ(drain(q),
            (std::vector<std::string>{m(WM_MOUSEMOVE, 2), m(WM_LBUTTONDOWN, 3), m(WM_MOUSEMOVE, 5),
                                      m(WM_KEYDOWN, 6), m(WM_MOUSEMOVE, 7), m(WM_MOUSEMOVE, 8),
                                      m(WM_LBUTTONUP, 9)}));
}

TEST(MessageQueue, PeekFrontPostsQuitLastAndDroppedWindows) {
  winx::MessageQueue q;
  q.postQuit(7);
  post(q, 1, WM_TIMER);
  post(q, 2, WM_TIMER);
  post(q, 1, WM_CHAR, 0, true);
  q.dropWindow(fakeWindow(2));
  winx::QueuedMessage first;
  ASSERT_TRUE(q.peek(&first));
  EXPECT_EQ(first.msg.message, (UINT)WM_CHAR);
  EXPECT_EQ(drain(q), (std::vector<std::string>{m(WM_CHAR), m(WM_TIMER), m(WM_QUIT)}));
  EXPECT_TRUE(q.empty());
}

TEST(Timers, OncePerPeriodEarliestFirstNeverInBursts) {
  winx::TimerSet t;
  t.set(fakeWindow(1), 1, 100, 1000);
  t.set(fakeWindow(2), 9, 300, 1000);
  HWND hwnd;
  UINT_PTR id;
  const struct {
    int64_t now;
    bool remove, due;
    UINT_PTR id;
  } steps[] = {
      {1099, true, false, 0}, {1100, false, true, 1},  // a peek does not consume it
      {1100, true, true, 1},  {1100, true, false, 0}, {1700, true, true, 1},  // late: one tick
      {1700, true, true, 9},  {1750, true, false, 0},
  };
  for (const auto& s : steps) {
    id = 0;
    EXPECT_EQ(t.due(s.now, &hwnd, &id, s.remove), s.due) << "at " << s.now;
    if (s.due) {
      EXPECT_EQ(id, s.id) << "at " << s.now;
    }
  }
  EXPECT_EQ(t.msUntilNext(1750), 50);
  t.killWindow(fakeWindow(1));
  t.killWindow(fakeWindow(2));
  EXPECT_EQ(t.msUntilNext(1750), -1);
  EXPECT_FALSE(t.kill(fakeWindow(1), 1));
}

}  // namespace
