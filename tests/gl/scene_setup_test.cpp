// The one-time scene set-up, the texture, the projection and the materials, read back from a
// real OpenGL context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/state.h"
#include "scene/materials.h"
#include "scene/projection.h"
#include "scene/scene_setup.h"
#include "scene/texture.h"
#include "tests/support/egl_context.h"

namespace {

std::vector<float> getFloats(GLenum pname, int n) {
  std::vector<float> v(16, 0.0f);
  glGetFloatv(pname, v.data());
  v.resize(n);
  return v;
}

std::vector<float> light(GLenum l, GLenum pname) {
  std::vector<float> v(4, 0.0f);
  glGetLightfv(l, pname, v.data());
  return v;
}

std::vector<float> material(GLenum face, GLenum pname) {
  std::vector<float> v(4, 0.0f);
  glGetMaterialfv(face, pname, v.data());
  return v;
}

// glOrtho's matrix, column-major.
std::vector<float> ortho(double l, double r, double b, double t, double n, double f) {
  return {(float)(2 / (r - l)),
          0,
          0,
          0,
          0,
          (float)(2 / (t - b)),
          0,
          0,
          0,
          0,
          (float)(-2 / (f - n)),
          0,
          (float)(-(r + l) / (r - l)),
          (float)(-(t + b) / (t - b)),
          (float)(-(f + n) / (f - n)),
          1};
}

void expectNear(const std::vector<float>& got, const std::vector<float>& want, float tol) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i], want[i], tol) << "element " << i;
  }
}

class SceneSetup : public GlTest {};

TEST_F(SceneSetup, EnablesTheLightsButNotLightingFogOrTexture) {
  makeContext(64, 64);
  initScene();
  for (GLenum l : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT3, GL_LIGHT4, GL_LIGHT5, GL_LIGHT6}) {
    EXPECT_TRUE(glIsEnabled(l)) << "light " << (l - GL_LIGHT0);
  }
  EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT7));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint twoSided = 0;
  glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
  EXPECT_EQ(twoSided, GL_TRUE);
}

TEST_F(SceneSetup, LightColoursAndDirectionsInEyeCoordinates) {
  makeContext(64, 64);
  initScene();
  expectNear(light(GL_LIGHT0, GL_POSITION), {0.7f, 0.7f, 1.25f, 0.0f}, 1e-6f);
  expectNear(light(GL_LIGHT0, GL_AMBIENT), {0, 0, 0, 1}, 0);
  expectNear(light(GL_LIGHT0, GL_DIFFUSE), {1, 1, 1, 1}, 0);
  expectNear(light(GL_LIGHT0, GL_SPECULAR), {1, 1, 1, 1}, 0);
  // The viewing translation does not move a direction.
  for (int i = 0; i < 6; ++i) {
    const std::vector<float> want(lightPositions[i], lightPositions[i] + 4);
    expectNear(light(GL_LIGHT1 + i, GL_POSITION), want, 1e-5f);
  }
  expectNear(light(GL_LIGHT1, GL_AMBIENT), {0.35f, 0.35f, 0.65f, 1}, 0);
  expectNear(light(GL_LIGHT2, GL_SPECULAR), {0.65f, 0.85f, 0.85f, 1}, 0);
  expectNear(light(GL_LIGHT3, GL_DIFFUSE), {0.4f, 0.4f, 0.05f, 1}, 0);
  expectNear(light(GL_LIGHT4, GL_SPECULAR), {0.2f, 0.7f, 0.35f, 1}, 0);
  expectNear(light(GL_LIGHT5, GL_DIFFUSE), {0, 0.5f, 0, 1}, 0);
  expectNear(light(GL_LIGHT6, GL_AMBIENT), {0.4f, 0.4f, 0.4f, 1}, 0);
}

TEST_F(SceneSetup, FogParameters) {
  makeContext(64, 64);
  initScene();
  GLint mode = 0;
  glGetIntegerv(GL_FOG_MODE, &mode);
  EXPECT_EQ(mode, GL_EXP2);
  float density = 0;
  glGetFloatv(GL_FOG_DENSITY, &density);
  EXPECT_EQ(density, 0.24300002f);
  EXPECT_NE(density, 0.243f);
  expectNear(getFloats(GL_FOG_COLOR, 4), {0.4f, 0.4f, 0.5f, 1.0f}, 0);
}

TEST_F(SceneSetup, ViewingTranslationSurvivesResizesAndRotationBecomesIdentity) {
  makeContext(64, 64);
  for (float& m : rotMatrix) m = 7.0f;
  initScene();
  const std::vector<float> view = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -2.5f, 1};
  expectNear(getFloats(GL_MODELVIEW_MATRIX, 16), view, 0);
  expectNear(getFloats(GL_PROJECTION_MATRIX, 16), ortho(-2, 2, -2, 2, 0, 10), 1e-7f);
  resizeViewport();
  resizeViewport();
  expectNear(getFloats(GL_MODELVIEW_MATRIX, 16), view, 0);
  GLint matrixMode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  EXPECT_EQ(matrixMode, GL_MODELVIEW);
  expectNear(std::vector<float>(rotMatrix, rotMatrix + 16),
             {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0);
}

TEST_F(SceneSetup, TextureStateAndTexelsReadBack) {
  makeContext(64, 64);
  initScene();
  GLint v = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
  EXPECT_EQ(v, GL_MODULATE);
  const GLenum params[] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                           GL_TEXTURE_WRAP_T};
  const GLint want[] = {GL_NEAREST, GL_NEAREST, GL_REPEAT, GL_REPEAT};
  for (int i = 0; i < 4; ++i) {
    glGetTexParameteriv(GL_TEXTURE_2D, params[i], &v);
    EXPECT_EQ(v, want[i]) << "parameter " << i;
  }
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &v);
  EXPECT_EQ(v, GL_RGB);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &v);
  EXPECT_EQ(v, 256);

  std::vector<unsigned char> image(256 * 256 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
  auto texel = [&](int r, int c) { return (int)image[(size_t)(r * 256 + c) * 3]; };
  for (auto rc : {std::pair{0, 0}, {0, 31}, {31, 0}, {32, 32}, {255, 255}}) {
    EXPECT_EQ(texel(rc.first, rc.second), 16) << rc.first << "," << rc.second;
  }
  for (auto rc : {std::pair{0, 32}, {32, 0}, {255, 0}, {63, 64}}) {
    EXPECT_EQ(texel(rc.first, rc.second), 255) << rc.first << "," << rc.second;
  }
}

TEST_F(SceneSetup, DecalSettingSelectsTheDecalEnvironment) {
  makeContext(64, 64);
  decalOn = 1;
  makeCheckerTexture();
  GLint v = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
  EXPECT_EQ(v, GL_DECAL);
}

TEST(CheckerImage, HalfWhiteAndOpaque) {
  std::vector<unsigned char> image(checkerSize * checkerSize * 4);
  fillCheckerImage(image.data());
  size_t white = 0;
  for (size_t i = 0; i < image.size(); i += 4) {
    EXPECT_EQ(image[i + 3], 255);
    EXPECT_EQ(image[i], image[i + 1]);
    white += image[i] == 255;
  }
  EXPECT_EQ(white, image.size() / 8);
}

class Projection : public GlTest {};

TEST_F(Projection, NonSquareWindowUsesTheFloatAspect) {
  makeContext(800, 600);
  setProjection();
  const double x = 2.0 * (double)(800.0f / 600.0f);
  EXPECT_DOUBLE_EQ(x, 2.6666667461395264);
  expectNear(getFloats(GL_PROJECTION_MATRIX, 16), ortho(-x, x, -2, 2, 0, 10), 1e-7f);
  resizeViewport();
  std::vector<GLint> vp(4);
  glGetIntegerv(GL_VIEWPORT, vp.data());
  EXPECT_EQ(vp, (std::vector<GLint>{0, 0, 800, 600}));
}

TEST_F(Projection, PerspectiveFrustum) {
  makeContext(64, 64);
  perspectiveOn = 1;
  setProjection();
  const std::vector<float> p = getFloats(GL_PROJECTION_MATRIX, 16);
  const double n = 0.8999999761581421, f = 14.0;
  EXPECT_FLOAT_EQ(p[0], (float)n);  // 2n / (r - l) with r - l = 2
  EXPECT_FLOAT_EQ(p[5], (float)n);
  EXPECT_FLOAT_EQ(p[10], (float)(-(f + n) / (f - n)));
  EXPECT_FLOAT_EQ(p[14], (float)(-2 * f * n / (f - n)));
  EXPECT_EQ(p[11], -1.0f);
}

class Materials : public GlTest {};

TEST_F(Materials, FrontRedBackGreenOtherwiseAlike) {
  makeContext(64, 64);
  setMaterials();
  expectNear(material(GL_FRONT, GL_DIFFUSE), {0.75f, 0.1f, 0.1f, 0.6f}, 0);
  expectNear(material(GL_BACK, GL_DIFFUSE), {0.1f, 0.5f, 0.1f, 0.6f}, 0);
  for (GLenum face : {GL_FRONT, GL_BACK}) {
    expectNear(material(face, GL_AMBIENT), {0.05f, 0.05f, 0.05f, 1}, 0);
    expectNear(material(face, GL_SPECULAR), {0.23f, 0.23f, 0.25f, 1}, 0);
    expectNear(material(face, GL_EMISSION), {0, 0, 0, 1}, 0);
    float shininess = 0;
    glGetMaterialfv(face, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 40.0f);
  }
}

}  // namespace
