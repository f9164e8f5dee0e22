#include "app/window_size.h"

#include <windows.h>

#include "app/state.h"

void sizeWindowForScreen(void) {
  // Both sides from the height, each in double precision and truncated: the window is square.
  winWidth = (int)(GetSystemMetrics(SM_CYSCREEN) * 0.8);
  winHeight = (int)(GetSystemMetrics(SM_CYSCREEN) * 0.8);
}
