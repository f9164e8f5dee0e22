// Frames per second of the viewer's own frame in a real window on the X display in $DISPLAY,
// unthrottled, beside an empty frame (clear and swap) of the same size.
//   frame_rate FRAMES   prints: viewer_fps=N empty_fps=N size=N
#include <GL/gl.h>
#include <stdio.h>
#include <stdlib.h>

#include <chrono>

#include "app/state.h"
#include "app/window_proc.h"
#include "scene/frame.h"

namespace {

double seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void drain() {
  MSG m;
  while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? atoi(argv[1]) : 1000;
  winWidth = (int)(GetSystemMetrics(SM_CYSCREEN) * 0.8);
  winHeight = winWidth;
  WNDCLASSA wc = {};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = windowProc;
  wc.lpszClassName = windowClassName;
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW, 0, 0, winWidth,
                              winHeight, NULL, NULL, NULL, NULL);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  drain();

  for (int i = 0; i < 50; ++i) renderFrame();
  glFinish();
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    renderFrame();
    if (i % 100 == 0) drain();
  }
  glFinish();
  const double viewer = frames / seconds(t0);

  glClearColor(0.15f, 0.15f, 0.55f, 1.0f);
  t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapBuffers(hDC);
    if (i % 100 == 0) drain();
  }
  glFinish();
  const double empty = frames / seconds(t0);
  printf("viewer_fps=%.0f empty_fps=%.0f size=%d\n", viewer, empty, winWidth);
  DestroyWindow(hwnd);
  return 0;
}
