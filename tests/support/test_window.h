// A window of the Win32 layer for tests, with a procedure of the test's choosing.
#pragma once

#include <windows.h>

// The title doubles as the class name, so that each procedure gets a class of its own.
inline HWND makeTestWindow(WNDPROC proc, const char* title = "winx test", int x = 0, int y = 0,
                           int side = 200, HCURSOR cursor = NULL) {
  WNDCLASSA wc = {};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = proc;
  wc.hCursor = cursor;
  wc.lpszClassName = title;
  RegisterClassA(&wc);
  return CreateWindowExA(0, title, title, WS_OVERLAPPEDWINDOW, x, y, side, side, NULL, NULL, NULL,
                         NULL);
}
