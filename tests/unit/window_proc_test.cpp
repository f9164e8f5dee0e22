// The window procedure's mouse handling, called the way the layer calls it. The window stays
// hidden and no context is current: only state and capture are observed.
#include <gtest/gtest.h>

#include <vector>

#include "app/state.h"
#include "app/window_proc.h"
#include "scene/frame.h"
#include "tests/support/egl_context.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"

namespace {

// The viewer's procedure for everything but creation, which would set up a real context.
LRESULT CALLBACK viewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_CREATE ? 0 : windowProc(hwnd, msg, wParam, lParam);
}

// A window whose messages we hand to windowProc ourselves, as if a context existed.
HWND viewerWindow() {
  resetViewerState();
  winWidth = winHeight = 800;
  HWND hwnd = makeTestWindow(viewerProc, "viewer", 0, 0, 800);
  static int fakeContext;
  hRC = (HGLRC)&fakeContext;
  spinning = 0;  // so that every redraw request shows
  return hwnd;
}

LPARAM at(int x, int y) {
  return MAKELPARAM((WORD)(short)x, (WORD)(short)y);
}

struct Msg {
  UINT message;
  WPARAM wParam;
  int x, y;
};

TEST(WindowProc, MouseSequences) {
  const UINT down = WM_LBUTTONDOWN, move = WM_MOUSEMOVE, up = WM_LBUTTONUP;
  const struct {
    const char* name;
    std::vector<Msg> messages;
    int rotationActive, spinning, dragging;
    bool captured;
  } cases[] = {
      // clang-format off
      {"a click stops the spin", {{down, MK_LBUTTON, 100, 120}, {up, 0, 100, 120}}, 0, 0, 0, false},
      {"a press captures the mouse", {{down, MK_LBUTTON, 100, 120}}, 1, 0, 1, true},
      // Our own ReleaseCapture must not count as a lost capture, which would end the drag at
      // the last pointer position, here the press point, and stop the bowl.
      {"a drag back over the press point that ends elsewhere spins",
       {{down, MK_LBUTTON, 400, 400}, {move, MK_LBUTTON, 450, 400}, {move, MK_LBUTTON, 400, 400},
        {up, 0, 430, 380}}, 1, 1, 0, false},
      {"a drag beyond the top-left edge spins",
       {{down, MK_LBUTTON, 10, 10}, {move, MK_LBUTTON, -300, -20}, {up, 0, -300, -20}}, 1, 1, 0, false},
      {"motion with the button up ends a drag whose button-up went elsewhere",
       {{down, MK_LBUTTON, 400, 400}, {move, 0, 600, 400}}, 0, 0, 0, true},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, runInChild([&] {
                HWND hwnd = viewerWindow();
                for (const Msg& m : c.messages) windowProc(hwnd, m.message, m.wParam, at(m.x, m.y));
                EXPECT_EQ(
                    (std::vector<int>{rotationActive, spinning, dragging, GetCapture() == hwnd}),
                    (std::vector<int>{c.rotationActive, c.spinning, c.dragging, c.captured}));
              }))
        << c.name;
  }
}

TEST(WindowProc, CaptureTakenByAnotherWindowEndsTheDrag) {
  EXPECT_EQ(0, runInChild([] {
              HWND hwnd = viewerWindow();
              windowProc(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(400, 400));
              windowProc(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(420, 400));
              SetCapture(makeTestWindow(DefWindowProcA, "other"));
              EXPECT_EQ(dragging, 0);
              EXPECT_EQ(spinning, 1);  // ended away from the press point
            }));
}

}  // namespace
