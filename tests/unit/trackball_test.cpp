// The trackball's numbers and its state machine: pure arithmetic and state, no window, no GL.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/state.h"
#include "scene/frame.h"
#include "tests/support/egl_context.h"
#include "trackball/trackball.h"

namespace {

bool nearVec(const Vec3& v, const Vec3& w, float tol) {
  return std::fabs(v.x - w.x) <= tol && std::fabs(v.y - w.y) <= tol && std::fabs(v.z - w.z) <= tol;
}

TEST(Trackball, MapsAnEightHundredPixelWindowOntoTheHemisphere) {
  // On or beyond the rim (z = 0 here), points land a hair below the rim's plane.
  const struct {
    int x, y;
    Vec3 want;
  } cases[] = {
      {400, 400, {0, 0, 1}},    {200, 400, {-0.57735f, 0, 0.81650f}},
      {800, 400, {1, 0, 0}},    {600, 200, {0.59883f, 0.59883f, 0.53178f}},
      {400, 0, {0, 1, 0}},      {0, 0, {-0.70711f, 0.70711f, 0}},
      {100000, 400, {1, 0, 0}}, {-32768, -32768, {-0.70711f, 0.70711f, 0}},
  };
  for (const auto& c : cases) {
    Vec3 v;
    mapToSphere(c.x, c.y, 800, 800, &v);
    EXPECT_TRUE(nearVec(v, c.want, 2e-5f)) << c.x << "," << c.y << ": " << v.x << " " << v.y;
    EXPECT_TRUE(c.want.z != 0 || (v.z < 0 && v.z > -1e-7f)) << c.x << "," << c.y;
  }
}

TEST(Trackball, MotionGivesTheIncrementFromTheLastPoint) {
  const struct {
    int x0, y0, x1, y1;
    float angle;
    Vec3 axis;
  } cases[] = {
      {400, 400, 410, 400, 2.2512f, {0, 0.025011f, 0}},   // ten pixels right
      {400, 400, 400, 390, 2.2512f, {-0.025011f, 0, 0}},  // ten pixels up
      {800, 400, 400, 0, 127.28f, {0, 0, 1}},             // along the rim: about the line of sight
      {900, 400, 950, 400, 0.0f, {0, 0, 0}},              // outward beyond the rim: nearly nothing
  };
  for (const auto& c : cases) {
    resetViewerState();
    winWidth = winHeight = 800;
    trackballPress(trackballLeftButton, c.x0, c.y0);
    trackballMotion(c.x1, c.y1);
    EXPECT_NEAR(rotAngle, c.angle, c.angle * 1e-3f + 1e-4f) << c.x1 << "," << c.y1;
    EXPECT_TRUE(nearVec(rotAxis, c.axis, 1e-4f)) << c.x1 << "," << c.y1;
  }
}

TEST(Trackball, EventsLeaveTheState) {
  // Events: p press, m motion, r release (button 1 unless given), l capture lost.
  struct Event {
    char kind;
    int x, y, button = 0;
  };
  enum { initialAxis, lastRealAxis };
  const struct {
    const char* name;
    std::vector<Event> events;
    int rotationActive, spinning, dragging;
    float angle;
    int axis;
    bool redraw;
  } cases[] = {
      // clang-format off
      {"press from spinning", {{'p', 100, 200}}, 1, 0, 1, 0.2f, initialAxis, false},
      {"click stops", {{'p', 100, 200}, {'r', 100, 200}}, 0, 0, 0, 0, initialAxis, true},
      {"drag back to the press pixel stops",
       {{'p', 100, 200}, {'m', 150, 250}, {'m', 100, 200}, {'r', 100, 200}}, 0, 0, 0, 0, lastRealAxis, true},
      {"drag elsewhere spins slowly about the last axis",
       {{'p', 400, 400}, {'m', 600, 300}, {'m', 610, 300}, {'r', 610, 300}}, 1, 1, 0, 0.2f, lastRealAxis, true},
      {"a repeated last position keeps the last real axis",
       {{'p', 400, 400}, {'m', 450, 420}, {'m', 500, 420}, {'m', 500, 420}, {'r', 500, 420}}, 1, 1, 0, 0.2f, lastRealAxis, true},
      {"a drag that never gave an axis ends at rest",
       {{'p', 300, 300}, {'m', 300, 300}, {'r', 310, 300}}, 0, 0, 0, 0, initialAxis, true},
      {"release without a press, elsewhere", {{'r', 50, 60}}, 1, 1, 0, 0.2f, initialAxis, true},
      {"release without a press, at the stored point", {{'r', 0, 0}}, 0, 0, 0, 0, initialAxis, true},
      {"press from stopped keeps the zero angle",
       {{'p', 10, 10}, {'r', 10, 10}, {'p', 20, 20}}, 1, 0, 1, 0, initialAxis, true},
      {"other buttons and idle motion change nothing",
       {{'p', 10, 10, 2}, {'p', 10, 10, 3}, {'r', 10, 10, 2}, {'m', 300, 300}}, 1, 1, 0, 0.2f, initialAxis, false},
      {"capture lost after motion: a release where the pointer was",
       {{'p', 400, 400}, {'m', 450, 420}, {'l', 0, 0}, {'m', 700, 700}}, 1, 1, 0, 0.2f, lastRealAxis, true},
      {"capture lost without motion: a click",
       {{'p', 100, 100}, {'l', 0, 0}, {'l', 0, 0}}, 0, 0, 0, 0, initialAxis, true},
      // clang-format on
  };
  for (const auto& c : cases) {
    resetViewerState();
    winWidth = winHeight = 800;
    Vec3 lastReal = rotAxis;
    for (const Event& e : c.events) {
      const int button = e.button ? e.button : trackballLeftButton;
      if (e.kind == 'p') trackballPress(button, e.x, e.y);
      if (e.kind == 'r') trackballRelease(button, e.x, e.y);
      if (e.kind == 'l') trackballCaptureLost();
      if (e.kind == 'm') trackballMotion(e.x, e.y);
      if (e.kind == 'm' && dragging && rotAngle != 0) lastReal = rotAxis;
    }
    EXPECT_EQ((std::vector<int>{rotationActive, spinning, dragging}),
              (std::vector<int>{c.rotationActive, c.spinning, c.dragging}))
        << c.name;
    EXPECT_EQ(rotAngle, c.angle) << c.name;
    EXPECT_TRUE(nearVec(rotAxis, c.axis == initialAxis ? Vec3{-0.3f, 1.0f, 0.6f} : lastReal, 0))
        << c.name;
    EXPECT_EQ(idleFunc != nullptr, c.redraw) << c.name;
  }
}

}  // namespace
