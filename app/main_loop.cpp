#include "app/main_loop.h"

#include "app/state.h"

int runMainLoop(void) {
  MSG msg;
  for (;;) {
    // Messages first: the idle procedure runs only while the queue is empty, and not at all
    // while the window is minimised (no one could see its frames).
    while (idleFunc != NULL && !windowMinimized) {
      if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
        break;
      }
      idleFunc();
    }
    const BOOL got = GetMessageA(&msg, NULL, 0, 0);
    if (got == -1) {
      return 1;  // the queue failed: that is no clean exit
    }
    if (got != 1) {
      return (int)msg.wParam;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
