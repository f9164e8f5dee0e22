// The accessibility bus's share of the process's one wait: its descriptors are polled beside the
// window system's, in the backends' waits and the boxes' loops alike, and never block alone.
#include <errno.h>

#include "accessibility.h"
#include "winx_state.h"

namespace winx {

void offerAccessibilityBus(const std::string& address) {
  state().displayBus = address;
}

int pollWithOthers(pollfd* own, int timeoutMs) {
  static std::vector<pollfd> fds;  // kept: a wait per frame allocates nothing
  fds.assign(1, *own);
  if (accessibility) accessibility->descriptors(&fds);
  int n;
  while ((n = poll(fds.data(), fds.size(), timeoutMs)) < 0) {
    if (errno != EINTR) return -1;
  }
  own->revents = fds[0].revents;
  if (n > 0 && fds.size() > 1) accessibility->serve(fds.data() + 1, fds.size() - 1);
  return own->revents;
}

void serveOthers() {
  static std::vector<pollfd> fds;
  if (accessibility == nullptr) return;
  fds.clear();
  accessibility->descriptors(&fds);
  if (!fds.empty() && poll(fds.data(), fds.size(), 0) > 0) {
    accessibility->serve(fds.data(), fds.size());
  }
}

bool boxPressedElsewhere() {
  return accessibility && accessibility->boxPressed();
}

}  // namespace winx
