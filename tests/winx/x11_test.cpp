// The layer against a real X server: each test starts its own Xvfb and runs in a child
// process, driving input through XTest.
#include <GL/gl.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <thread>
#include <vector>

#include <windows.h>

#include "tests/support/isolated.h"
#include "tests/support/xserver.h"

namespace {

// What the recording window procedure saw.
struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> seen;
bool restoreSize = false;
const int side = 200;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  seen.push_back({msg, wParam, lParam});
  if (msg == WM_SIZE && restoreSize) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, side, side, SWP_NOMOVE);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND makeWindow(int x = 0, int y = 0) {
  WNDCLASSA wc = {};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = recordingProc;
  wc.lpszClassName = "Test";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Test", "winx test", WS_OVERLAPPEDWINDOW, x, y, side, side, NULL, NULL,
                         NULL, NULL);
}

// A window made, shown and seen on the server; null if it never appeared.
HWND shownWindow(XClient& client, WindowInfo* seen, int x = 0, int y = 0) {
  HWND hwnd = makeWindow(x, y);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  return client.waitForWindow("winx test", seen) ? hwnd : nullptr;
}

std::vector<UINT> messagesSeen() {
  std::vector<UINT> out;
  for (const Seen& s : seen) out.push_back(s.message);
  seen.clear();
  return out;
}

// Dispatches messages until pred holds for one of them, or the time is up.
bool pumpUntil(const std::function<bool(const MSG&)>& pred, int timeoutMs = 5000) {
  const int64_t end = (int64_t)timeoutMs / 5;
  for (int64_t i = 0; i < end; ++i) {
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
      if (pred(m)) return true;
    }
    sleepMs(5);
  }
  return false;
}

bool isMessage(const MSG& m, UINT id) {
  return m.message == id;
}

class OnXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<Xvfb>("1024x768x24", extraArgs());
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    setenv("DISPLAY", server_->name().c_str(), 1);
  }
  // A connection of the test's own, opened in the child that uses it: an X connection
  // cannot be shared across a fork.
  std::string display() const { return server_->name(); }
  virtual std::vector<std::string> extraArgs() { return {}; }
  std::unique_ptr<Xvfb> server_;
};

TEST_F(OnXvfb, CreationShowingPaintingAndDestructionSendInOrder) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = makeWindow();
              ASSERT_NE(hwnd, nullptr);
              EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
              ShowWindow(hwnd, SW_SHOWNORMAL);
              EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_SHOWWINDOW, WM_SIZE}));
              UpdateWindow(hwnd);
              EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
              UpdateWindow(hwnd);  // validated: no second paint
              EXPECT_TRUE(messagesSeen().empty());
              DestroyWindow(hwnd);
              EXPECT_EQ(messagesSeen(), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
              EXPECT_FALSE(DestroyWindow(hwnd));
            }));
}

TEST_F(OnXvfb, PeekWithoutRemovingAndGeneratedMessagesComeLast) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = makeWindow();
              ShowWindow(hwnd, SW_SHOWNORMAL);  // leaves a paint pending
              SetTimer(hwnd, 3, 10, NULL);
              sleepMs(30);  // and a timer due
              PostMessageA(hwnd, WM_USER, 1, 0);
              PostMessageA(hwnd, WM_USER, 2, 0);
              MSG m;
              ASSERT_TRUE(PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE));
              EXPECT_EQ(m.message, (UINT)WM_USER);
              ASSERT_TRUE(PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE));
              EXPECT_EQ(m.wParam, 1u);
              std::vector<UINT> order;
              for (int i = 0; i < 4; ++i) {
                ASSERT_EQ(GetMessageA(&m, NULL, 0, 0), 1);
                order.push_back(m.message);
                DispatchMessageA(&m);  // the paint is validated by default processing
              }
              EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER, WM_PAINT, WM_TIMER}));
              EXPECT_EQ(m.wParam, 3u);
              PostQuitMessage(4);
              EXPECT_EQ(GetMessageA(&m, NULL, 0, 0), 0);
              EXPECT_EQ(m.wParam, 4u);
            }));
}

TEST_F(OnXvfb, MotionCoalescesButButtonsAreNeverDropped) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              XClient client(name);
              WindowInfo w;
              HWND hwnd = shownWindow(client, &w);
              ASSERT_NE(hwnd, nullptr);
              client.moveTo(10, 10);
              client.button(1, true);
              for (int i = 0; i < 20; ++i) client.moveTo(20 + i, 30);
              client.button(1, false);
              client.button(1, true);
              client.button(1, false);
              for (int i = 0; i < 20; ++i) client.moveTo(60 + i, 70);
              std::vector<MSG> got;
              pumpUntil([&](const MSG& m) {
                if (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP) got.push_back(m);
                return m.message == WM_MOUSEMOVE && LOWORD(m.lParam) == 79;
              });
              int downs = 0, ups = 0, moves = 0;
              for (const MSG& m : got) {
                downs += m.message == WM_LBUTTONDOWN;
                ups += m.message == WM_LBUTTONUP;
                moves += m.message == WM_MOUSEMOVE;
              }
              EXPECT_EQ(downs, 2);
              EXPECT_EQ(ups, 2);
              EXPECT_LT(moves, 40);  // some motion was folded together
              ASSERT_FALSE(got.empty());
              EXPECT_EQ(got.back().lParam, MAKELPARAM(79, 70));
              for (const MSG& m : got) {
                if (m.message == WM_LBUTTONDOWN) {
                  EXPECT_TRUE(m.wParam & MK_LBUTTON);
                }
                if (m.message == WM_LBUTTONUP) {
                  EXPECT_FALSE(m.wParam & MK_LBUTTON);
                }
              }
            }));
}

TEST_F(OnXvfb, KeysBecomeKeyDownAndTranslateToCharacters) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              XClient client(name);
              WindowInfo w;
              HWND hwnd = shownWindow(client, &w);
              ASSERT_NE(hwnd, nullptr);
              client.moveTo(50, 50);  // Xvfb's focus follows the pointer
              client.key(XK_Escape);
              client.key(XK_f);
              client.key(XK_f, true);
              client.key(XK_Shift_L);
              client.key(XK_p);
              std::vector<std::pair<UINT, WPARAM>> keys;
              pumpUntil([&](const MSG& m) {
                if (m.message == WM_KEYDOWN || m.message == WM_CHAR)
                  keys.push_back({m.message, m.wParam});
                return m.message == WM_CHAR && m.wParam == 'p';
              });
              const std::vector<std::pair<UINT, WPARAM>> want = {
                  {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27},          {WM_KEYDOWN, 'F'},
                  {WM_CHAR, 'f'},          {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'F'},
                  {WM_CHAR, 'F'},          {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'P'},
                  {WM_CHAR, 'p'}};
              EXPECT_EQ(keys, want);
            }));
}

TEST_F(OnXvfb, CapturedMotionOutsideHasNegativeCoordinatesAndReleaseNotifies) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              XClient client(name);
              WindowInfo w;
              HWND hwnd = shownWindow(client, &w, 100, 100);
              ASSERT_NE(hwnd, nullptr);
              client.moveTo(w.x + 20, w.y + 20);
              client.button(1, true);
              ASSERT_TRUE(pumpUntil([](const MSG& m) { return isMessage(m, WM_LBUTTONDOWN); }));
              SetCapture(hwnd);
              EXPECT_EQ(GetCapture(), hwnd);
              client.moveTo(w.x - 30, w.y - 40);
              MSG last = {};
              ASSERT_TRUE(pumpUntil([&](const MSG& m) {
                last = m;
                return m.message == WM_MOUSEMOVE && (short)LOWORD(m.lParam) == -30;
              }));
              EXPECT_EQ((short)HIWORD(last.lParam), -40);
              client.button(1, false);
              ASSERT_TRUE(pumpUntil([](const MSG& m) { return isMessage(m, WM_LBUTTONUP); }));
              seen.clear();
              ReleaseCapture();
              ASSERT_EQ(seen.size(), 1u);
              EXPECT_EQ(seen[0].message, (UINT)WM_CAPTURECHANGED);
              EXPECT_EQ(seen[0].lParam, 0);
              EXPECT_EQ(GetCapture(), nullptr);
            }));
}

TEST_F(OnXvfb, WindowGetsItsSizeBackAfterAnOutsideResize) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              XClient client(name);
              restoreSize = true;
              WindowInfo w;
              HWND hwnd = shownWindow(client, &w);
              ASSERT_NE(hwnd, nullptr);
              XResizeWindow(client.display(), w.id, 500, 120);
              client.sync();
              bool sawSize = false;
              pumpUntil(
                  [&](const MSG&) {
                    for (const Seen& s : seen)
                      sawSize |= s.message == WM_SIZE && LOWORD(s.lParam) == 500;
                    return false;
                  },
                  500);
              EXPECT_TRUE(sawSize);
              EXPECT_TRUE(client.waitUntil([&] {
                XWindowAttributes a;
                XGetWindowAttributes(client.display(), w.id, &a);
                return a.width == side && a.height == side;
              }));
            }));
}

TEST_F(OnXvfb, OpenGLClearReadsBackAfterSwap) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              XClient client(name);
              HWND hwnd = makeWindow(30, 40);
              HDC hdc = GetDC(hwnd);
              EXPECT_EQ(WindowFromDC(hdc), hwnd);
              PIXELFORMATDESCRIPTOR pfd = {};
              pfd.nSize = sizeof pfd;
              pfd.nVersion = 1;
              pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
              pfd.cColorBits = 8;
              pfd.cDepthBits = 16;
              const int format = ChoosePixelFormat(hdc, &pfd);
              ASSERT_GT(format, 0);
              ASSERT_TRUE(SetPixelFormat(hdc, format, &pfd));
              EXPECT_EQ(GetPixelFormat(hdc), format);
              EXPECT_FALSE(SetPixelFormat(hdc, format == 1 ? 2 : 1, &pfd));  // once per window

              PIXELFORMATDESCRIPTOR got = {};
              EXPECT_GT(DescribePixelFormat(hdc, format, sizeof got, &got), 0);
              EXPECT_TRUE(got.dwFlags & PFD_DOUBLEBUFFER);
              EXPECT_EQ(got.cColorBits, 24);
              EXPECT_EQ(got.cRedBits + got.cGreenBits + got.cBlueBits, 24);
              EXPECT_EQ(got.cRedShift, 16);
              EXPECT_EQ(got.cBlueShift, 0);
              EXPECT_EQ(got.cDepthBits, 16);
              EXPECT_FALSE(got.dwFlags & PFD_NEED_PALETTE);

              HGLRC rc = wglCreateContext(hdc);
              ASSERT_NE(rc, nullptr);
              ASSERT_TRUE(wglMakeCurrent(hdc, rc));
              ShowWindow(hwnd, SW_SHOWNORMAL);
              WindowInfo w;
              ASSERT_TRUE(client.waitForWindow("winx test", &w));
              EXPECT_EQ(w.x, 30);
              EXPECT_EQ(w.y, 40);
              EXPECT_TRUE(client.waitUntil([&] {
                glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
                glClear(GL_COLOR_BUFFER_BIT);
                SwapBuffers(hdc);
                glFinish();
                return client.pixel(w.x + 100, w.y + 100) == std::vector<int>{255, 128, 0};
              }));
              EXPECT_TRUE(wglMakeCurrent(NULL, NULL));
              EXPECT_TRUE(wglDeleteContext(rc));
            }));
}

TEST_F(OnXvfb, MessageBoxIsDismissedByReturn) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              std::thread user([name] {
                XClient client(name);
                WindowInfo box;
                if (client.waitForWindow("Caption", &box)) {
                  client.moveTo(box.x + 5, box.y + 5);
                  sleepMs(50);
                  client.key(XK_Return);
                }
              });
              const int result = MessageBoxA(NULL, "first line\nsecond line", "Caption", MB_OK);
              user.join();
              EXPECT_EQ(result, IDOK);
            }));
}

TEST_F(OnXvfb, MessageBoxIsDismissedByClickingOk) {
  const std::string name = display();
  EXPECT_EQ(0, runIsolated([name] {
              std::thread user([name] {
                XClient client(name);
                WindowInfo box;
                if (client.waitForWindow("Error", &box)) {
                  sleepMs(50);
                  // The OK button sits at the bottom middle.
                  client.click(box.x + box.width / 2, box.y + box.height - 16 - 13);
                }
              });
              const int result = MessageBoxA(NULL, "failed\n", "Error", MB_OK | MB_ICONERROR);
              user.join();
              EXPECT_EQ(result, IDOK);
            }));
}

TEST_F(OnXvfb, GetMessageEndsTheProcessWhenTheServerDies) {
  Xvfb* server = server_.get();
  const std::string name = display();
  const int status = runIsolated(
      [] {
        HWND hwnd = makeWindow();
        ShowWindow(hwnd, SW_SHOWNORMAL);
        MSG m;
        while (GetMessageA(&m, NULL, 0, 0) > 0) DispatchMessageA(&m);
        _exit(42);  // only reached if the loss went unnoticed
      },
      10000,
      [server, name] {
        // Once the window is up, the child waits in GetMessageA: take the server away then.
        {
          XClient client(name);
          EXPECT_TRUE(client.waitForWindow("winx test", nullptr));
        }
        sleepMs(200);
        server->kill();
      });
  EXPECT_EQ(status, 1);
}

class WithoutGlx : public OnXvfb {
  std::vector<std::string> extraArgs() override { return {"-extension", "GLX"}; }
};

TEST_F(WithoutGlx, ChoosePixelFormatFindsNothing) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = makeWindow();
              PIXELFORMATDESCRIPTOR pfd = {};
              pfd.nSize = sizeof pfd;
              pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
              EXPECT_EQ(ChoosePixelFormat(GetDC(hwnd), &pfd), 0);
            }));
}

TEST(NoDisplay, OneLineAndStatusOne) {
  const int status = runIsolated([] {
    setenv("DISPLAY", ":9876", 1);
    GetSystemMetrics(SM_CYSCREEN);
    _exit(42);
  });
  EXPECT_EQ(status, 1);
}

TEST(NoDisplay, GetMessageWithNothingToWaitForFailsInsteadOfHanging) {
  EXPECT_EQ(0, runIsolated(
                   [] {
                     MSG m;
                     EXPECT_EQ(GetMessageA(&m, NULL, 0, 0), -1);
                   },
                   5000));
}

}  // namespace
