// Key mapping from keysyms (X's values, which xkbcommon shares) to Win32 virtual keys and
// typed characters. Pure logic.
#pragma once

#include <string>

#include <windows.h>

namespace winx {

// The virtual-key code of a keysym, or 0 when the layer does not map it.
UINT virtualKeyFromKeysym(unsigned long keysym);
// The WM_CHAR codes that XLookupString's text stands for: Delete's 0x7f is dropped.
std::string charactersFromLookup(const char* text, int length);
// UTF-8 text (what xkbcommon gives) as the program's ANSI code page, Latin-1: characters
// beyond it are dropped.
std::string latin1FromUtf8(const char* utf8);
// What a key types with Ctrl held, by Windows' table rather than X's: letters give 1 to 26,
// [ \\ ] ^ _ give 27 to 31, Return 10, Backspace 127, Esc 27, Space 32, other keys nothing.
// keysym and text are what the key gives without Ctrl.
std::string controlCharacters(unsigned long keysym, const char* text, int length);

}  // namespace winx
