// The Win32 layer: its message queue alone, then on a real X server (an Xvfb per test, the
// layer in a child process, input through XTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <stdlib.h>
#include <string>
#include <unistd.h>

#include "keys.h"
#include "message_queue.h"
#include "tests/support/test_window.h"
#include "tests/support/xserver.h"
#ifdef WINX_WAYLAND
#include "wayland/surface_scale.h"
#endif

namespace {

// Posts "window:message:lParam[:front]" items, drops window 3's, drains the queue: what comes
// out, written the same way.
std::string through(const std::vector<std::string>& in, int quitCode = -1) {
  auto fakeWindow = [](int n) { return (HWND)(uintptr_t)(0x1000 * n); };
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

// What xkbcommon types reaches the program in its ANSI code page, Latin-1.
TEST(Keys, Utf8AsLatin1) {
  const struct {
    const char *utf8, *latin1;
  } rows[] = {{"a", "a"},
              {"\xc3\xa9", "\xe9"},
              {"\xc2\xa0x", "\xa0x"},
              {"a\xe2\x82\xac"
               "b",
               "ab"},
              {"\xc5\x93", ""},
              {"\x80z", "z"}};
  for (const auto& r : rows) EXPECT_EQ(winx::latin1FromUtf8(r.utf8), r.latin1) << r.utf8;
}

#ifdef WINX_WAYLAND
// Scales in 120ths: an output's (the mode's fraction of its logical size, where the integer
// rounds it up), sizes fitted to whole logical pixels, buffers pixel-exact or through a viewport.
TEST(WaylandScale, OutputsSizesAndSurfaces) {
  using namespace winx::wayland;
  // integer scale, mode width, logical width: scale; sway at 1.5 and 2, mutter's layout at 2.
  const int outputs[][4] = {{2, 1920, 1280, 180}, {2, 1280, 640, 240}, {2, 2560, 2560, 240},
                            {2, 1600, 1280, 150}, {1, 1280, 0, 120},   {3, 1920, 1280, 360}};
  for (const auto& o : outputs) EXPECT_EQ(outputScale120(o[0], o[1], o[2]), o[3]) << o[1];
  // size, scale: fitted size.
  const int sizes[][3] = {{1228, 180, 1227}, {1229, 180, 1230}, {819, 240, 818},  {819, 120, 819},
                          {1, 180, 3},       {1000, 150, 1000}, {1003, 210, 1001}};
  for (const auto& z : sizes) EXPECT_EQ(snapToScale(z[0], z[1]), z[2]) << z[0] << " at " << z[1];
  const struct {
    int width, height, scale120;
    bool viewporter;
    SurfaceScale want;
  } rows[] = {
      {819, 819, 120, true, {1, 819, 819, false}},  {1638, 1638, 240, true, {2, 819, 819, false}},
      {819, 819, 240, true, {1, 410, 410, true}},   {819, 818, 240, false, {1, 819, 818, false}},
      {1227, 1227, 180, true, {1, 818, 818, true}}, {0, 0, 240, true, {1, 1, 1, true}}};
  for (const auto& r : rows) {
    const SurfaceScale k = surfaceScale(r.width, r.height, r.scale120, r.viewporter);
    EXPECT_EQ(std::vector<int>({k.bufferScale, k.logicalWidth, k.logicalHeight, k.viewport}),
              std::vector<int>(
                  {r.want.bufferScale, r.want.logicalWidth, r.want.logicalHeight, r.want.viewport}))
        << r.width << "x" << r.height << " at " << r.scale120;
  }
}
#endif

TEST(MessageQueue, OrderCoalescingFrontPostsDroppedWindowsAndQuit) {
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

// What the recording window procedure saw.
std::vector<UINT> seen;
LPARAM lastCaptureChange = -1, lastMove = -1;
WPARAM lastSizeType = 99;
const int side = 200;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  seen.push_back(msg);
  if (msg == WM_CAPTURECHANGED) lastCaptureChange = lParam;
  if (msg == WM_MOUSEMOVE) lastMove = lParam;
  if (msg == WM_SIZE) lastSizeType = wParam;
  if (msg == WM_SIZE && wParam == SIZE_RESTORED) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, side, side, SWP_NOMOVE);  // as the viewer does
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool saw(UINT msg) {
  return std::count(seen.begin(), seen.end(), msg) > 0;
}

// Dispatches messages until state holds.
bool pumpUntil(const std::function<bool()>& state) {
  return waitUntil([&] {
    for (MSG m; PeekMessageA(&m, NULL, 0, 0, PM_REMOVE);)
      TranslateMessage(&m), DispatchMessageA(&m);
    return state();
  });
}

class OnXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(server_.name.empty()) << "Xvfb did not start";
    setenv("DISPLAY", server_.name.c_str(), 1);
  }
  // Runs body in a child with a shown window and its own X connection (none survives a fork).
  void inChild(const std::function<void(XClient&, HWND, const WindowInfo&)>& body,
               HCURSOR cursor = NULL) {
    EXPECT_EQ(0, runInChild([&] {
                XClient client(server_.name);
                // A title of its own: the last child's window may not be gone yet.
                const std::string title = "winx test " + std::to_string(getpid());
                HWND hwnd = makeTestWindow(recordingProc, title.c_str(), 100, 100, side, cursor);
                ShowWindow(hwnd, SW_SHOWNORMAL);
                WindowInfo w;
                ASSERT_TRUE(client.waitForWindow(title, &w));
                body(client, hwnd, w);
              }));
  }
  Xvfb server_{"1024x768x24"};
};

// A drag captured by the window ends, by our release or by another client unmapping the window
// mid-drag, with one WM_CAPTURECHANGED; motion outside has negative coordinates; unmapped, it is
// minimised, and mapped again, restored and painted.
TEST_F(OnXvfb, CaptureEndsWithWmCaptureChanged) {
  for (bool unmapped : {false, true}) {
    inChild([&](XClient& client, HWND hwnd, const WindowInfo& w) {
      client.moveTo(w.x + 20, w.y + 20), client.button(1, true);
      ASSERT_TRUE(pumpUntil([] { return saw(WM_LBUTTONDOWN); }));
      SetCapture(hwnd);
      client.moveTo(w.x - 30, w.y - 40);
      ASSERT_TRUE(pumpUntil([] { return lastMove == MAKELPARAM((WORD)-30, (WORD)-40); }));
      seen.clear();
      unmapped ? (void)XUnmapWindow(client.d, w.id) : client.button(1, false);
      client.sync();
      ASSERT_TRUE(pumpUntil([&] { return unmapped ? IsIconic(hwnd) : saw(WM_LBUTTONUP); }));
      if (!unmapped) ReleaseCapture();
      EXPECT_EQ(GetCapture(), nullptr);
      EXPECT_EQ(std::count(seen.begin(), seen.end(), (UINT)WM_CAPTURECHANGED), 1);
      EXPECT_EQ(lastCaptureChange, 0);
      if (!unmapped) return;
      EXPECT_EQ(lastSizeType, (WPARAM)SIZE_MINIMIZED);
      XMapWindow(client.d, w.id);
      client.sync();
      EXPECT_TRUE(pumpUntil([&] { return saw(WM_PAINT) && !IsIconic(hwnd); }));
      EXPECT_EQ(lastSizeType, (WPARAM)SIZE_RESTORED);
    });
  }
}

// The class cursor (an I-beam, not the arrow windows start with) shows once the pointer moves in.
TEST_F(OnXvfb, TheClassCursorShows) {
  inChild(
      [](XClient& client, HWND, const WindowInfo& w) {
        client.moveTo(w.x + 20, w.y + 20);
        EXPECT_TRUE(pumpUntil([&] { return client.cursorShown() == client.themeCursor("xterm"); }));
      },
      LoadCursorA(NULL, IDC_IBEAM));
}

// A size imposed from outside is asked back from once; imposed again, it stays: no tug of war.
TEST_F(OnXvfb, AnImposedSizeIsAskedBackFromOnceThenKept) {
  inChild([](XClient& client, HWND hwnd, const WindowInfo& w) {
    Display* d = client.d;
    XSelectInput(d, w.id, StructureNotifyMask);
    int impositions = XResizeWindow(d, w.id, 500, 120) != 0;
    // Plays a manager that imposes its size again, until nothing changes for 300 ms.
    for (int idle = 0; idle < 30 && impositions < 10; ++idle, sleepMs(10)) {
      for (MSG m; PeekMessageA(&m, NULL, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
      for (XEvent e; XPending(d) && XNextEvent(d, &e) == 0;) {
        if (e.type != ConfigureNotify) continue;
        idle = 0;
        if (e.xconfigure.width != 500) impositions += XResizeWindow(d, w.id, 500, 120) != 0;
      }
    }
    RECT r;
    GetClientRect(hwnd, &r);
    EXPECT_EQ((std::vector<LONG>{impositions, r.right, r.bottom}),
              (std::vector<LONG>{2, 500, 120}));
  });
}

}  // namespace
