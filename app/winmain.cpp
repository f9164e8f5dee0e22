// The viewer's entry point: the controls box, the window, then the message loop.
#include <windows.h>

#include "app/main_loop.h"
#include "app/state.h"
#include "app/window_proc.h"
#include "app/window_size.h"

namespace {

const char controlsText[] =
    "-------  keys: f,p --- mouse: touch the window image for movement----- ";
const char controlsCaption[] = "bowlview - by the bowlview authors";

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  (void)hPrevInstance;
  (void)lpCmdLine;

  WNDCLASSA wc;
  wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = windowProc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIconA(NULL, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
  wc.hbrBackground = NULL;
  wc.lpszMenuName = NULL;
  wc.lpszClassName = windowClassName;
  RegisterClassA(&wc);

  MessageBoxA(NULL, controlsText, controlsCaption, MB_OK);

  sizeWindowForScreen();

  HWND hwnd = CreateWindowExA(0, windowClassName, windowTitle,
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, winX, winY,
                              winWidth, winHeight, NULL, NULL, hInstance, NULL);
  if (hwnd == NULL) {
    // Without a window no message can ever end the loop: say so rather than wait for ever.
    MessageBoxA(NULL, "CreateWindowExA failed", "Error", MB_OK | MB_ICONERROR);
    return 1;
  }
  ShowWindow(hwnd, nCmdShow);
  UpdateWindow(hwnd);

  return runMainLoop();
}
