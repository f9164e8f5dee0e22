// A real OpenGL compatibility context from Mesa, headless: EGL's surfaceless platform with
// a pbuffer. No X server needed.
#pragma once

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <vector>

class EglContext {
 public:
  // Makes a context current on a width x height pbuffer; check ok() afterwards.
  EglContext(int width, int height);
  ~EglContext();
  bool ok() const { return ok_; }
  const char* error() const { return error_; }

 private:
  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  EGLSurface surface_ = EGL_NO_SURFACE;
  bool ok_ = false;
  const char* error_ = "";
};

// A fixture giving each test a fresh context with the viewer's state reset to its start.
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Makes the context: size defaults to a small square window.
  void makeContext(int width, int height);
  // The colour at window pixel (x, y), origin bottom-left, as 0..255 RGB.
  static std::vector<int> pixel(int x, int y);

  EglContext* context_ = nullptr;
};

// Puts every variable of the viewer's state back to its initial value.
void resetViewerState();

// How far the rotation part of a column-major matrix is from orthonormal: the largest
// deviation of a column product from the identity's.
double orthonormalError(const float* m);
