// Immediate mode: the vertices between glBegin and glEnd, drawn as WebGL triangles. Wire-frame
// outlines are drawn as triangles too, since WebGL's lines are one pixel wide: each edge a band
// of the line width rounded to whole pixels, across its major axis, as desktop GL draws
// aliased wide lines.
#include <math.h>

#include <algorithm>

#include "pipeline.h"

namespace winx::web::gl {

namespace {

enum { positionSlot, normalSlot, clipSlot, frontSlot };

struct Window {
  float x, y;  // window coordinates of a vertex, in pixels
  float clip[4];
};

Window toWindow(const FixedFunction& f, const Matrix& mvp, const Vertex& v) {
  Window w;
  const float p[4] = {v.position[0], v.position[1], v.position[2], 1};
  transform(mvp, p, w.clip);
  const float k = w.clip[3] != 0 ? 1 / w.clip[3] : 0;
  w.x = f.viewport[0] + (w.clip[0] * k + 1) * 0.5f * (float)f.viewport[2];
  w.y = f.viewport[1] + (w.clip[1] * k + 1) * 0.5f * (float)f.viewport[3];
  return w;
}

// A point (x, y) in window coordinates at the depth and w of a, back in clip coordinates.
DrawVertex corner(const FixedFunction& f, const Vertex& v, const Window& a, float x, float y,
                  bool front) {
  DrawVertex d;
  d.v = v;
  const float w = a.clip[3];
  d.clip[0] = ((x - (float)f.viewport[0]) / (float)f.viewport[2] * 2 - 1) * w;
  d.clip[1] = ((y - (float)f.viewport[1]) / (float)f.viewport[3] * 2 - 1) * w;
  d.clip[2] = a.clip[2];
  d.clip[3] = w;
  d.front = front ? 1 : 0;
  return d;
}

// The edge from a to b as two triangles, half the width either side across its major axis.
void addEdge(FixedFunction& f, const Vertex& va, const Window& a, const Vertex& vb, const Window& b,
             bool front) {
  if (a.clip[3] <= 0 || b.clip[3] <= 0) return;  // behind the eye: not clipped, left out
  const float half = std::max(1.0f, roundf(f.lineWidth)) / 2;
  const bool xMajor = fabsf(b.x - a.x) >= fabsf(b.y - a.y);
  const float ox = xMajor ? 0 : half, oy = xMajor ? half : 0;
  const DrawVertex a0 = corner(f, va, a, a.x - ox, a.y - oy, front);
  const DrawVertex a1 = corner(f, va, a, a.x + ox, a.y + oy, front);
  const DrawVertex b0 = corner(f, vb, b, b.x - ox, b.y - oy, front);
  const DrawVertex b1 = corner(f, vb, b, b.x + ox, b.y + oy, front);
  f.drawn.insert(f.drawn.end(), {a0, b0, b1, a0, b1, a1});
}

// A polygon's outline, with the facing GL gives it: counter-clockwise in the window is front.
void addOutline(FixedFunction& f, const Matrix& mvp, const Vertex* v, int n) {
  Window w[4];
  float area = 0;
  for (int i = 0; i < n; ++i) w[i] = toWindow(f, mvp, v[i]);
  for (int i = 0; i < n; ++i) {
    const Window &p = w[i], &q = w[(i + 1) % n];
    area += p.x * q.y - q.x * p.y;
  }
  const bool front = area > 0;
  if (f.cullFace && !front) return;  // GL culls back faces by default
  for (int i = 0; i < n; ++i) addEdge(f, v[i], w[i], v[(i + 1) % n], w[(i + 1) % n], front);
}

void addTriangle(FixedFunction& f, const Vertex& a, const Vertex& b, const Vertex& c) {
  for (const Vertex* v : {&a, &b, &c}) f.drawn.push_back(DrawVertex{*v, {0, 0, 0, 1}, 1});
}

void attribute(GLuint slot, int size, size_t offset) {
  emscripten_glEnableVertexAttribArray(slot);
  emscripten_glVertexAttribPointer(slot, size, GL_FLOAT, GL_FALSE, sizeof(DrawVertex),
                                   (const void*)offset);
}

}  // namespace

void drawPrimitive(FixedFunction& f) {
  const int sides = f.primitive == GL_QUADS ? 4 : f.primitive == GL_TRIANGLES ? 3 : 0;
  if (sides == 0) return;  // the program draws quads only; triangles come with them for free
  const bool lines = f.polygonMode == GL_LINE;
  const Matrix mvp = multiply(f.projection.back(), f.modelview.back());
  f.drawn.clear();
  for (size_t i = 0; i + sides <= f.vertices.size(); i += sides) {
    const Vertex* v = &f.vertices[i];
    if (lines) {
      addOutline(f, mvp, v, sides);
    } else {
      // Quads are seldom flat: split along the 1-3 diagonal, they fold as on the desktop (0.003 %
      // of pixels off its picture, against 0.006 % along the other).
      if (sides == 4) {
        addTriangle(f, v[0], v[1], v[3]);
        addTriangle(f, v[1], v[2], v[3]);
      } else {
        addTriangle(f, v[0], v[1], v[2]);
      }
    }
  }
  if (f.drawn.empty()) return;
  emscripten_glUseProgram(f.program);
  emscripten_glBindBuffer(GL_ARRAY_BUFFER, f.buffer);
  emscripten_glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(f.drawn.size() * sizeof(DrawVertex)),
                          f.drawn.data(), GL_STREAM_DRAW);
  attribute(positionSlot, 3, offsetof(DrawVertex, v.position));
  attribute(normalSlot, 3, offsetof(DrawVertex, v.normal));
  attribute(clipSlot, 4, offsetof(DrawVertex, clip));
  attribute(frontSlot, 1, offsetof(DrawVertex, front));
  // Culled outlines are gone already; the bands themselves have no facing of their own.
  if (lines && f.cullFace) emscripten_glDisable(GL_CULL_FACE);
  loadUniforms(f, lines);
  emscripten_glDrawArrays(GL_TRIANGLES, 0, (GLsizei)f.drawn.size());
  if (lines && f.cullFace) emscripten_glEnable(GL_CULL_FACE);
}

}  // namespace winx::web::gl

using namespace winx::web::gl;

extern "C" {

void glBegin(GLenum mode) {
  FixedFunction* f = current();
  if (f == nullptr || f->inBegin) return;
  f->inBegin = true;
  f->primitive = mode;
  f->vertices.clear();
}

void glEnd(void) {
  FixedFunction* f = current();
  if (f == nullptr || !f->inBegin) return;
  f->inBegin = false;
  drawPrimitive(*f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  if (FixedFunction* f = current()) f->normal[0] = x, f->normal[1] = y, f->normal[2] = z;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  FixedFunction* f = current();
  if (f && f->inBegin)
    f->vertices.push_back(Vertex{{x, y, z}, {f->normal[0], f->normal[1], f->normal[2]}});
}

}  // extern "C"
