// Window timers over an injected clock (milliseconds). Pure logic, no X.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>

namespace winx {

class TimerSet {
 public:
  // Starts or restarts timer (hwnd, id); the first tick is period ms after now.
  void set(HWND hwnd, UINT_PTR id, UINT periodMs, int64_t now);
  bool kill(HWND hwnd, UINT_PTR id);
  void killWindow(HWND hwnd);

  // The earliest due timer, if any. With take, it is rescheduled one period after now, so
  // a late timer gives one tick, never a burst.
  bool due(int64_t now, HWND* hwnd, UINT_PTR* id, bool take);
  // Milliseconds until the next tick (0 if one is due), or -1 when there is no timer.
  int64_t msUntilNext(int64_t now) const;

 private:
  struct Timer {
    HWND hwnd;
    UINT_PTR id;
    int64_t period;
    int64_t next;
  };
  std::vector<Timer> timers_;
};

}  // namespace winx
