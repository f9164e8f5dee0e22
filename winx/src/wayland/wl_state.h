// The Wayland backend's own state (libwayland, xdg-shell, EGL, xkbcommon, libdecor): one struct,
// one thread, no locks.
#pragma once

#include <EGL/egl.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "backend.h"

struct libdecor;
struct libdecor_frame;
struct wl_egl_window;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_decoration_manager_v1;
struct zxdg_toplevel_decoration_v1;
struct wp_viewporter;
struct wp_viewport;
struct wp_fractional_scale_manager_v1;
struct wp_fractional_scale_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct wl_cursor_theme;
struct wp_cursor_shape_manager_v1;
struct wp_cursor_shape_device_v1;
struct xdg_toplevel_icon_manager_v1;
struct xdg_toplevel_icon_v1;

namespace winx::wayland {

struct Output {
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;
  uint32_t name = 0;  // the registry's
  // As announced; they count together, at the next done.
  int integerScale = 1;
  int modeWidth = 0, modeHeight = 0;  // the current mode, in physical pixels, unrotated
  int transform = 0;                  // WL_OUTPUT_TRANSFORM_*
  int logicalWidth = 0;               // xdg-output's, as the user sees it (0: not told)
  // What counts, from the last done:
  bool ready = false;
  int width = 0, height = 0;  // physical pixels as the user sees them: a quarter turn swaps them
  int scale120 = 120;         // what it draws at, in 120ths (surface_scale.h)
};

// A surface with the role of a top-level window, decorated by the compositor or by libdecor.
struct Toplevel {
  wl_surface* surface = nullptr;
  wp_viewport* viewport = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* xdgToplevel = nullptr;
  zxdg_toplevel_decoration_v1* decoration = nullptr;
  libdecor_frame* frame = nullptr;
  bool configured = false;  // the first configure is acknowledged: buffers may come
  bool closeRequested = false;
  int imposedWidth = 0, imposedHeight = 0;  // the compositor's last size, logical (0: ours)
  bool sizeImposed = false;                 // a new one, not yet heard by the owner
  int logicalWidth = 1, logicalHeight = 1;  // the size we give the surface
  std::vector<const Output*> outputs;       // entered
  const Output* home = nullptr;             // the output it was last wholly on
  wp_fractional_scale_v1* fractional = nullptr;
  int preferred120 = 0;          // the compositor's preferred scale, fractional (0: not told)
  int preferredBufferScale = 0;  // its preferred integer scale, wl_surface 6 (0: not told)
  int scale120 = 120;            // what it is drawn at: the compositor's word, else its home's
  void (*onChange)(Toplevel*) = nullptr;  // scale or imposed size changed; close requested
  void* owner = nullptr;                  // the HWND__ or the box
};

// What HWND__::native points to.
struct NativeWindow {
  Toplevel top;
  int wantWidth = 1, wantHeight = 1;      // physical pixels: the size the program asked for
  int bufferWidth = 1, bufferHeight = 1;  // that size fitted to the scale: the EGL window's
  int scale120 = 120;                     // the scale the buffer is fitted to
  const Output* home = nullptr;           // the home the program has heard of
  int appliedScale120 = 0;                // what the last commit gave the compositor
  int appliedWidth = 0, appliedHeight = 0;
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  wl_callback* frameCallback = nullptr;  // the last presented frame's, until it comes
  int64_t frameRequestedMs = 0;
  bool hiddenByFrames = false;  // frame callbacks stayed away: it counts as minimised
};

struct MessageBoxWindow;

struct State {
  wl_display* display = nullptr;
  std::string displayName;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  xdg_wm_base* wmBase = nullptr;
  wl_seat* seat = nullptr;
  wp_viewporter* viewporter = nullptr;
  zxdg_decoration_manager_v1* decorations = nullptr;
  zxdg_output_manager_v1* xdgOutputs = nullptr;
  wp_fractional_scale_manager_v1* fractionalScales = nullptr;
  xdg_toplevel_icon_manager_v1* iconManager = nullptr;
  xdg_toplevel_icon_v1* icon = nullptr;  // the program's, made once (icon.cpp)
  std::vector<wl_buffer*> iconBuffers;   // its pictures, alive as long as it is
  libdecor* decor = nullptr;             // only where the compositor draws no decorations
  std::vector<Output*> outputs;
  std::vector<Toplevel*> toplevels;  // every surface of ours, windows' and boxes'
  const Output* screen = nullptr;    // where the window is, else the last box was: Win32's screen
  int screenWidthTold = 0, screenHeightTold = 0;  // its size when the program last asked

  // Input.
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  wl_surface* pointerSurface = nullptr;  // under the pointer, ours or not
  double pointerX = 0, pointerY = 0;     // surface-local, logical
  WPARAM buttons = 0;                    // MK_ flags of the buttons held
  HWND__* captureLost = nullptr;         // the grab ended under it, not yet told
  wl_surface* keyboardSurface = nullptr;
  xkb_context* xkb = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;    // as the compositor says
  xkb_state* plainState = nullptr;  // the same without Ctrl: what a key types under Windows' rule
  bool control = false, shift = false;
  int repeatRate = 25, repeatDelay = 600;  // keys a second, ms
  uint32_t repeatKey = 0;                  // evdev code, 0: none
  int64_t nextRepeatMs = 0;

  bool eglLoaded = false;
  EGLDisplay egl = EGL_NO_DISPLAY;
  std::vector<EGLConfig> configs;  // the pixel formats, in index order
  bool unthrottled = false;        // vblank_mode=0: swaps never wait

  MessageBoxWindow* box = nullptr;  // the modal box, while up

  // The pointer's image (cursor.cpp) and touch (input.cpp).
  uint32_t pointerSerial = 0;           // the last enter's: cursors are set with it
  const HCURSOR__* cursor = nullptr;    // over our windows (null: none)
  wl_surface* cursorSurface = nullptr;  // the image's, for wl_pointer.set_cursor
  wp_viewport* cursorViewport = nullptr;
  int cursorLoadedScale = 0;  // the scale its image was loaded for, in 120ths
  std::vector<std::pair<int, wl_cursor_theme*>> cursorThemes;  // by size in pixels
  wp_cursor_shape_manager_v1* cursorShapes = nullptr;          // where the compositor draws them
  wp_cursor_shape_device_v1* cursorShapeDevice = nullptr;      // the pointer's
  wl_touch* touch = nullptr;
  bool touching = false;               // a first finger is down: the left button
  int32_t touchId = 0;                 // its id; other fingers are ignored meanwhile
  wl_surface* touchSurface = nullptr;  // where it went down (the implicit grab)
  double touchX = 0, touchY = 0;       // surface-local, logical
};

State& state();

// Win32's screen: the output the window is on, else the one the last box was shown on, else
// the first; null with none.
const Output* screenOutput();
// Fatal: the compositor is gone or refused a request. One line, status 1.
[[noreturn]] void connectionLost();
// Reads and dispatches what the compositor sent, without blocking; timeoutMs > 0 waits for
// it that long at most first.
void readEvents(int timeoutMs);
// Where a surface is one of a live window's.
HWND__* windowFromSurface(wl_surface* surface);

// Outputs (output.cpp).
void addOutput(wl_registry* registry, uint32_t name, uint32_t version);
void removeOutput(uint32_t name);
// Output descriptions in logical pixels, for outputs there now and to come.
void bindXdgOutputs(wl_registry* registry, uint32_t name, uint32_t version);

// Toplevels (toplevel.cpp). The surface first (it exists before its role, for EGL), then the
// role, which it may take and leave again.
void createSurface(Toplevel* t);
void destroySurface(Toplevel* t);
bool openToplevel(Toplevel* t, const std::string& title, int logicalWidth, int logicalHeight);
void closeToplevel(Toplevel* t);
// A fixed size (min = max), logical.
void setToplevelSize(Toplevel* t, int logicalWidth, int logicalHeight);
// Sets the buffer scale and viewport for a buffer of width × height physical pixels at scale:
// the logical size that gives, rounded where the size does not divide.
void applyScale(Toplevel* t, int width, int height, int scale120);
// The home and scale again, from the outputs it is on (after an enter, a leave, or an output's
// change): a surface on two outputs keeps what it had, so that it cannot flip between them.
void updateScale(Toplevel* t);
// Dispatches until the toplevel's first configure came; false if it never does.
bool waitConfigured(Toplevel* t);

// A picture of 0xAARRGGBB words in shared memory, in wl_shm's format; null where it cannot be.
wl_buffer* shmBuffer(const uint32_t* pixels, int width, int height, uint32_t format);

// The program's icon (icon.cpp), on every toplevel of ours where the compositor takes icons.
void bindIconManager(wl_registry* registry, uint32_t name);
void setIcon(Toplevel* t);

// Input (input.cpp).
void bindSeat(wl_registry* registry, uint32_t name, uint32_t version);

// The pointer's image (cursor.cpp): shown on entering one of our surfaces, kept in step with
// the seat's pointer.
void bindCursorShapes(wl_registry* registry, uint32_t name);
void showCursor();
void followPointer();
// The pointer moved: if the surface under it has another scale now, the image follows it.
void followScale();
// The cursor themes loaded, freed: the connection is about to close.
void releaseCursors();
// Repeats a held key where due; the time until the next repeat (-1: none).
int repeatKeys();

// Windows (window.cpp): what the compositor told, to the program between its frames.
void deliverChanges();

// EGL (egl.cpp).
bool createEglSurface(HWND__* w, int pixelFormat);
// The EGL window's size, between frames: the next frame is drawn at it.
void resizeEglSurface(HWND__* w);
void destroyEglSurface(HWND__* w);
// Presents w's frame (or skips it while hidden): see egl.cpp.
bool presentFrame(HWND__* w);

// The entries of the table, where they are defined.
bool connect(std::string* why);
void screenSize(int* width, int* height);
bool createWindow(HWND__* w, int pixelFormat);
void destroyWindow(HWND__* w);
void showWindow(HWND__* w, bool show);
void moveWindow(HWND__* w);
void resizeWindow(HWND__* w, int width, int height);
void raiseWindow(HWND__* w);
void pumpEvents();
bool waitForEvents(int timeoutMs);
void loadPixelFormats(std::vector<PIXELFORMATDESCRIPTOR>* formats);
void* createContext(HWND__* w);
bool makeCurrent(HWND__* w, void* context);
void deleteContext(void* context);
bool swapBuffers(HWND__* w);
int messageBox(HWND__* owner, const char* text, const char* caption, UINT type);
void setCursor(const HCURSOR__* cursor);

inline NativeWindow* native(const HWND__* w) {
  return w ? static_cast<NativeWindow*>(w->native) : nullptr;
}

}  // namespace winx::wayland
