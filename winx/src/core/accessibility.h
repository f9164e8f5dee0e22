// The seam between the core and the accessibility tree (src/a11y/): what the core and the
// backends tell it, and the bus connections it serves from the process's own wait.
#pragma once

#include <poll.h>

#include <string>
#include <vector>

#include "backend.h"

namespace winx {

struct Accessibility {
  // Looks for an accessibility bus, without waiting: displayBus is the one the display names
  // (X's root window), else empty.
  void (*start)(const std::string& displayBus);
  // The descriptors to wait on beside the window system's, and what came on them.
  void (*descriptors)(std::vector<pollfd>* fds);
  void (*serve)(const pollfd* fds, size_t n);
  // A top-level window was made, shown, hidden, minimised, restored, (de)activated.
  void (*windowChanged)(HWND__* w);
  void (*windowDestroyed)(HWND__* w);
  void (*boxShown)(const char* caption, const char* text, bool error);
  void (*boxDismissed)();
  // The box's OK was pressed through the bus since it came up.
  bool (*boxPressed)();
};

// This binary's tree, or null where it has none (backends.cpp).
extern const Accessibility* const accessibility;
namespace a11y {
extern const Accessibility table;
}

}  // namespace winx
