// The modelview and projection stacks, in single precision as GL computes them, and the
// context's life.
#include <math.h>
#include <string.h>

#include "pipeline.h"

namespace winx::web::gl {

namespace {

FixedFunction* active = nullptr;

// GL's minimum depths: 32 modelview matrices, 2 projection matrices.
const size_t modelviewDepth = 32, projectionDepth = 2;

const Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

std::vector<Matrix>& stack(FixedFunction& f) {
  return f.matrixMode == GL_PROJECTION ? f.projection : f.modelview;
}

void multiplyCurrent(const Matrix& m) {
  if (FixedFunction* f = current()) currentMatrix(*f) = multiply(currentMatrix(*f), m);
}

}  // namespace

FixedFunction* current() {
  return active;
}

void makeCurrent(FixedFunction* f) {
  active = f;
}

FixedFunction* create() {
  FixedFunction* f = new FixedFunction;
  f->modelview.push_back(identity);
  f->projection.push_back(identity);
  // Light 0 is white by default, the others dark.
  for (float* c : {f->lights[0].diffuse, f->lights[0].specular}) c[0] = c[1] = c[2] = 1;
  emscripten_glGetIntegerv(GL_VIEWPORT, f->viewport);
  if (!restore(f)) {
    destroy(f);
    return nullptr;
  }
  return f;
}

bool restore(FixedFunction* f) {
  f->program = f->buffer = 0;
  // The desktop's framebuffers do not dither; WebGL's may.
  emscripten_glDisable(GL_DITHER);
  // The rest of GL's state is kept here; these two and the viewport are WebGL's.
  if (f->depthTest) emscripten_glEnable(GL_DEPTH_TEST);
  if (f->cullFace) emscripten_glEnable(GL_CULL_FACE);
  emscripten_glViewport(f->viewport[0], f->viewport[1], f->viewport[2], f->viewport[3]);
  return buildProgram(*f);
}

void destroy(FixedFunction* f) {
  if (f == nullptr) return;
  if (active == f) active = nullptr;
  if (f->program) emscripten_glDeleteProgram(f->program);
  if (f->buffer) emscripten_glDeleteBuffers(1, &f->buffer);
  delete f;
}

Matrix& currentMatrix(FixedFunction& f) {
  return stack(f).back();
}

Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int col = 0; col < 4; ++col) {
    for (int row = 0; row < 4; ++row) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[col * 4 + k];
      r.m[col * 4 + row] = sum;
    }
  }
  return r;
}

void transform(const Matrix& m, const float in[4], float out[4]) {
  for (int row = 0; row < 4; ++row) {
    out[row] =
        m.m[row] * in[0] + m.m[4 + row] * in[1] + m.m[8 + row] * in[2] + m.m[12 + row] * in[3];
  }
}

}  // namespace winx::web::gl

using namespace winx::web::gl;

extern "C" {

void glMatrixMode(GLenum mode) {
  // The texture stack is not kept: the program draws no texture.
  if (FixedFunction* f = current(); f && (mode == GL_MODELVIEW || mode == GL_PROJECTION)) {
    f->matrixMode = mode;
  }
}

void glLoadIdentity(void) {
  if (FixedFunction* f = current()) currentMatrix(*f) = identity;
}

void glPushMatrix(void) {
  FixedFunction* f = current();
  if (f == nullptr) return;
  std::vector<Matrix>& s = stack(*f);
  if (s.size() < (f->matrixMode == GL_PROJECTION ? projectionDepth : modelviewDepth)) {
    s.push_back(s.back());
  }
}

void glPopMatrix(void) {
  FixedFunction* f = current();
  if (f && stack(*f).size() > 1) stack(*f).pop_back();
}

void glMultMatrixf(const GLfloat* m) {
  Matrix b;
  memcpy(b.m, m, sizeof b.m);
  multiplyCurrent(b);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
  Matrix t = identity;
  t.m[12] = x, t.m[13] = y, t.m[14] = z;
  multiplyCurrent(t);
}

// As GL defines it: about the axis made unit length; no turn about no axis.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
  const float length = sqrtf(x * x + y * y + z * z);
  if (length <= 1.0e-4f) return;
  x /= length, y /= length, z /= length;
  const float a = angle * (float)(M_PI / 180.0), s = sinf(a), c = cosf(a), k = 1.0f - c;
  const Matrix r = {{k * x * x + c, k * x * y + z * s, k * z * x - y * s, 0,  //
                     k * x * y - z * s, k * y * y + c, k * y * z + x * s, 0,  //
                     k * z * x + y * s, k * y * z - x * s, k * z * z + c, 0,  //
                     0, 0, 0, 1}};
  multiplyCurrent(r);
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  if (l == r || b == t || n == f) return;
  Matrix o = identity;
  o.m[0] = (float)(2 / (r - l)), o.m[5] = (float)(2 / (t - b)), o.m[10] = (float)(-2 / (f - n));
  o.m[12] = (float)(-(r + l) / (r - l)), o.m[13] = (float)(-(t + b) / (t - b));
  o.m[14] = (float)(-(f + n) / (f - n));
  multiplyCurrent(o);
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
  if (n <= 0 || f <= 0 || l == r || b == t || n == f) return;
  Matrix p = {};
  p.m[0] = (float)(2 * n / (r - l)), p.m[5] = (float)(2 * n / (t - b));
  p.m[8] = (float)((r + l) / (r - l)), p.m[9] = (float)((t + b) / (t - b));
  p.m[10] = (float)(-(f + n) / (f - n)), p.m[11] = -1;
  p.m[14] = (float)(-2 * f * n / (f - n));
  multiplyCurrent(p);
}

void glGetFloatv(GLenum name, GLfloat* out) {
  FixedFunction* f = current();
  if (f == nullptr) return;
  switch (name) {
    case GL_MODELVIEW_MATRIX:
      memcpy(out, f->modelview.back().m, sizeof(Matrix::m));
      break;
    case GL_PROJECTION_MATRIX:
      memcpy(out, f->projection.back().m, sizeof(Matrix::m));
      break;
    case GL_LINE_WIDTH:
      *out = f->lineWidth;
      break;
    default:
      emscripten_glGetFloatv(name, out);
  }
}

}  // extern "C"
