// What the shell stand-ins share among themselves: the menu bar's key query and the input hook.
#pragma once

#include <windows.h>

// Property of a window that holds its menu bar's handle.
constexpr const wchar_t* MENUBAR_PROPERTY = L"FestivoMenuBar";

// Asks a menu bar for its override of a key: the flags, with MENUBAR_KEY_SET when one exists.
constexpr UINT MENUBAR_QUERYKEY = WM_USER + 450;
constexpr LRESULT MENUBAR_KEY_SET = 0x10000;

// Installs, once per thread, the hook that turns overridden keys into WM_HOTKEY and right clicks
// into taps.
void InstallInputHook();

// True once after a right click was turned into a tap: that tap is a context-menu gesture.
bool TakeRightClickGesture();
