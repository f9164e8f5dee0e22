// The Wayland harness proven on clients that exist as packages, until the viewer's own tests on
// these compositors take its place: a window shows where the compositor says, input reaches it,
// and it can be hidden and shown again.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/compositor.h"

// wev's window is a checkerboard of these two greys; it prints every event it gets.
static const std::vector<int> kLight = {0xee, 0xee, 0xee}, kDark = {0x66, 0x66, 0x66};

// Whether at least a quarter of r's pixels are near colour.
static bool covers(const Image& image, const Rect& r, const std::vector<int>& colour) {
  int n = 0;
  for (int y = r.y; y < r.y + r.height && y < image.height; ++y) {
    for (int x = r.x; x < r.x + r.width && x < image.width; ++x) n += near(image.at(x, y), colour);
  }
  return n * 4 >= r.width * r.height;
}

static bool checkerboardShows(Compositor& c, const Rect& r) {
  const Image shot = c.screenshot();
  return covers(shot, r, kLight) && covers(shot, r, kDark);
}

class OnCompositor : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(OnCompositor, WindowShowsTakesPointerAndKeysAndHides) {
  const auto& [name, scale] = GetParam();
  if (!onPath(name) || !onPath("wev")) GTEST_SKIP() << name << " or wev is not installed";
  std::unique_ptr<Compositor> c;
  if (name == "sway") c = std::make_unique<Sway>(1280, 1024, scale);
  if (name == "weston") c = std::make_unique<Weston>(1280, 1024, scale);
  ASSERT_TRUE(c->ok()) << c->error;
  Child wev({"stdbuf", "-oL", "wev"}, c->clientEnv(), true);
  Rect r;
  ASSERT_TRUE(waitUntil([&] { return c->findWindow("wev", &r); })) << wev.stderrText();
  EXPECT_TRUE(waitUntil([&] { return checkerboardShows(*c, r); }));

  // The pointer lands on the window's logical pixel (40, 30), whatever the scale.
  c->moveTo(r.x + 40 * scale, r.y + 30 * scale);
  c->button(true), c->button(false), c->tap("a");
  for (const char* event : {"x, y: 40.000000, 30.000000", "272 (left), state: 1", "sym: a"}) {
    EXPECT_TRUE(waitUntil([&] { return wev.stdoutText().find(event) != std::string::npos; }))
        << event;
  }

  if (auto* sway = dynamic_cast<Sway*>(c.get())) {
    sway->showWorkspace("2");
    EXPECT_FALSE(sway->windowVisible("wev"));
    EXPECT_TRUE(waitUntil([&] { return covers(c->screenshot(), r, kBackground); }));
    sway->showWorkspace("1");
    EXPECT_TRUE(waitUntil([&] { return checkerboardShows(*c, r); }));
  }
}

INSTANTIATE_TEST_SUITE_P(Wayland, OnCompositor,
                         ::testing::Combine(::testing::Values("sway", "weston"),
                                            ::testing::Values(1, 2)),
                         [](const auto& info) {
                           return std::get<0>(info.param) + std::to_string(std::get<1>(info.param));
                         });

// weston-terminal's black inside, below its title bar (whose text is black too), once its
// window has come onto the empty output.
static bool terminalInside(const Image& empty, const Image& shot, Rect* inside) {
  Rect window;
  if (!findChange(empty, shot, &window)) return false;
  int top = window.y;
  while (top < window.y + window.height &&
         !near(shot.at(window.x + window.width / 4, top), {0, 0, 0}))
    ++top;
  return findColour(shot, {0, 0, 0}, inside, {window.x, top, window.width, window.height}) &&
         inside->width > 400;
}

// weston and GNOME's mutter draw no title bars: the client draws its own (weston-terminal's
// here, as libdecor will for the viewer), whose buttons minimise and close it; both bring a
// minimised window back through their Super+Tab switcher.
class WithOwnTitleBar : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(WithOwnTitleBar, ShowsMinimisesAndCloses) {
  const auto& [name, scale] = GetParam();
  if (!onPath(name) || !onPath("weston-terminal")) GTEST_SKIP() << name << " is not installed";
  std::unique_ptr<NestedCompositor> c;
  if (name == "weston") c = std::make_unique<Weston>(1280, 1024, scale);
  if (name == "mutter") c = std::make_unique<Mutter>(1280, 1024, scale);
  ASSERT_TRUE(c->ok()) << c->error;
  const Image empty = c->screenshot();
  Child terminal({"weston-terminal", "--maximized"}, c->clientEnv());
  // mutter animates it in: wait until two pictures agree.
  Image shot, last;
  Rect inside;
  ASSERT_TRUE(waitUntil([&] {
    last = shot, shot = c->screenshot();
    return differingPixels(shot, last) == 0 && terminalInside(empty, shot, &inside);
  }));
  int light = 0;  // the title bar above it, a light grey gradient
  for (int y = inside.y - 20 * scale; y < inside.y - 4 * scale; ++y) {
    for (int x = inside.x; x < inside.x + inside.width; ++x) light += shot.at(x, y)[1] > 200;
  }
  EXPECT_GT(light, inside.width * 16 * scale * 3 / 4);

  const int buttonY = inside.y - 14 * scale, right = inside.x + inside.width;
  auto shows = [&] {
    return near(c->screenshot().at(inside.x + 20, inside.y + inside.height / 2), {0, 0, 0});
  };
  c->click(right - 72 * scale, buttonY);
  EXPECT_TRUE(waitUntil([&] { return !shows(); }));
  c->restoreMinimised();
  EXPECT_TRUE(waitUntil(shows));
  c->click(right - 13 * scale, buttonY);
  EXPECT_NE(terminal.wait(10000), -1);
}

INSTANTIATE_TEST_SUITE_P(Wayland, WithOwnTitleBar,
                         ::testing::Combine(::testing::Values("weston", "mutter"),
                                            ::testing::Values(1, 2)),
                         [](const auto& info) {
                           return std::get<0>(info.param) + std::to_string(std::get<1>(info.param));
                         });

// sway's Xwayland, for running the X11 build through it, lets root's X clients in.
TEST(OnSway, XwaylandTakesRootsXClients) {
  if (!onPath("sway") || !onPath("Xwayland")) GTEST_SKIP() << "sway or Xwayland is not installed";
  Sway sway(1280, 1024, 2, true);
  ASSERT_TRUE(sway.ok()) << sway.error;
  XClient x(sway.xDisplay);
  ASSERT_NE(x.d, nullptr) << sway.xDisplay;
  EXPECT_EQ(DisplayWidth(x.d, 0), 640);  // logical pixels: sway doubles X11 windows at scale 2
}
