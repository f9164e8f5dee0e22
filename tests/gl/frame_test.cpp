// Frames on a real OpenGL context: the rotation step, and the picture.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/state.h"
#include "scene/frame.h"
#include "scene/scene_setup.h"
#include "tests/support/egl_context.h"

namespace {

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    ASSERT_EQ(makeEglContext(128, 128), "");
    initScene();
  }
  // Compares rotMatrix with OpenGL's own rotation by deg degrees about (x, y, z).
  void expectRotation(double deg, double x, double y, double z, double tol) {
    double want[16];
    glMatrixMode(GL_MODELVIEW), glLoadIdentity(), glRotated(deg, x, y, z);
    glGetDoublev(GL_MODELVIEW_MATRIX, want);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(rotMatrix[i], want[i], tol) << "element " << i;
  }
};

// 100 spin frames turn exactly 20 degrees; a drag's increment turns once, whatever follows.
TEST_F(Frame, SpinFramesAndADragIncrementTurnExactly) {
  for (int i = 0; i < 100; ++i) renderFrame();
  expectRotation(20.0, -0.3, 1.0, 0.6, 2e-6);
  SetUp();
  spinning = 0, dragging = 1, rotAngle = 5.0f, rotAxis = Vec3{0, 1, 0};
  for (int i = 0; i < 3; ++i) renderFrame();
  expectRotation(5.0, 0, 1, 0, 1e-6);
}

TEST_F(Frame, TenMillionSpinStepsStayARotation) {
  for (int i = 0; i < 10000000; ++i) applyRotationStep();
  for (int k = 0; k < 9; ++k) {  // columns a and b: unit length, at right angles
    const float *a = &rotMatrix[4 * (k / 3)], *b = &rotMatrix[4 * (k % 3)];
    EXPECT_NEAR((double)a[0] * b[0] + (double)a[1] * b[1] + (double)a[2] * b[2], k % 4 == 0, 1e-5)
        << "columns " << k / 3 << ", " << k % 3;
  }
}

TEST_F(Frame, StoppedOrZeroTurnsLeaveTheMatrixExactly) {
  // A slightly skewed matrix: any step taken, even by zero degrees, would straighten it.
  const std::vector<float> skewed = {1.001f, 0.002f, 0, 0, 0, 0.999f, 0.001f, 0,
                                     0.003f, 0,      1, 0, 0, 0,      0,      1};
  const struct {
    int active;
    float angle;
    Vec3 axis;
  } cases[] = {{0, 0.2f, {-0.3f, 1, 0.6f}}, {1, 0.0f, {-0.3f, 1, 0.6f}}, {1, 3.0f, {0, 0, 0}}};
  for (const auto& c : cases) {
    std::copy(skewed.begin(), skewed.end(), rotMatrix);
    rotationActive = c.active, rotAngle = c.angle, rotAxis = c.axis;
    renderFrame();
    EXPECT_EQ(std::vector<float>(rotMatrix, rotMatrix + 16), skewed) << c.active << c.angle;
  }
}

// Turned a quarter about x, one way and the other: red inside from above, green beneath.
TEST_F(Frame, RedInsideGreenUnderneath) {
  rotationActive = 0;
  for (float s : {1.0f, -1.0f}) {
    const float turned[16] = {1, 0, 0, 0, 0, 0, s, 0, 0, -s, 0, 0, 0, 0, 0, 1};
    std::copy(turned, turned + 16, rotMatrix);
    renderFrame();
    unsigned char m[4];
    glReadPixels(64, 64, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, m);
    const int main = s > 0 ? m[0] : m[1], other = s > 0 ? m[1] : m[0];
    EXPECT_TRUE(main > other + 40 && main > m[2] + 40) << s << ": " << +m[0] << " " << +m[1];
  }
}

}  // namespace
