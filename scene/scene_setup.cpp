#include "scene/scene_setup.h"

#include "app/state.h"
#include "scene/gl_headers.h"
#include "scene/projection.h"
#include "scene/texture.h"

namespace {

struct LightColours {
  GLfloat ambient[4];
  GLfloat diffuse[4];
  GLfloat specular[4];
};

// Colours of GL_LIGHT1 .. GL_LIGHT6; light 0 keeps OpenGL's defaults.
const LightColours lightColours[6] = {
    {{0.35f, 0.35f, 0.65f, 1.0f}, {0.2f, 0.2f, 0.5f, 1.0f}, {0.2f, 0.2f, 0.65f, 1.0f}},
    {{0.65f, 0.75f, 0.45f, 1.0f}, {0.4f, 0.3f, 0.3f, 1.0f}, {0.65f, 0.85f, 0.85f, 1.0f}},
    {{0.65f, 0.65f, 0.35f, 1.0f}, {0.4f, 0.4f, 0.05f, 1.0f}, {0.65f, 0.65f, 0.85f, 1.0f}},
    {{0.55f, 0.55f, 0.55f, 1.0f}, {0.4f, 0.5f, 0.3f, 1.0f}, {0.2f, 0.7f, 0.35f, 1.0f}},
    {{0.05f, 0.6f, 0.05f, 1.0f}, {0.0f, 0.5f, 0.0f, 1.0f}, {0.05f, 0.6f, 0.08f, 1.0f}},
    {{0.4f, 0.4f, 0.4f, 1.0f}, {0.4f, 0.4f, 0.05f, 1.0f}, {0.65f, 0.55f, 0.55f, 1.0f}},
};

const GLfloat light0Position[4] = {0.7f, 0.7f, 1.25f, 0.0f};
const GLfloat fogColour[4] = {0.4f, 0.4f, 0.5f, 1.0f};
// One unit in the last place above the float nearest to 0.243.
const GLfloat fogDensity = 0.24300002f;

}  // namespace

void initScene(void) {
  glFogi(GL_FOG_MODE, GL_EXP2);
  glFogf(GL_FOG_DENSITY, fogDensity);
  glFogfv(GL_FOG_COLOR, fogColour);

  setProjection();
  glTranslatef(0.0f, 0.0f, -2.5f);  // the base of every frame's modelview

  for (int pass = 0; pass < 2; ++pass) {
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    glEnable(GL_LIGHT0);
  }
  for (int i = 0; i < 6; ++i) {
    const GLenum light = (GLenum)(GL_LIGHT1 + i);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glLightfv(light, GL_POSITION, lightPositions[i]);
    glLightfv(light, GL_AMBIENT, lightColours[i].ambient);
    glLightfv(light, GL_DIFFUSE, lightColours[i].diffuse);
    glLightfv(light, GL_SPECULAR, lightColours[i].specular);
    if (light != GL_LIGHT2) {
      glEnable(light);  // light 2 is switched on by the first lit frame
    }
  }

  makeCheckerTexture();

  for (int i = 0; i < 16; ++i) {
    rotMatrix[i] = (i % 5 == 0) ? 1.0f : 0.0f;
  }
}
