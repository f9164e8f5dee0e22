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

class Frame : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    makeContext(128, 128);
    initScene();
  }
  std::vector<float> matrix() const { return std::vector<float>(rotMatrix, rotMatrix + 16); }
  // Compares rotMatrix with OpenGL's rotation by deg degrees about (x, y, z), in double.
  void expectRotation(double deg, double x, double y, double z, double tol) {
    const double n = std::sqrt(x * x + y * y + z * z), a = deg * M_PI / 180.0;
    x /= n, y /= n, z /= n;
    const double c = std::cos(a), s = std::sin(a), t = 1 - c;
    // clang-format off
    const double want[16] = {t*x*x + c, t*x*y + s*z, t*x*z - s*y, 0, t*x*y - s*z, t*y*y + c,
        t*y*z + s*x, 0, t*x*z + s*y, t*y*z - s*x, t*z*z + c, 0, 0, 0, 0, 1};
    // clang-format on
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(rotMatrix[i], want[i], tol) << "element " << i;
  }
};

TEST_F(Frame, HundredSpinFramesStayOnTheExactRotation) {
  for (int i = 0; i < 100; ++i) renderFrame();
  expectRotation(20.0, -0.3, 1.0, 0.6, 2e-6);
}

TEST_F(Frame, TenMillionSpinStepsStayARotation) {
  for (int i = 0; i < 10000000; ++i) applyRotationStep();
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      double dot = 0;
      for (int i = 0; i < 3; ++i) dot += (double)rotMatrix[4 * a + i] * rotMatrix[4 * b + i];
      EXPECT_NEAR(dot, a == b ? 1.0 : 0.0, 1e-5) << "columns " << a << ", " << b;
    }
  }
}

TEST_F(Frame, StoppedOrZeroTurnsLeaveTheMatrixExactly) {
  // A slightly skewed matrix: any step taken, even by zero degrees, would straighten it.
  const std::vector<float> skewed = {1.001f, 0.002f, 0, 0, 0, 0.999f, 0.001f, 0,
                                     0.003f, 0,      1, 0, 0, 0,      0,      1};
  const struct {
    const char* name;
    int active;
    float angle;
    Vec3 axis;
  } cases[] = {{"stopped", 0, 0.2f, {-0.3f, 1, 0.6f}},
               {"zero angle", 1, 0.0f, {-0.3f, 1, 0.6f}},
               {"zero axis", 1, 3.0f, {0, 0, 0}}};
  for (const auto& c : cases) {
    std::copy(skewed.begin(), skewed.end(), rotMatrix);
    rotationActive = c.active;
    rotAngle = c.angle;
    rotAxis = c.axis;
    renderFrame();
    EXPECT_EQ(matrix(), skewed) << c.name;
  }
}

TEST_F(Frame, DragIncrementTurnsOnceHoweverManyFramesFollow) {
  spinning = 0;
  dragging = 1;
  rotAngle = 5.0f;
  rotAxis = Vec3{0, 1, 0};
  for (int i = 0; i < 3; ++i) renderFrame();  // a motion, then a key and a paint
  expectRotation(5.0, 0, 1, 0, 1e-6);
}

TEST_F(Frame, LeavesEverythingSwitchedOffButFogAndLight2) {
  std::vector<float> before(16), after(16);
  glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
  fogOn = wireframeOn = textureOn = cullOn = 1;
  renderFrame();
  glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
  EXPECT_EQ(before, after);
  for (GLenum cap : {GL_TEXTURE_2D, GL_CULL_FACE, GL_LIGHTING, GL_DEPTH_TEST}) {
    EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
  }
  GLint modes[2] = {0, 0};
  glGetIntegerv(GL_POLYGON_MODE, modes);
  EXPECT_EQ(modes[0] + modes[1], 2 * GL_FILL);
  EXPECT_TRUE(glIsEnabled(GL_FOG) && glIsEnabled(GL_LIGHT2));
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{128, 64, 64}));  // fog's background
  fogOn = 0;
  renderFrame();
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{38, 38, 140}));
}

// The bowl lit as a frame lights it, turned about x: red inside from above, green beneath.
TEST_F(Frame, RedInsideGreenUnderneath) {
  for (float angle : {90.0f, -90.0f}) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT2);
    glEnable(GL_DEPTH_TEST);
    glPushMatrix();
    glTranslatef(0.0f, -0.5f, 0.0f);
    glRotatef(angle, 1.0f, 0.0f, 0.0f);
    setMaterials();
    drawSurface();
    glPopMatrix();
    const std::vector<int> m = pixel(64, 64);
    const int main = angle > 0 ? m[0] : m[1], other = angle > 0 ? m[1] : m[0];
    EXPECT_GT(main, other + 40) << angle;
    EXPECT_GT(main, m[2] + 40) << angle;
  }
}

}  // namespace
