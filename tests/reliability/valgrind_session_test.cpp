// A short session of the real program under valgrind's memcheck: the controls box, a drag, a
// click, f, p and Esc. Any memory error outside the suppressed ones (tests/sanitizers) fails it.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "tests/e2e/viewer_process.h"
#include "tests/support/xserver.h"

namespace {

TEST(Valgrind, ShortSessionHasNoMemoryErrors) {
  Xvfb server("640x480x24");  // a small window keeps the emulated frames few and quick
  ASSERT_TRUE(server.ok());
  XClient x(server.name());
  const Launcher memcheck = {
      "valgrind",
      {"valgrind", "--error-exitcode=99", "--leak-check=full", "--errors-for-leak-kinds=definite",
       "--suppressions=" BOWLVIEW_VALGRIND_SUPPRESSIONS, BOWLVIEW_NATIVE},
      {},
      {},
      {0, 0, 0, 0}};
  ViewerProcess viewer(memcheck, server.name());
  WindowInfo box, window;
  ASSERT_TRUE(x.waitForWindow("bowlview - by the bowlview authors", &box, 120000));
  x.waitUntil(
      [&] {
        if (x.waitForWindow(" KEYS:f,p and MOUSE ", &window, 0)) return true;
        x.moveTo(box.x + box.width / 2, box.y + box.height / 3);
        x.key(XK_Return);
        return x.waitForWindow(" KEYS:f,p and MOUSE ", &window, 5000);
      },
      120000);
  ASSERT_TRUE(x.waitForWindow(" KEYS:f,p and MOUSE ", &window, 0));
  sleepMs(2000);
  const int cx = window.x + window.width / 2, cy = window.y + window.height / 2;
  x.moveTo(cx - 60, cy);
  x.button(1, true);
  for (int i = 1; i <= 5; ++i) {
    sleepMs(200);
    x.moveTo(cx - 60 + 20 * i, cy - 10 * i);
  }
  x.button(1, false);
  sleepMs(2000);
  x.click(cx, cy);
  sleepMs(1000);
  XSetInputFocus(x.display(), window.id, RevertToPointerRoot, CurrentTime);
  for (unsigned long key : {XK_f, XK_p, XK_Escape}) {
    x.key(key);
    sleepMs(1500);
  }
  const int status = viewer.waitExit(180000);
  EXPECT_EQ(status, 0) << "99 means memcheck found errors:\n" << viewer.stderrText();
}

}  // namespace
