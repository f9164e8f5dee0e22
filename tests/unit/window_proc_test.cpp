// The window procedure's commands and mouse handling, called the way the layer calls it. The
// window stays hidden and no context is current: only state and redraw requests are observed.
#include <gtest/gtest.h>

#include "app/state.h"
#include "app/window_proc.h"
#include "scene/frame.h"
#include "tests/support/egl_context.h"
#include "tests/support/isolated.h"

namespace {

// The viewer's procedure for everything but creation, which would set up a real context.
LRESULT CALLBACK viewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_CREATE ? 0 : windowProc(hwnd, msg, wParam, lParam);
}

// A window whose messages we hand to windowProc ourselves, as if a context existed.
HWND viewerWindow() {
  resetViewerState();
  winWidth = winHeight = 800;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = viewerProc;
  wc.lpszClassName = "Viewer";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "Viewer", "viewer", 0, 0, 0, 800, 800, NULL, NULL, NULL, NULL);
  static int fakeContext;
  hRC = (HGLRC)&fakeContext;
  return hwnd;
}

LRESULT send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return windowProc(hwnd, msg, wParam, lParam);
}

LPARAM at(int x, int y) {
  return MAKELPARAM((WORD)(short)x, (WORD)(short)y);
}

TEST(WindowProc, KeysToggleAndRequestRedrawsOthersDoNothing) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              spinning = 0;
              for (WPARAM c : {'F', 'P', 'J', 'K', 'x', ' ', '1'}) {
                send(hwnd, WM_CHAR, c);
                EXPECT_EQ(idleFunc, nullptr) << (char)c;
              }
              EXPECT_EQ(fogOn, 0);
              EXPECT_EQ(wireframeOn, 0);
              EXPECT_EQ(send(hwnd, WM_CHAR, 'f'), 0);
              EXPECT_EQ(fogOn, 1);
              EXPECT_EQ(idleFunc, &idleRender);
              idleFunc = nullptr;
              send(hwnd, WM_CHAR, 'f');
              EXPECT_EQ(fogOn, 0);
              send(hwnd, WM_CHAR, 'p');
              EXPECT_EQ(wireframeOn, 1);
              for (WPARAM c : {'j', 'k'}) {
                idleFunc = nullptr;
                EXPECT_EQ(send(hwnd, WM_CHAR, c), 0);
                EXPECT_EQ(idleFunc, &idleRender);
              }
              idleFunc = nullptr;
              send(hwnd, WM_TIMER, 1);
              EXPECT_EQ(idleFunc, nullptr);
            }));
}

TEST(WindowProc, ClickCapturesTheMouseAndStopsTheSpin) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              EXPECT_EQ(send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(100, 120)), 0);
              EXPECT_EQ(GetCapture(), hwnd);
              EXPECT_EQ(idleFunc, nullptr);  // the press itself asks for nothing
              send(hwnd, WM_LBUTTONUP, 0, at(100, 120));
              EXPECT_EQ(GetCapture(), nullptr);
              EXPECT_EQ(rotationActive, 0);
              EXPECT_EQ(spinning, 0);
            }));
}

TEST(WindowProc, DragOutsideTheWindowUsesNegativeCoordinates) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
              send(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(-300, -20));
              EXPECT_LT(lastBallVec.x, -0.8f);  // on the rim, up and to the left
              EXPECT_GT(lastBallVec.y, 0.5f);
              EXPECT_NEAR(lastBallVec.z, 0.0f, 1e-6f);
              send(hwnd, WM_LBUTTONUP, 0, at(-300, -20));
              EXPECT_EQ(spinning, 1);
              EXPECT_EQ(dragging, 0);
            }));
}

TEST(WindowProc, LostCaptureEndsTheDrag) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(400, 400));
              send(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(420, 400));
              // Another window takes the capture: the layer tells us with WM_CAPTURECHANGED.
              HWND other =
                  CreateWindowExA(0, "Viewer", "other", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
              SetCapture(other);
              EXPECT_EQ(dragging, 0);
              EXPECT_EQ(spinning, 1);  // ended away from the press point
              const Vec3 axis = rotAxis;
              send(hwnd, WM_MOUSEMOVE, 0, at(700, 100));
              EXPECT_EQ(rotAxis.y, axis.y);  // motion with the button up turns nothing
              EXPECT_EQ(rotAngle, 0.2f);
            }));
}

TEST(WindowProc, MotionWithTheButtonUpEndsAForgottenDrag) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(400, 400));
              send(hwnd, WM_MOUSEMOVE, 0, at(600, 400));  // the button went up elsewhere
              EXPECT_EQ(dragging, 0);
              EXPECT_EQ(rotationActive,
                        0);  // a release where the pointer last was: the press point
            }));
}

TEST(WindowProc, OwnReleaseIsNotMistakenForALostCapture) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(400, 400));
              send(hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(450, 400));
              send(hwnd, WM_LBUTTONUP, 0, at(400, 400));  // back at the press pixel: a stop
              EXPECT_EQ(rotationActive, 0);
              EXPECT_EQ(spinning, 0);
            }));
}

TEST(WindowProc, WithoutAContextMouseAndPaintGetDefaultProcessing) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              hRC = nullptr;
              send(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
              EXPECT_EQ(dragging, 0);
              EXPECT_EQ(GetCapture(), nullptr);
              send(hwnd, WM_PAINT);
              EXPECT_EQ(idleFunc, nullptr);
              send(hwnd, WM_CHAR, 'p');  // keys still work
              EXPECT_EQ(wireframeOn, 1);
            }));
}

TEST(WindowProc, PaletteMessagesWithoutAPaletteAreDefault) {
  EXPECT_EQ(0, runIsolated([] {
              HWND hwnd = viewerWindow();
              spinning = 0;
              EXPECT_EQ(send(hwnd, WM_QUERYNEWPALETTE), 0);
              EXPECT_EQ(send(hwnd, WM_PALETTECHANGED, 0), 0);
              EXPECT_EQ(idleFunc, nullptr);
              LOGPALETTE lp = {0x300, 1, {{1, 2, 3, 0}}};
              hPalette = CreatePalette(&lp);
              hDC = GetDC(hwnd);
              EXPECT_EQ(send(hwnd, WM_QUERYNEWPALETTE), TRUE);
              EXPECT_EQ(idleFunc, &idleRender);
              idleFunc = nullptr;
              send(hwnd, WM_PALETTECHANGED, (WPARAM)hwnd);  // our own change
              EXPECT_EQ(idleFunc, nullptr);
              send(hwnd, WM_PALETTECHANGED, 0);
              EXPECT_EQ(idleFunc, &idleRender);
            }));
}

}  // namespace
