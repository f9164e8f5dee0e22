#include "egl_context.h"

#include <EGL/eglext.h>
#include <GL/gl.h>

#include "app/state.h"

namespace {

// The display stays initialised for the life of the process, as a real program's does.
// Terminating it unloads Mesa's driver, and what the driver keeps for the whole process (on
// AMD processors, the table of L3 cache affinities its CPU detection builds once) would then
// be a block no live pointer reaches: LeakSanitizer reports it as a leak of ours.
EGLDisplay sharedDisplay() {
  static EGLDisplay display = EGL_NO_DISPLAY;
  if (display == EGL_NO_DISPLAY) {
    auto platformDisplay =
        (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress("eglGetPlatformDisplayEXT");
    EGLDisplay d = platformDisplay ? platformDisplay(EGL_PLATFORM_SURFACELESS_MESA,
                                                     EGL_DEFAULT_DISPLAY, nullptr)
                                   : EGL_NO_DISPLAY;
    if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) display = d;
  }
  return display;
}

}  // namespace

EglContext::EglContext(int width, int height) : display_(sharedDisplay()) {
  // clang-format off
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
      EGL_OPENGL_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16,
      EGL_NONE};
  // clang-format on
  const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLConfig config;
  EGLint count = 0;
  if (display_ == EGL_NO_DISPLAY) {
    error_ = "no surfaceless EGL display";
  } else if (!eglChooseConfig(display_, configAttribs, &config, 1, &count) || count < 1 ||
             !eglBindAPI(EGL_OPENGL_API)) {
    error_ = "no EGL config with OpenGL and a pbuffer";
  } else if ((context_ = eglCreateContext(display_, config, EGL_NO_CONTEXT, nullptr)) ==
                 EGL_NO_CONTEXT ||
             (surface_ = eglCreatePbufferSurface(display_, config, surfaceAttribs)) ==
                 EGL_NO_SURFACE ||
             !eglMakeCurrent(display_, surface_, surface_, context_)) {
    error_ = "cannot make an OpenGL context current";
    surface_ = EGL_NO_SURFACE;
  }
}

EglContext::~EglContext() {
  if (display_ == EGL_NO_DISPLAY) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (surface_ != EGL_NO_SURFACE) eglDestroySurface(display_, surface_);
  if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
}

void resetViewerState() {
  winWidth = winHeight = 0;
  hDC = nullptr;
  hRC = nullptr;
  hPalette = nullptr;
  idleFunc = nullptr;
  doubleBufferOn = depthBufferOn = lightingOn = 1;
  perspectiveOn = decalOn = textureOn = cullOn = fogOn = wireframeOn = windowMinimized = 0;
  modelOffsetX = 0.0f;
  for (float& m : rotMatrix) m = 0.0f;
  rotAngle = 0.2f;
  rotAxis = Vec3{-0.3f, 1.0f, 0.6f};
  rotationActive = spinning = 1;
  dragging = pressX = pressY = pointerX = pointerY = dragHasAxis = 0;
  lastBallVec = Vec3{0.0f, 0.0f, 0.0f};
}

void GlTest::makeContext(int width, int height) {
  context_.reset();  // releasing the old context after making the new one would unbind it
  context_ = std::make_unique<EglContext>(width, height);
  ASSERT_TRUE(context_->ok()) << context_->error();
  winWidth = width;
  winHeight = height;
}

std::vector<int> GlTest::pixel(int x, int y) {
  unsigned char rgba[4] = {0, 0, 0, 0};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return {rgba[0], rgba[1], rgba[2]};
}
