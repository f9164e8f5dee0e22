// What drawSurface sends, recorded at the OpenGL entry points it calls. This test links its
// own definitions of those five functions in place of the driver's, because OpenGL keeps
// no record of the normals and vertices it was given.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene/mesh.h"

namespace {

struct Call {
  enum Kind { lineWidth, begin, end, normal, vertex } kind;
  float v[3];
  GLenum mode;
};

std::vector<Call> calls;

}  // namespace

extern "C" {
void glLineWidth(GLfloat w) {
  calls.push_back({Call::lineWidth, {w, 0, 0}, 0});
}
void glBegin(GLenum mode) {
  calls.push_back({Call::begin, {0, 0, 0}, mode});
}
void glEnd(void) {
  calls.push_back({Call::end, {0, 0, 0}, 0});
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  calls.push_back({Call::normal, {x, y, z}, 0});
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  calls.push_back({Call::vertex, {x, y, z}, 0});
}
}

namespace {

struct Quad {
  float normal[3];
  float corner[4][3];
};

// The quads in the order sent, row by row, after checking the calls' structure: a line width,
// then 21 rows of GL_QUADS with 21 quads of one normal and four vertices each.
std::vector<Quad> recordQuads() {
  calls.clear();
  drawSurface();
  std::vector<Quad> quads;
  EXPECT_EQ(calls.size(), 1u + 21 * 2 + 441 * 5);
  EXPECT_TRUE(calls[0].kind == Call::lineWidth && calls[0].v[0] == 1.5f);
  for (size_t i = 1; i + 1 < calls.size(); i += 2 + 21 * 5) {
    EXPECT_TRUE(calls[i].kind == Call::begin && calls[i].mode == (GLenum)GL_QUADS);
    EXPECT_EQ(calls[i + 1 + 21 * 5].kind, Call::end);
    for (size_t q = i + 1; q < i + 1 + 21 * 5; q += 5) {
      Quad quad;
      EXPECT_EQ(calls[q].kind, Call::normal);
      std::memcpy(quad.normal, calls[q].v, sizeof quad.normal);
      for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(calls[q + 1 + c].kind, Call::vertex);
        std::memcpy(quad.corner[c], calls[q + 1 + c].v, sizeof quad.corner[c]);
      }
      quads.push_back(quad);
    }
  }
  return quads;
}

float dot(const float* a, const float* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

TEST(Mesh, QuadsLieOnTheBowlAndTileTheGrid) {
  const std::vector<Quad> quads = recordQuads();
  ASSERT_EQ(quads.size(), 441u);
  for (size_t i = 0; i < quads.size(); ++i) {
    const Quad& q = quads[i];
    const int row = (int)i / 21, col = (int)i % 21;
    // Corners (x, z), (x, z+s), (x+s, z+s), (x+s, z), on the grid from -1.5 in steps of 0.15.
    EXPECT_NEAR(q.corner[0][0], -1.5f + 0.15f * col, 1e-5f) << i;
    EXPECT_NEAR(q.corner[0][2], -1.5f + 0.15f * row, 1e-5f) << i;
    EXPECT_TRUE(q.corner[0][0] == q.corner[1][0] && q.corner[2][0] == q.corner[3][0] &&
                q.corner[0][2] == q.corner[3][2] && q.corner[1][2] == q.corner[2][2])
        << i;
    EXPECT_NEAR(q.corner[2][0] - q.corner[0][0], 0.15f, 1e-6f) << i;
    EXPECT_NEAR(q.corner[1][2] - q.corner[0][2], 0.15f, 1e-6f) << i;
    for (const auto& c : q.corner) {
      EXPECT_NEAR(c[1], std::sqrt(c[0] * c[0] + c[2] * c[2] + 1.0f) - 1.0f, 1e-6f) << i;
    }
    // Neighbours share their edges exactly: no cracks between quads.
    EXPECT_TRUE(col == 20 || q.corner[2][0] == quads[i + 1].corner[0][0]) << i;
    EXPECT_TRUE(row == 20 || q.corner[1][2] == quads[i + 21].corner[0][2]) << i;
    // A unit normal, facing up, at right angles to the quad's first two edges.
    EXPECT_NEAR(dot(q.normal, q.normal), 1.0f, 2e-6f) << i;
    EXPECT_GT(q.normal[1], 0.73f) << i;
    for (int c : {1, 2}) {
      const float edge[3] = {q.corner[c][0] - q.corner[0][0], q.corner[c][1] - q.corner[0][1],
                             q.corner[c][2] - q.corner[0][2]};
      EXPECT_NEAR(dot(q.normal, edge), 0.0f, 1e-6f) << i;
    }
  }
  const Quad& last = quads.back();
  EXPECT_EQ(last.corner[2][0], 1.64999974f);  // the float loop overshoots 1.5 by one step
}

TEST(Mesh, EveryCallSendsTheSameMesh) {
  const std::vector<Quad> first = recordQuads();
  const std::vector<Quad> second = recordQuads();
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(0, std::memcmp(first.data(), second.data(), first.size() * sizeof(Quad)));
}

}  // namespace
