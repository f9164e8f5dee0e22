// The viewer minimised draws nothing, and spins on once shown again: its real window procedure
// and main loop on Xvfb, with frames counted where they reach the X server, at the swap.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/main_loop.h"
#include "app/state.h"
#include "app/window_proc.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"
#include "tests/support/xserver.h"

#include <GL/glx.h>

namespace {

int frames = 0;

}  // namespace

// Linked ahead of libGL: counts each swap, then makes it.
extern "C" void glXSwapBuffers(Display* d, GLXDrawable drawable) {
  ++frames;
  static auto swap = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
  swap(d, drawable);
}

namespace {

XClient* other;  // another client, as a window manager is
Window xwin;
int step = 0, ticks = 0, framesWhenMinimised = 0, framesWhileMinimised = -1;

// The viewer's procedure, with a timer of the test's that plays the user step by step.
LRESULT CALLBACK scriptedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_TIMER || wParam != 99) return windowProc(hwnd, msg, wParam, lParam);
  if (step == 0 && frames > 20) {  // spinning: minimise it
    XUnmapWindow(other->display(), xwin);
    other->sync();
    step = 1;
  } else if (step == 1 && windowMinimized) {
    framesWhenMinimised = frames;
    step = 2;
  } else if (step == 2 && ++ticks == 10) {  // ten ticks of the loop while minimised
    framesWhileMinimised = frames - framesWhenMinimised;
    XMapWindow(other->display(), xwin);
    other->sync();
    step = 3;
  } else if (step == 3 && frames > framesWhenMinimised + 20) {
    DestroyWindow(hwnd);
  }
  return 0;
}

TEST(Minimised, NoFramesWhileMinimisedAndSpinningAgainAfterwards) {
  Xvfb server("640x480x24");
  ASSERT_TRUE(server.ok());
  setenv("DISPLAY", server.name().c_str(), 1);
  EXPECT_EQ(0, runInChild([&] {
              XClient client(server.name());
              other = &client;
              winWidth = winHeight = 120;
              HWND hwnd = makeTestWindow(scriptedProc, windowTitle, 0, 0, 120);
              ShowWindow(hwnd, SW_SHOWNORMAL);
              UpdateWindow(hwnd);
              WindowInfo w;
              ASSERT_TRUE(client.waitForWindow(windowTitle, &w));
              xwin = w.id;
              SetTimer(hwnd, 99, 20, NULL);
              EXPECT_EQ(runMainLoop(), 0);
              EXPECT_EQ(step, 3);
              EXPECT_EQ(framesWhileMinimised, 0);
            }));
}

}  // namespace
