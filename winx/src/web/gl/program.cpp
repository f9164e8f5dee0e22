// The shaders that stand for GL 1.1's fixed-function pipeline as the program uses it: lighting
// per vertex (GL's formula, lights at infinity, the viewer at infinity), front and back
// colours chosen per polygon, fog per fragment from the eye-space depth.
#include <math.h>
#include <stdio.h>

#include "pipeline.h"

namespace winx::web::gl {

namespace {

const char vertexShader[] = R"(
attribute vec3 a_position;
attribute vec3 a_normal;
attribute vec4 a_clip;
attribute float a_front;
uniform mat4 u_mvp, u_modelview;
uniform mat3 u_normalMatrix;
uniform bool u_line;
uniform int u_lighting;  // 0: the current colour, 1: one-sided, 2: two-sided
uniform int u_lights;
uniform vec3 u_direction[8], u_half[8];
uniform vec3 u_diffuse[16], u_specular[16];  // light times material: 8 front, then 8 back
uniform vec4 u_base[2];  // emission and ambient terms, and the diffuse alpha: front, back
uniform vec2 u_shininess;
varying vec4 v_front, v_back;
varying float v_depth, v_facing;

// GL's specular term exists only where the light falls on the face.
float specular(float lit, vec3 n, vec3 h, float shininess) {
  float d = dot(n, h);
  return lit > 0.0 && d > 0.0 ? pow(d, shininess) : 0.0;
}

void main() {
  vec4 eye = u_modelview * vec4(a_position, 1.0);
  gl_Position = u_line ? a_clip : u_mvp * vec4(a_position, 1.0);
  v_depth = abs(eye.z);
  v_facing = a_front;
  if (u_lighting == 0) {
    v_front = v_back = u_base[0];
    return;
  }
  // Not renormalised: GL leaves normals as the modelview makes them unless asked.
  vec3 n = u_normalMatrix * a_normal;
  vec3 front = u_base[0].rgb, back = u_base[1].rgb;
  for (int i = 0; i < 8; ++i) {
    if (i >= u_lights) break;
    float lit = dot(n, u_direction[i]);
    front += max(lit, 0.0) * u_diffuse[i] +
             specular(lit, n, u_half[i], u_shininess.x) * u_specular[i];
    back += max(-lit, 0.0) * u_diffuse[i + 8] +
            specular(-lit, -n, u_half[i], u_shininess.y) * u_specular[i + 8];
  }
  v_front = clamp(vec4(front, u_base[0].a), 0.0, 1.0);
  v_back = u_lighting == 2 ? clamp(vec4(back, u_base[1].a), 0.0, 1.0) : v_front;
}
)";

const char fragmentShader[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform bool u_line;
uniform int u_fog;  // 0: none, 1: linear, 2: exp, 3: exp2
uniform vec3 u_fogParams;  // density, start, end
uniform vec4 u_fogColour;
varying vec4 v_front, v_back;
varying float v_depth, v_facing;

void main() {
  bool front = u_line ? v_facing > 0.5 : gl_FrontFacing;
  vec4 c = front ? v_front : v_back;
  if (u_fog > 0) {
    float d = u_fogParams.x * v_depth, f;
    if (u_fog == 1) f = (u_fogParams.z - v_depth) / (u_fogParams.z - u_fogParams.y);
    else if (u_fog == 2) f = exp(-d);
    else f = exp(-d * d);
    c.rgb = mix(u_fogColour.rgb, c.rgb, clamp(f, 0.0, 1.0));
  }
  gl_FragColor = c;
}
)";

GLuint compile(GLenum type, const char* source) {
  const GLuint s = emscripten_glCreateShader(type);
  emscripten_glShaderSource(s, 1, &source, nullptr);
  emscripten_glCompileShader(s);
  GLint ok = 0;
  emscripten_glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = "";
    emscripten_glGetShaderInfoLog(s, sizeof log, nullptr, log);
    fprintf(stderr, "winx: WebGL refuses the fixed-function shader: %s\n", log);
  }
  return s;
}

void multiply3(float* out, const float* a, const float* b) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] * b[i];
}

// The inverse transpose of the modelview's upper 3 x 3: normals' transform.
void normalMatrix(const Matrix& mv, float n[9]) {
  const float* m = mv.m;
  const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6],
              i = m[10];
  const float cofactors[9] = {e * i - f * h,    -(d * i - f * g), d * h - e * g,
                              -(b * i - c * h), a * i - c * g,    -(a * h - b * g),
                              b * f - c * e,    -(a * f - c * d), a * e - b * d};
  const float det = a * cofactors[0] + b * cofactors[1] + c * cofactors[2];
  const float k = det != 0 ? 1 / det : 0;
  // The cofactors over the determinant, column-major.
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) n[col * 3 + row] = cofactors[row * 3 + col] * k;
  }
}

}  // namespace

bool buildProgram(FixedFunction& f) {
  const GLuint vs = compile(GL_VERTEX_SHADER, vertexShader);
  const GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentShader);
  const GLuint p = emscripten_glCreateProgram();
  emscripten_glAttachShader(p, vs);
  emscripten_glAttachShader(p, fs);
  const char* names[] = {"a_position", "a_normal", "a_clip", "a_front"};
  for (GLuint i = 0; i < 4; ++i) emscripten_glBindAttribLocation(p, i, names[i]);
  emscripten_glLinkProgram(p);
  emscripten_glDeleteShader(vs);
  emscripten_glDeleteShader(fs);
  GLint ok = 0;
  emscripten_glGetProgramiv(p, GL_LINK_STATUS, &ok);
  f.program = p;
  if (!ok) return false;
  auto& u = f.uniform;
  const struct {
    GLint* place;
    const char* name;
  } uniforms[] = {{&u.mvp, "u_mvp"},
                  {&u.modelview, "u_modelview"},
                  {&u.normalMatrix, "u_normalMatrix"},
                  {&u.line, "u_line"},
                  {&u.lighting, "u_lighting"},
                  {&u.lights, "u_lights"},
                  {&u.direction, "u_direction"},
                  {&u.half, "u_half"},
                  {&u.diffuse, "u_diffuse"},
                  {&u.specular, "u_specular"},
                  {&u.base, "u_base"},
                  {&u.shininess, "u_shininess"},
                  {&u.fog, "u_fog"},
                  {&u.fogParams, "u_fogParams"},
                  {&u.fogColour, "u_fogColour"}};
  for (const auto& x : uniforms) *x.place = emscripten_glGetUniformLocation(p, x.name);
  emscripten_glGenBuffers(1, &f.buffer);
  return true;
}

void loadUniforms(FixedFunction& f, bool lines) {
  const Matrix& mv = f.modelview.back();
  const Matrix mvp = multiply(f.projection.back(), mv);
  float n[9];
  normalMatrix(mv, n);
  const auto& u = f.uniform;
  emscripten_glUniformMatrix4fv(u.mvp, 1, GL_FALSE, mvp.m);
  emscripten_glUniformMatrix4fv(u.modelview, 1, GL_FALSE, mv.m);
  emscripten_glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, n);
  emscripten_glUniform1i(u.line, lines);
  emscripten_glUniform1i(u.lighting, f.lighting ? (f.twoSide ? 2 : 1) : 0);

  // Per face: emission, the model's ambient and each light's ambient; per light, the
  // direction, the half-way vector with the viewer at infinity, and the products of colours.
  float base[2][4], direction[8][3] = {}, half[8][3] = {}, diffuse[16][3] = {},
                    specular[16][3] = {};
  const Material* faces[2] = {&f.front, &f.back};
  int count = 0;
  for (int side = 0; side < 2; ++side) {
    const Material& m = *faces[side];
    for (int c = 0; c < 3; ++c)
      base[side][c] = m.emission[c] + m.ambient[c] * f.lightModelAmbient[c];
    base[side][3] = m.diffuse[3];
  }
  for (const Light& l : f.lights) {
    if (!l.enabled) continue;
    const float* p = l.position;
    const float length = sqrtf(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const float k = length > 0 ? 1 / length : 0;
    float h[3] = {p[0] * k, p[1] * k, p[2] * k + 1};
    const float hk = 1 / sqrtf(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    for (int c = 0; c < 3; ++c) direction[count][c] = p[c] * k, half[count][c] = h[c] * hk;
    for (int side = 0; side < 2; ++side) {
      const Material& m = *faces[side];
      for (int c = 0; c < 3; ++c) base[side][c] += m.ambient[c] * l.ambient[c];
      multiply3(diffuse[side * 8 + count], m.diffuse, l.diffuse);
      multiply3(specular[side * 8 + count], m.specular, l.specular);
    }
    ++count;
  }
  if (!f.lighting) {
    for (int c = 0; c < 4; ++c) base[0][c] = f.colour[c];
  }
  emscripten_glUniform1i(u.lights, count);
  emscripten_glUniform3fv(u.direction, 8, &direction[0][0]);
  emscripten_glUniform3fv(u.half, 8, &half[0][0]);
  emscripten_glUniform3fv(u.diffuse, 16, &diffuse[0][0]);
  emscripten_glUniform3fv(u.specular, 16, &specular[0][0]);
  emscripten_glUniform4fv(u.base, 2, &base[0][0]);
  emscripten_glUniform2f(u.shininess, f.front.shininess, f.back.shininess);

  const int fog = !f.fog ? 0 : f.fogMode == GL_LINEAR ? 1 : f.fogMode == GL_EXP ? 2 : 3;
  emscripten_glUniform1i(u.fog, fog);
  emscripten_glUniform3f(u.fogParams, f.fogDensity, f.fogStart, f.fogEnd);
  emscripten_glUniform4fv(u.fogColour, 1, f.fogColour);
}

}  // namespace winx::web::gl
