// The X11 backend's own state (Xlib, GLX, RandR): one struct, one thread, no locks.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>

#include <string>
#include <utility>
#include <vector>

#include "backend.h"

namespace winx::x11 {

// What HWND__::native points to.
struct NativeWindow {
  Window id;
  Colormap colormap;
};

struct State {
  Display* display = nullptr;
  int screen = 0;
  Atom wmProtocols = 0, wmDeleteWindow = 0, netWmName = 0, utf8String = 0;
  Atom netWmWindowType = 0, netWmWindowTypeDialog = 0, netWmPid = 0, motifWmHints = 0, wmState = 0;
  Atom netWmIcon = 0, netWmPing = 0;
  Cursor cursor = None;                         // over our windows
  std::vector<std::pair<int, Cursor>> cursors;  // loaded, by IDC_ value (0: none)
  // The primary monitor in root coordinates: Win32's screen is this rectangle, (0, 0) its corner.
  XRectangle primary = {};
  int randrEvent = -1;               // RandR's first event code, where the server has RandR 1.5
  std::vector<GLXFBConfig> configs;  // the pixel formats, in index order

  int trappedError = 0;
  bool trapping = false;
};

State& state();
// The connection, opened by connect() when the core chose this backend.
inline Display* display() {
  return state().display;
}

// X requests whose failure is a result, not a crash: trap, issue, then untrap() tells.
void trapErrors();
int untrapErrors();

// The size of the X window for a Win32 extent: Win32 makes empty windows, X refuses them.
inline int xExtent(int v) {
  return v > 0 ? v : 1;
}
// WM_DELETE_WINDOW as ICCCM has it: WM_PROTOCOLS, format 32, the atom first.
bool isCloseRequest(const XClientMessageEvent& c);
// Answers a window manager's _NET_WM_PING (we are alive: our loop reads events); whether it
// was one.
bool answerPing(const XClientMessageEvent& c);
// The protocols our windows take part in: WM_DELETE_WINDOW, _NET_WM_PING.
void setProtocols(Window id);
// The theme's cursor (cursor.cpp); null: none.
Cursor xCursor(const HCURSOR__* c);

inline Window xwin(const HWND__* w) {
  return w && w->native ? static_cast<const NativeWindow*>(w->native)->id : 0;
}
HWND__* windowFromX(Window id);
// What a desktop reads off a top-level window: title, class, PID, machine, focus hints, icon,
// and for dialogs the window type.
void setDesktopProperties(Window id, const std::string& title, bool dialog);
// Reads pending X events into the core; input is dropped when inputAllowed is false (a modal
// box is up).
void pumpEvents(bool inputAllowed);
void handleEvent(const XEvent& e, bool inputAllowed);

// The entries of the table, where they are defined.
bool connect(std::string* why);
void screenSize(int* width, int* height);
// The primary monitor, or the first where none is primary (RandR 1.5); the whole screen where
// the server has no monitor list.
XRectangle primaryMonitor(Display* d, int screen);
bool createWindow(HWND__* w, int pixelFormat);
void destroyWindow(HWND__* w);
void showWindow(HWND__* w, bool show);
void moveWindow(HWND__* w);
void resizeWindow(HWND__* w, int width, int height);
void raiseWindow(HWND__* w);
bool waitForEvents(int timeoutMs);
void loadPixelFormats(std::vector<PIXELFORMATDESCRIPTOR>* formats);
void* createContext(HWND__* w);
bool makeCurrent(HWND__* w, void* context);
void deleteContext(void* context);
bool swapBuffers(HWND__* w);
int messageBox(HWND__* owner, const char* text, const char* caption, UINT type);
void setCursor(const HCURSOR__* c);
bool windowOrigin(HWND__* w, POINT* origin);

}  // namespace winx::x11
