#include "app/window_size.h"

#include <windows.h>

#include "app/state.h"

int windowSideForScreen(int width, int height) {
  // The shorter side: on a portrait screen (a phone) the height would not fit across.
  return (int)((width < height ? width : height) * 0.8);
}

void sizeWindowForScreen(void) {
  winWidth = winHeight =
      windowSideForScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}
