#include "scene/materials.h"

#include "app/state.h"
#include "scene/gl_headers.h"

void setMaterials(void) {
  const GLfloat ambient[4] = {0.05f, 0.05f, 0.05f, 1.0f};
  const GLfloat specular[4] = {0.23f, 0.23f, 0.25f, 1.0f};
  const GLfloat frontDiffuse[4] = {frontColor[0], frontColor[1], frontColor[2], 0.6f};
  const GLfloat backDiffuse[4] = {backColor[0], backColor[1], backColor[2], 0.6f};
  const GLfloat shininess = 40.0f;

  glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, frontDiffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT, GL_SHININESS, shininess);
  glMaterialfv(GL_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_BACK, GL_DIFFUSE, backDiffuse);
  glMaterialfv(GL_BACK, GL_SPECULAR, specular);
  glMaterialf(GL_BACK, GL_SHININESS, shininess);
}
