// The trackball's numbers and its state machine. Pure arithmetic and state: no window, no GL.
#include <gtest/gtest.h>

#include <cmath>

#include "app/state.h"
#include "scene/frame.h"
#include "tests/support/egl_context.h"
#include "trackball/trackball.h"

namespace {

Vec3 map800(int x, int y) {
  Vec3 v;
  mapToSphere(x, y, 800, 800, &v);
  return v;
}

void expectVec(const Vec3& v, float x, float y, float z, float tol = 2e-5f) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
}

TEST(MapToSphere, CentreInsideAndCorners) {
  expectVec(map800(400, 400), 0, 0, 1);
  expectVec(map800(200, 400), -0.57735f, 0, 0.81650f);
  expectVec(map800(600, 200), 0.59883f, 0.59883f, 0.53178f);
  const Vec3 corner = map800(0, 0);
  expectVec(corner, -0.70711f, 0.70711f, 0);
  EXPECT_LT(corner.z, 0.0f);  // a hair below the rim's plane
}

TEST(MapToSphere, EverythingOutsideLandsOnTheRim) {
  for (const Vec3& v : {map800(800, 400), map800(1200, 400), map800(100000, 400)}) {
    expectVec(v, 1, 0, 0);
    EXPECT_LT(v.z, 0.0f);
    EXPECT_GT(v.z, -1e-7f);
  }
  expectVec(map800(400, 0), 0, 1, 0);
  expectVec(map800(-32768, -32768), -0.70711f, 0.70711f, 0);
}

class Trackball : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    winWidth = winHeight = 800;
  }
};

TEST_F(Trackball, TenPixelDrags) {
  trackballPress(1, 400, 400);
  trackballMotion(410, 400);
  EXPECT_NEAR(rotAngle, 2.2512f, 1e-4f);
  expectVec(rotAxis, 0, 0.025011f, 0, 1e-6f);

  trackballPress(1, 400, 400);
  trackballMotion(400, 390);
  EXPECT_NEAR(rotAngle, 2.2512f, 1e-4f);
  expectVec(rotAxis, -0.025011f, 0, 0, 1e-6f);
}

TEST_F(Trackball, MotionAlongTheRimTurnsAboutTheLineOfSight) {
  trackballPress(1, 800, 400);
  trackballMotion(400, 0);
  EXPECT_NEAR(rotAngle, 127.28f, 0.01f);
  expectVec(rotAxis, 0, 0, 1, 1e-4f);
}

TEST_F(Trackball, OutwardMotionOutsideTheCircleBarelyTurns) {
  trackballPress(1, 900, 400);
  for (int x = 950; x < 2000; x += 50) {
    trackballMotion(x, 400);
    EXPECT_LT(rotAngle, 1e-4f);
  }
}

TEST_F(Trackball, SamePixelTwiceGivesNoTurn) {
  trackballPress(1, 300, 300);
  trackballMotion(350, 320);
  trackballMotion(350, 320);
  EXPECT_EQ(rotAngle, 0.0f);
  expectVec(rotAxis, 0, 0, 0, 0);
}

TEST_F(Trackball, PressFromSpinningStartsADragWithoutARedraw) {
  trackballPress(1, 100, 200);
  EXPECT_EQ(rotationActive, 1);
  EXPECT_EQ(dragging, 1);
  EXPECT_EQ(spinning, 0);
  EXPECT_EQ(pressX, 100);
  EXPECT_EQ(pressY, 200);
  EXPECT_EQ(rotAngle, 0.2f);
  EXPECT_EQ(idleFunc, nullptr);
}

TEST_F(Trackball, ClickStops) {
  trackballPress(1, 100, 200);
  trackballRelease(1, 100, 200);
  EXPECT_EQ(rotationActive, 0);
  EXPECT_EQ(spinning, 0);
  EXPECT_EQ(dragging, 0);
  EXPECT_EQ(rotAngle, 0.0f);
  EXPECT_EQ(idleFunc, &idleRender);
}

TEST_F(Trackball, DragBackToThePressPixelAlsoStops) {
  trackballPress(1, 100, 200);
  trackballMotion(150, 250);
  trackballMotion(100, 200);
  trackballRelease(1, 100, 200);
  EXPECT_EQ(rotationActive, 0);
  EXPECT_EQ(spinning, 0);
}

TEST_F(Trackball, DragElsewhereSpinsSlowlyAboutTheLastAxis) {
  trackballPress(1, 400, 400);
  trackballMotion(600, 300);  // fast
  trackballMotion(610, 300);
  const Vec3 axis = rotAxis;
  trackballRelease(1, 610, 300);
  EXPECT_EQ(spinning, 1);
  EXPECT_EQ(rotationActive, 1);
  EXPECT_EQ(dragging, 0);
  EXPECT_EQ(rotAngle, 0.2f);
  expectVec(rotAxis, axis.x, axis.y, axis.z, 0);
}

TEST_F(Trackball, ReleaseWithoutPressWhileSpinning) {
  pressX = 5;
  pressY = 6;
  trackballRelease(1, 50, 60);  // elsewhere: keeps spinning about the same axis
  EXPECT_EQ(spinning, 1);
  expectVec(rotAxis, -0.3f, 1.0f, 0.6f, 0);
  trackballRelease(1, 5, 6);  // at the stored press point: stops
  EXPECT_EQ(rotationActive, 0);
  idleFunc = nullptr;
  trackballRelease(1, 50, 60);  // stopped: nothing
  EXPECT_EQ(rotationActive, 0);
  EXPECT_EQ(idleFunc, nullptr);
}

TEST_F(Trackball, PressFromStoppedKeepsTheZeroAngle) {
  trackballPress(1, 10, 10);
  trackballRelease(1, 10, 10);
  trackballPress(1, 20, 20);
  EXPECT_EQ(rotAngle, 0.0f);
  EXPECT_EQ(rotationActive, 1);
  EXPECT_EQ(dragging, 1);
}

TEST_F(Trackball, OtherButtonsAndIdleMotionChangeNothing) {
  trackballPress(2, 10, 10);
  trackballPress(3, 10, 10);
  trackballRelease(2, 10, 10);
  trackballMotion(300, 300);
  EXPECT_EQ(dragging, 0);
  EXPECT_EQ(spinning, 1);
  EXPECT_EQ(rotAngle, 0.2f);
  expectVec(rotAxis, -0.3f, 1.0f, 0.6f, 0);
  EXPECT_EQ(idleFunc, nullptr);
}

TEST_F(Trackball, LostCaptureEndsTheDragWhereThePointerWas) {
  trackballPress(1, 400, 400);
  trackballMotion(450, 420);
  trackballCaptureLost();
  EXPECT_EQ(dragging, 0);
  EXPECT_EQ(spinning, 1);  // the pointer had moved: as a release there, it spins
  const float angle = rotAngle;
  trackballMotion(700, 700);  // button up: no turn
  EXPECT_EQ(rotAngle, angle);

  trackballPress(1, 100, 100);
  trackballCaptureLost();  // no motion: a click
  EXPECT_EQ(rotationActive, 0);
  trackballCaptureLost();  // no drag: nothing
  EXPECT_EQ(rotationActive, 0);
}

TEST_F(Trackball, NegativeCoordinatesWhileCaptured) {
  trackballPress(1, 10, 10);
  trackballMotion(-200, -50);
  EXPECT_TRUE(std::isfinite(rotAngle));
  EXPECT_NEAR(lastBallVec.x * lastBallVec.x + lastBallVec.y * lastBallVec.y, 1.0f, 1e-5f);
}

}  // namespace
