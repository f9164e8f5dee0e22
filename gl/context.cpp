#include "gl/context.h"

#include "app/state.h"
#include "gl/palette.h"
#include "gl/pixel_format.h"

void setupRenderingContext(HWND hwnd) {
  hDC = GetDC(hwnd);
  setupPixelFormat(hDC);
  setupPalette(hDC);
  hRC = wglCreateContext(hDC);
  if (hRC == NULL) {
    // Without a context nothing can ever be drawn: say so rather than show a blank window.
    fatalSetupError(hDC, "wglCreateContext failed");
  }
  wglMakeCurrent(hDC, hRC);
}

void releaseRenderingContext(void) {
  if (hRC != NULL) {
    wglMakeCurrent(NULL, NULL);
    wglDeleteContext(hRC);
  }
}
