#include "gl/pixel_format.h"

#include <stdlib.h>
#include <string.h>

#include "app/state.h"

PIXELFORMATDESCRIPTOR pixelFormatRequest(void) {
  PIXELFORMATDESCRIPTOR pfd;
  memset(&pfd, 0, sizeof pfd);
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  if (doubleBufferOn) {
    pfd.dwFlags |= PFD_DOUBLEBUFFER;
  }
  pfd.iPixelType = PFD_TYPE_RGBA;
  pfd.cColorBits = 8;
  pfd.cDepthBits = depthBufferOn ? 16 : 0;
  pfd.iLayerType = PFD_MAIN_PLANE;
  return pfd;
}

void fatalSetupError(HDC hdc, const char* text) {
  MessageBoxA(WindowFromDC(hdc), text, "Error", MB_OK | MB_ICONERROR);
  exit(1);
}

void setupPixelFormat(HDC hdc) {
  PIXELFORMATDESCRIPTOR pfd = pixelFormatRequest();
  const int format = ChoosePixelFormat(hdc, &pfd);
  if (format == 0) {
    fatalSetupError(hdc, "ChoosePixelFormat failed\n");
  }
  if (SetPixelFormat(hdc, format, &pfd) != TRUE) {
    fatalSetupError(hdc, "SetPixelFormat failed");
  }
}
