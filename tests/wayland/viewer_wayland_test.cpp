// The viewer on real Wayland compositors, with no X display at all: Debian 12's (sway 1.7, weston
// 10, mutter 43) and, as CTest's debian13.* runs, Debian 13's (sway 1.10, weston 14, mutter 48,
// KWin 6.3), through the same sessions: what differs between them is in rows and flags.
#include <gtest/gtest.h>
#include <signal.h>

#include <X11/Xcursor/Xcursor.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/state.h"
#include "box_picture.h"
#include "tests/support/compositor.h"
#include "tests/support/egl_context.h"

namespace {

const char controlsText[] =
    "-------  keys: f,p --- mouse: touch the window image for movement----- ";
const std::vector<int> plainBackground = {38, 38, 140}, fogBackground = {128, 64, 64},
                       boxGrey = {224, 224, 224};
const char viewerTitle[] = "[title=\"^ KEYS:f,p and MOUSE $\"]";

// A compositor by name; mutter able to take fractional scales later, with Xwayland if x11.
std::unique_ptr<Compositor> compositor(const std::string& name, int width, int height, double scale,
                                       bool x11 = false) {
  if (name == "sway") return std::make_unique<Sway>(width, height, scale);
  if (name == "weston") return std::make_unique<Weston>(width, height, (int)scale);
  if (name == "kwin") return std::make_unique<KWin>(width, height, scale);
  return std::make_unique<RemoteMutter>(width, height, scale, x11, true);
}

// The part r of image (what of it lies in image).
Image crop(const Image& image, const Rect& r) {
  Image out{r.width, 0, {}};
  for (int y = r.y; y < r.y + r.height && y < image.height; ++y, ++out.height)
    out.rgb.insert(out.rgb.end(), image.at(r.x, y), image.at(r.x, y) + 3 * r.width);
  return out;
}

// The box the core draws at scale, as an image, grown in its grey to whole logical pixels; the
// middle of its button in it.
Image boxPicture(double scale, int width, int height, int* buttonX = nullptr,
                 int* buttonY = nullptr) {
  winx::BoxPicture p;
  Image out;
  if (!winx::drawBox(controlsText, false, scale, width, height, &p)) return out;
  if (buttonX)
    *buttonX = p.button.x + p.button.width / 2, *buttonY = p.button.y + p.button.height / 2;
  int step = 1;  // the fewest physical pixels that make whole logical ones
  while (step / scale != (int)(step / scale)) ++step;
  out.width = (p.width + step - 1) / step * step, out.height = (p.height + step - 1) / step * step;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const uint32_t c =
          x < p.width && y < p.height ? p.pixels[(size_t)y * p.width + x] : p.pixels[0];
      out.rgb.insert(out.rgb.end(),
                     {(unsigned char)(c >> 16), (unsigned char)(c >> 8), (unsigned char)c});
    }
  }
  return out;
}

// Odd-length runs of line pixels across rows: the viewer's 1.5-pixel lines are two physical
// pixels wide anywhere, so a picture the compositor doubled has none.
int oddRuns(const Image& s, const Rect& r) {
  int n = 0;
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x, run = 0; x < r.x + r.width; ++x) {
      const bool line = !near(s.at(x, y), plainBackground, 8);
      n += !line && run % 2 == 1;
      run = line ? run + 1 : 0;
    }
  }
  return n;
}

class OnWayland : public ::testing::Test {
 protected:
  void TearDown() override {
    viewer_.reset(), c_.reset(), recentre_ = false, unlink(counter_.c_str());
  }

  // The compositor, then the viewer in it with nothing but a Wayland display.
  bool launch(std::unique_ptr<Compositor> c, std::vector<std::string> env = {}) {
    c_ = std::move(c);
    if (!c_->ok()) return ADD_FAILURE() << c_->error, false;
    // sway draws its pointer into the output: out of the way, in a corner.
    if (c_->name == "sway") c_->moveTo(c_->width - 1, c_->height - 1);
    for (const std::string& e : c_->clientEnv()) env.push_back(e);
    viewer_ = std::make_unique<Child>(std::vector<std::string>{BOWLVIEW_NATIVE}, env);
    return true;
  }

  Image shot() { return c_->screenshot(); }
  Sway& sway() { return static_cast<Sway&>(*c_); }
  // The output, with the viewer's window put in its middle first where sway may have left it
  // in part outside (recentre_): sway keeps a window's place when it changes size.
  Image recentred() {
    if (recentre_)
      sway().msg({"[app_id=\"^org.bowlview.bowlview$\"]", "move", "position", "center"});
    return shot();
  }
  // Where the box is, once shown pixel for pixel as the core draws it at scale (one picture for
  // both: weston in Xvfb, loaded, now and then shows a stale frame).
  Rect expectBox(double scale, const std::string& what) {
    const Image want = boxPicture(scale, c_->width, c_->height);
    Rect box;
    EXPECT_TRUE(waitUntil([&] { return findBox(recentred(), want, &box); }))
        << what << ": not the box drawn crisp at " << scale << ", " << want.width << "x"
        << want.height << ", but " << box.width << "x" << box.height;
    return box;
  }
  // The window, square and side pixels wide (give or take off), once the compositor shows it so.
  void expectWindow(int side, const std::string& what, int off = 0) {
    EXPECT_TRUE(waitUntil([&] {
      return find(plainBackground, &window_, recentred()) &&
             std::abs(window_.width - side) <= off && window_.height == window_.width;
    })) << what
        << ": no window " << side << " pixels wide, but " << window_.width << "x" << window_.height;
  }
  // Where colour fills 4 × 4 pixels in s (a new picture if none): not the pointer's edges.
  bool find(const std::vector<int>& colour, Rect* where, Image s = Image()) {
    if (!s.width) s = shot();
    int x0 = s.width, y0 = s.height, x1 = -1, y1 = -1;
    for (int y = 0; y + 3 < s.height; ++y) {
      for (int x = 0; x + 3 < s.width; ++x) {
        if (near(s.at(x, y), colour) && near(s.at(x + 3, y + 3), colour) &&
            near(s.at(x + 3, y), colour) && near(s.at(x, y + 3), colour)) {
          x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
      }
    }
    if (x1 >= 0) *where = {x0, y0, x1 - x0 + 4, y1 - y0 + 4};
    return x1 >= 0;
  }
  // Where the output shows the box want, but for its outermost pixels (libdecor's outline at 2).
  bool findBox(const Image& s, const Image& want, Rect* box) {
    if (!find(boxGrey, box, s) || std::abs(box->width - want.width) > 1) return false;
    // The bottom of the grey (a title bar above may be grey too), or the row below.
    box->y += box->height - want.height, box->width = want.width, box->height = want.height;
    const Image inside = crop(want, {1, 1, want.width - 2, want.height - 2});
    for (int dy = 0; dy <= 1; ++dy) {
      const Rect r{box->x + 1, box->y + dy + 1, box->width - 2, box->height - 2};
      if (differingPixels(crop(s, r), inside, 2) == 0) return box->y += dy, true;
    }
    return false;
  }
  // Once fog on and off show in the window's top corners, everything sent before is handled.
  bool settled() {
    for (const std::vector<int>* colour : {&fogBackground, &plainBackground}) {
      c_->tap("f");
      if (!waitUntil([&] {
            const Image s = shot();
            return near(s.at(window_.x + 2, window_.y + 2), *colour) &&
                   near(s.at(window_.x + window_.width - 3, window_.y + 2), *colour);
          }))
        return false;
    }
    return true;
  }
  // Whether the bowl stands still after press at the window's middle, once the keys are handled.
  bool stillAfter(const std::function<void(int x, int y)>& press) {
    press(window_.x + window_.width / 2, window_.y + window_.height / 2);
    c_->moveTo(c_->width - 1, c_->height - 1);
    if (!settled()) return false;
    const Image stopped = shot();
    return settled() && differingPixels(shot(), stopped) < 200;
  }
  // Nothing but the window changes on the output.
  bool spinning() {
    const Image before = shot();
    return waitUntil([&] { return differingPixels(shot(), before) > 200; });
  }
  // A drag from (x0, y0) to (x1, y1) of the window, in ten steps: by the left button, or a finger.
  void drag(int x0, int y0, int x1, int y1, bool finger = false) {
    x0 += window_.x, y0 += window_.y, x1 += window_.x, y1 += window_.y;
    finger ? c_->touch("down", x0, y0) : (c_->moveTo(x0, y0), c_->button(true));
    for (int i = 1; i <= 10; ++i) {
      const int x = x0 + (x1 - x0) * i / 10, y = y0 + (y1 - y0) * i / 10;
      finger ? c_->touch("motion", x, y) : c_->moveTo(x, y);
    }
    finger ? c_->touch("up") : c_->button(false);
  }
  // Whether the theme's arrow, size pixels large, shows crisp with its hot spot at (x, y) over
  // under, after the pointer rested on sway's border at x = border (a resize cursor there).
  bool showsArrowAt(const Image& under, int x, int y, int border, int size) {
    c_->moveTo(border, y), c_->moveTo(x, y);
    XcursorImage* a = XcursorLibraryLoadImage("left_ptr", getenv("XCURSOR_THEME"), size);
    if (a == nullptr || (int)a->width != size)
      return ADD_FAILURE() << "no arrow of " << size, false;
    // The hot spot is given in the surface's (logical) pixels: at scale 2 an odd one rounds down.
    const int scale = (int)c_->scale;
    const int hotX = (int)a->xhot / scale * scale, hotY = (int)a->yhot / scale * scale;
    const bool shown = waitUntil([&] {
      const Image s = shot();
      for (int j = 0; j < (int)a->height; ++j) {
        for (int i = 0; i < (int)a->width; ++i) {
          const int sx = x - hotX + i, sy = y - hotY + j;
          const uint32_t p = a->pixels[j * a->width + i];  // premultiplied
          std::vector<int> want(3);
          for (int k = 0; k < 3; ++k) {
            want[k] = (int)(p >> (16 - 8 * k) & 0xff) +
                      under.at(sx, sy)[k] * (255 - (int)(p >> 24)) / 255;
          }
          if (!near(s.at(sx, sy), want)) return false;
        }
      }
      return true;
    });
    XcursorImageDestroy(a);
    c_->moveTo(c_->width - 1, c_->height - 1);
    return shown;
  }
  // Requests the viewer has made of the compositor so far (WAYLAND_DEBUG), by name.
  int requests(const std::string& what) {
    const std::string log = viewer_->stderrText();
    int n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  }
  // The window at rest after press is the scene drawn headless at side, pixel for pixel.
  void expectOneToOne(int side, const std::string& what,
                      const std::function<void(int x, int y)>& press) {
    ASSERT_TRUE(stillAfter(press)) << what << ": still turning";
    const Image w = crop(shot(), window_);
    const int best = differsFromReference(w, side);
    EXPECT_LT(best, ((w.width + 1) / 2) * ((w.height + 1) / 2) / 200)
        << what << ": not 1:1: at best " << best * 400.0 / (w.width * w.height) << "% differ";
  }
  // The preloaded counter's frames shown, frames drawn, views set (BOWLVIEW_SWAP_COUNT).
  std::vector<uint64_t> counts() {
    std::vector<uint64_t> n(3);
    std::ifstream(counter_, std::ios::binary).read((char*)n.data(), 3 * sizeof n[0]);
    return n;
  }

  std::unique_ptr<Compositor> c_;
  std::unique_ptr<Child> viewer_;
  Rect window_;
  bool recentre_ = false;
  std::string counter_ = "/tmp/bowlview-frames-" + std::to_string(getpid());
};

// sway and weston at scales 1 and 2: the box pixel for pixel as drawn at that scale; on sway the
// theme's arrow over box and window, crisp (sway 1.7: the viewer's; 1.10: its own, by shape); the
// window 0.8 of the output's height, its wire-frame never doubled; spin, drag, click, keys; on
// sway, the scale changed and back under the box and the window (as a fresh start draws them),
// and hidden on another workspace (no frame drawn); Esc or the compositor's close: status 0.
TEST_F(OnWayland, BoxWindowInputHiddenAndClosedAtScalesOneAndTwo) {
  const bool shapes = compositorRelease() >= 13;
  // sway's own theme: its /usr/share/icons, reached here and in its root alike.
  if (shapes)
    setenv("XCURSOR_PATH", compositorFile("/usr/share/icons:/usr/share/icons").c_str(), 1);
  for (const std::string name : {"sway", "weston"}) {
    for (int scale : {1, 2}) {
      // At 2, 818: the nearest whole logical pixels. weston at 2 on a lower output, where its
      // pointer, drawn where it starts, misses the box.
      const int height = name == "weston" && scale == 2 ? 1000 : 1024, other = 3 - scale;
      const int side[] = {0, 819, height == 1000 ? 800 : 818};
      const std::string what = name + " at scale " + std::to_string(scale);
      const bool onSway = name == "sway";
      const int cursorSize = shapes ? 24 * scale : scale == 1 ? 24 : 96;
      if (!launch(compositor(name, 1280, height, scale),
                  {"WAYLAND_DEBUG=client", scale == 2 ? "XCURSOR_SIZE=48" : "XCURSOR_SIZE=",
                   "LD_PRELOAD=" BOWLVIEW_FRAME_COUNTER, "BOWLVIEW_SWAP_COUNT=" + counter_}))
        continue;
      auto arrowOver = [&](const Rect& r, const char* over) {
        EXPECT_TRUE(!onSway || showsArrowAt(shot(), r.x + 10 * scale, r.y + 10 * scale, r.x - scale,
                                            cursorSize))
            << what << ": not the theme's arrow over the " << over;
        EXPECT_TRUE(!onSway || !shapes || requests(".set_shape(") > 0)
            << what << ": the shape is not named";
      };
      // Compositors animate windows in: wait for the very picture, then the very size.
      arrowOver(expectBox(scale, what), "box");
      // Sway keeps windows and the pointer where they were in logical pixels: put back as a user
      // would.
      auto rescale = [&](int to) {
        sway().msg({"output", "HEADLESS-1", "scale", std::to_string(to)});
        c_->moveTo(c_->width - 1, c_->height - 1);
        recentre_ = true;
      };
      if (onSway) {
        rescale(other), expectBox(other, what + ", then " + std::to_string(other));
        rescale(scale), expectBox(scale, what + ", and back");
        recentre_ = false;
      }
      c_->tap("Return");
      expectWindow(side[scale], what);
      arrowOver(window_, "window");
      EXPECT_TRUE(spinning()) << what << ": not spinning at first";

      drag(side[scale] / 2, side[scale] / 2, side[scale] + 60, side[scale] / 3);  // out of it
      EXPECT_TRUE(spinning() && spinning()) << what << ": a drag out of the window stopped it";
      ASSERT_TRUE(stillAfter([&](int x, int y) { c_->click(x, y); }))
          << what << ": still turning, or keys change nothing";

      for (int at : {scale, other, scale}) {
        if (at != scale || onSway) rescale(at);
        expectWindow(side[at], what + ", now at " + std::to_string(at));
        c_->tap("p");
        EXPECT_TRUE(waitUntil([&] { return oddRuns(shot(), window_) > 500; }))
            << what << ", now at " << at << ": no wire-frame, or one doubled";
        c_->tap("p");
        if (!onSway) break;
      }

      if (onSway) {
        drag(side[scale] / 2, side[scale] / 2, side[scale] / 2 + 100, side[scale] / 2);
        sway().msg({"workspace", "2"});
        // Frames drawn while hidden: none for half a second, within five.
        uint64_t last = ~0ull;
        int quiet = 0;
        for (int t = 0; t < 5000 && quiet < 500; t += 50, sleepMs(50)) {
          const uint64_t now = counts()[1];
          quiet = now == last ? quiet + 50 : 0, last = now;
        }
        EXPECT_GE(quiet, 500) << what << ": frames drawn while hidden";
        sway().msg({"workspace", "1"});
        EXPECT_TRUE(spinning()) << what << ": not spinning once shown again";
        if (scale == 2) sway().msg({viewerTitle, "kill"});
      }
      if (scale == 1 || !onSway) c_->tap("Escape");
      EXPECT_EQ(viewer_->wait(10000), 0) << what;
      TearDown();
    }
  }
}

// The desktop changes under the window (sway): a quarter turn, then an output of another scale
// and size, moved to and back: each time the size a fresh start there gives. A compositor that
// stops and goes on, again and again, loses no frame and never hides the window.
TEST_F(OnWayland, TheDesktopChangesUnderTheWindow) {
  ASSERT_TRUE(launch(compositor("sway", 1280, 1024, 1),
                     {"WAYLAND_DEBUG=client", "LD_PRELOAD=" BOWLVIEW_FRAME_COUNTER,
                      "BOWLVIEW_SWAP_COUNT=" + counter_}));
  expectBox(1, "at first");
  c_->tap("Return");
  expectWindow(819, "at first");
  recentre_ = true;
  for (const auto& [turn, side] : {std::pair{"90", 819}, {"normal", 819}}) {  // the shorter side
    sway().msg({"output", "HEADLESS-1", "transform", turn});
    expectWindow(side, std::string("turned to ") + turn);
  }
  recentre_ = false;

  // A frame the compositor has not taken yet waits for it; the window stays shown.
  const std::vector<uint64_t> before = counts();
  for (int i = 0; i < 20; ++i) {
    kill(c_->server->pid(), SIGSTOP);
    sleepMs(200);  // a stall, made: what the compositor does, not a wait for the viewer
    kill(c_->server->pid(), SIGCONT);
    const uint64_t shown = counts()[0];
    ASSERT_TRUE(waitUntil([&] { return counts()[0] > shown + 1; }))
        << "no frames after stall " << i;
  }
  const std::vector<uint64_t> after = counts();
  EXPECT_LE((after[1] - after[0]) - (before[1] - before[0]), 1u) << "frames drawn and not shown";
  EXPECT_EQ(after[2], before[2]) << "minimised and shown again";

  sway().msg({"create_output"});
  sway().msg({"output", "HEADLESS-1", "position", "0", "0"});
  sway().msg(
      {"output", "HEADLESS-2", "resolution", "2048x1640", "scale", "2", "position", "1280", "0"});
  recentre_ = true;  // sway keeps its place on the output, in part outside
  for (const auto& [to, side] : {std::pair{"HEADLESS-2", 1312}, {"HEADLESS-1", 819}}) {
    sway().msg({viewerTitle, "move", "container", "to", "output", to});
    sway().output = to;
    expectWindow(side, std::string("moved to ") + to);
  }
  recentre_ = false;
  sway().msg({viewerTitle, "kill"});  // the keyboard stayed with the output it came from
  EXPECT_EQ(viewer_->wait(10000), 0);
}

// The box and the window 1:1 (at rest, the picture drawn headless) at fractional scales: sway 1.7
// and mutter 43 say 2 and shrink what is drawn at 2 (mutter 43 places windows at half pixels:
// there only the size is checked); the others tell the fraction. On mutter 48, a scale changed
// under the window shows what a fresh start does. Touch on mutter (natively and the X11 build
// through Xwayland) and KWin; on KWin the arrow by shape and the icon's buffers. The title bar's
// close button (KWin's; on mutter, libdecor's) ends it, as Esc does.
TEST_F(OnWayland, OneToOneAtFractionalScalesAndByTouchUnderGnomeAndKWin) {
  const int release = compositorRelease();
  int icons = 0;
  for (const auto& f : std::filesystem::directory_iterator(BOWLVIEW_ICONS))
    icons += f.path().extension() == ".png";
  const struct {
    const char* name;
    double scale, then;               // then: a scale set under the window, 0 if none
    int since;                        // the first Debian release whose compositor is checked so
    bool touch = false, x11 = false;  // x11: the X11 build
    bool closeButton = false;         // it ends by the title bar's close button, else by Esc
  } rows[] = {{"sway", 1.5, 0, 12},
              {"sway", 1.25, 0, 13},
              {"mutter", 1.5, 0, 12},
              {"mutter", 1.25, 0, 13},
              {"mutter", 1, 1.5, 13},
              {"mutter", 1, 0, 12, true, false, true},
              {"mutter", 1, 0, 12, true, true},
              {"kwin", 1, 0, 13, true, false, true},
              {"kwin", 1.25, 0, 13, true},
              {"kwin", 1.5, 0, 13, true, false, true}};
  std::map<double, int> fresh;  // the window's width at a fresh start at a scale, on mutter
  for (const auto& r : rows) {
    if (release < r.since) continue;
    const double scale = r.then ? r.then : r.scale;
    const bool exact = r.name[0] != 'm' || release >= 13 || scale == 1, kwin = r.name[0] == 'k';
    const int width = (int)(1280 * scale), height = (int)(1024 * scale);
    std::ostringstream named;
    named << r.name << " at " << r.scale;
    if (r.then) named << " then " << r.then;
    if (r.x11) named << ", the X11 build";
    const std::string what = named.str();
    if (!launch(compositor(r.name, width, height, r.scale, r.x11),
                {kwin ? "WAYLAND_DEBUG=client" : "WAYLAND_DEBUG=",
                 r.x11 ? "BOWLVIEW_BACKEND=x11" : "BOWLVIEW_BACKEND="}))
      continue;
    Rect box;
    if (exact) box = expectBox(r.scale, what);
    EXPECT_TRUE(exact || waitUntil([&] { return find(boxGrey, &box); })) << what << ": no box";
    EXPECT_TRUE(!kwin || requests("set_shape(") > 0) << what << ": the arrow not asked for by name";
    const std::function<void(int, int)> press = [&](int x, int y) {
      r.touch ? (c_->touch("down", x, y), c_->touch("up")) : c_->click(x, y);
    };
    int okX, okY;
    boxPicture(scale, width, height, &okX, &okY);
    r.touch ? press(box.x + okX, box.y + okY) : c_->tap("Return");
    if (r.then) {
      expectWindow(height * 4 / 5, what + ", at first", 2);
      EXPECT_TRUE(c_->setScale(r.then)) << what;
    }
    expectWindow(height * 4 / 5, what, scale == 1.5 ? 3 : scale == 1 ? 2 : 5);
    if (exact) expectOneToOne(window_.width, what, press);
    // At rest, mutter has ended its animation too: the size it settles at.
    if (r.name[0] == 'm' && scale != 1 && find(plainBackground, &window_) && !r.then)
      fresh[scale] = window_.width;
    EXPECT_TRUE(!r.then || fresh[scale] == window_.width)
        << what << ": " << window_.width << " pixels wide, a fresh start " << fresh[scale];
    if (r.touch) {
      const int mid = window_.width / 2;
      drag(mid, mid, mid + 200, mid - 80, true);
      EXPECT_TRUE(spinning() && spinning()) << what << ": a drag did not leave it spinning";
    }
    EXPECT_TRUE(!kwin || requests(".add_buffer(") == icons) << what << ": not the icon's pictures";
    // The title bar's rightmost button (KWin's Breeze; on mutter, libdecor's), clicked until
    // the viewer ends: libdecor draws its bar again a moment after it is shown.
    const int dx = kwin ? (int)(19 * scale) : 14, dy = kwin ? (int)(19 * scale) : 16;
    EXPECT_TRUE(!r.closeButton || waitUntil([&] {
      c_->click(window_.x + window_.width - dx, window_.y - dy);
      return waitUntil([&] { return !viewer_->running(); }, 1000);
    })) << what
        << ": the title bar's close button does nothing";
    if (!r.closeButton) c_->tap("Escape");
    EXPECT_EQ(viewer_->wait(10000), 0) << what;
    TearDown();
  }
}

// An output unplugged under the box (a sway nested in another): the box moves to the output
// left, the window opens there as a fresh start would, the pointer over it. Under
// AddressSanitizer too: nothing freed is read, nothing leaks.
TEST_F(OnWayland, AnOutputUnpluggedUnderTheBox) {
  Sway host(2560, 1100);
  ASSERT_TRUE(host.ok()) << host.error;
  ASSERT_TRUE(launch(std::make_unique<Sway>(host, 2), {"WAYLAND_DEBUG=client"}));
  // The box opens on the focused output; the other one stays.
  std::string focused, left;
  ASSERT_TRUE(waitUntil([&] {
    const std::string tree = sway().msg({"-t", "get_tree"});
    const size_t box = tree.find("\"bowlview - by the bowlview authors\"");
    const size_t at = tree.rfind("\"name\": \"WL-", box);
    if (box == std::string::npos || at == std::string::npos) return false;
    focused = tree.substr(at + 9, 4), left = focused == "WL-1" ? "WL-2" : "WL-1";
    return true;
  })) << "no box";
  sway().output = focused;
  expectBox(1, "on " + focused);
  host.msg({"[title=\"wlroots - " + focused + "\"]", "kill"});
  sway().output = left;
  expectBox(1, "moved to " + left);
  c_->tap("Return");
  expectWindow(576, "on " + left);  // 0.8 of 720, as wlroots makes its outputs on Wayland
  // The one output left is the whole desktop: its middle is the window's.
  c_->moveTo(c_->width / 2, c_->height / 2);
  EXPECT_TRUE(waitUntil([&] { return requests(".set_cursor(") + requests(".set_shape(") > 0; }))
      << "the pointer never came over the window";
  c_->tap("Escape");
  const int status = viewer_->wait(10000);
  const std::string log = viewer_->stderrText();  // the sanitizers' report at its end
  EXPECT_EQ(status, 0) << log.substr(log.size() - std::min<size_t>(log.size(), 20000));
}

}  // namespace
