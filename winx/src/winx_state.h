// The layer's own state: one struct, one thread, no locks.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <GL/glx.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "message_queue.h"
#include "timers.h"

struct HDC__ {
  HWND window;
  HPALETTE palette;
};

struct HWND__ {
  WNDPROC proc;
  std::string title;
  int x, y;
  int width, height;  // the X window is the client area, as large as the whole Win32 window
  Window xwin;
  Colormap colormap;
  int pixelFormat;
  bool visible;
  bool iconic;  // minimised, or unmapped by someone else
  // The size a window manager imposed and we asked back from once: if it imposes it again,
  // the window keeps it rather than start a tug of war.
  int refusedWidth, refusedHeight;
  bool shownOnce;
  bool needsPaint;
  bool destroyed;
  HDC__ dc;
};

struct HGLRC__ {
  GLXContext context;
};

struct HPALETTE__ {
  std::vector<PALETTEENTRY> entries;
};

namespace winx {

struct RegisteredClass {
  std::string name;
  WNDCLASSA wc;
};

struct PixelFormat {
  GLXFBConfig config;
  PIXELFORMATDESCRIPTOR descriptor;
};

struct State {
  Display* display = nullptr;
  int screen = 0;
  Atom wmProtocols = 0, wmDeleteWindow = 0, netWmName = 0, utf8String = 0;
  Atom netWmWindowType = 0, netWmWindowTypeDialog = 0, netWmPid = 0, motifWmHints = 0, wmState = 0;
  // The primary monitor in root coordinates: Win32's screen is this rectangle, (0, 0) its corner.
  XRectangle primary = {};

  std::vector<RegisteredClass> classes;
  std::vector<std::unique_ptr<HWND__>> windows;  // never freed: stale handles stay harmless
  std::vector<std::unique_ptr<HPALETTE__>> palettes;
  MessageQueue queue;
  TimerSet timers;
  HWND capture = nullptr;

  bool formatsLoaded = false;
  std::vector<PixelFormat> formats;

  // The key message last handed out, so TranslateMessage can post what it typed.
  MSG lastKey = {};
  std::string lastKeyChars;

  int trappedError = 0;
  bool trapping = false;
};

State& state();

// The connection, opened on first use; exits with status 1 if no display can be opened.
Display* display();
// The connection if already open, else null.
Display* openDisplayOrNull();
int64_t nowMs();

// X requests whose failure is a result, not a crash: trap, issue, then untrap() tells.
void trapErrors();
int untrapErrors();

// The size of the X window for a Win32 extent: Win32 makes empty windows, X refuses them.
inline int xExtent(int v) {
  return v > 0 ? v : 1;
}
// WM_DELETE_WINDOW as ICCCM has it: WM_PROTOCOLS, format 32, the atom first.
bool isCloseRequest(const XClientMessageEvent& c);

HWND__* liveWindow(HWND hwnd);
HWND__* windowFromX(Window xwin);
LRESULT sendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// What a desktop reads off a top-level window: title, class, PID, machine, focus hints, and for
// dialogs the window type.
void setDesktopProperties(Window xwin, const std::string& title, bool dialog);
// Creates (or re-creates) the X window with the given visual.
bool createXWindow(HWND__* w, Visual* visual, int depth);
// Reads pending X events into the queue; input is dropped when inputAllowed is false
// (a modal box is up).
void pumpXEvents(bool inputAllowed);
void handleXEvent(const XEvent& e, bool inputAllowed);

void loadPixelFormats();

}  // namespace winx
