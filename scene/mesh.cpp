#include "scene/mesh.h"

#include <math.h>

#include "scene/gl_headers.h"

namespace {

// The quad being built. Corners and heights are kept in double precision; only what is
// sent to OpenGL is rounded to float.
struct MeshScratch {
  int corner;
  int zStep;
  int xStep;
  double quad[4][3];
  int zShift;
  float quadNormal[3];
};

MeshScratch meshScratch;

const float gridStart = -1.5f;
const float gridStep = 0.15f;
const double gridLimit = 1.5;

// Corners 0..3 run counter-clockwise seen from +y: (x, z), (x, z+s), (x+s, z+s), (x+s, z).
void buildQuad(float colX, float rowZ) {
  MeshScratch& m = meshScratch;
  m.corner = 0;
  m.zShift = 0;
  for (m.xStep = 0; m.xStep < 2; ++m.xStep) {
    const double x = colX + m.xStep * (double)gridStep;
    for (m.zStep = 0; m.zStep < 2; ++m.zStep) {
      if (m.corner == 2) {
        m.zShift = 1;
      } else if (m.corner == 3) {
        m.zShift = -1;
      }
      const double z = rowZ + (m.zStep + m.zShift) * (double)gridStep;
      const double y = sqrt((z * z + x * x) + 1.0) - 1.0;
      m.quad[m.corner][0] = x;
      m.quad[m.corner][1] = y;
      m.quad[m.corner][2] = z;
      ++m.corner;
    }
  }
}

// The unit normal of triangle P0 P1 P2, stored reversed in quadNormal.
void computeQuadNormal(void) {
  const double(*p)[3] = meshScratch.quad;
  const double e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
  const double e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
  const double cx = e1[1] * e2[2] - e1[2] * e2[1];
  const double cy = e1[2] * e2[0] - e1[0] * e2[2];
  const double cz = e1[0] * e2[1] - e1[1] * e2[0];

  // The length comes from the same cross product written out in corner coordinates.
  const double x0 = p[0][0], y0 = p[0][1], z0 = p[0][2];
  const double x1 = p[1][0], y1 = p[1][1], z1 = p[1][2];
  const double x2 = p[2][0], y2 = p[2][1], z2 = p[2][2];
  const double dy = x1 * z2 - x0 * z2 - x1 * z0 - x2 * z1 + x2 * z0 + x0 * z1;
  const double dz = x0 * y1 - x2 * y1 + x2 * y0 + x1 * y2 - x0 * y2 - x1 * y0;
  const double dx = (y0 - y2) * z1 + y1 * z2 + z0 * y2 - z2 * y0 - y1 * z0;
  const double length = sqrt(pow(fabs(dy), 2.0) + pow(fabs(dz), 2.0) + pow(fabs(dx), 2.0));

  meshScratch.quadNormal[0] = (float)(-cx / length);
  meshScratch.quadNormal[1] = (float)(-cy / length);
  meshScratch.quadNormal[2] = (float)(-cz / length);
}

void sendQuad(void) {
  const MeshScratch& m = meshScratch;
  glNormal3f(-m.quadNormal[0], -m.quadNormal[1], -m.quadNormal[2]);
  for (int i = 0; i < 4; ++i) {
    glVertex3f((float)m.quad[i][0], (float)m.quad[i][1], (float)m.quad[i][2]);
  }
}

// Advances a loop variable by one step in double precision; true while within the grid.
bool advance(float& value) {
  const double sum = (double)value + (double)gridStep;
  value = (float)sum;
  return sum <= gridLimit;
}

}  // namespace

void drawSurface(void) {
  glLineWidth(1.5f);
  float rowZ = gridStart;
  do {
    glBegin(GL_QUADS);
    float colX = gridStart;
    do {
      buildQuad(colX, rowZ);
      computeQuadNormal();
      sendQuad();
    } while (advance(colX));
    glEnd();
  } while (advance(rowZ));
}
