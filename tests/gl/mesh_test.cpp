// What drawSurface sends, recorded by our own definitions of the five GL functions it calls:
// OpenGL keeps no record of the normals and vertices it was given.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene/mesh.h"

namespace {

std::string calls;          // w line width, b glBegin(GL_QUADS), e glEnd, n normal, v vertex
std::vector<float> values;  // their arguments, in order

void record(char call, std::initializer_list<float> args) {
  calls += call;
  values.insert(values.end(), args);
}

}  // namespace

// clang-format off
extern "C" {
void glLineWidth(GLfloat w) { record('w', {w}); }
void glBegin(GLenum mode) { record(mode == GL_QUADS ? 'b' : '?', {}); }
void glEnd(void) { record('e', {}); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { record('n', {x, y, z}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record('v', {x, y, z}); }
}
static float dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
// clang-format on

namespace {

// A 1.5-pixel line width, then 21 rows of 21 quads, a normal and four corners each, on the grid
// from -1.5 in steps of 0.15 on y = sqrt(x^2 + z^2 + 1) - 1; neighbours share edges exactly;
// unit normals face up, at right angles to the quad.
TEST(Mesh, QuadsLieOnTheBowlAndTileTheGrid) {
  drawSurface();
  std::string quads = "b", want = "w";
  for (int i = 0; i < 21; ++i) quads += "nvvvv";
  for (int i = 0; i < 21; ++i) want += quads + "e";
  ASSERT_EQ(calls, want);
  EXPECT_EQ(values[0], 1.5f);  // the line width for wire-frame
  const int size = 15;         // floats a quad: its normal, then its corners
  for (int i = 0; i < 441; ++i) {
    const float *n = &values[1 + size * i], *c = n + 3;
    const int row = i / 21, col = i % 21;
    EXPECT_NEAR(c[0], -1.5f + 0.15f * col, 1e-5f) << i;
    EXPECT_NEAR(c[2], -1.5f + 0.15f * row, 1e-5f) << i;
    EXPECT_TRUE(c[0] == c[3] && c[6] == c[9] && c[2] == c[11] && c[5] == c[8]) << i;
    EXPECT_TRUE(std::fabs(c[6] - c[0] - 0.15f) < 1e-6f && std::fabs(c[5] - c[2] - 0.15f) < 1e-6f);
    for (const float* k = c; k < c + 12; k += 3) {
      EXPECT_NEAR(k[1], std::sqrt(k[0] * k[0] + k[2] * k[2] + 1.0f) - 1.0f, 1e-6f) << i;
    }
    EXPECT_TRUE(col == 20 || c[6] == n[size + 3]) << i;       // the next quad's first corner
    EXPECT_TRUE(row == 20 || c[5] == n[21 * size + 5]) << i;  // the one below's
    EXPECT_NEAR(dot(n, n), 1.0f, 2e-6f) << i;
    EXPECT_GT(n[1], 0.73f) << i;
    for (int k : {3, 6}) {
      const float edge[3] = {c[k] - c[0], c[k + 1] - c[1], c[k + 2] - c[2]};
      EXPECT_NEAR(dot(n, edge), 0.0f, 1e-6f) << i;
    }
  }
}

}  // namespace
