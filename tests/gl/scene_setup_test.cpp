// The one-time scene set-up, read back from a real OpenGL context: what depends on the order
// of calls and on the matrices in force, not the constants alone.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/state.h"
#include "scene/projection.h"
#include "scene/scene_setup.h"
#include "tests/support/egl_context.h"

namespace {

std::vector<float> getFloats(GLenum pname, int n) {
  std::vector<float> v(16, 0.0f);
  glGetFloatv(pname, v.data());
  v.resize(n);
  return v;
}

void expectNear(const std::vector<float>& got, const std::vector<float>& want, float tol,
                const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], tol) << what << " " << i;
}

class SceneSetup : public GlTest {};

TEST_F(SceneSetup, LightsViewAndRotationAfterSetUp) {
  makeContext(64, 64);
  for (float& m : rotMatrix) m = 7.0f;
  initScene();
  for (GLenum l : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT3, GL_LIGHT4, GL_LIGHT5, GL_LIGHT6}) {
    EXPECT_TRUE(glIsEnabled(l)) << "light " << (l - GL_LIGHT0);
  }
  // Light 2 and lighting itself are the frame's to switch; so is fog.
  for (GLenum cap : {GL_LIGHT2, GL_LIGHT7, GL_LIGHTING, GL_FOG, GL_TEXTURE_2D}) {
    EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
  }
  GLint twoSided = 0;
  glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
  EXPECT_EQ(twoSided, GL_TRUE);
  // Directions are stored in eye coordinates: the viewing translation does not move them.
  std::vector<float> p(4);
  glGetLightfv(GL_LIGHT0, GL_POSITION, p.data());
  expectNear(p, {0.7f, 0.7f, 1.25f, 0.0f}, 1e-6f, "light 0");
  for (int i = 0; i < 6; ++i) {
    glGetLightfv(GL_LIGHT1 + i, GL_POSITION, p.data());
    expectNear(p, std::vector<float>(lightPositions[i], lightPositions[i] + 4), 1e-5f, "light");
  }
  const std::vector<float> view = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -2.5f, 1};
  resizeViewport();
  resizeViewport();
  expectNear(getFloats(GL_MODELVIEW_MATRIX, 16), view, 0, "view after resizes");
  GLint matrixMode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  EXPECT_EQ(matrixMode, GL_MODELVIEW);
  expectNear(std::vector<float>(rotMatrix, rotMatrix + 16),
             {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0, "rotation");
}

}  // namespace
