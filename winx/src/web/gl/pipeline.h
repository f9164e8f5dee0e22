// The fixed-function layer's state: one struct per context, its procedures over it.
#pragma once

#include <GL/gl.h>
#include <webgl/webgl1.h>

#include <vector>

#include "fixed_function.h"

namespace winx::web::gl {

struct Matrix {
  float m[16];  // column-major, as GL keeps it
};

struct Light {
  bool enabled = false;
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float position[4] = {0, 0, 1, 0};  // in eye coordinates, as GL stores it
};

struct Material {
  float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
  float specular[4] = {0, 0, 0, 1};
  float emission[4] = {0, 0, 0, 1};
  float shininess = 0;
};

// One vertex as glVertex leaves it: position and the current normal.
struct Vertex {
  float position[3];
  float normal[3];
};

// What the shaders read for a vertex: the vertex, and for lines a position already in clip
// coordinates and the facing of the polygon it outlines.
struct DrawVertex {
  Vertex v;
  float clip[4];
  float front;
};

struct FixedFunction {
  std::vector<Matrix> modelview, projection;  // stacks; the current matrix is the last
  GLenum matrixMode = GL_MODELVIEW;

  bool lighting = false, fog = false, depthTest = false, cullFace = false;
  Light lights[8];
  float lightModelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
  bool twoSide = false;
  Material front, back;
  float colour[4] = {1, 1, 1, 1};  // the current colour, what unlit vertices get

  GLenum fogMode = GL_EXP;
  float fogDensity = 1, fogStart = 0, fogEnd = 1;
  float fogColour[4] = {0, 0, 0, 0};

  GLenum polygonMode = GL_FILL;  // the program sets both faces together
  float lineWidth = 1;
  int viewport[4] = {0, 0, 0, 0};

  // Immediate mode: the primitive being built, and the current normal.
  GLenum primitive = 0;
  bool inBegin = false;
  float normal[3] = {0, 0, 1};
  std::vector<Vertex> vertices;
  std::vector<DrawVertex> drawn;  // scratch for glEnd

  GLuint program = 0, buffer = 0;
  struct {
    GLint mvp, modelview, normalMatrix, line, lighting, lights, direction, half, diffuse, specular,
        base, shininess, fog, fogParams, fogColour;
  } uniform;
};

FixedFunction* current();

Matrix& currentMatrix(FixedFunction& f);
Matrix multiply(const Matrix& a, const Matrix& b);
void transform(const Matrix& m, const float in[4], float out[4]);

// Sends the primitive built since glBegin to WebGL (draw.cpp).
void drawPrimitive(FixedFunction& f);
// The shaders' program and the uniforms' places; false if WebGL refuses them (program.cpp).
bool buildProgram(FixedFunction& f);
// Lighting, fog and matrices into the program's uniforms for this draw (program.cpp).
void loadUniforms(FixedFunction& f, bool lines);

}  // namespace winx::web::gl
