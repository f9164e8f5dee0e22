// What the program asks of the desktop: the screen's size, icons, message boxes.
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

// The window system shows the program's own icon (built in); this is a non-null token.
HICON LoadIconA(HINSTANCE, LPCSTR) {
  static int token;
  return (HICON)&token;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return winx::backend().messageBox(winx::liveWindow(owner), text, caption, type);
}
