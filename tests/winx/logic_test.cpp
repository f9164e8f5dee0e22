// The layer's pure parts: message order and coalescing, timers, keys, pixel-format choice.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <vector>

#include "keys.h"
#include "message_queue.h"
#include "pixel_format_choice.h"
#include "timers.h"

namespace {

HWND fakeWindow(int n) {
  return (HWND)(uintptr_t)(0x1000 * n);
}

winx::QueuedMessage message(HWND hwnd, UINT m, LPARAM lParam = 0) {
  winx::QueuedMessage q;
  q.msg.hwnd = hwnd;
  q.msg.message = m;
  q.msg.lParam = lParam;
  return q;
}

std::vector<UINT> drain(winx::MessageQueue& q, std::vector<LPARAM>* params = nullptr) {
  std::vector<UINT> out;
  winx::QueuedMessage m;
  while (q.take(&m)) {
    out.push_back(m.msg.message);
    if (params) params->push_back(m.msg.lParam);
  }
  return out;
}

TEST(MessageQueue, MotionCoalescesOnlyWithMotionAtTheTail) {
  winx::MessageQueue q;
  const HWND w = fakeWindow(1);
  q.post(message(w, WM_MOUSEMOVE, 1));
  q.post(message(w, WM_MOUSEMOVE, 2));
  q.post(message(w, WM_LBUTTONDOWN, 3));
  q.post(message(w, WM_MOUSEMOVE, 4));
  q.post(message(w, WM_MOUSEMOVE, 5));
  q.post(message(w, WM_KEYDOWN, 6));
  q.post(message(w, WM_MOUSEMOVE, 7));
  q.post(message(fakeWindow(2), WM_MOUSEMOVE, 8));
  q.post(message(w, WM_LBUTTONUP, 9));
  std::vector<LPARAM> params;
  EXPECT_EQ(drain(q, &params),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_KEYDOWN, WM_MOUSEMOVE,
                               WM_MOUSEMOVE, WM_LBUTTONUP}));
  EXPECT_EQ(params, (std::vector<LPARAM>{2, 3, 5, 6, 7, 8, 9}));
}

TEST(MessageQueue, PeekLeavesTheMessageAndQuitComesAfterPostedOnes) {
  winx::MessageQueue q;
  q.postQuit(7);
  q.post(message(fakeWindow(1), WM_CLOSE));
  winx::QueuedMessage m;
  ASSERT_TRUE(q.peek(&m));
  EXPECT_EQ(m.msg.message, (UINT)WM_CLOSE);
  ASSERT_TRUE(q.take(&m));
  EXPECT_EQ(m.msg.message, (UINT)WM_CLOSE);
  ASSERT_TRUE(q.take(&m));
  EXPECT_EQ(m.msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(m.msg.wParam, 7u);
  EXPECT_FALSE(q.take(&m));
  EXPECT_TRUE(q.empty());
}

TEST(MessageQueue, FrontPostsAndDroppedWindows) {
  winx::MessageQueue q;
  q.post(message(fakeWindow(1), WM_TIMER));
  q.post(message(fakeWindow(2), WM_TIMER));
  q.postFront(message(fakeWindow(1), WM_CHAR));
  q.dropWindow(fakeWindow(2));
  EXPECT_EQ(drain(q), (std::vector<UINT>{WM_CHAR, WM_TIMER}));
}

TEST(Timers, FireOncePerPeriodAndNeverInBursts) {
  winx::TimerSet t;
  const HWND w = fakeWindow(1);
  t.set(w, 1, 100, 1000);
  HWND hwnd;
  UINT_PTR id;
  EXPECT_EQ(t.msUntilNext(1000), 100);
  EXPECT_FALSE(t.due(1099, &hwnd, &id, true));
  EXPECT_TRUE(t.due(1100, &hwnd, &id, false));  // a peek does not consume it
  EXPECT_TRUE(t.due(1100, &hwnd, &id, true));
  EXPECT_EQ(hwnd, w);
  EXPECT_EQ(id, 1u);
  EXPECT_FALSE(t.due(1100, &hwnd, &id, true));
  // Half a second late: one tick, then a full period again.
  EXPECT_TRUE(t.due(1700, &hwnd, &id, true));
  EXPECT_FALSE(t.due(1750, &hwnd, &id, true));
  EXPECT_EQ(t.msUntilNext(1750), 50);
}

TEST(Timers, EarliestFirstAndKilledWithTheWindow) {
  winx::TimerSet t;
  t.set(fakeWindow(1), 1, 300, 0);
  t.set(fakeWindow(2), 9, 100, 0);
  HWND hwnd;
  UINT_PTR id;
  ASSERT_TRUE(t.due(500, &hwnd, &id, true));
  EXPECT_EQ(id, 9u);
  t.killWindow(fakeWindow(1));
  t.killWindow(fakeWindow(2));
  EXPECT_EQ(t.msUntilNext(500), -1);
  EXPECT_FALSE(t.kill(fakeWindow(1), 1));
}

TEST(Keys, VirtualKeysAndCharacters) {
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_Escape), (UINT)VK_ESCAPE);
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_f), (UINT)'F');
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_F), (UINT)'F');
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_7), (UINT)'7');
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_Return), (UINT)VK_RETURN);
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_F5), (UINT)(VK_F1 + 4));
  EXPECT_EQ(winx::virtualKeyFromKeysym(XK_Shift_L), (UINT)VK_SHIFT);
  EXPECT_EQ(winx::charactersFromLookup("\x1b", 1), "\x1b");
  EXPECT_EQ(winx::charactersFromLookup("P", 1), "P");
  EXPECT_EQ(winx::charactersFromLookup("\x7f", 1), "");
}

PIXELFORMATDESCRIPTOR candidate(DWORD flags, int colour, int alpha, int depth, int stencil = 0) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.dwFlags = flags;
  p.iPixelType = PFD_TYPE_RGBA;
  p.cColorBits = (BYTE)colour;
  p.cAlphaBits = (BYTE)alpha;
  p.cDepthBits = (BYTE)depth;
  p.cStencilBits = (BYTE)stencil;
  return p;
}

const DWORD window = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;

PIXELFORMATDESCRIPTOR viewerRequest() {
  return candidate(window | PFD_DOUBLEBUFFER, 8, 0, 16);
}

TEST(ChoosePixelFormat, PrefersDoubleBufferThenTheSmallestThatMeetsTheRequest) {
  const std::vector<PIXELFORMATDESCRIPTOR> list = {
      candidate(window, 24, 0, 16),                     // single-buffered
      candidate(window | PFD_DOUBLEBUFFER, 32, 8, 24),  // more than needed
      candidate(window | PFD_DOUBLEBUFFER, 24, 0, 24),
      candidate(window | PFD_DOUBLEBUFFER, 24, 0, 16),  // best
      candidate(window | PFD_DOUBLEBUFFER, 24, 0, 16, 8),
  };
  EXPECT_EQ(winx::choosePixelFormat(viewerRequest(), list), 4);
}

TEST(ChoosePixelFormat, FallsShortAsLittleAsPossible) {
  const std::vector<PIXELFORMATDESCRIPTOR> list = {
      candidate(window | PFD_DOUBLEBUFFER, 16, 0, 0),
      candidate(window | PFD_DOUBLEBUFFER, 16, 0, 8),
      candidate(window | PFD_DOUBLEBUFFER, 16, 0, 8),  // a tie keeps the first
  };
  PIXELFORMATDESCRIPTOR req = viewerRequest();
  req.cColorBits = 24;
  EXPECT_EQ(winx::choosePixelFormat(req, list), 2);
}

TEST(ChoosePixelFormat, RejectsWhatCannotServeTheRequest) {
  std::vector<PIXELFORMATDESCRIPTOR> list = {
      candidate(PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, 24, 0, 16),  // no window drawing
      candidate(PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER, 24, 0, 16),  // no OpenGL
  };
  PIXELFORMATDESCRIPTOR index = candidate(window | PFD_DOUBLEBUFFER, 8, 0, 16);
  index.iPixelType = PFD_TYPE_COLORINDEX;
  list.push_back(index);
  EXPECT_EQ(winx::choosePixelFormat(viewerRequest(), list), 0);
  EXPECT_EQ(winx::choosePixelFormat(viewerRequest(), {}), 0);
  // A single-buffered format still serves a double-buffer request when nothing better exists.
  list.push_back(candidate(window, 24, 0, 16));
  EXPECT_EQ(winx::choosePixelFormat(viewerRequest(), list), 4);
}

}  // namespace
