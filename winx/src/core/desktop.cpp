// What the program asks of the desktop: the screen's size, icons, cursors, message boxes.
#include "winx_state.h"

int GetSystemMetrics(int index) {
  int width = 0, height = 0;
  winx::backend().screenSize(&width, &height);
  switch (index) {
    case SM_CXSCREEN:
      return width;
    case SM_CYSCREEN:
      return height;
    default:
      return 0;
  }
}

// Icons and cursors are not drawn by the layer; these are non-null tokens.
HICON LoadIconA(HINSTANCE, LPCSTR) {
  static int token;
  return (HICON)&token;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
  static int token;
  return (HCURSOR)&token;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return winx::backend().messageBox(winx::liveWindow(owner), text, caption, type);
}
