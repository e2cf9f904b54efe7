// The room a window's menu bar leaves for its content.
#pragma once

#include <windows.h>

// The part of the window's client area its menu bar leaves free: all of it where the bar sits outside
// the window, the part above the bar where the bar is a row inside it (also while still hidden).
RECT ClientAboveMenuBar(HWND window);
