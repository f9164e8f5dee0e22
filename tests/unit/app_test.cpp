// The viewer's own procedures over the Win32 layer, without an X server: its pixel-format
// request, its main loop, and the trackball behind its window procedure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "app/state.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "gl/pixel_format.h"
#include "pixel_format_choice.h"
#include "tests/support/egl_context.h"
#include "tests/support/process.h"
#include "tests/support/test_window.h"

namespace {

// A candidate: flags (w draws to a window, g OpenGL, 2 double-buffered, i colour index),
// then colour, alpha, depth and stencil bits.
PIXELFORMATDESCRIPTOR pf(const char* flags, int colour, int alpha, int depth, int stencil = 0) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.dwFlags = (strchr(flags, 'w') ? PFD_DRAW_TO_WINDOW : 0) |
              (strchr(flags, 'g') ? PFD_SUPPORT_OPENGL : 0) |
              (strchr(flags, '2') ? PFD_DOUBLEBUFFER : 0);
  p.iPixelType = strchr(flags, 'i') ? PFD_TYPE_COLORINDEX : PFD_TYPE_RGBA;
  p.cColorBits = (BYTE)colour, p.cAlphaBits = (BYTE)alpha;
  p.cDepthBits = (BYTE)depth, p.cStencilBits = (BYTE)stencil;
  return p;
}

TEST(ChoosePixelFormat, TheViewersRequestAgainstCandidateLists) {
  const struct {
    int doubleBuffer, depthBuffer;
    std::vector<PIXELFORMATDESCRIPTOR> list;
    int want;
    const char* why;
  } cases[] = {
      // clang-format off
      {1, 1, {pf("wg", 24, 0, 16), pf("wg2", 32, 8, 24), pf("wg2", 24, 0, 24), pf("wg2", 24, 0, 16),
              pf("wg2", 24, 0, 16, 8)}, 4, "double-buffered, then the smallest that meets it"},
      {1, 1, {pf("wg2", 16, 0, 0), pf("wg2", 16, 0, 8), pf("wg2", 16, 0, 8)}, 2,
       "short of depth: as little as possible, the first of a tie"},
      {1, 1, {pf("g2", 24, 0, 16), pf("wg", 24, 0, 16)}, 2, "single-buffered if nothing better"},
      {1, 1, {pf("g2", 24, 0, 16), pf("w2", 24, 0, 16), pf("wg2i", 24, 0, 16)}, 0,
       "without window drawing, OpenGL or RGBA: nothing"},
      {1, 1, {}, 0, "no candidates"},
      {0, 0, {pf("wg2", 24, 0, 24), pf("wg", 24, 0, 0)}, 2, "settings off: single, no depth"},
      // clang-format on
  };
  for (const auto& c : cases) {
    doubleBufferOn = c.doubleBuffer, depthBufferOn = c.depthBuffer;
    EXPECT_EQ(winx::choosePixelFormat(pixelFormatRequest(), c.list), c.want) << c.why;
  }
}

// Square, 0.8 of the shorter side: a landscape screen's height, a phone's width.
TEST(WindowSize, ShorterSideOfTheScreen) {
  for (const auto& c : {std::vector<int>{1024, 768, 614}, {1170, 2532, 936}, {800, 800, 640}})
    EXPECT_EQ(windowSideForScreen(c[0], c[1]), c[2]) << c[0] << " x " << c[1];
}

std::string events;  // what happened, in order: "m1" a message, "t" a timer, "i" an idle run

LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_USER) events += "m" + std::to_string(wParam) + " ";
  if (msg == WM_TIMER) events += "t ";
  if (msg == WM_TIMER && std::count(events.begin(), events.end(), 't') == 3) PostQuitMessage(0);
  if (msg == WM_SIZE) return windowProc(hwnd, msg, wParam, lParam);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void idleThatRemovesItself() {
  events += "i ";
  idleFunc = nullptr;
}

TEST(MainLoop, WaitingMessagesFirstThenIdleRunsOrTheLoopBlocks) {
  const struct {
    int posted, minimised;
    IdleProc idle;
    const char* want;
  } cases[] = {
      {3, 0, idleThatRemovesItself, "m1 m2 m3 i t t t "},  // idle once, after what is waiting
      {0, 0, nullptr, "t t t "},                           // no idle procedure: it blocks
      {0, 1, idleThatRemovesItself, "t t t "},             // minimised: nothing is drawn
  };
  for (const auto& c : cases) {
    EXPECT_EQ(0, runInChild([&] {
                HWND hwnd = makeTestWindow(loggingProc, "loop");
                static int fakeContext;
                hRC = (HGLRC)&fakeContext;  // so that the viewer's procedure takes WM_SIZE
                if (c.minimised) PostMessageA(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
                for (int i = 1; i <= c.posted; ++i) PostMessageA(hwnd, WM_USER, (WPARAM)i, 0);
                SetTimer(hwnd, 1, 10, NULL);
                idleFunc = c.idle;
                EXPECT_EQ(runMainLoop(), 0);
                EXPECT_EQ(events, c.want);
              }))
        << c.want;
  }
  // Nothing can ever arrive (no window, no timer, no display): the queue reports an error.
  EXPECT_EQ(0, runInChild([] { EXPECT_EQ(runMainLoop(), 1); }, 5000));
}

// The viewer's procedure for everything but creation, which would set up a real context.
LRESULT CALLBACK viewerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return msg == WM_CREATE ? 0 : windowProc(hwnd, msg, wParam, lParam);
}

TEST(Trackball, MouseMessagesLeaveTheTurnAndTheState) {
  const Vec3 initial = {-0.3f, 1, 0.6f}, any = {9, 9, 9};
  // On an 800-pixel window: p press, m motion (button down), u motion (up), r release, o another
  // button, l capture taken by another window. any: the axis the last motion gave.
  const struct {
    const char* name;
    const char* events;
    const char* state;  // rotationActive, spinning, dragging, redraw asked for, mouse captured
    float angle;
    Vec3 axis;
  } cases[] = {
      // clang-format off
      {"ten pixels right", "p400,400 m410,400", "10111", 2.2512f, {0, 0.025011f, 0}},
      {"ten pixels up", "p400,400 m400,390", "10111", 2.2512f, {-0.025011f, 0, 0}},
      {"across", "p200,400 m600,200", "10111", 121.519f, {-0.48895f, 0.79597f, -0.34574f}},
      {"along the rim: about the line of sight", "p800,400 m400,0", "10111", 127.28f, {0, 0, 1}},
      {"beyond the rim, however far: on it", "p900,400 m32767,400", "10111", 0, any},
      {"press from spinning", "p100,200", "10101", 0.2f, initial},
      {"click stops", "p100,200 r100,200", "00010", 0, initial},
      {"back to the press pixel stops", "p100,200 m150,250 m100,200 r100,200", "00010", 0, any},
      {"drag away: spins on", "p400,400 m600,300 m610,300 r610,300", "11010", 0.2f, any},
      // Released away from it: our own ReleaseCapture must not count as a lost capture, which
      // would end the drag at the last pointer position, here the press point, and stop the bowl.
      {"back over the press point", "p400,400 m450,400 m400,400 r430,380", "11010", 0.2f, any},
      {"beyond the top-left edge", "p10,10 m-300,-20 r-300,-20", "11010", 0.2f, any},
      {"last axis kept", "p400,400 m450,420 m500,420 m500,420 r500,420", "11010", 0.2f, any},
      {"a drag without an axis ends at rest", "p300,300 m300,300 r310,300", "00010", 0, initial},
      {"release without a press, elsewhere", "r50,60", "11010", 0.2f, initial},
      {"release without a press, at the stored point", "r0,0", "00010", 0, initial},
      {"press from stopped keeps the zero angle", "p10,10 r10,10 p20,20", "10111", 0, initial},
      {"other buttons and idle motion change nothing", "o10,10 u300,300", "11000", 0.2f, initial},
      {"motion, button up: the button-up went elsewhere", "p400,400 u600,400", "00011", 0, initial},
      {"capture lost after motion", "p400,400 m450,420 l0,0 m700,700", "11010", 0.2f, any},
      {"capture lost without motion: a click", "p100,100 l0,0 l0,0", "00010", 0, initial},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        0, runInChild([&] {
          resetViewerState();
          winWidth = winHeight = 800;
          HWND hwnd = makeTestWindow(viewerProc, "viewer", 0, 0, 800);
          static int fakeContext;
          hRC = (HGLRC)&fakeContext;  // as if a context existed
          Vec3 lastAxis = rotAxis;
          char kind;
          int x, y, n;
          for (const char* e = c.events; sscanf(e, " %c%d,%d%n", &kind, &x, &y, &n) == 3; e += n) {
            const LPARAM at = MAKELPARAM((WORD)x, (WORD)y);
            if (kind == 'l') SetCapture(makeTestWindow(DefWindowProcA, "other"));
            if (kind == 'p') windowProc(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
            if (kind == 'o') windowProc(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
            if (kind == 'r') windowProc(hwnd, WM_LBUTTONUP, 0, at);
            if (kind == 'm' || kind == 'u') {
              windowProc(hwnd, WM_MOUSEMOVE, kind == 'm' ? MK_LBUTTON : 0, at);
            }
            if (kind == 'm' && dragging && rotAngle != 0) lastAxis = rotAxis;
          }
          std::string state;
          for (bool on : {rotationActive == 1, spinning == 1, dragging == 1, idleFunc != nullptr,
                          GetCapture() == hwnd}) {
            state += on ? '1' : '0';
          }
          EXPECT_EQ(state, c.state);
          EXPECT_NEAR(rotAngle, c.angle, c.angle * 1e-3f + 1e-4f);
          const Vec3 want = c.axis.x == 9 ? lastAxis : c.axis, &v = rotAxis;
          EXPECT_NEAR(std::fabs(v.x - want.x) + std::fabs(v.y - want.y) + std::fabs(v.z - want.z),
                      0, c.axis.x == 9 ? 0 : 1e-4)
              << v.x << " " << v.y << " " << v.z;
        }))
        << c.name;
  }
}

}  // namespace
