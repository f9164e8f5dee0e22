// Pixel formats from GLX FBConfigs, GLX contexts and buffer swaps.
#include <strings.h>

#include "x11_state.h"

namespace winx::x11 {

namespace {

int configAttrib(Display* d, GLXFBConfig c, int attribute) {
  int value = 0;
  glXGetFBConfigAttrib(d, c, attribute, &value);
  return value;
}

int shiftOf(unsigned long mask) {
  return mask ? ffsl((long)mask) - 1 : 0;
}

// Win32's description of a GLX config with its TrueColor visual.
PIXELFORMATDESCRIPTOR describe(Display* d, GLXFBConfig c, const XVisualInfo& vi) {
  PIXELFORMATDESCRIPTOR p = {};
  p.nSize = sizeof p;
  p.nVersion = 1;
  p.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  if (configAttrib(d, c, GLX_DOUBLEBUFFER)) p.dwFlags |= PFD_DOUBLEBUFFER;
  if (configAttrib(d, c, GLX_STEREO)) p.dwFlags |= PFD_STEREO;
  p.iPixelType = PFD_TYPE_RGBA;
  p.cColorBits = (BYTE)configAttrib(d, c, GLX_BUFFER_SIZE);
  p.cRedBits = (BYTE)configAttrib(d, c, GLX_RED_SIZE);
  p.cGreenBits = (BYTE)configAttrib(d, c, GLX_GREEN_SIZE);
  p.cBlueBits = (BYTE)configAttrib(d, c, GLX_BLUE_SIZE);
  p.cAlphaBits = (BYTE)configAttrib(d, c, GLX_ALPHA_SIZE);
  p.cRedShift = (BYTE)shiftOf(vi.red_mask);
  p.cGreenShift = (BYTE)shiftOf(vi.green_mask);
  p.cBlueShift = (BYTE)shiftOf(vi.blue_mask);
  if (p.cAlphaBits) {
    // Alpha sits in the bits above the colour channels.
    const unsigned long rgb = vi.red_mask | vi.green_mask | vi.blue_mask;
    int top = 0;
    while (top < 32 && (rgb >> top)) ++top;
    p.cAlphaShift = (BYTE)top;
  }
  p.cAccumRedBits = (BYTE)configAttrib(d, c, GLX_ACCUM_RED_SIZE);
  p.cAccumGreenBits = (BYTE)configAttrib(d, c, GLX_ACCUM_GREEN_SIZE);
  p.cAccumBlueBits = (BYTE)configAttrib(d, c, GLX_ACCUM_BLUE_SIZE);
  p.cAccumAlphaBits = (BYTE)configAttrib(d, c, GLX_ACCUM_ALPHA_SIZE);
  p.cAccumBits = (BYTE)(p.cAccumRedBits + p.cAccumGreenBits + p.cAccumBlueBits + p.cAccumAlphaBits);
  p.cDepthBits = (BYTE)configAttrib(d, c, GLX_DEPTH_SIZE);
  p.cStencilBits = (BYTE)configAttrib(d, c, GLX_STENCIL_SIZE);
  p.cAuxBuffers = (BYTE)configAttrib(d, c, GLX_AUX_BUFFERS);
  p.iLayerType = PFD_MAIN_PLANE;
  return p;
}

}  // namespace

void loadPixelFormats(std::vector<PIXELFORMATDESCRIPTOR>* formats) {
  State& s = state();
  Display* d = display();
  int errorBase = 0, eventBase = 0;
  if (!glXQueryExtension(d, &errorBase, &eventBase)) {
    return;  // no GLX on this display: no pixel formats, so ChoosePixelFormat gives 0
  }
  int count = 0;
  GLXFBConfig* configs = glXGetFBConfigs(d, s.screen, &count);
  struct PixelFormat {
    GLXFBConfig config;
    PIXELFORMATDESCRIPTOR descriptor;
  };
  std::vector<PixelFormat> fast, slow;
  for (int i = 0; i < count; ++i) {
    GLXFBConfig c = configs[i];
    if (!(configAttrib(d, c, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) ||
        !(configAttrib(d, c, GLX_RENDER_TYPE) & GLX_RGBA_BIT) ||
        !configAttrib(d, c, GLX_X_RENDERABLE) ||
        configAttrib(d, c, GLX_X_VISUAL_TYPE) != GLX_TRUE_COLOR) {
      continue;
    }
    XVisualInfo* vi = glXGetVisualFromFBConfig(d, c);
    if (vi == nullptr) {
      continue;
    }
    if (vi->depth == DefaultDepth(d, s.screen)) {
      PixelFormat f{c, describe(d, c, *vi)};
      (configAttrib(d, c, GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG ? slow : fast).push_back(f);
    }
    XFree(vi);
  }
  if (configs) {
    XFree(configs);
  }
  fast.insert(fast.end(), slow.begin(), slow.end());
  for (const PixelFormat& f : fast) {
    s.configs.push_back(f.config);
    formats->push_back(f.descriptor);
  }
}

void* createContext(HWND__* w) {
  trapErrors();
  GLXContext ctx = glXCreateNewContext(display(), state().configs[(size_t)w->pixelFormat - 1],
                                       GLX_RGBA_TYPE, nullptr, True);
  return untrapErrors() != 0 ? nullptr : ctx;
}

bool makeCurrent(HWND__* w, void* context) {
  if (context == nullptr) {
    return glXMakeContextCurrent(display(), None, None, nullptr);
  }
  return glXMakeContextCurrent(display(), xwin(w), xwin(w), (GLXContext)context);
}

void deleteContext(void* context) {
  if (glXGetCurrentContext() == (GLXContext)context) {
    glXMakeContextCurrent(display(), None, None, nullptr);
  }
  glXDestroyContext(display(), (GLXContext)context);
}

bool swapBuffers(HWND__* w) {
  glXSwapBuffers(display(), xwin(w));
  return true;
}

}  // namespace winx::x11
