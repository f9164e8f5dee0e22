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

}  // namespace winx
