// GDI pixel formats and palettes, WGL contexts and SwapBuffers, on GLX.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "pixel_format_choice.h"
#include "winx_state.h"

namespace winx {

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

HWND__* windowOfDC(HDC hdc) {
  return hdc ? liveWindow(hdc->window) : nullptr;
}

const PixelFormat* formatAt(int index) {
  loadPixelFormats();
  const auto& f = state().formats;
  return (index >= 1 && index <= (int)f.size()) ? &f[(size_t)index - 1] : nullptr;
}

}  // namespace

void loadPixelFormats() {
  State& s = state();
  if (s.formatsLoaded) {
    return;
  }
  s.formatsLoaded = true;
  Display* d = display();
  int errorBase = 0, eventBase = 0;
  if (!glXQueryExtension(d, &errorBase, &eventBase)) {
    return;  // no GLX on this display: no pixel formats, so ChoosePixelFormat gives 0
  }
  int count = 0;
  GLXFBConfig* configs = glXGetFBConfigs(d, s.screen, &count);
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
  s.formats = fast;
  s.formats.insert(s.formats.end(), slow.begin(), slow.end());
}

}  // namespace winx

using winx::state;

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) {
  if (winx::windowOfDC(hdc) == nullptr || pfd == nullptr) {
    return 0;
  }
  winx::loadPixelFormats();
  std::vector<PIXELFORMATDESCRIPTOR> list;
  for (const winx::PixelFormat& f : state().formats) {
    list.push_back(f.descriptor);
  }
  return winx::choosePixelFormat(*pfd, list);
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR*) {
  HWND__* w = winx::windowOfDC(hdc);
  const winx::PixelFormat* f = winx::formatAt(format);
  if (w == nullptr || f == nullptr) {
    return FALSE;
  }
  if (w->pixelFormat != 0) {
    return w->pixelFormat == format ? TRUE : FALSE;  // a format is set once per window
  }
  Display* d = winx::display();
  XVisualInfo* vi = glXGetVisualFromFBConfig(d, f->config);
  if (vi == nullptr) {
    return FALSE;
  }
  const bool created = winx::createXWindow(w, vi->visual, vi->depth);
  XFree(vi);
  if (!created) {
    return FALSE;
  }
  w->pixelFormat = format;
  return TRUE;
}

int GetPixelFormat(HDC hdc) {
  HWND__* w = winx::windowOfDC(hdc);
  return w ? w->pixelFormat : 0;
}

int DescribePixelFormat(HDC hdc, int format, UINT bytes, PIXELFORMATDESCRIPTOR* pfd) {
  if (winx::windowOfDC(hdc) == nullptr) {
    return 0;
  }
  winx::loadPixelFormats();
  const winx::PixelFormat* f = winx::formatAt(format);
  if (pfd != nullptr) {
    if (f == nullptr) {
      return 0;
    }
    std::memcpy(pfd, &f->descriptor, std::min<size_t>(bytes, sizeof *pfd));
  }
  return (int)state().formats.size();
}

BOOL SwapBuffers(HDC hdc) {
  HWND__* w = winx::windowOfDC(hdc);
  if (w == nullptr || w->xwin == 0 || w->pixelFormat == 0) {
    return FALSE;
  }
  glXSwapBuffers(winx::display(), w->xwin);
  return TRUE;
}

// Palettes are recorded; on TrueColor visuals there is nothing to realise.
HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (palette == nullptr || palette->palNumEntries == 0) {
    return nullptr;
  }
  auto p = std::make_unique<HPALETTE__>();
  p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  HPALETTE handle = p.get();
  state().palettes.push_back(std::move(p));
  return handle;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
  if (winx::windowOfDC(hdc) == nullptr) {
    return nullptr;
  }
  HPALETTE previous = hdc->palette;
  hdc->palette = palette;
  return previous;
}

UINT RealizePalette(HDC hdc) {
  return winx::windowOfDC(hdc) ? 0 : (UINT)-1;
}

BOOL UnrealizeObject(HGDIOBJ object) {
  return object ? TRUE : FALSE;
}

HGLRC wglCreateContext(HDC hdc) {
  HWND__* w = winx::windowOfDC(hdc);
  const winx::PixelFormat* f = w ? winx::formatAt(w->pixelFormat) : nullptr;
  if (f == nullptr) {
    return nullptr;
  }
  winx::trapErrors();
  GLXContext ctx = glXCreateNewContext(winx::display(), f->config, GLX_RGBA_TYPE, nullptr, True);
  if (winx::untrapErrors() != 0 || ctx == nullptr) {
    return nullptr;
  }
  return new HGLRC__{ctx};
}

BOOL wglMakeCurrent(HDC hdc, HGLRC context) {
  Display* d = winx::openDisplayOrNull();
  if (context == nullptr) {
    if (d != nullptr) {
      glXMakeContextCurrent(d, None, None, nullptr);
    }
    return TRUE;
  }
  HWND__* w = winx::windowOfDC(hdc);
  if (w == nullptr || w->xwin == 0 || d == nullptr) {
    return FALSE;
  }
  return glXMakeContextCurrent(d, w->xwin, w->xwin, context->context) ? TRUE : FALSE;
}

BOOL wglDeleteContext(HGLRC context) {
  Display* d = winx::openDisplayOrNull();
  if (context == nullptr || d == nullptr) {
    return FALSE;
  }
  if (glXGetCurrentContext() == context->context) {
    glXMakeContextCurrent(d, None, None, nullptr);
  }
  glXDestroyContext(d, context->context);
  delete context;
  return TRUE;
}
