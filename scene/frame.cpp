#include "scene/frame.h"

#include <math.h>

#include "app/state.h"
#include "scene/gl_headers.h"
#include "scene/materials.h"
#include "scene/mesh.h"

namespace {

const GLfloat fogBackground[4] = {0.5f, 0.25f, 0.25f, 1.0f};
const GLfloat plainBackground[4] = {0.15f, 0.15f, 0.55f, 1.0f};

// Float round-off in the repeated product slowly shrinks and skews the axes; Gram-Schmidt
// on the columns in double precision puts them back on the unit sphere, at right angles.
void orthonormalizeRotation(float* m) {
  double col[3][3];
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      col[j][i] = m[4 * j + i];
    }
  }
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < j; ++k) {
      const double d = col[j][0] * col[k][0] + col[j][1] * col[k][1] + col[j][2] * col[k][2];
      for (int i = 0; i < 3; ++i) {
        col[j][i] -= d * col[k][i];
      }
    }
    const double n = sqrt(col[j][0] * col[j][0] + col[j][1] * col[j][1] + col[j][2] * col[j][2]);
    if (!(n > 0.0) || !isfinite(n)) {
      return;  // degenerate: leave the matrix as it is rather than divide by zero
    }
    for (int i = 0; i < 3; ++i) {
      col[j][i] /= n;
    }
  }
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      m[4 * j + i] = (float)col[j][i];
    }
  }
}

void enableFrameSwitches(void) {
  if (textureOn) {
    glEnable(GL_TEXTURE_2D);
  }
  if (wireframeOn) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  }
  if (cullOn) {
    glEnable(GL_CULL_FACE);
  }
  if (lightingOn) {
    glEnable(GL_LIGHTING);
    glLightfv(GL_LIGHT1, GL_POSITION, lightPositions[0]);
    glLightfv(GL_LIGHT2, GL_POSITION, lightPositions[1]);
    glEnable(GL_LIGHT2);
    glLightfv(GL_LIGHT3, GL_POSITION, lightPositions[2]);
    glLightfv(GL_LIGHT4, GL_POSITION, lightPositions[3]);
    glLightfv(GL_LIGHT5, GL_POSITION, lightPositions[4]);
    glLightfv(GL_LIGHT6, GL_POSITION, lightPositions[5]);
  }
  glEnable(GL_DEPTH_TEST);
}

void disableFrameSwitches(void) {
  glDisable(GL_TEXTURE_2D);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
}

}  // namespace

void requestRedraw(void) {
  if (idleFunc == NULL) {
    idleFunc = idleRender;
  }
}

void idleRender(void) {
  if (spinning == 0) {
    idleFunc = NULL;
  }
  renderFrame();
}

void applyRotationStep(void) {
  // A turn by 0 degrees, or about no axis at all, is no turn: skip it, so that the
  // matrix stays exactly as it was and never meets OpenGL's handling of a zero axis.
  if (rotAngle == 0.0f || (rotAxis.x == 0.0f && rotAxis.y == 0.0f && rotAxis.z == 0.0f)) {
    return;
  }
  glPushMatrix();
  glLoadIdentity();
  glRotatef(rotAngle, rotAxis.x, rotAxis.y, rotAxis.z);
  glMultMatrixf(rotMatrix);
  glGetFloatv(GL_MODELVIEW_MATRIX, rotMatrix);
  glPopMatrix();
  orthonormalizeRotation(rotMatrix);
}

void renderFrame(void) {
  const GLfloat* background = fogOn ? fogBackground : plainBackground;
  glClearColor(background[0], background[1], background[2], background[3]);
  if (fogOn) {
    glEnable(GL_FOG);
  } else {
    glDisable(GL_FOG);
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  if (rotationActive == 1) {
    applyRotationStep();
    // During a drag each motion's increment turns the model once: a frame drawn for a
    // key or a paint must not turn it again while the pointer stands still.
    if (dragging) {
      rotAngle = 0.0f;
    }
  }

  enableFrameSwitches();
  glPushMatrix();
  glTranslatef(modelOffsetX, -0.5f, 0.0f);
  glMultMatrixf(rotMatrix);
  setMaterials();
  drawSurface();
  glPopMatrix();
  disableFrameSwitches();

  glFlush();
  SwapBuffers(hDC);
}
