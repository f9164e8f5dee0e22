// A long run of real frames in a real window on Xvfb: memory must not grow with the frame count.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>

#include "app/state.h"
#include "app/window_proc.h"
#include "scene/frame.h"
#include "tests/support/isolated.h"
#include "tests/support/xserver.h"

namespace {

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

void drainMessages() {
  MSG m;
  while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

TEST(LongRun, ResidentMemoryDoesNotGrowOverAHundredThousandFrames) {
  Xvfb server("640x480x24");
  ASSERT_TRUE(server.ok());
  setenv("DISPLAY", server.name().c_str(), 1);
  EXPECT_EQ(0, runIsolated(
                   [] {
                     // The frame count is what matters; a small window keeps the run short.
                     winWidth = winHeight = 96;
                     WNDCLASSA wc = {};
                     wc.style = CS_OWNDC;
                     wc.lpfnWndProc = windowProc;
                     wc.lpszClassName = windowClassName;
                     RegisterClassA(&wc);
                     HWND hwnd = CreateWindowExA(0, windowClassName, windowTitle, 0, 0, 0, winWidth,
                                                 winHeight, NULL, NULL, NULL, NULL);
                     ASSERT_NE(hwnd, nullptr);
                     ASSERT_NE(hRC, nullptr);
                     ShowWindow(hwnd, SW_SHOWNORMAL);
                     UpdateWindow(hwnd);
                     auto run = [](int frames) {
                       for (int i = 0; i < frames; ++i) {
                         renderFrame();
                         if (i % 500 == 0) drainMessages();
                       }
                     };
                     run(10000);  // let the driver settle its caches first
                     const long before = residentKiB();
                     run(90000);
                     const long after = residentKiB();
                     RecordProperty("rss_before_kib", (int)before);
                     RecordProperty("rss_after_kib", (int)after);
                     EXPECT_LT(after - before, 2048)
                         << "resident memory grew from " << before << " to " << after << " KiB";
                     DestroyWindow(hwnd);
                   },
                   600000));
}

}  // namespace
