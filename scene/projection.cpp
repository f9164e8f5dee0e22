#include "scene/projection.h"

#include "app/state.h"
#include "scene/gl_headers.h"

void setProjection(void) {
  // A float quotient on purpose: bounds are built from the single-precision ratio.
  const float aspect = (float)winWidth / (float)winHeight;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (perspectiveOn) {
    glFrustum(-(double)aspect, (double)aspect, -1.0, 1.0, (double)0.9f, 14.0);
  } else {
    glOrtho(-2.0 * aspect, 2.0 * aspect, -2.0, 2.0, 0.0, 10.0);
  }
  // The modelview matrix holds the viewing translation: never reload it here.
  glMatrixMode(GL_MODELVIEW);
}

void resizeViewport(void) {
  setProjection();
  // The window's outer size, not the client size a WM_SIZE reports.
  glViewport(0, 0, winWidth, winHeight);
}
