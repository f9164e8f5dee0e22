// The cursor over our windows: the desktop's cursor theme through libXcursor, which reads
// XCURSOR_THEME and XCURSOR_SIZE, the Xcursor resources and Xft.dpi as other X programs do.
// An X window shows its own cursor wherever the pointer is in it; a window without one shows
// its parent's (on a bare server, the root's "X").
#include <X11/Xcursor/Xcursor.h>
#include <X11/cursorfont.h>

#include "x11_state.h"

namespace winx::x11 {

// Loaded once each; a blank one for none; X's own arrow where the theme has no such cursor.
Cursor xCursor(const HCURSOR__* c) {
  State& s = state();
  Display* d = display();
  const int id = c ? c->id : 0;
  for (const auto& loaded : s.cursors) {
    if (loaded.first == id) return loaded.second;
  }
  Cursor cursor = None;
  if (c == nullptr) {
    const char none = 0;
    const Pixmap blank = XCreateBitmapFromData(d, RootWindow(d, s.screen), &none, 1, 1);
    XColor black = {};
    cursor = XCreatePixmapCursor(d, blank, blank, &black, &black, 0, 0);
    XFreePixmap(d, blank);
  }
  for (int i = 0; c && cursor == None && i < 3 && c->names[i]; ++i) {
    cursor = XcursorLibraryLoadCursor(d, c->names[i]);
  }
  if (cursor == None) cursor = XCreateFontCursor(d, XC_left_ptr);
  s.cursors.emplace_back(id, cursor);
  return cursor;
}

// Win32 has one cursor: every window of ours shows it until the next WM_SETCURSOR.
void setCursor(const HCURSOR__* c) {
  State& s = state();
  s.cursor = xCursor(c);
  findWindow([&s](const HWND__& w) {
    if (xwin(&w)) XDefineCursor(display(), xwin(&w), s.cursor);
    return false;
  });
  XFlush(display());
}

}  // namespace winx::x11
