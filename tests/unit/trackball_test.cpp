// The trackball behind the window procedure: mouse messages as the layer hands them over, and
// the turn and state they leave.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/state.h"
#include "app/window_proc.h"
#include "tests/support/egl_context.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"

namespace {

// The viewer's procedure for everything but creation, which would set up a real context.
LRESULT CALLBACK viewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_CREATE ? 0 : windowProc(hwnd, msg, wParam, lParam);
}

TEST(Trackball, MouseMessagesLeaveTheTurnAndTheState) {
  const Vec3 initial = {-0.3f, 1, 0.6f}, any = {9, 9, 9};
  // Events on an 800-pixel window: p press, m motion with the button down, u with it up,
  // r release, o another button pressed, l the capture taken by another window. The axis is
  // the one given, or, where any, the last one a motion gave.
  const struct {
    const char* name;
    const char* events;
    std::vector<int> state;  // rotationActive, spinning, dragging, redraw asked, mouse captured
    float angle;
    Vec3 axis;
  } cases[] = {
      // clang-format off
      {"ten pixels right", "p400,400 m410,400", {1, 0, 1, 1, 1}, 2.2512f, {0, 0.025011f, 0}},
      {"ten pixels up", "p400,400 m400,390", {1, 0, 1, 1, 1}, 2.2512f, {-0.025011f, 0, 0}},
      {"across", "p200,400 m600,200", {1, 0, 1, 1, 1}, 121.519f, {-0.48895f, 0.79597f, -0.34574f}},
      {"along the rim: about the line of sight", "p800,400 m400,0", {1, 0, 1, 1, 1}, 127.28f, {0, 0, 1}},
      {"beyond the rim, however far: on it", "p900,400 m32767,400", {1, 0, 1, 1, 1}, 0, any},
      {"press from spinning", "p100,200", {1, 0, 1, 0, 1}, 0.2f, initial},
      {"click stops", "p100,200 r100,200", {0, 0, 0, 1, 0}, 0, initial},
      {"drag back to the press pixel stops", "p100,200 m150,250 m100,200 r100,200",
       {0, 0, 0, 1, 0}, 0, any},
      {"drag elsewhere spins slowly about the last axis", "p400,400 m600,300 m610,300 r610,300",
       {1, 1, 0, 1, 0}, 0.2f, any},
      // Our own ReleaseCapture must not count as a lost capture, which would end the drag at
      // the last pointer position, here the press point, and stop the bowl.
      {"back over the press point, released elsewhere", "p400,400 m450,400 m400,400 r430,380",
       {1, 1, 0, 1, 0}, 0.2f, any},
      {"beyond the top-left edge", "p10,10 m-300,-20 r-300,-20", {1, 1, 0, 1, 0}, 0.2f, any},
      {"a repeated last position keeps the last real axis",
       "p400,400 m450,420 m500,420 m500,420 r500,420", {1, 1, 0, 1, 0}, 0.2f, any},
      {"a drag that never gave an axis ends at rest", "p300,300 m300,300 r310,300",
       {0, 0, 0, 1, 0}, 0, initial},
      {"release without a press, elsewhere", "r50,60", {1, 1, 0, 1, 0}, 0.2f, initial},
      {"release without a press, at the stored point", "r0,0", {0, 0, 0, 1, 0}, 0, initial},
      {"press from stopped keeps the zero angle", "p10,10 r10,10 p20,20", {1, 0, 1, 1, 1}, 0, initial},
      {"other buttons and idle motion change nothing", "o10,10 u300,300", {1, 1, 0, 0, 0}, 0.2f, initial},
      {"motion with the button up ends a drag whose button-up went elsewhere", "p400,400 u600,400",
       {0, 0, 0, 1, 1}, 0, initial},
      {"capture lost after motion: a release where the pointer was", "p400,400 m450,420 l0,0 m700,700",
       {1, 1, 0, 1, 0}, 0.2f, any},
      {"capture lost without motion: a click", "p100,100 l0,0 l0,0", {0, 0, 0, 1, 0}, 0, initial},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        0, runInChild([&] {
          resetViewerState();
          winWidth = winHeight = 800;
          HWND hwnd = makeTestWindow(viewerProc, "viewer", 0, 0, 800);
          static int fakeContext;
          hRC = (HGLRC)&fakeContext;  // as if a context existed
          Vec3 lastAxis = rotAxis;
          char kind;
          int x, y, n;
          for (const char* e = c.events; sscanf(e, " %c%d,%d%n", &kind, &x, &y, &n) == 3; e += n) {
            const LPARAM at = MAKELPARAM((WORD)x, (WORD)y);
            if (kind == 'l') SetCapture(makeTestWindow(DefWindowProcA, "other"));
            if (kind == 'p') windowProc(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
            if (kind == 'o') windowProc(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
            if (kind == 'r') windowProc(hwnd, WM_LBUTTONUP, 0, at);
            if (kind == 'm' || kind == 'u') {
              windowProc(hwnd, WM_MOUSEMOVE, kind == 'm' ? MK_LBUTTON : 0, at);
            }
            if (kind == 'm' && dragging && rotAngle != 0) lastAxis = rotAxis;
          }
          EXPECT_EQ((std::vector<int>{rotationActive, spinning, dragging, idleFunc != nullptr,
                                      GetCapture() == hwnd}),
                    c.state);
          EXPECT_NEAR(rotAngle, c.angle, c.angle * 1e-3f + 1e-4f);
          const Vec3 want = c.axis.x == 9 ? lastAxis : c.axis, &v = rotAxis;
          EXPECT_NEAR(std::fabs(v.x - want.x) + std::fabs(v.y - want.y) + std::fabs(v.z - want.z),
                      0, c.axis.x == 9 ? 0 : 1e-4)
              << v.x << " " << v.y << " " << v.z;
        }))
        << c.name;
  }
}

}  // namespace
