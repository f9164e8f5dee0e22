#include "message_queue.h"

#include <algorithm>

namespace winx {

void MessageQueue::post(const QueuedMessage& m) {
  if (m.msg.message == WM_MOUSEMOVE && !posted_.empty()) {
    QueuedMessage& tail = posted_.back();
    if (tail.msg.message == WM_MOUSEMOVE && tail.msg.hwnd == m.msg.hwnd) {
      tail = m;
      return;
    }
  }
  posted_.push_back(m);
}

void MessageQueue::postFront(const QueuedMessage& m) {
  posted_.push_front(m);
}

void MessageQueue::postQuit(int code) {
  quitPending_ = true;
  quitCode_ = code;
}

bool MessageQueue::peek(QueuedMessage* out) const {
  if (!posted_.empty()) {
    *out = posted_.front();
    return true;
  }
  if (quitPending_) {
    *out = QueuedMessage();
    out->msg.message = WM_QUIT;
    out->msg.wParam = (WPARAM)quitCode_;
    return true;
  }
  return false;
}

bool MessageQueue::take(QueuedMessage* out) {
  if (!peek(out)) {
    return false;
  }
  if (!posted_.empty()) {
    posted_.pop_front();
  } else {
    quitPending_ = false;
  }
  return true;
}

void MessageQueue::dropWindow(HWND hwnd) {
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [hwnd](const QueuedMessage& m) { return m.msg.hwnd == hwnd; }),
                posted_.end());
}

}  // namespace winx
