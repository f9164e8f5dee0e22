// GDI pixel formats and palettes, WGL contexts and SwapBuffers, through the backend.
#include <algorithm>
#include <cstring>

#include "pixel_format_choice.h"
#include "winx_state.h"

namespace winx {

namespace {

HWND__* windowOfDC(HDC hdc) {
  return hdc ? liveWindow(hdc->window) : nullptr;
}

const PIXELFORMATDESCRIPTOR* formatAt(int index) {
  loadPixelFormats();
  const auto& f = state().formats;
  return (index >= 1 && index <= (int)f.size()) ? &f[(size_t)index - 1] : nullptr;
}

}  // namespace

void loadPixelFormats() {
  State& s = state();
  if (!s.formatsLoaded) {
    s.formatsLoaded = true;
    backend().loadPixelFormats(&s.formats);
  }
}

}  // namespace winx

using winx::state;

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* pfd) {
  if (winx::windowOfDC(hdc) == nullptr || pfd == nullptr) {
    return 0;
  }
  winx::loadPixelFormats();
  return winx::choosePixelFormat(*pfd, state().formats);
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR*) {
  HWND__* w = winx::windowOfDC(hdc);
  if (w == nullptr || winx::formatAt(format) == nullptr) {
    return FALSE;
  }
  if (w->pixelFormat != 0) {
    return w->pixelFormat == format ? TRUE : FALSE;  // a format is set once per window
  }
  // On X the format fixes the window's visual: the native window is made (again) for it.
  if (!winx::backend().createWindow(w, format)) {
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
  const PIXELFORMATDESCRIPTOR* f = winx::formatAt(format);
  if (pfd != nullptr) {
    if (f == nullptr) {
      return 0;
    }
    std::memcpy(pfd, f, std::min<size_t>(bytes, sizeof *pfd));
  }
  return (int)state().formats.size();
}

BOOL SwapBuffers(HDC hdc) {
  HWND__* w = winx::windowOfDC(hdc);
  if (w == nullptr || w->native == nullptr || w->pixelFormat == 0) {
    return FALSE;
  }
  return winx::backend().swapBuffers(w) ? TRUE : FALSE;
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
  if (w == nullptr || winx::formatAt(w->pixelFormat) == nullptr) {
    return nullptr;
  }
  void* context = winx::backend().createContext(w);
  return context ? new HGLRC__{context} : nullptr;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC context) {
  const winx::Backend* b = winx::connectedBackend();
  if (context == nullptr) {
    if (b != nullptr) {
      b->makeCurrent(nullptr, nullptr);
    }
    return TRUE;
  }
  HWND__* w = winx::windowOfDC(hdc);
  if (w == nullptr || w->native == nullptr || b == nullptr) {
    return FALSE;
  }
  return b->makeCurrent(w, context->context) ? TRUE : FALSE;
}

BOOL wglDeleteContext(HGLRC context) {
  const winx::Backend* b = winx::connectedBackend();
  if (context == nullptr || b == nullptr) {
    return FALSE;
  }
  b->deleteContext(context->context);
  delete context;
  return TRUE;
}
