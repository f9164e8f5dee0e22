#include "app/window_proc.h"

#include "app/state.h"
#include "app/window_size.h"
#include "gl/context.h"
#include "gl/palette.h"
#include "scene/frame.h"
#include "scene/projection.h"
#include "scene/scene_setup.h"
#include "trackball/trackball.h"

namespace {

const UINT_PTR frameTimerId = 1;
const UINT frameTimerMs = 100;

// Set while our own button-up handler releases the capture, so that the capture-change
// message it causes is not mistaken for a lost capture.
int releasingCapture = 0;

// Mouse coordinates are signed 16-bit halves: negative left of or above the client area.
int pointX(LPARAM lParam) {
  return (int)(short)LOWORD(lParam);
}
int pointY(LPARAM lParam) {
  return (int)(short)HIWORD(lParam);
}

LRESULT onCreate(HWND hwnd) {
  SetTimer(hwnd, frameTimerId, frameTimerMs, NULL);
  setupRenderingContext(hwnd);
  initScene();
  return 0;
}

LRESULT onDestroy(HWND hwnd) {
  releaseRenderingContext();
  idleFunc = NULL;
  ReleaseDC(hwnd, hDC);
  PostQuitMessage(0);
  return 0;
}

LRESULT onSize(HWND hwnd, WPARAM type) {
  windowMinimized = type == SIZE_MINIMIZED;
  if (windowMinimized) {
    return 0;  // an icon has no size to keep and nothing to draw
  }
  // The window keeps the size it was created with; the position arguments are unused.
  SetWindowPos(hwnd, HWND_TOP, 80, 80, winWidth, winHeight, SWP_NOMOVE);
  resizeViewport();
  return 0;
}

// The screen changed size under the window (another resolution, or the window now on another
// screen): the window is sized for it again as at start, and the view with it.
LRESULT onDisplayChange(HWND hwnd) {
  sizeWindowForScreen();
  SetWindowPos(hwnd, HWND_TOP, 80, 80, winWidth, winHeight, SWP_NOMOVE);
  resizeViewport();
  return 0;
}

LRESULT onPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  requestRedraw();
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT onChar(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (wParam) {
    case 27:
      DestroyWindow(hwnd);
      return 0;
    case 'f':
      fogOn = !fogOn;
      requestRedraw();
      return 0;
    case 'p':
      wireframeOn = !wireframeOn;
      requestRedraw();
      return 0;
    case 'j':
    case 'k':
      requestRedraw();
      return 0;
    default:
      return DefWindowProcA(hwnd, uMsg, wParam, lParam);
  }
}

LRESULT onMouseMove(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // Motion with the left button up can only mean the button-up went elsewhere.
  if (dragging && !(wParam & MK_LBUTTON)) {
    trackballCaptureLost();
  }
  trackballMotion(pointX(lParam), pointY(lParam));
  return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

LRESULT onLeftButtonDown(HWND hwnd, LPARAM lParam) {
  SetCapture(hwnd);
  trackballPress(trackballLeftButton, pointX(lParam), pointY(lParam));
  return 0;
}

LRESULT onLeftButtonUp(LPARAM lParam) {
  releasingCapture = 1;
  ReleaseCapture();
  releasingCapture = 0;
  trackballRelease(trackballLeftButton, pointX(lParam), pointY(lParam));
  return 0;
}

LRESULT onCaptureChanged(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (!releasingCapture) {
    trackballCaptureLost();
  }
  return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}

LRESULT onPaletteMessage(void) {
  realizeWindowPalette();
  requestRedraw();
  return 0;
}

}  // namespace

LRESULT CALLBACK windowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CREATE:
      return onCreate(hwnd);
    case WM_DESTROY:
      return onDestroy(hwnd);
    case WM_SIZE:
      if (hRC != NULL) {
        return onSize(hwnd, wParam);
      }
      break;
    case WM_DISPLAYCHANGE:
      if (hRC != NULL) {
        return onDisplayChange(hwnd);
      }
      break;
    case WM_PAINT:
      if (hRC != NULL) {
        return onPaint(hwnd);
      }
      break;
    case WM_CHAR:
      return onChar(hwnd, uMsg, wParam, lParam);
    case WM_MOUSEMOVE:
      if (hRC != NULL) {
        return onMouseMove(hwnd, uMsg, wParam, lParam);
      }
      break;
    case WM_LBUTTONDOWN:
      if (hRC != NULL) {
        return onLeftButtonDown(hwnd, lParam);
      }
      break;
    case WM_LBUTTONUP:
      if (hRC != NULL) {
        return onLeftButtonUp(lParam);
      }
      break;
    case WM_CAPTURECHANGED:
      return onCaptureChanged(hwnd, uMsg, wParam, lParam);
    case WM_QUERYNEWPALETTE:
      if (hPalette != NULL) {
        onPaletteMessage();
        return TRUE;
      }
      break;
    case WM_PALETTECHANGED:
      if (hPalette != NULL && (HWND)wParam != hwnd) {
        return onPaletteMessage();
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, uMsg, wParam, lParam);
}
