// The trackball: its numbers, and its state machine behind the window procedure.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/state.h"
#include "app/window_proc.h"
#include "tests/support/egl_context.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"
#include "trackball/trackball.h"

namespace {

bool nearVec(const Vec3& v, const Vec3& w, float tol) {
  return std::fabs(v.x - w.x) <= tol && std::fabs(v.y - w.y) <= tol && std::fabs(v.z - w.z) <= tol;
}

TEST(Trackball, MotionTurnsFromTheLastHemispherePoint) {
  const struct {
    int x0, y0, x1, y1;
    float angle;
    Vec3 axis;
  } cases[] = {{400, 400, 410, 400, 2.2512f, {0, 0.025011f, 0}},   // ten pixels right
               {400, 400, 400, 390, 2.2512f, {-0.025011f, 0, 0}},  // ten pixels up
               {200, 400, 600, 200, 121.519f, {-0.48895f, 0.79597f, -0.34574f}},
               {800, 400, 400, 0, 127.28f, {0, 0, 1}},  // along the rim: about the line of sight
               // Beyond the rim, however far, points land on it, a hair below its plane.
               {900, 400, 100000, 400, 0.0f, {0, 0, 0}},
               {-32768, -32768, 0, 0, 0.0f, {0, 0, 0}}};
  for (const auto& c : cases) {
    resetViewerState();
    winWidth = winHeight = 800;
    trackballPress(trackballLeftButton, c.x0, c.y0);
    trackballMotion(c.x1, c.y1);
    EXPECT_NEAR(rotAngle, c.angle, c.angle * 1e-3f + 1e-4f) << c.x1 << "," << c.y1;
    EXPECT_TRUE(nearVec(rotAxis, c.axis, 1e-4f)) << c.x1 << "," << c.y1;
    EXPECT_TRUE(c.angle != 0 || (lastBallVec.z < 0 && lastBallVec.z > -1e-7f)) << c.x1;
  }
}

// The viewer's procedure for everything but creation, which would set up a real context.
LRESULT CALLBACK viewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_CREATE ? 0 : windowProc(hwnd, msg, wParam, lParam);
}

// Mouse events as the layer hands them to the window procedure, and the state they leave.
TEST(Trackball, MouseEventsLeaveTheState) {
  // p press, m motion with the button down, u with it up, r release, o another button
  // pressed, l the capture taken by another window.
  struct Event {
    char kind;
    int x, y;
  };
  const struct {
    const char* name;
    std::vector<Event> events;
    // rotationActive, spinning, dragging, a redraw asked for, the mouse captured
    std::vector<int> state;
    float angle;
    char axis;  // the initial one (i), or the last one a motion gave (m)
  } cases[] = {
      // clang-format off
      {"press from spinning", {{'p', 100, 200}}, {1, 0, 1, 0, 1}, 0.2f, 'i'},
      {"click stops", {{'p', 100, 200}, {'r', 100, 200}}, {0, 0, 0, 1, 0}, 0, 'i'},
      {"drag back to the press pixel stops",
       {{'p', 100, 200}, {'m', 150, 250}, {'m', 100, 200}, {'r', 100, 200}}, {0, 0, 0, 1, 0}, 0, 'm'},
      {"drag elsewhere spins slowly about the last axis",
       {{'p', 400, 400}, {'m', 600, 300}, {'m', 610, 300}, {'r', 610, 300}}, {1, 1, 0, 1, 0}, 0.2f, 'm'},
      // Our own ReleaseCapture must not count as a lost capture, which would end the drag at
      // the last pointer position, here the press point, and stop the bowl.
      {"drag back over the press point, released elsewhere, spins",
       {{'p', 400, 400}, {'m', 450, 400}, {'m', 400, 400}, {'r', 430, 380}}, {1, 1, 0, 1, 0}, 0.2f, 'm'},
      {"drag beyond the top-left edge spins",
       {{'p', 10, 10}, {'m', -300, -20}, {'r', -300, -20}}, {1, 1, 0, 1, 0}, 0.2f, 'm'},
      {"a repeated last position keeps the last real axis",
       {{'p', 400, 400}, {'m', 450, 420}, {'m', 500, 420}, {'m', 500, 420}, {'r', 500, 420}},
       {1, 1, 0, 1, 0}, 0.2f, 'm'},
      {"a drag that never gave an axis ends at rest",
       {{'p', 300, 300}, {'m', 300, 300}, {'r', 310, 300}}, {0, 0, 0, 1, 0}, 0, 'i'},
      {"release without a press, elsewhere", {{'r', 50, 60}}, {1, 1, 0, 1, 0}, 0.2f, 'i'},
      {"release without a press, at the stored point", {{'r', 0, 0}}, {0, 0, 0, 1, 0}, 0, 'i'},
      {"press from stopped keeps the zero angle",
       {{'p', 10, 10}, {'r', 10, 10}, {'p', 20, 20}}, {1, 0, 1, 1, 1}, 0, 'i'},
      {"other buttons and idle motion change nothing",
       {{'o', 10, 10}, {'u', 300, 300}}, {1, 1, 0, 0, 0}, 0.2f, 'i'},
      {"motion with the button up ends a drag whose button-up went elsewhere",
       {{'p', 400, 400}, {'u', 600, 400}}, {0, 0, 0, 1, 1}, 0, 'i'},
      {"capture lost after motion: a release where the pointer was",
       {{'p', 400, 400}, {'m', 450, 420}, {'l', 0, 0}, {'m', 700, 700}}, {1, 1, 0, 1, 0}, 0.2f, 'm'},
      {"capture lost without motion: a click", {{'p', 100, 100}, {'l', 0, 0}, {'l', 0, 0}},
       {0, 0, 0, 1, 0}, 0, 'i'},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, runInChild([&] {
                resetViewerState();
                winWidth = winHeight = 800;
                HWND hwnd = makeTestWindow(viewerProc, "viewer", 0, 0, 800);
                static int fakeContext;
                hRC = (HGLRC)&fakeContext;  // as if a context existed
                Vec3 lastAxis = rotAxis;
                for (const Event& e : c.events) {
                  const LPARAM at = MAKELPARAM((WORD)e.x, (WORD)e.y);
                  if (e.kind == 'l') SetCapture(makeTestWindow(DefWindowProcA, "other"));
                  if (e.kind == 'p') windowProc(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
                  if (e.kind == 'o') windowProc(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
                  if (e.kind == 'r') windowProc(hwnd, WM_LBUTTONUP, 0, at);
                  if (e.kind == 'm' || e.kind == 'u') {
                    windowProc(hwnd, WM_MOUSEMOVE, e.kind == 'm' ? MK_LBUTTON : 0, at);
                  }
                  if (e.kind == 'm' && dragging && rotAngle != 0) lastAxis = rotAxis;
                }
                EXPECT_EQ((std::vector<int>{rotationActive, spinning, dragging, idleFunc != nullptr,
                                            GetCapture() == hwnd}),
                          c.state);
                EXPECT_EQ(rotAngle, c.angle);
                EXPECT_TRUE(nearVec(rotAxis, c.axis == 'i' ? Vec3{-0.3f, 1, 0.6f} : lastAxis, 0));
              }))
        << c.name;
  }
}

}  // namespace
