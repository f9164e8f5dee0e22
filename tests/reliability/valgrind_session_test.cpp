// A short session of the real program under valgrind's memcheck: the controls box, a drag, a
// click, f, p and Esc, each waited for on screen. Any memory error outside the suppressed
// ones (tests/sanitizers) fails it.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "tests/e2e/launcher.h"
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
  auto viewer = startViewer(memcheck, server.name());
  WindowInfo box, w;
  ASSERT_TRUE(x.waitForWindow("bowlview - by the bowlview authors", &box, 120000));
  x.moveTo(box.x + box.width / 2, box.y + box.height / 3);
  x.key(XK_Return);
  ASSERT_TRUE(x.waitForWindow(" KEYS:f,p and MOUSE ", &w, 120000));
  // Each step waits for its frame: the background's colour, or the picture changing.
  auto corner = [&] { return x.pixel(w.x + 3, w.y + 3); };
  auto middle = [&] { return x.grab(w.x + w.width / 4, w.y + w.height / 2, w.width / 2, 1).rgb; };
  const std::vector<int> plain = {38, 38, 140}, fog = {128, 64, 64};
  ASSERT_TRUE(waitUntil([&] { return corner() == plain; }, 120000));
  const int cx = w.x + w.width / 2, cy = w.y + w.height / 2;
  x.moveTo(cx - 60, cy);
  x.button(1, true);
  for (int i = 1; i <= 5; ++i) x.moveTo(cx - 60 + 20 * i, cy - 10 * i);
  x.button(1, false);
  x.click(cx, cy);
  XSetInputFocus(x.display(), w.id, RevertToPointerRoot, CurrentTime);
  x.key(XK_f);
  EXPECT_TRUE(waitUntil([&] { return corner() == fog; }, 120000));
  const auto filled = middle();
  x.key(XK_p);
  EXPECT_TRUE(waitUntil([&] { return middle() != filled; }, 120000));
  x.key(XK_Escape);
  const int status = viewer->wait(180000);
  EXPECT_EQ(status, 0) << "99 means memcheck found errors:\n" << viewer->stderrText();
}

}  // namespace
