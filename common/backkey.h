// The hardware keys of a window with a menu bar: passed to the owner by the menu bar, Back then to the focused control.
#pragma once

#include <windows.h>

// Asks the menu bar to pass key (Back or Talk) to its owner as WM_HOTKEY instead of acting on it.
void OverrideKey(HWND menuBar, UINT key);
void OverrideBackKey(HWND menuBar);
// Hands a Back WM_HOTKEY to the focused control (an edit deletes one character); true when it was one.
bool ForwardBackKey(UINT message, WPARAM wParam, LPARAM lParam);
