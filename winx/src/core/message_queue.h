// The thread's message queue: posted messages and input in arrival order, with motion
// coalescing, then the quit message. Pure logic, no X.
#pragma once

#include <deque>
#include <string>

#include <windows.h>

namespace winx {

struct QueuedMessage {
  MSG msg;
  std::string chars;  // what a key press types, for TranslateMessage
};

class MessageQueue {
 public:
  // Appends a message. A motion replaces a motion for the same window at the tail, so
  // that nothing (no button, no key) is ever passed over by the replacement.
  void post(const QueuedMessage& m);
  // Puts a message ahead of everything else (the characters of a translated key).
  void postFront(const QueuedMessage& m);
  void postQuit(int code);

  // The next message without removing it; false when none waits.
  bool peek(QueuedMessage* out) const;
  // The next message, removed; false when none waits.
  bool take(QueuedMessage* out);
  // Drops every message for a window that no longer exists.
  void dropWindow(HWND hwnd);

  bool empty() const { return posted_.empty() && !quitPending_; }

 private:
  std::deque<QueuedMessage> posted_;
  bool quitPending_ = false;
  int quitCode_ = 0;
};

}  // namespace winx
