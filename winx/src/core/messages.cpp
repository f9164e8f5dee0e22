// Message retrieval and dispatch: Win32's order of sent, posted, paint and timer messages.
#include <errno.h>
#include <poll.h>

#include "winx_state.h"

namespace winx {

namespace {

// A window that still waits for WM_PAINT (never queued: made while the region is invalid).
HWND__* windowNeedingPaint() {
  for (const auto& w : state().windows) {
    if (!w->destroyed && w->visible && w->needsPaint) {
      return w.get();
    }
  }
  return nullptr;
}

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m = {};
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = (DWORD)nowMs();
  return m;
}

// The next message in priority order: posted and input, quit, paint, timer.
bool nextMessage(MSG* out, bool remove) {
  State& s = state();
  QueuedMessage q;
  if (remove ? s.queue.take(&q) : s.queue.peek(&q)) {
    *out = q.msg;
    if (remove && q.msg.message == WM_KEYDOWN) {
      s.lastKey = q.msg;
      s.lastKeyChars = q.chars;
    }
    // As Win32 does for mouse input while nothing holds the capture: the window may choose
    // the cursor (DefWindowProc shows its class's).
    if (remove && q.msg.message >= WM_MOUSEMOVE && q.msg.message <= WM_MBUTTONUP &&
        liveWindow(s.capture) == nullptr) {
      sendMessage(q.msg.hwnd, WM_SETCURSOR, (WPARAM)q.msg.hwnd,
                  MAKELPARAM(HTCLIENT, q.msg.message));
    }
    return true;
  }
  if (HWND__* w = windowNeedingPaint()) {
    *out = makeMessage(w, WM_PAINT, 0, 0);
    return true;
  }
  HWND hwnd;
  UINT_PTR id;
  if (s.timers.due(nowMs(), &hwnd, &id, remove)) {
    *out = makeMessage(hwnd, WM_TIMER, id, 0);
    return true;
  }
  return false;
}

// Blocks until the backend has input or the next timer is due. False when nothing can ever
// arrive (no connection and no timer), which would otherwise hang forever.
bool waitForInput() {
  const int64_t timeout = state().timers.msUntilNext(nowMs());
  if (const Backend* b = connectedBackend()) {
    return b->waitForEvents((int)timeout);
  }
  if (timeout < 0) {
    return false;
  }
  while (poll(nullptr, 0, (int)timeout) < 0) {
    if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

// Input waiting in the backend, into the queue.
void pumpEvents() {
  if (const Backend* b = connectedBackend()) {
    b->pumpEvents();
  }
  serveOthers();
}

}  // namespace

void postInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT pt,
               const std::string& chars) {
  QueuedMessage q;
  q.msg = makeMessage(hwnd, message, wParam, lParam);
  q.msg.pt = pt;
  q.chars = chars;
  state().queue.post(q);
}

}  // namespace winx

using winx::state;

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT removeMsg) {
  if (msg == nullptr) {
    return FALSE;
  }
  winx::pumpEvents();
  return winx::nextMessage(msg, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
  if (msg == nullptr) {
    return -1;
  }
  for (;;) {
    winx::pumpEvents();
    if (winx::nextMessage(msg, true)) {
      return msg->message == WM_QUIT ? 0 : 1;
    }
    if (!winx::waitForInput()) {
      return -1;
    }
  }
}

BOOL TranslateMessage(const MSG* msg) {
  winx::State& s = state();
  if (msg == nullptr || msg->message != WM_KEYDOWN) {
    return FALSE;
  }
  const MSG& k = s.lastKey;
  if (msg->hwnd != k.hwnd || msg->wParam != k.wParam || msg->lParam != k.lParam ||
      msg->time != k.time || s.lastKeyChars.empty()) {
    return FALSE;
  }
  // Characters come before anything posted meanwhile, in the order typed.
  for (auto it = s.lastKeyChars.rbegin(); it != s.lastKeyChars.rend(); ++it) {
    winx::QueuedMessage c;
    c.msg = winx::makeMessage(msg->hwnd, WM_CHAR, (WPARAM)(unsigned char)*it, msg->lParam);
    s.queue.postFront(c);
  }
  s.lastKeyChars.clear();
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) {
    return 0;
  }
  return winx::sendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return winx::sendMessage(hwnd, msg, wParam, lParam);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd != nullptr && winx::liveWindow(hwnd) == nullptr) {
    return FALSE;
  }
  winx::QueuedMessage q;
  q.msg = winx::makeMessage(hwnd, msg, wParam, lParam);
  state().queue.post(q);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  state().queue.postQuit(exitCode);
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
  switch (msg) {
    case WM_SETCURSOR: {
      const HWND__* w = winx::liveWindow(hwnd);
      if (w == nullptr || LOWORD(lParam) != HTCLIENT || w->cursor == nullptr) {
        return FALSE;
      }
      SetCursor(w->cursor);
      return TRUE;
    }
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return 0;  // WM_ERASEBKGND without a class brush included: nothing to erase
  }
}
