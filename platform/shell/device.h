// The emulated handheld: its profile (Pocket PC or Smartphone, dots per inch), version, screen and system font.
#pragma once

#include <windows.h>

// The profile lives under HKEY_CURRENT_USER in this key, apart from the program's settings:
// Platform (text, "PocketPC" by default, "Smartphone" or "Desktop" on request) and Dpi (96 by default,
// 192 for VGA). The Desktop profile is a Pocket PC to the programs, with desktop windows.
constexpr const wchar_t* DEVICE_PROFILE_KEY = L"Software\\Festivo\\Device";

// Platform id of the handheld family in the version record.
constexpr DWORD VER_PLATFORM_WIN32_CE = 3;
// System parameter of the handheld: the platform-type text.
constexpr UINT SPI_GETPLATFORMTYPE = 257;

// True in the Desktop profile: resizable main windows, window menu bars, captioned dialogs.
bool DeviceIsDesktop();

// The operating-system version of the device (platform id 3); the record's size must be set.
BOOL DeviceGetVersionEx(OSVERSIONINFOW* info);
// SPI_GETPLATFORMTYPE writes the profile's platform text (param = buffer size in characters);
// every other action goes to the desktop's SystemParametersInfo.
BOOL DeviceSystemParametersInfo(UINT action, UINT param, void* data, UINT winIni);

// Stock objects of the device: SYSTEM_FONT is the device's system font (Tahoma, 9 points at the
// screen's dpi), not the desktop's bitmap font. The object is never to be deleted.
HGDIOBJ DeviceGetStockObject(int object);

// Horizontal dots per inch of the device screen: the profile's Dpi, else the desktop screen's.
int DeviceScreenDpi();
// A length written for 96 dpi, scaled to the screen: (n * dpi + 48) / 96.
int DeviceScale(int n);
// The device screen: 240 x 320 at 96 dpi, 480 x 640 at 192 dpi.
SIZE DeviceScreenSize();

// Gives a program's main window the device screen's size: its client area is the screen without
// the task bar, whose place the window's caption takes on the desktop. In the Desktop profile the
// window becomes resizable and takes the size and place it had when it was last closed.
void DevicePlaceMainWindow(HWND hwnd);

// Places the Today screen: as a main window on the handheld; in the Desktop profile a resizable panel
// at the right of the screen's work area, then where it was last closed.
void DevicePlacePanelWindow(HWND hwnd);

// Brings a top-level window of another instance to the front, restoring it when minimised
// (the device asks for this with the handle's low bit set, which the desktop does not know).
BOOL DeviceSetForegroundWindow(HWND hwnd);
