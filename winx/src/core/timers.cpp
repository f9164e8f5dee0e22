#include "timers.h"

#include <algorithm>

namespace winx {

void TimerSet::set(HWND hwnd, UINT_PTR id, UINT periodMs, int64_t now) {
  // Win32 raises periods below its minimum rather than spinning; 10 ms is that minimum.
  const int64_t period = std::max<int64_t>(periodMs, 10);
  for (Timer& t : timers_) {
    if (t.hwnd == hwnd && t.id == id) {
      t.period = period;
      t.next = now + period;
      return;
    }
  }
  timers_.push_back(Timer{hwnd, id, period, now + period});
}

bool TimerSet::kill(HWND hwnd, UINT_PTR id) {
  const auto it = std::find_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers_.end()) {
    return false;
  }
  timers_.erase(it);
  return true;
}

void TimerSet::killWindow(HWND hwnd) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                timers_.end());
}

bool TimerSet::due(int64_t now, HWND* hwnd, UINT_PTR* id, bool take) {
  Timer* earliest = nullptr;
  for (Timer& t : timers_) {
    if (t.next <= now && (earliest == nullptr || t.next < earliest->next)) {
      earliest = &t;
    }
  }
  if (earliest == nullptr) {
    return false;
  }
  *hwnd = earliest->hwnd;
  *id = earliest->id;
  if (take) {
    earliest->next = now + earliest->period;
  }
  return true;
}

int64_t TimerSet::msUntilNext(int64_t now) const {
  int64_t best = -1;
  for (const Timer& t : timers_) {
    const int64_t wait = std::max<int64_t>(t.next - now, 0);
    if (best < 0 || wait < best) {
      best = wait;
    }
  }
  return best;
}

}  // namespace winx
