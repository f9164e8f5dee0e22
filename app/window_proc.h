#pragma once

#include <windows.h>

// The window procedure of the viewer's window class.
LRESULT CALLBACK windowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
