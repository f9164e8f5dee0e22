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

std::string controlCharacters(unsigned long keysym, const char* text, int length) {
  switch (keysym) {
    case XK_Return:
    case XK_KP_Enter:
      return "\n";
    case XK_BackSpace:
      return "\x7f";
    case XK_Escape:
      return "\x1b";
    case XK_space:
      return " ";
    default:
      break;
  }
  if (length != 1) {
    return std::string();
  }
  const char c = text[0];
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
    return std::string(1, (char)(c & 0x1f));
  }
  // [ \ ] ^ _ give 27 to 31; digits and the rest type nothing (X maps Ctrl+3 to Esc).
  static const char controls[] = "[\\]^_";
  for (int i = 0; controls[i]; ++i) {
    if (c == controls[i]) return std::string(1, (char)(27 + i));
  }
  return std::string();
}

std::string latin1FromUtf8(const char* utf8) {
  std::string out;
  for (const unsigned char* p = (const unsigned char*)utf8; *p;) {
    if (*p < 0x80) {
      out += (char)*p++;
      continue;
    }
    const bool twoBytes = (*p & 0xe0) == 0xc0 && (p[1] & 0xc0) == 0x80;
    if (twoBytes && (((p[0] & 0x1fu) << 6) | (p[1] & 0x3fu)) <= 0xff) {
      out += (char)(((p[0] & 0x1fu) << 6) | (p[1] & 0x3fu));
    }
    // Past the whole sequence, whatever it stood for.
    ++p;
    while ((*p & 0xc0) == 0x80) ++p;
  }
  return out;
}

}  // namespace winx
