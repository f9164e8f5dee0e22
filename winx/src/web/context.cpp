// The one pixel format WebGL offers, its contexts on a window's canvas with the fixed-function
// layer of our own over them (gl/), and swaps paced on the browser's animation frames.
#include <emscripten/html5.h>

#include <algorithm>
#include <string>

#include "gl/fixed_function.h"
#include "web_state.h"

namespace winx::web {

namespace {

struct Context {
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl;
  gl::FixedFunction* pipeline;
  int window;  // its canvas's window id
};

std::vector<Context*>& contexts() {
  static std::vector<Context*> live;
  return live;
}

}  // namespace

// WebGL's default drawing buffer, as asked for below: 8 bits a channel without alpha (the page
// must not show through), a depth buffer, double-buffered in effect (the browser presents).
void loadPixelFormats(std::vector<PIXELFORMATDESCRIPTOR>* formats) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.nVersion = 1;
  p.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  p.iPixelType = PFD_TYPE_RGBA;
  p.cColorBits = 24;
  p.cRedBits = p.cGreenBits = p.cBlueBits = 8;
  p.cRedShift = 16;
  p.cGreenShift = 8;
  p.cDepthBits = 16;
  p.iLayerType = PFD_MAIN_PLANE;
  formats->push_back(p);
}

// Null where the browser offers no WebGL: the program says so in its own words.
void* createContext(HWND__* w) {
  EmscriptenWebGLContextAttributes a;
  emscripten_webgl_init_context_attributes(&a);
  a.alpha = false;
  a.depth = true;
  a.stencil = false;
  a.antialias = false;  // the desktop's picture has no multisampling either
  a.preserveDrawingBuffer = false;
  a.majorVersion = 1;
  const std::string canvas = "#winx-window-" + std::to_string(native(w)->id);
  if (!winx_web_webgl()) return nullptr;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context(canvas.c_str(), &a);
  if (webgl <= 0) return nullptr;
  contexts().push_back(new Context{webgl, nullptr, native(w)->id});
  return contexts().back();
}

bool makeCurrent(HWND__*, void* context) {
  if (context == nullptr) {
    emscripten_webgl_make_context_current(0);
    gl::makeCurrent(nullptr);
    return true;
  }
  Context* c = static_cast<Context*>(context);
  if (emscripten_webgl_make_context_current(c->webgl) != EMSCRIPTEN_RESULT_SUCCESS) return false;
  if (c->pipeline == nullptr) c->pipeline = gl::create();
  gl::makeCurrent(c->pipeline);
  return c->pipeline != nullptr;
}

void deleteContext(void* context) {
  Context* c = static_cast<Context*>(context);
  // The layer's objects are the context's: they go while it is current.
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE previous = emscripten_webgl_get_current_context();
  emscripten_webgl_make_context_current(c->webgl);
  gl::destroy(c->pipeline);
  emscripten_webgl_make_context_current(previous == c->webgl ? 0 : previous);
  emscripten_webgl_destroy_context(c->webgl);
  contexts().erase(std::find(contexts().begin(), contexts().end(), c));
  delete c;
}

// A restored context is empty: the layer's objects and the state it passed on are made again.
void restoreContexts(int window) {
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE previous = emscripten_webgl_get_current_context();
  for (Context* c : contexts()) {
    if (c->window != window || c->pipeline == nullptr) continue;
    emscripten_webgl_make_context_current(c->webgl);
    gl::restore(c->pipeline);
  }
  emscripten_webgl_make_context_current(previous);
}

// The browser shows what was drawn once the thread is its own again: the swap hands it over
// and waits for the next animation frame, as a swap that waits for the display. A hidden tab
// gets none: the window counts as minimised until the tab shows again (input.cpp).
bool swapBuffers(HWND__*) {
  if (!winx_web_present()) applyVisibility(true);
  return true;
}

}  // namespace winx::web
