// Switches, lights, materials, fog and the rest of GL 1.1's state the program sets: kept here
// for the shaders, or passed to WebGL where it has the same meaning.
#include <string.h>

#include "pipeline.h"

using namespace winx::web::gl;

namespace {

bool* switchFor(FixedFunction& f, GLenum cap) {
  switch (cap) {
    case GL_LIGHTING:
      return &f.lighting;
    case GL_FOG:
      return &f.fog;
    case GL_DEPTH_TEST:
      return &f.depthTest;
    case GL_CULL_FACE:
      return &f.cullFace;
    default:
      return cap >= GL_LIGHT0 && cap <= GL_LIGHT7 ? &f.lights[cap - GL_LIGHT0].enabled : nullptr;
  }
}

void setSwitch(GLenum cap, bool on) {
  FixedFunction* f = current();
  if (f == nullptr) return;
  if (bool* s = switchFor(*f, cap)) {
    *s = on;
    // Depth test and culling are WebGL's too; lines are culled here (draw.cpp).
    if (cap == GL_DEPTH_TEST || cap == GL_CULL_FACE)
      on ? emscripten_glEnable(cap) : emscripten_glDisable(cap);
  }
  // Anything else (GL_TEXTURE_2D among them) is not drawn: the program never turns it on.
}

void copy4(float* to, const GLfloat* from) {
  memcpy(to, from, 4 * sizeof(float));
}

void setMaterial(Material& m, GLenum name, const GLfloat* v) {
  switch (name) {
    case GL_AMBIENT:
      copy4(m.ambient, v);
      break;
    case GL_DIFFUSE:
      copy4(m.diffuse, v);
      break;
    case GL_SPECULAR:
      copy4(m.specular, v);
      break;
    case GL_EMISSION:
      copy4(m.emission, v);
      break;
    case GL_SHININESS:
      m.shininess = v[0];
      break;
    case GL_AMBIENT_AND_DIFFUSE:
      copy4(m.ambient, v);
      copy4(m.diffuse, v);
      break;
    default:
      break;
  }
}

}  // namespace

extern "C" {

void glEnable(GLenum cap) {
  setSwitch(cap, true);
}

void glDisable(GLenum cap) {
  setSwitch(cap, false);
}

void glLightfv(GLenum light, GLenum name, const GLfloat* v) {
  FixedFunction* f = current();
  if (f == nullptr || light < GL_LIGHT0 || light > GL_LIGHT7) return;
  Light& l = f->lights[light - GL_LIGHT0];
  switch (name) {
    case GL_AMBIENT:
      copy4(l.ambient, v);
      break;
    case GL_DIFFUSE:
      copy4(l.diffuse, v);
      break;
    case GL_SPECULAR:
      copy4(l.specular, v);
      break;
    case GL_POSITION:
      // Kept in eye coordinates: the modelview matrix of this moment moves it.
      transform(f->modelview.back(), v, l.position);
      break;
    default:
      break;  // spot lights and attenuation: the program has neither
  }
}

void glLightModeli(GLenum name, GLint value) {
  FixedFunction* f = current();
  if (f && name == GL_LIGHT_MODEL_TWO_SIDE) f->twoSide = value != 0;
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* v) {
  FixedFunction* f = current();
  if (f == nullptr) return;
  if (face == GL_FRONT || face == GL_FRONT_AND_BACK) setMaterial(f->front, name, v);
  if (face == GL_BACK || face == GL_FRONT_AND_BACK) setMaterial(f->back, name, v);
}

void glMaterialf(GLenum face, GLenum name, GLfloat value) {
  if (name == GL_SHININESS) glMaterialfv(face, name, &value);
}

void glFogf(GLenum name, GLfloat value) {
  FixedFunction* f = current();
  if (f == nullptr) return;
  switch (name) {
    case GL_FOG_MODE:
      if (value == GL_LINEAR || value == GL_EXP || value == GL_EXP2) f->fogMode = (GLenum)value;
      break;
    case GL_FOG_DENSITY:
      f->fogDensity = value;
      break;
    case GL_FOG_START:
      f->fogStart = value;
      break;
    case GL_FOG_END:
      f->fogEnd = value;
      break;
    default:
      break;
  }
}

void glFogi(GLenum name, GLint value) {
  glFogf(name, (GLfloat)value);
}

void glFogfv(GLenum name, const GLfloat* v) {
  FixedFunction* f = current();
  if (f && name == GL_FOG_COLOR) {
    copy4(f->fogColour, v);
  } else {
    glFogf(name, v[0]);
  }
}

void glPolygonMode(GLenum, GLenum mode) {
  // Points are drawn filled: the program asks for lines or fill only.
  if (FixedFunction* f = current()) f->polygonMode = mode == GL_LINE ? GL_LINE : GL_FILL;
}

void glLineWidth(GLfloat width) {
  FixedFunction* f = current();
  if (f && width > 0) f->lineWidth = width;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  FixedFunction* f = current();
  if (f == nullptr || width < 0 || height < 0) return;
  f->viewport[0] = x, f->viewport[1] = y, f->viewport[2] = width, f->viewport[3] = height;
  emscripten_glViewport(x, y, width, height);
}

void glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  emscripten_glClearColor(r, g, b, a);
}

void glClear(GLbitfield mask) {
  emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

// The browser presents the frame when the thread is its own again: nothing waits here.
void glFlush(void) {}

// The texture is made but never drawn (GL_TEXTURE_2D stays off in the program): these are
// accepted and kept nowhere.
void glTexEnvi(GLenum, GLenum, GLint) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}

}  // extern "C"
