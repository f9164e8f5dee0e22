// Frames on a real OpenGL context: the rotation step, the state a frame leaves, the pictures.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/state.h"
#include "scene/frame.h"
#include "scene/materials.h"
#include "scene/mesh.h"
#include "scene/scene_setup.h"
#include "tests/support/egl_context.h"

namespace {

// OpenGL's rotation by deg degrees about (x, y, z), column-major, in double precision.
std::vector<double> rotation(double deg, double x, double y, double z) {
  const double n = std::sqrt(x * x + y * y + z * z);
  x /= n, y /= n, z /= n;
  const double a = deg * M_PI / 180.0, c = std::cos(a), s = std::sin(a), t = 1 - c;
  return {t * x * x + c,
          t * x * y + s * z,
          t * x * z - s * y,
          0,
          t * x * y - s * z,
          t * y * y + c,
          t * y * z + s * x,
          0,
          t * x * z + s * y,
          t * y * z - s * x,
          t * z * z + c,
          0,
          0,
          0,
          0,
          1};
}

bool allFinite(const float* m) {
  for (int i = 0; i < 16; ++i) {
    if (!std::isfinite(m[i])) return false;
  }
  return true;
}

class Frame : public GlTest {
 protected:
  void start(int size = 128) {
    makeContext(size, size);
    initScene();
  }
  std::vector<float> matrix() const { return std::vector<float>(rotMatrix, rotMatrix + 16); }
};

TEST_F(Frame, FirstFrameTurnsByTheInitialSpin) {
  start();
  renderFrame();
  const std::vector<double> want = rotation(0.2, -0.3, 1.0, 0.6);
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(rotMatrix[i], want[i], 1e-6) << "element " << i;
  }
}

TEST_F(Frame, HundredFramesStayOnTheExactRotation) {
  // Re-orthonormalising must not change what the first frames show.
  start();
  for (int i = 0; i < 100; ++i) renderFrame();
  const std::vector<double> want = rotation(20.0, -0.3, 1.0, 0.6);
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(rotMatrix[i], want[i], 2e-6) << "element " << i;
  }
}

TEST_F(Frame, LeavesEverythingSwitchedOffButFogAndLight2) {
  start();
  std::vector<float> before(16), after(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
  fogOn = 1;
  wireframeOn = 1;
  textureOn = 1;
  cullOn = 1;
  renderFrame();
  glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
  EXPECT_EQ(before, after);
  for (GLenum cap : {GL_TEXTURE_2D, GL_CULL_FACE, GL_LIGHTING, GL_DEPTH_TEST}) {
    EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
  }
  GLint modes[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, modes);
  EXPECT_EQ(modes[0], GL_FILL);
  EXPECT_EQ(modes[1], GL_FILL);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
  float width = 0;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 1.5f);
  fogOn = 0;
  renderFrame();
  EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(Frame, BackgroundFollowsFog) {
  start();
  renderFrame();
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{38, 38, 140}));  // (0.15, 0.15, 0.55)
  fogOn = 1;
  renderFrame();
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{128, 64, 64}));  // (0.5, 0.25, 0.25)
}

TEST_F(Frame, StoppedOrZeroTurnsLeaveTheMatrixExactly) {
  start();
  renderFrame();
  const std::vector<float> turned = matrix();
  rotationActive = 0;
  renderFrame();
  EXPECT_EQ(matrix(), turned);
  rotationActive = 1;
  rotAngle = 0.0f;
  renderFrame();
  EXPECT_EQ(matrix(), turned);
  // Two motions to one pixel give angle 0 about no axis at all.
  rotAngle = 0.0f;
  rotAxis = Vec3{0, 0, 0};
  renderFrame();
  EXPECT_EQ(matrix(), turned);
  rotAngle = 3.0f;  // even a non-zero angle about a zero axis is no turn
  renderFrame();
  EXPECT_EQ(matrix(), turned);
  EXPECT_TRUE(allFinite(rotMatrix));
}

TEST_F(Frame, DragIncrementTurnsOnceHoweverManyFramesFollow) {
  start();
  spinning = 0;
  dragging = 1;
  rotAngle = 5.0f;
  rotAxis = Vec3{0, 1, 0};
  renderFrame();
  const std::vector<float> once = matrix();
  renderFrame();  // a key or a paint while the pointer stands still
  renderFrame();
  EXPECT_EQ(matrix(), once);
  const std::vector<double> want = rotation(5.0, 0, 1, 0);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(rotMatrix[i], want[i], 1e-6);
}

TEST_F(Frame, SpinKeepsTurningEveryFrame) {
  start();
  renderFrame();
  const std::vector<float> first = matrix();
  renderFrame();
  EXPECT_NE(matrix(), first);
}

TEST_F(Frame, TenMillionSpinStepsStayARotation) {
  start(16);
  for (int i = 0; i < 10000000; ++i) {
    applyRotationStep();
  }
  EXPECT_TRUE(allFinite(rotMatrix));
  EXPECT_LT(orthonormalError(rotMatrix), 1e-5);
}

class Scheduling : public GlTest {};

TEST_F(Scheduling, RequestsShareOneFrameWhenNotSpinning) {
  makeContext(16, 16);
  initScene();
  spinning = 0;
  requestRedraw();
  EXPECT_EQ(idleFunc, &idleRender);
  requestRedraw();
  requestRedraw();
  EXPECT_EQ(idleFunc, &idleRender);
  idleFunc();
  EXPECT_EQ(idleFunc, nullptr);  // one frame, then the idle procedure is gone
}

TEST_F(Scheduling, SpinningKeepsTheIdleProcedure) {
  makeContext(16, 16);
  initScene();
  requestRedraw();
  idleFunc();
  idleFunc();
  EXPECT_EQ(idleFunc, &idleRender);
  spinning = 0;  // a press stops it after one more frame
  idleFunc();
  EXPECT_EQ(idleFunc, nullptr);
}

// The bowl drawn as a frame draws it, with a rotation of choice.
class Picture : public GlTest {
 protected:
  void drawTurned(float angleAboutX) {
    makeContext(128, 128);
    initScene();
    glClearColor(0.15f, 0.15f, 0.55f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT2);
    glEnable(GL_DEPTH_TEST);
    glPushMatrix();
    glTranslatef(0.0f, -0.5f, 0.0f);
    glRotatef(angleAboutX, 1.0f, 0.0f, 0.0f);
    setMaterials();
    drawSurface();
    glPopMatrix();
    glFinish();
  }
};

TEST_F(Picture, RedInsideSeenFromAbove) {
  drawTurned(90.0f);  // the bowl's +y toward the viewer
  const std::vector<int> middle = pixel(64, 64);
  EXPECT_GT(middle[0], middle[1] + 40) << middle[0] << "," << middle[1] << "," << middle[2];
  EXPECT_GT(middle[0], middle[2] + 40);
  EXPECT_EQ(pixel(1, 126), (std::vector<int>{38, 38, 140}));
}

TEST_F(Picture, GreenUnderneathSeenFromBelow) {
  drawTurned(-90.0f);
  const std::vector<int> middle = pixel(64, 64);
  EXPECT_GT(middle[1], middle[0] + 40) << middle[0] << "," << middle[1] << "," << middle[2];
  EXPECT_GT(middle[1], middle[2] + 40);
  EXPECT_EQ(pixel(1, 1), (std::vector<int>{38, 38, 140}));
}

}  // namespace
