// Pixel formats from EGL configs, desktop OpenGL contexts, and buffer swaps paced on the
// compositor's frame callbacks, as a swap that waits for the display would be.
#include <EGL/egl.h>
// After egl.h, which it needs.
#include <EGL/eglext.h>
#include <wayland-egl.h>

#include <cstring>

#include "wl_state.h"

namespace winx::wayland {

namespace {

// How long the compositor may keep a frame before the window counts as not shown (minimised,
// on another workspace): far longer than a frame, so that a compositor that stalls for a few
// hundred milliseconds is only slow.
const int hiddenAfterMs = 1000;

int configAttrib(EGLConfig c, EGLint attribute) {
  EGLint value = 0;
  eglGetConfigAttrib(state().egl, c, attribute, &value);
  return value;
}

// The EGL display on the compositor's connection, with desktop OpenGL bound.
bool loadEgl() {
  State& s = state();
  if (s.eglLoaded) return s.egl != EGL_NO_DISPLAY;
  s.eglLoaded = true;
  const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  EGLDisplay d = EGL_NO_DISPLAY;
  if (extensions && (strstr(extensions, "EGL_KHR_platform_wayland") ||
                     strstr(extensions, "EGL_EXT_platform_wayland"))) {
    d = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, s.display, nullptr);
  } else {
    d = eglGetDisplay((EGLNativeDisplayType)s.display);
  }
  if (d == EGL_NO_DISPLAY || !eglInitialize(d, nullptr, nullptr)) return false;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    eglTerminate(d);
    return false;
  }
  s.egl = d;
  return true;
}

// Win32's description of an EGL config: window surfaces are double-buffered; the channels sit
// as in the compositor's XRGB/ARGB formats, blue lowest.
PIXELFORMATDESCRIPTOR describe(EGLConfig c) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.nVersion = 1;
  p.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  p.iPixelType = PFD_TYPE_RGBA;
  p.cColorBits = (BYTE)configAttrib(c, EGL_BUFFER_SIZE);
  p.cRedBits = (BYTE)configAttrib(c, EGL_RED_SIZE);
  p.cGreenBits = (BYTE)configAttrib(c, EGL_GREEN_SIZE);
  p.cBlueBits = (BYTE)configAttrib(c, EGL_BLUE_SIZE);
  p.cAlphaBits = (BYTE)configAttrib(c, EGL_ALPHA_SIZE);
  p.cBlueShift = 0;
  p.cGreenShift = p.cBlueBits;
  p.cRedShift = (BYTE)(p.cBlueBits + p.cGreenBits);
  p.cAlphaShift = p.cAlphaBits ? (BYTE)(p.cRedShift + p.cRedBits) : 0;
  p.cDepthBits = (BYTE)configAttrib(c, EGL_DEPTH_SIZE);
  p.cStencilBits = (BYTE)configAttrib(c, EGL_STENCIL_SIZE);
  p.iLayerType = PFD_MAIN_PLANE;
  return p;
}

// The compositor took the last frame: the window shows (again); the program hears of it
// between frames.
void onFrameDone(void* data, wl_callback* callback, uint32_t) {
  NativeWindow* n = static_cast<NativeWindow*>(data);
  wl_callback_destroy(callback);
  n->frameCallback = nullptr;
  n->hiddenByFrames = false;
}

const wl_callback_listener frameListener = {onFrameDone};

// Waits for the previous frame's callback, reading events into the queue meanwhile (nothing
// reaches the program until the frame is out), for as long as a shown window may take;
// whether it came. Unthrottled (vblank_mode=0), frames go out unpaced and it waits not at all.
bool previousFrameTaken(NativeWindow* n) {
  const int64_t deadline = n->frameRequestedMs + hiddenAfterMs;
  if (!state().unthrottled) {
    for (int64_t t = nowMs(); n->frameCallback && t < deadline; t = nowMs()) {
      readEvents((int)(deadline - t));
    }
  }
  return n->frameCallback == nullptr || nowMs() < deadline;
}

}  // namespace

void loadPixelFormats(std::vector<PIXELFORMATDESCRIPTOR>* formats) {
  State& s = state();
  if (!loadEgl()) {
    return;  // no EGL: no pixel formats, so ChoosePixelFormat gives 0
  }
  EGLint count = 0;
  eglGetConfigs(s.egl, nullptr, 0, &count);
  std::vector<EGLConfig> all((size_t)count);
  eglGetConfigs(s.egl, all.data(), count, &count);
  all.resize((size_t)count);
  // Without alpha first (a window with alpha shows translucent), slow ones last; 8 bits a
  // channel only, as the compositor shows them (an X screen's depth 24 likewise).
  std::vector<EGLConfig> order[4];
  for (EGLConfig c : all) {
    if (!(configAttrib(c, EGL_SURFACE_TYPE) & EGL_WINDOW_BIT) ||
        !(configAttrib(c, EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) ||
        configAttrib(c, EGL_COLOR_BUFFER_TYPE) != EGL_RGB_BUFFER ||
        configAttrib(c, EGL_RED_SIZE) != 8 || configAttrib(c, EGL_GREEN_SIZE) != 8 ||
        configAttrib(c, EGL_BLUE_SIZE) != 8) {
      continue;
    }
    const bool slow = configAttrib(c, EGL_CONFIG_CAVEAT) == EGL_SLOW_CONFIG;
    order[(slow ? 2 : 0) + (configAttrib(c, EGL_ALPHA_SIZE) ? 1 : 0)].push_back(c);
  }
  for (const auto& group : order) {
    for (EGLConfig c : group) {
      s.configs.push_back(c);
      formats->push_back(describe(c));
    }
  }
}

bool createEglSurface(HWND__* w, int pixelFormat) {
  State& s = state();
  NativeWindow* n = native(w);
  if (n->eglSurface != EGL_NO_SURFACE) return true;
  n->eglWindow = wl_egl_window_create(n->top.surface, n->bufferWidth, n->bufferHeight);
  if (n->eglWindow == nullptr) return false;
  n->eglSurface = eglCreateWindowSurface(s.egl, s.configs[(size_t)pixelFormat - 1],
                                         (EGLNativeWindowType)n->eglWindow, nullptr);
  if (n->eglSurface == EGL_NO_SURFACE) {
    wl_egl_window_destroy(n->eglWindow);
    n->eglWindow = nullptr;
    return false;
  }
  return true;
}

void resizeEglSurface(HWND__* w) {
  NativeWindow* n = native(w);
  if (n->eglWindow) wl_egl_window_resize(n->eglWindow, n->bufferWidth, n->bufferHeight, 0, 0);
}

void destroyEglSurface(HWND__* w) {
  State& s = state();
  NativeWindow* n = native(w);
  if (n->eglSurface != EGL_NO_SURFACE) {
    if (eglGetCurrentSurface(EGL_DRAW) == n->eglSurface) {
      eglMakeCurrent(s.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroySurface(s.egl, n->eglSurface);
  }
  if (n->eglWindow) wl_egl_window_destroy(n->eglWindow);
  n->eglSurface = EGL_NO_SURFACE;
  n->eglWindow = nullptr;
}

void* createContext(HWND__* w) {
  State& s = state();
  EGLContext c =
      eglCreateContext(s.egl, s.configs[(size_t)w->pixelFormat - 1], EGL_NO_CONTEXT, nullptr);
  return c == EGL_NO_CONTEXT ? nullptr : c;
}

bool makeCurrent(HWND__* w, void* context) {
  State& s = state();
  if (context == nullptr) {
    return s.egl == EGL_NO_DISPLAY ||
           eglMakeCurrent(s.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  NativeWindow* n = native(w);
  if (n->eglSurface == EGL_NO_SURFACE ||
      !eglMakeCurrent(s.egl, n->eglSurface, n->eglSurface, (EGLContext)context)) {
    return false;
  }
  // Interval 1 would block in eglSwapBuffers for as long as the window is hidden: swaps are
  // paced on frame callbacks here instead (presentFrame).
  eglSwapInterval(s.egl, 0);
  return true;
}

void deleteContext(void* context) {
  State& s = state();
  if (eglGetCurrentContext() == (EGLContext)context) {
    eglMakeCurrent(s.egl, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  eglDestroyContext(s.egl, (EGLContext)context);
}

bool swapBuffers(HWND__* w) {
  return presentFrame(w);
}

// A swap as a display that waits for vertical sync would do it: it waits for the compositor
// to take the previous frame, and then the frame goes out. A frame the compositor keeps for far
// longer than a frame goes out all the same, to show when the window does, and the window
// counts as minimised until the compositor takes frames again: the program draws nothing
// meanwhile.
bool presentFrame(HWND__* w) {
  State& s = state();
  NativeWindow* n = native(w);
  if (n->eglSurface == EGL_NO_SURFACE) return false;
  if (!n->top.configured) return true;  // not shown: the frame would go nowhere
  if (!previousFrameTaken(n)) n->hiddenByFrames = true;
  // The buffer was fitted to n->scale120 between frames; the surface says so with this frame.
  if (n->scale120 != n->appliedScale120 || n->bufferWidth != n->appliedWidth ||
      n->bufferHeight != n->appliedHeight) {
    applyScale(&n->top, n->bufferWidth, n->bufferHeight, n->scale120);
    n->appliedScale120 = n->scale120;
    n->appliedWidth = n->bufferWidth;
    n->appliedHeight = n->bufferHeight;
  }
  if (n->frameCallback == nullptr) {
    n->frameCallback = wl_surface_frame(n->top.surface);
    wl_callback_add_listener(n->frameCallback, &frameListener, n);
    n->frameRequestedMs = nowMs();
  }
  if (!eglSwapBuffers(s.egl, n->eglSurface)) {
    if (wl_display_get_error(s.display) != 0) connectionLost();
    return false;
  }
  return true;
}

}  // namespace winx::wayland
