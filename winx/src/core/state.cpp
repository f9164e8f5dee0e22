// The core's state and its clock.
#include <time.h>

#include "winx_state.h"

namespace winx {

State& state() {
  static State s;
  return s;
}

int64_t nowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace winx
