// The whole viewer, end to end: the real program on a private Xvfb, real input through XTest,
// real screenshots. The same source drives the native build and the .exe under Wine.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <png.h>

#include <algorithm>

#include "app/state.h"
#include "tests/e2e/launcher.h"
#include "tests/support/egl_context.h"
#include "tests/support/xserver.h"

namespace {

const std::vector<int> plainBackground = {38, 38, 140}, fogBackground = {128, 64, 64};

// The same view: a presented frame on a loaded machine may differ by a few dozen pixels along
// the outline from the same frame drawn again; one spin step moves about a thousand.
bool samePicture(const Image& a, const Image& b) {
  return a.rgb.size() == b.rgb.size() && differingPixels(a, b) < 200;
}

// Where the viewer runs: screen, monitors (the first primary), Xft.dpi (0: none), manager.
struct Desktop {
  std::string screen = "1280x1024x24";
  std::vector<XRectangle> monitors = {};
  int dpi = 0;
  const char* wm = nullptr;
  std::vector<std::string> serverArgs = {}, env = {};
};

class Viewer : public ::testing::Test {
 protected:
  void TearDown() override {
    viewer_.reset(), wm_.reset();
    if (l_.name == "wine") Child({"wineserver", "-k"}, l_.env).wait();
  }

  // Waits for a state, the longer where the viewer runs slowly.
  bool until(const std::function<bool()>& state, int ms = 10000) {
    return waitUntil(state, ms * patience_);
  }

  // A window's outer rectangle: the client area plus any frame the platform keeps hidden.
  WindowInfo outer(WindowInfo w) const {
    w.x -= l_.frame[0], w.y -= l_.frame[1];
    w.width += l_.frame[0] + l_.frame[2], w.height += l_.frame[1] + l_.frame[3];
    return w;
  }

  // Starts an X server, the desktop's parts, and the viewer; waits for the controls box.
  void launch(const Desktop& desktop = Desktop()) {
    x_.reset();  // a connection must not outlive its server
    server_ = std::make_unique<Xvfb>(desktop.screen, desktop.serverArgs);
    ASSERT_FALSE(server_->name.empty()) << "Xvfb did not start";
    x_ = std::make_unique<XClient>(server_->name);
    ASSERT_TRUE(x_->d && (desktop.monitors.empty() || x_->setMonitors(desktop.monitors)));
    Display* d = x_->d;
    const std::string resources = "Xft.dpi:\t" + std::to_string(desktop.dpi) + "\n";
    if (desktop.dpi) {
      XChangeProperty(d, DefaultRootWindow(d), x_->atom("RESOURCE_MANAGER"), XA_STRING, 8,
                      PropModeReplace, (const unsigned char*)resources.data(),
                      (int)resources.size());
    }
    if ((managed_ = desktop.wm != nullptr)) {
      wm_ = std::make_unique<Child>(std::vector<std::string>{desktop.wm},
                                    std::vector<std::string>{"DISPLAY=" + server_->name});
      // Ready once it has the screen and maps a window of ours (asked again until it reads it).
      const Window probe = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 8, 8, 0, 0, 0);
      ASSERT_TRUE(until([&] {
        if (x_->property(DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK").empty()) return false;
        XMapWindow(d, probe);
        return x_->geometry(probe).viewable;
      })) << desktop.wm
          << " did not start";
      XDestroyWindow(d, probe);
    }
    viewer_ = startViewer(l_, server_->name, desktop.env);
    ASSERT_TRUE(x_->waitForWindow("bowlview - by the bowlview authors", &box_, 60000 * patience_))
        << "no controls box";
  }

  // As launch(), then opens the window.
  void start(const Desktop& desktop = Desktop()) {
    ASSERT_NO_FATAL_FAILURE(launch(desktop));
    ASSERT_NO_FATAL_FAILURE(open());
  }

  // Dismisses the controls box and waits for the window's first frame; keys go to the window.
  void open() {
    ASSERT_TRUE(dismiss(box_));
    ASSERT_TRUE(x_->waitForWindow(windowTitle, &window_, 60000 * patience_)) << "no main window";
    if (!managed_) XSetInputFocus(x_->d, window_.id, RevertToPointerRoot, CurrentTime);
    ASSERT_TRUE(until([&] { return backgroundIs(plainBackground); })) << "no first frame";
  }

  // Presses Return on a message box once it has the keyboard, and waits for it to go.
  bool dismiss(const WindowInfo& box) {
    Display* d = x_->d;
    Window focus;
    int revert;
    // A window manager gives the box the keyboard; on a bare server, the test does.
    if (!managed_) XSetInputFocus(d, box.id, RevertToPointerRoot, CurrentTime);
    if (!until([&] { return XGetInputFocus(d, &focus, &revert) && focus == box.id; })) return false;
    x_->key(XK_Return);
    return until([&] { return !x_->geometry(box.id).viewable; }, 30000);
  }

  Image shot() { return x_->grab(window_.x, window_.y, window_.width, window_.height); }

  // Top corners of the client: the bowl never reaches them, whatever its orientation.
  bool backgroundIs(const std::vector<int>& colour) {
    const Image s = shot();
    return s.width > 4 && near(s.at(3, 3), colour) && near(s.at(s.width - 4, 3), colour);
  }

  // Input is handled in order: once fog on and off again are on screen, everything sent
  // before them has been handled and drawn.
  bool settled() {
    x_->key(XK_f);
    if (!until([&] { return backgroundIs(fogBackground); })) return false;
    x_->key(XK_f);
    return until([&] { return backgroundIs(plainBackground); });
  }

  // The packaged icon as _NET_WM_ICON's last image, and _NET_WM_PING answered to the root.
  void expectFace(const WindowInfo& w) {
    if (l_.name == "native") {
      std::vector<long> icon = x_->property(w.id, "_NET_WM_ICON", 1 << 20);
      for (long& v : icon) v &= 0xffffffff;  // Xlib sign-extends 32-bit items
      png_image png = {};
      png.version = PNG_IMAGE_VERSION;
      std::vector<uint32_t> pixels(256 * 256);  // bytes B, G, R, A: 0xAARRGGBB
      ASSERT_TRUE(png_image_begin_read_from_file(&png, BOWLVIEW_ICON_PNG));
      png.format = PNG_FORMAT_BGRA;
      ASSERT_TRUE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr));
      std::vector<long> want = {(long)png.width, (long)png.height};
      want.insert(want.end(), pixels.begin(), pixels.end());
      EXPECT_TRUE(icon.size() >= want.size() &&
                  std::equal(want.begin(), want.end(), icon.end() - (long)want.size()))
          << "the largest image last is not the packaged icon's: " << icon.size() << " items";
    }
    const Window root = DefaultRootWindow(x_->d);
    XSelectInput(x_->d, root, SubstructureNotifyMask);
    const long ping = (long)x_->atom("_NET_WM_PING");
    x_->send(w.id, "WM_PROTOCOLS", {ping, 4242, (long)w.id}, false);
    EXPECT_TRUE(until([&] {
      for (XEvent e; XCheckTypedWindowEvent(x_->d, root, ClientMessage, &e);) {
        const long* l = e.xclient.data.l;
        if (l[0] == ping && l[1] == 4242 && l[2] == (long)w.id) return true;
      }
      return false;
    })) << "no answer to _NET_WM_PING";
    XSelectInput(x_->d, root, NoEventMask);
  }

  // Clicks the middle of the window to stop the model, and waits until that is on screen.
  bool stop() {
    x_->click(window_.x + window_.width / 2, window_.y + window_.height / 2);
    return settled();
  }

  Launcher l_ = launcher();
  int patience_ = getenv("BOWLVIEW_WRAP") ? 12 : 1;  // a wrapped viewer runs slowly
  std::unique_ptr<Xvfb> server_;
  std::unique_ptr<XClient> x_;
  std::unique_ptr<Child> wm_, viewer_;
  bool managed_ = false;
  WindowInfo box_{}, window_{};
};

// The box centred on the primary monitor, then the window at its top-left, 0.8 of its height:
// one monitor (then another mode), a primary beside or below a taller one; at 2 and 10 × DPI.
TEST_F(Viewer, ControlsBoxFirstThenTheWindowOnThePrimaryMonitor) {
  const struct {
    const char* screen;
    std::vector<XRectangle> monitors;
    int side, dpi;
  } cases[] = {{"1280x1024x24", {{0, 0, 1280, 1024}}, 819, 0},
               {"1280x1024x24", {{0, 0, 1280, 1024}}, 819, 192},
               {"1280x1024x24", {{0, 0, 1280, 1024}}, 819, 960},
               {"1920x1080x24", {{0, 0, 1920, 1080}}, 864, 0},
               {"3200x1440x24", {{0, 0, 1280, 1024}, {1280, 0, 1920, 1440}}, 819, 0},
               {"1920x2224x24", {{0, 1200, 1280, 1024}, {0, 0, 1920, 1200}}, 819, 0}};
  WindowInfo first{};
  for (const auto& c : cases) {
    // Wine takes monitors from RandR's outputs (not Xvfb's added ones) and boxes at its own DPI.
    if ((c.monitors.size() > 1 || c.dpi) && l_.name == "wine") continue;
    ASSERT_NO_FATAL_FAILURE(launch(Desktop{c.screen, c.monitors, c.dpi}));
    const XRectangle& p = c.monitors[0];
    const WindowInfo box = outer(box_);
    first = first.width ? first : box;
    if (c.dpi < 960) {  // at ten times the DPI, as large as fits
      EXPECT_NEAR((double)box.width / first.width, c.dpi ? 2 : 1, 0.2) << c.dpi;
      EXPECT_NEAR((double)box.height / first.height, c.dpi ? 2 : 1, 0.2) << c.dpi;
    }
    // Centred and no larger: within its monitor.
    EXPECT_TRUE(box.width <= p.width && box.height <= p.height) << c.dpi << ": " << box.width;
    EXPECT_NEAR(box.x + box.width / 2, p.x + p.width / 2, 1) << c.screen;
    EXPECT_NEAR(box.y + box.height / 2, p.y + p.height / 2, 1) << c.screen;
    EXPECT_FALSE(x_->waitForWindow(windowTitle, nullptr, 0))
        << "the window came before the box was dismissed";
    if (&c == cases) expectFace(box_);
    ASSERT_TRUE(dismiss(box_) && x_->waitForWindow(windowTitle, &window_, 60000));
    if (&c == cases) expectFace(window_);
    const WindowInfo o = outer(window_);
    EXPECT_EQ((std::vector<int>{o.x, o.y, o.width, o.height}),
              (std::vector<int>{p.x, p.y, c.side, c.side}))
        << c.screen;
    // Another mode under the window (RandR, as xrandr does it): sized again as a fresh start.
    if (c.side == 864 && l_.name == "native") {
      ASSERT_TRUE(x_->setMonitors({}));  // the output's own monitor, which follows its mode
      commandOutput({"sh", "-c",
                     "xrandr --newmode m 10 1280 1281 1282 1283 1024 1025 1026 1027 && "
                     "xrandr --addmode screen m && xrandr --output screen --mode m"},
                    {"DISPLAY=" + server_->name});
      EXPECT_TRUE(until([&] { return outer(x_->geometry(window_.id)).width == 819; }))
          << "not sized again for a primary monitor 1024 pixels high";
    }
    TearDown();
  }
}

// Real window managers: what they read of the box and the window (class, process, no resizing
// or maximising offered), the window's place, keys without a click, and closing.
TEST_F(Viewer, UnderWindowManagers) {
  // Wine maps only the client area inside a manager's frame, at a place and size of its own.
  if (l_.name == "wine") GTEST_SKIP() << "Wine places its windows itself under a manager";
  for (const char* wm : {"openbox", "icewm"}) {
    auto expectProperties = [&](Window w) {
      const char cls[] = "bowlview\0bowlview";  // instance and class, each with its 0
      EXPECT_EQ(x_->property(w, "WM_CLASS"), std::vector<long>(cls, cls + sizeof cls)) << wm;
      EXPECT_EQ(x_->property(w, "_NET_WM_PID"), (std::vector<long>{viewer_->pid()})) << wm;
      const std::vector<long> motif = x_->property(w, "_MOTIF_WM_HINTS");
      EXPECT_TRUE(motif.size() == 5 && !(motif[1] & (2 | 16))) << wm << ": resizing offered";
    };
    ASSERT_NO_FATAL_FAILURE(launch(Desktop{"1280x1024x24", {}, 0, wm}));
    expectProperties(box_.id);
    EXPECT_EQ(x_->property(box_.id, "_NET_WM_WINDOW_TYPE"),
              (std::vector<long>{(long)x_->atom("_NET_WM_WINDOW_TYPE_DIALOG")}));
    ASSERT_NO_FATAL_FAILURE(open());
    expectProperties(window_.id);
    // The manager's frame goes where the window was asked to be; the window keeps its size.
    const std::vector<long> frame = x_->property(window_.id, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(frame.size(), 4u) << wm;  // left, right, top, bottom
    EXPECT_EQ((std::vector<long>{window_.x - frame[0], window_.y - frame[2], window_.width,
                                 window_.height}),
              (std::vector<long>{0, 0, 819, 819}))
        << wm;
    EXPECT_TRUE(settled()) << wm << ": keys did not reach the window without a click";
    x_->send(window_.id, "_NET_CLOSE_WINDOW", {0, 2}, true);
    EXPECT_EQ(viewer_->wait(10000), 0) << wm;
    TearDown();
  }
}

// It spins from the start; a click stops it, at rest the headless render (0.5 % may differ);
// p toggles the wire-frame; F, P, x, J, Ctrl+3 do nothing; a drag spins it; Esc: status 0.
TEST_F(Viewer, FogAndWireframeKeysAndNothingElseThenEscape) {
  start();
  const Image first = shot();
  EXPECT_TRUE(until([&] { return !samePicture(shot(), first); })) << "not spinning at first";
  ASSERT_TRUE(stop()) << "fog did not come and go";
  const Image stopped = shot();
  const int limit = (stopped.width + 1) / 2 * ((stopped.height + 1) / 2) / 200;
  EXPECT_LT(differsFromReference(stopped, outer(window_).width), limit) << "at rest, not headless";
  x_->key(XK_p);
  Image wire;
  EXPECT_TRUE(until([&] { return !samePicture(wire = shot(), stopped); })) << "no wire-frame";
  // Inside the bowl's outline, the background now shows between the lines.
  int bowl = 0, showsThrough = 0;
  for (int i = 0; i < stopped.width * stopped.height; ++i) {
    const bool inside = !near(&stopped.rgb[(size_t)i * 3], plainBackground, 8);
    bowl += inside;
    showsThrough += inside && near(&wire.rgb[(size_t)i * 3], plainBackground, 8);
  }
  EXPECT_TRUE(bowl > 10000 && showsThrough > bowl / 4 && showsThrough < bowl) << showsThrough;
  x_->key(XK_p);
  x_->key(XK_f, XK_Shift_L), x_->key(XK_p, XK_Shift_L), x_->key(XK_x), x_->key(XK_j, XK_Shift_L);
  x_->key(XK_3, XK_Control_L);  // Windows types nothing for it (X would type Esc)
  ASSERT_TRUE(settled());
  EXPECT_TRUE(samePicture(shot(), stopped))
      << "turning after a click, p twice not fill, or a key drew";
  x_->moveTo(window_.x + 300, window_.y + 400), x_->button(1, true);
  for (int i = 1; i <= 10; ++i) x_->moveTo(window_.x + 300 + 20 * i, window_.y + 400 - 10 * i);
  x_->button(1, false);
  EXPECT_TRUE(until([&] { return !samePicture(shot(), stopped); })) << "the drag did not turn it";
  const Image dragged = shot();
  EXPECT_TRUE(until([&] { return !samePicture(shot(), dragged); })) << "not spinning after it";
  x_->key(XK_Escape);
  EXPECT_EQ(viewer_->wait(10000 * patience_), 0) << viewer_->stderrText();
}

// Claims the server does not confirm change nothing (the bowl spins on and takes keys): a
// synthetic UnmapNotify, a forged iconic WM_STATE, close requests that are not ICCCM's, and
// openbox killed while the window is minimised (WM_STATE left iconic).
TEST_F(Viewer, ClaimsOfOtherClientsAndADeadManagerNeitherFreezeNorClose) {
  const std::string cases[] = {"synthetic UnmapNotify", "forged WM_STATE", "forged close",
                               "manager killed while minimised"};
  for (const std::string& c : cases) {
    const bool killed = c == "manager killed while minimised";
    // Wine places its windows itself under a manager; Wine 10 takes any client's WM_STATE for the
    // manager's word and rightly draws nothing, minimised.
    if ((killed || c == "forged WM_STATE") && l_.name == "wine") continue;
    ASSERT_NO_FATAL_FAILURE(launch(Desktop{"1280x1024x24", {}, 0, killed ? "openbox" : nullptr}));
    Display* d = x_->d;
    // WM_DELETE_WINDOW's bytes in a format-8 message, and the atom in a message of another type.
    auto forgeClose = [&](Window w) {
      const long del = (long)x_->atom("WM_DELETE_WINDOW");
      x_->send(w, "WM_PROTOCOLS", {del}, false, 8), x_->send(w, "BOWLVIEW_TEST", {del}, false);
    };
    if (c == "forged close") {
      forgeClose(box_.id);
      EXPECT_FALSE(until([&] { return !x_->geometry(box_.id).viewable; }, 1000)) << "box closed";
    }
    ASSERT_NO_FATAL_FAILURE(open());
    if (c == "synthetic UnmapNotify") {
      XEvent e = {};
      e.xunmap.type = UnmapNotify, e.xunmap.event = e.xunmap.window = window_.id;
      XSendEvent(d, window_.id, False, StructureNotifyMask, &e);
    } else if (c == "forged WM_STATE") {
      const long iconic[2] = {IconicState, None};
      XChangeProperty(d, window_.id, x_->atom("WM_STATE"), x_->atom("WM_STATE"), 32,
                      PropModeReplace, (const unsigned char*)iconic, 2);
    } else if (c == "forged close") {
      forgeClose(window_.id);
    } else {
      x_->send(window_.id, "WM_CHANGE_STATE", {IconicState}, true);  // minimise, as a pager does
      ASSERT_TRUE(until([&] { return !x_->geometry(window_.id).viewable; })) << "not minimised";
      wm_.reset(), managed_ = false;  // SIGKILL: the server maps the window again
      ASSERT_TRUE(x_->waitForWindow(windowTitle, &window_));
      XSetInputFocus(d, window_.id, RevertToPointerRoot, CurrentTime);
    }
    x_->sync();
    EXPECT_TRUE(settled()) << c << ": keys change nothing";
    const Image now = shot();
    EXPECT_TRUE(until([&] { return !samePicture(shot(), now); })) << c << ": the picture froze";
    EXPECT_TRUE(viewer_->running()) << c;
    x_->send(window_.id, "WM_PROTOCOLS", {(long)x_->atom("WM_DELETE_WINDOW")}, false);
    EXPECT_EQ(viewer_->wait(10000), 0) << c << ": the close button";
    TearDown();
  }
}

// Starts that cannot draw: a box says why where one can be shown, and the status is 1.
TEST_F(Viewer, FailedStartsSayWhyAndEndWithStatusOne) {
  // Wine's wglCreateContext does not fail without direct rendering (its window stays black).
  if (l_.name == "wine") GTEST_SKIP() << "Wine needs GLX and a display to start at all";
  const struct {
    const char* name;
    std::vector<std::string> serverArgs, env;
  } cases[] = {{"without GLX", {"-extension", "GLX"}, {}},
               // Xvfb refuses indirect contexts: the format is set, the context fails.
               {"without a context", {}, {"LIBGL_ALWAYS_INDIRECT=1"}}};
  for (const auto& c : cases) {
    ASSERT_NO_FATAL_FAILURE(launch(Desktop{"1280x1024x24", {}, 0, nullptr, c.serverArgs, c.env}));
    WindowInfo error;
    ASSERT_TRUE(dismiss(box_) && x_->waitForWindow("Error", &error, 60000)) << c.name;
    EXPECT_TRUE(viewer_->running()) << c.name;
    EXPECT_FALSE(x_->waitForWindow(windowTitle, nullptr, 0))
        << c.name << ": a blank window was shown";
    ASSERT_TRUE(dismiss(error));
    EXPECT_EQ(viewer_->wait(10000), 1) << c.name;
    TearDown();
  }
  // No display at all, and a display that goes away: one line of our own, and status 1.
  viewer_ = startViewer(l_, "");
  EXPECT_EQ(viewer_->wait(10000), 1);
  EXPECT_EQ(viewer_->stderrText(), "winx: cannot open X display: DISPLAY is not set\n");
  start();
  server_->server.reset();
  x_.release();  // closing a connection to a server that is gone would end this test process
  EXPECT_EQ(viewer_->wait(10000), 1);
  const std::string err = viewer_->stderrText();
  EXPECT_EQ(err.find("winx: lost the connection to X display"), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
