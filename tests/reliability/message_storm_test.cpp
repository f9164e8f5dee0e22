// A seeded storm of window messages through the real window procedure, with frames drawn in
// between on a real (headless) OpenGL context. Messages that end the program are left to their
// own tests.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "app/state.h"
#include "app/window_proc.h"
#include "scene/frame.h"
#include "scene/scene_setup.h"
#include "tests/support/egl_context.h"
#include "trackball/trackball.h"

namespace {

LRESULT CALLBACK stormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_CREATE ? 0 : windowProc(hwnd, msg, wParam, lParam);
}

bool isFlag(int v) {
  return v == 0 || v == 1;
}

class MessageStorm : public GlTest {};

TEST_F(MessageStorm, MillionRandomMessagesKeepTheStateSound) {
  makeContext(64, 64);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = stormProc;
  wc.lpszClassName = "Storm";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "Storm", "storm", 0, 0, 0, 64, 64, NULL, NULL, NULL, NULL);
  ASSERT_NE(hwnd, nullptr);
  hDC = GetDC(hwnd);
  static int contextToken;
  hRC = (HGLRC)&contextToken;  // drawing goes to the EGL context made current above
  initScene();

  std::mt19937_64 rng(20261206);
  const UINT messages[] = {WM_SIZE,
                           WM_PAINT,
                           WM_CHAR,
                           WM_MOUSEMOVE,
                           WM_LBUTTONDOWN,
                           WM_LBUTTONUP,
                           WM_RBUTTONDOWN,
                           WM_MBUTTONUP,
                           WM_TIMER,
                           WM_KEYDOWN,
                           WM_ERASEBKGND,
                           WM_CAPTURECHANGED,
                           WM_QUERYNEWPALETTE,
                           WM_PALETTECHANGED,
                           WM_SHOWWINDOW,
                           WM_USER + 7};
  const int16_t extremes[] = {-32768, -1, 0, 1, 31, 32, 63, 64, 32767};
  auto coordinate = [&]() -> int16_t {
    return (rng() % 4 == 0) ? extremes[rng() % 9] : (int16_t)((int)(rng() % 400) - 100);
  };
  int frames = 0;
  for (int i = 0; i < 1000000; ++i) {
    const UINT msg = messages[rng() % (sizeof messages / sizeof *messages)];
    WPARAM wParam = (WPARAM)rng();
    if (msg == WM_CHAR) {
      wParam = (WPARAM)(rng() % 256);
      if (wParam == 27) wParam = 'f';  // Esc ends the program: its own tests cover it
    }
    const LPARAM lParam =
        (rng() % 8 == 0) ? (LPARAM)rng() : MAKELPARAM((WORD)coordinate(), (WORD)coordinate());
    windowProc(hwnd, msg, wParam, lParam);
    if (rng() % 16 == 0) {
      // Button codes of any value straight to the trackball.
      const int button = (int)(rng() % 7) - 2;
      if (rng() % 2) {
        trackballPress(button, coordinate(), coordinate());
      } else {
        trackballRelease(button, coordinate(), coordinate());
      }
    }
    if (i % 997 == 0 && idleFunc != nullptr) {
      idleFunc();
      ++frames;
    }
    ASSERT_TRUE(isFlag(fogOn) && isFlag(wireframeOn) && isFlag(rotationActive) &&
                isFlag(spinning) && isFlag(dragging))
        << "after message " << i;
    ASSERT_TRUE(idleFunc == nullptr || idleFunc == &idleRender) << "after message " << i;
  }
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(std::isfinite(rotMatrix[i]));
  EXPECT_LT(orthonormalError(rotMatrix), 1e-5);
  EXPECT_GT(frames, 500);
  EXPECT_TRUE(std::isfinite(rotAngle));
}

}  // namespace
