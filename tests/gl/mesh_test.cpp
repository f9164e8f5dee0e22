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

// The quads in the order sent, row by row; checks the call structure on the way.
std::vector<Quad> recordQuads() {
  calls.clear();
  drawSurface();
  std::vector<Quad> quads;
  EXPECT_EQ(calls.front().kind, Call::lineWidth);
  EXPECT_EQ(calls.front().v[0], 1.5f);
  size_t i = 1;
  int rows = 0;
  while (i < calls.size()) {
    EXPECT_EQ(calls[i].kind, Call::begin);
    EXPECT_EQ(calls[i].mode, (GLenum)GL_QUADS);
    ++i;
    ++rows;
    while (i < calls.size() && calls[i].kind == Call::normal) {
      Quad q;
      std::copy(calls[i].v, calls[i].v + 3, q.normal);
      for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(calls[i + 1 + c].kind, Call::vertex);
        std::copy(calls[i + 1 + c].v, calls[i + 1 + c].v + 3, q.corner[c]);
      }
      quads.push_back(q);
      i += 5;
    }
    EXPECT_EQ(calls[i].kind, Call::end);
    ++i;
  }
  EXPECT_EQ(rows, 21);
  return quads;
}

const Quad& at(const std::vector<Quad>& quads, int row, int col) {
  return quads[(size_t)(row * 21 + col)];
}

TEST(Mesh, SendsTwentyOneRowsOfTwentyOneQuads) {
  const std::vector<Quad> quads = recordQuads();
  EXPECT_EQ(quads.size(), 441u);
  EXPECT_EQ(calls.size(), 1u + 21 * 2 + 441 * 5);
}

TEST(Mesh, FirstQuadMatchesTheWorkedExample) {
  const Quad q = recordQuads().front();
  const float want[4][3] = {{-1.5f, 1.345208f, -1.5f},
                            {-1.5f, 1.252221f, -1.35f},
                            {-1.35f, 1.155226f, -1.35f},
                            {-1.35f, 1.252221f, -1.5f}};
  for (int c = 0; c < 4; ++c) {
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(q.corner[c][k], want[c][k], 2e-6f);
  }
  EXPECT_NEAR(q.normal[0], 0.4816474f, 1e-6f);
  EXPECT_NEAR(q.normal[1], 0.7448545f, 1e-6f);
  EXPECT_NEAR(q.normal[2], 0.4617440f, 1e-6f);
}

TEST(Mesh, MiddleAndLastQuads) {
  const std::vector<Quad> quads = recordQuads();
  const Quad& mid = at(quads, 10, 10);
  EXPECT_EQ(mid.corner[0][0], -1.1920929e-7f);
  EXPECT_EQ(mid.corner[0][2], -1.1920929e-7f);
  EXPECT_NEAR(mid.corner[0][1], 1.42e-14f, 1e-15f);
  EXPECT_NEAR(mid.normal[0], -0.07336397f, 1e-6f);
  EXPECT_NEAR(mid.normal[1], 0.9945430f, 1e-6f);
  EXPECT_NEAR(mid.normal[2], -0.07417569f, 1e-6f);

  const Quad& last = at(quads, 20, 20);
  EXPECT_EQ(last.corner[0][0], 1.49999976f);
  EXPECT_EQ(last.corner[2][0], 1.64999974f);
  EXPECT_EQ(last.corner[2][2], 1.64999974f);
  EXPECT_NEAR(last.corner[2][1], 1.5387001f, 1e-6f);
}

TEST(Mesh, RangesUnitNormalsAndCounterClockwiseCorners) {
  float minXZ = 1e9f, maxXZ = -1e9f, minY = 1e9f, maxY = -1e9f;
  for (const Quad& q : recordQuads()) {
    const float len = std::sqrt(q.normal[0] * q.normal[0] + q.normal[1] * q.normal[1] +
                                q.normal[2] * q.normal[2]);
    EXPECT_NEAR(len, 1.0f, 1e-6f);
    EXPECT_GE(q.normal[1], 0.7348585f);
    for (const auto& c : q.corner) {
      minXZ = std::min({minXZ, c[0], c[2]});
      maxXZ = std::max({maxXZ, c[0], c[2]});
      minY = std::min(minY, c[1]);
      maxY = std::max(maxY, c[1]);
    }
    // x from the inner loop, z from the outer: (x,z), (x,z+s), (x+s,z+s), (x+s,z).
    EXPECT_EQ(q.corner[0][0], q.corner[1][0]);
    EXPECT_EQ(q.corner[2][0], q.corner[3][0]);
    EXPECT_EQ(q.corner[0][2], q.corner[3][2]);
    EXPECT_EQ(q.corner[1][2], q.corner[2][2]);
    EXPECT_GT(q.corner[2][0], q.corner[0][0]);
    EXPECT_GT(q.corner[1][2], q.corner[0][2]);
  }
  EXPECT_EQ(minXZ, -1.5f);
  EXPECT_EQ(maxXZ, 1.64999974f);
  EXPECT_GE(minY, 0.0f);
  EXPECT_NEAR(maxY, 1.5387001f, 1e-6f);
}

TEST(Mesh, NeighboursShareTheirEdgesExactly) {
  const std::vector<Quad> quads = recordQuads();
  for (int r = 0; r < 21; ++r) {
    for (int c = 0; c < 21; ++c) {
      const Quad& q = at(quads, r, c);
      if (c + 1 < 21) {
        EXPECT_EQ(q.corner[2][0], at(quads, r, c + 1).corner[0][0]);
      }
      if (r + 1 < 21) {
        EXPECT_EQ(q.corner[1][2], at(quads, r + 1, c).corner[0][2]);
      }
    }
  }
}

TEST(Mesh, EveryCallSendsTheSameMesh) {
  const std::vector<Quad> first = recordQuads();
  const std::vector<Quad> second = recordQuads();
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(0, std::memcmp(first.data(), second.data(), first.size() * sizeof(Quad)));
}

}  // namespace
