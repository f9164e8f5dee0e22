#include "keys.h"

// Constants only, nothing linked: xkbcommon's keysyms have the same values, so this one table
// serves every backend.
#include <X11/keysym.h>

namespace winx {

UINT virtualKeyFromKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) {
    return (UINT)(keysym - XK_a + 'A');
  }
  if (keysym >= XK_A && keysym <= XK_Z) {
    return (UINT)keysym;
  }
  if (keysym >= XK_0 && keysym <= XK_9) {
    return (UINT)keysym;
  }
  if (keysym >= XK_F1 && keysym <= XK_F12) {
    return (UINT)(VK_F1 + (keysym - XK_F1));
  }
  switch (keysym) {
    case XK_BackSpace:
      return VK_BACK;
    case XK_Tab:
      return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
      return VK_RETURN;
    case XK_Escape:
      return VK_ESCAPE;
    case XK_space:
      return VK_SPACE;
    case XK_Left:
      return VK_LEFT;
    case XK_Up:
      return VK_UP;
    case XK_Right:
      return VK_RIGHT;
    case XK_Down:
      return VK_DOWN;
    case XK_Delete:
      return VK_DELETE;
    case XK_Shift_L:
    case XK_Shift_R:
      return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
      return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
      return VK_MENU;
    default:
      return 0;
  }
}

std::string charactersFromLookup(const char* text, int length) {
  std::string out;
  for (int i = 0; i < length; ++i) {
    if ((unsigned char)text[i] != 0x7f) {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace winx
