// Which window system serves the process: chosen once, when it is first needed.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>

#include "accessibility.h"
#include "winx_state.h"

namespace winx {

namespace {

const Backend* byName(const char* name) {
  for (const Backend* const* b = backends; *b; ++b) {
    if (strcmp((*b)->name, name) == 0) return *b;
  }
  return nullptr;
}

// A Wayland compositor is named, or listens on the default socket.
bool waylandNamed() {
  const char* display = getenv("WAYLAND_DISPLAY");
  const char* dir = getenv("XDG_RUNTIME_DIR");
  return (display && *display) ||
         (dir && *dir && access((std::string(dir) + "/wayland-0").c_str(), F_OK) == 0);
}

// BOWLVIEW_BACKEND forces a backend; otherwise Wayland where a compositor answers, else X11.
// With none, the last reason given (X11's, whose line users know) and status 1.
const Backend* connectOne() {
  std::string why;
  const char* forced = getenv("BOWLVIEW_BACKEND");
  if (forced && *forced) {
    const Backend* b = byName(forced);
    if (b == nullptr) {
      std::string names;
      for (const Backend* const* c = backends; *c; ++c)
        names += (names.empty() ? "" : ", ") + std::string((*c)->name);
      fprintf(stderr, "winx: unknown BOWLVIEW_BACKEND \"%s\" (this build has: %s)\n", forced,
              names.c_str());
      exit(1);
    }
    if (b->connect(&why)) return b;
  } else {
    const Backend* wayland = byName("wayland");
    if (wayland && waylandNamed() && wayland->connect(&why)) return wayland;
    const Backend* x11 = byName("x11");
    if (x11 && x11->connect(&why)) return x11;
    const Backend* web = byName("web");  // a browser tab: the only one its build has
    if (web && web->connect(&why)) return web;
  }
  fprintf(stderr, "winx: %s\n", why.c_str());
  exit(1);
}

}  // namespace

const Backend& backend() {
  State& s = state();
  if (s.backend == nullptr) {
    s.backend = connectOne();
    s.backend->setCursor(s.cursor);
    if (accessibility) accessibility->start(s.displayBus);
  }
  return *s.backend;
}

const Backend* connectedBackend() {
  return state().backend;
}

}  // namespace winx
