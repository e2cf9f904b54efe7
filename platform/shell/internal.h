// What the shell stand-ins share among themselves: the menu bar's buttons and key query, the input hook.
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

// One button of a menu-bar resource: its command, state (enabled: 0x04), sub-menu index (-1: none) and text.
constexpr int MENUBAR_TEXT_SIZE = 48;
struct MenuBarButton
{
    UINT command;
    BYTE state;
    int subMenu;
    wchar_t text[MENUBAR_TEXT_SIZE];
};

// A button's state bit that enables it.
constexpr BYTE MENUBAR_STATE_ENABLED = 0x04;

// A desktop dialog's menu bar of plain buttons only (no sub-menus) is a row of push buttons at the
// bottom right of the dialog: the bar window is that row, a child of the dialog holding the buttons,
// whose clicks it passes on as the soft keys' commands.
bool IsButtonRow(const MenuBarButton* buttons, int count);
// Creates the buttons in the row window, OK first and default; returns the row's height.
int CreateButtonRow(HWND strip, const MenuBarButton* buttons, int count);
int ButtonRowHeight();
// Lines the buttons up at the row's right end.
void LayOutButtonRow(HWND strip);

// The Desktop profile's form of a menu bar: a window menu with one entry per button, a button's
// sub-menu of the resource menu as a drop-down, the keys of the program's accelerators shown beside
// their items. The drop-downs stay the resource menu's own.
HMENU CreateWindowMenu(HMENU menu, const MenuBarButton* buttons, int count, HINSTANCE instance);
void DestroyWindowMenu(HMENU windowMenu);
// Shows the keys again after the owner prepared (and perhaps rewrote) a drop-down.
void LabelAccelerators(HMENU menu, HINSTANCE instance);
