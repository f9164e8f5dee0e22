// The web backend's own state (a browser tab through Emscripten): one struct, one thread. The
// page's side is winx_web.js; these are the procedures over it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backend.h"

// The browser's side (winx_web.js). The waits hand the thread to the browser (Asyncify).
extern "C" {
int winx_web_next_event(int* out);
void winx_web_wait(int ms);
int winx_web_present(void);
int winx_web_hidden(void);
int winx_web_webgl(void);
void winx_web_screen_size(int* width, int* height);
void winx_web_canvas_create(int id, int width, int height);
void winx_web_canvas_size(int id, int width, int height);
void winx_web_canvas_show(int id, int show, const char* title);
void winx_web_canvas_destroy(int id);
void winx_web_set_cursor(const char* css);
int winx_web_message_box(const char* text, const char* caption, int error);
}

namespace winx::web {

// What HWND__::native points to: the window's canvas.
struct NativeWindow {
  int id = 0;         // the canvas is "winx-window-<id>"
  bool lost = false;  // its WebGL context is lost: nothing can be drawn
};

struct State {
  int nextId = 1;
  bool hidden = false;  // the tab, as last heard
};

State& state();

inline NativeWindow* native(const HWND__* w) {
  return w ? static_cast<NativeWindow*>(w->native) : nullptr;
}

// The page's events into the core's queue (input.cpp).
void readEvents();
// Minimised while the tab is hidden, restored when shown: the core hears of either.
void applyVisibility(bool hidden);
// A window's WebGL context lost (minimised meanwhile) or back, its contexts rebuilt (window.cpp).
void loseContext(HWND__* w, bool lost);
// What the contexts on the window's canvas had made, made again after a loss (context.cpp).
void restoreContexts(int window);

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

}  // namespace winx::web
