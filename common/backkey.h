// The Back key in the main program's dialogs: passed to the program by the menu bar, then to the focused control.
#pragma once

#include <windows.h>

// Asks the menu bar to pass the Back key to its owner as WM_HOTKEY instead of acting on it.
void OverrideBackKey(HWND menuBar);
// Hands a Back WM_HOTKEY to the focused control (an edit deletes one character); true when it was one.
bool ForwardBackKey(UINT message, WPARAM wParam, LPARAM lParam);
