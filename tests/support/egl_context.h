// A real OpenGL compatibility context from Mesa, headless: EGL's surfaceless platform with
// a pbuffer. No X server needed.
#pragma once

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

class EglContext {
 public:
  // Makes a context current on a width x height pbuffer; check ok() afterwards.
  EglContext(int width, int height);
  ~EglContext();
  bool ok() const { return surface_ != EGL_NO_SURFACE; }
  const char* error() const { return error_; }

 private:
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface surface_ = EGL_NO_SURFACE;
  const char* error_ = "";
};

// Puts every variable of the viewer's state back to its initial value.
void resetViewerState();

// A fixture giving each test the viewer's initial state and, on request, a fresh context.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override { resetViewerState(); }
  // Makes a current context of the given size and sets the window size to match.
  void makeContext(int width, int height);
  // The colour at window pixel (x, y), origin bottom-left, as 0..255 RGB.
  static std::vector<int> pixel(int x, int y);
  std::unique_ptr<EglContext> context_;
};
