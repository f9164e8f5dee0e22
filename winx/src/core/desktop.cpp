// What the program asks of the desktop: the screen's size, icons, message boxes.
#include "accessibility.h"
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
  const winx::Backend& b = winx::backend();
  const winx::Accessibility* tree = winx::accessibility;
  if (tree) {
    tree->boxShown(caption ? caption : "Error", text ? text : "", (type & MB_ICONERROR) != 0);
  }
  const int answer = b.messageBox(winx::liveWindow(owner), text, caption, type);
  if (tree) tree->boxDismissed();
  return answer;
}
