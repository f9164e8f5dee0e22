#include "egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <GL/gl.h>

#include <algorithm>
#include <climits>

#include "app/state.h"
#include "scene/frame.h"
#include "scene/projection.h"
#include "scene/scene_setup.h"
#include "tests/support/xserver.h"

std::string makeEglContext(int width, int height) {
  // The display stays initialised, as a real program's does: terminating it unloads Mesa's
  // driver, whose process-wide tables LeakSanitizer would then report as our leak.
  static const EGLDisplay display = [] {
    auto get = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    EGLDisplay d =
        get ? get(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr) : EGL_NO_DISPLAY;
    return d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr) ? d : EGL_NO_DISPLAY;
  }();
  static EGLContext context = EGL_NO_CONTEXT;
  static EGLSurface surface = EGL_NO_SURFACE;
  if (display == EGL_NO_DISPLAY) return "no surfaceless EGL display";
  eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (surface) eglDestroySurface(display, surface);
  if (context) eglDestroyContext(display, context);
  // clang-format off
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
      EGL_OPENGL_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16,
      EGL_NONE};
  // clang-format on
  const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLConfig config;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1 ||
      !eglBindAPI(EGL_OPENGL_API)) {
    return "no EGL config with OpenGL and a pbuffer";
  }
  context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
  if (!context || !surface || !eglMakeCurrent(display, surface, surface, context)) {
    return "cannot make an OpenGL context current";
  }
  winWidth = width, winHeight = height;
  return "";
}

void resetViewerState() {
  winWidth = winHeight = 0;
  hDC = nullptr, hRC = nullptr, hPalette = nullptr, idleFunc = nullptr;
  doubleBufferOn = depthBufferOn = lightingOn = rotationActive = spinning = 1;
  perspectiveOn = decalOn = textureOn = cullOn = fogOn = wireframeOn = windowMinimized = 0;
  dragging = pressX = pressY = pointerX = pointerY = dragHasAxis = 0;
  modelOffsetX = 0.0f, rotAngle = 0.2f;
  for (float& m : rotMatrix) m = 0.0f;
  rotAxis = Vec3{-0.3f, 1.0f, 0.6f}, lastBallVec = Vec3{0.0f, 0.0f, 0.0f};
}

int differsFromReference(const Image& window, int side, bool fog, bool wireframe, int* frame) {
  resetViewerState();
  if (!makeEglContext(window.width, window.height).empty()) return INT_MAX;
  winWidth = winHeight = side;
  initScene();
  resizeViewport();
  fogOn = fog, wireframeOn = wireframe;
  // GL's rows run up from the lower left corner.
  Image ref{window.width, window.height, std::vector<unsigned char>(window.rgb.size())};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  const int limit = ((window.width + 1) / 2) * ((window.height + 1) / 2) / 200;
  int best = INT_MAX, bestFrame = 0;
  for (int n = 1; n <= 3600 && (best >= limit || n - bestFrame <= 10); ++n) {
    renderFrame();
    glReadPixels(0, 0, ref.width, ref.height, GL_RGB, GL_UNSIGNED_BYTE, ref.rgb.data());
    const int off = differingPixels(window, ref, 10, 2, true);
    if (off < best) best = off, bestFrame = n;
  }
  if (frame) *frame = bestFrame;
  return best;
}
