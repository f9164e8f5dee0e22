// The seam between the core and a window-system backend: the table of what the core asks of
// a backend, and the core procedures a backend may call. Nothing else crosses it.
#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

struct HDC__ {
  HWND window;
  HPALETTE palette;
};

// A standard cursor: its IDC_ value and the names cursor themes give it, in order.
struct HCURSOR__ {
  int id;
  const char* names[3];
};

struct HWND__ {
  WNDPROC proc;
  HCURSOR cursor;  // the class's
  std::string title;
  int x, y;           // where the backend has positions: the primary monitor's (0, 0) is Win32's
  int width, height;  // the native window is the client area, as large as the whole Win32 window
  void* native;       // the backend's own data; null until the native window exists
  int pixelFormat;
  bool visible;
  bool iconic;                  // minimised, or unmapped by someone else
  int askedWidth, askedHeight;  // the size the program last asked for
  // The size a window manager imposed and we asked back from once: if it imposes it again,
  // the window keeps it rather than start a tug of war.
  int refusedWidth, refusedHeight;
  bool shownOnce;
  bool needsPaint;
  bool destroyed;
  bool active;  // it has the keyboard, as the window system says
  HDC__ dc;
};

namespace winx {

// One window system. The core chooses and connects one once, when first needed
// (backend_choice.cpp), so that the pure parts run without any, and calls it only through this
// table.
struct Backend {
  const char* name;  // as BOWLVIEW_BACKEND names it
  // Opens the connection; false with a one-line reason when there is none.
  bool (*connect)(std::string* why);
  // The size of "the screen", in pixels: what SM_CXSCREEN and SM_CYSCREEN report.
  void (*screenSize)(int* width, int* height);

  // Creates (or re-creates) w's native window for a pixel format (0: the default), shown
  // if w is visible; sets w->native, null again on failure.
  bool (*createWindow)(HWND__* w, int pixelFormat);
  // Destroys the native window and clears w->native.
  void (*destroyWindow)(HWND__* w);
  void (*showWindow)(HWND__* w, bool show);
  // Moves to w->x, w->y where the window system lets clients place windows.
  void (*moveWindow)(HWND__* w);
  // Asks for another size; it counts once the backend reports it through resized().
  void (*resizeWindow)(HWND__* w, int width, int height);
  void (*raiseWindow)(HWND__* w);

  // Reads pending events into the core without blocking.
  void (*pumpEvents)();
  // Blocks until events may be pending or timeoutMs passed (-1: no limit); false on error.
  bool (*waitForEvents)(int timeoutMs);

  // The pixel formats on offer, in index order (index = position + 1).
  void (*loadPixelFormats)(std::vector<PIXELFORMATDESCRIPTOR>* formats);
  // A GL context for w's pixel format; null on failure.
  void* (*createContext)(HWND__* w);
  // Makes context current on w; a null context releases the current one.
  bool (*makeCurrent)(HWND__* w, void* context);
  void (*deleteContext)(void* context);
  bool (*swapBuffers)(HWND__* w);

  // A modal box (MB_OK) over owner (may be null); serves other windows' events meanwhile
  // but keeps their input out of the queue.
  int (*messageBox)(HWND__* owner, const char* text, const char* caption, UINT type);

  // The cursor shown while the pointer is over the program's windows (null: none); boxes
  // show the arrow.
  void (*setCursor)(const HCURSOR__* cursor);

  // Where w's client area starts in the desktop's coordinates (X's root window, as assistive
  // technology reads them, not the primary monitor's), where the window system tells (null: never).
  bool (*windowOrigin)(HWND__* w, POINT* origin);
};

// The backends this binary has, null-terminated: the list is the whole layer's (backends.cpp),
// so that the core links with any set of them.
extern const Backend* const backends[];
namespace x11 {
extern const Backend backend;
}
namespace wayland {
extern const Backend backend;
}
namespace web {
extern const Backend backend;
}

// What a backend may call in the core.
// The live window whose backend data matches, or null.
HWND__* findWindow(const std::function<bool(const HWND__&)>& match);
LRESULT sendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues input or a close request; pt is the pointer in screen coordinates, chars what a
// key press types (for TranslateMessage).
void postInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT pt,
               const std::string& chars = std::string());
// The window has a new size, whoever chose it: the window procedure hears of it.
void resized(HWND__* w, int width, int height);
// The screen changed size (another mode, a rotation, the window on another monitor): every
// top-level window hears WM_DISPLAYCHANGE, as on Windows.
void displayChanged(int width, int height);
// Minimised (or hidden by someone else) or shown again.
void setIconic(HWND__* w, bool iconic);
// The window took the keyboard, or lost it.
void setActive(HWND__* w, bool active);
// The accessibility bus the display names (X's AT_SPI_BUS), for when the tree starts.
void offerAccessibilityBus(const std::string& address);
// poll(2) on the backend's descriptor and the other connections the process serves beside it
// (the accessibility bus), which are served here when ready: the backend's revents (0: not
// ready), -1 on error.
int pollWithOthers(pollfd* own, int timeoutMs);
// A box's OK was pressed from elsewhere (an assistive technology) since it came up.
bool boxPressedElsewhere();
// The capture ends without our ReleaseCapture: its holder hears of it.
void loseCapture(HWND__* w);
// Milliseconds on a monotonic clock: message times.
int64_t nowMs();
// IDC_ARROW's cursor: what boxes show, and windows before the program sets any.
HCURSOR arrowCursor();
// The program's icon, made at build time from the packaged PNGs (cmake/icon_source.cpp): for
// each size its width, its height, then its pixels as 0xAARRGGBB, not premultiplied.
extern const uint32_t programIcon[];
extern const size_t programIconSize;

}  // namespace winx
