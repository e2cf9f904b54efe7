// The Desktop profile's windows: a resizable main window that keeps its place, dialogs and message boxes over their owner.
#pragma once

#include <windows.h>

// Makes a program's main window an ordinary resizable, maximisable window, at the size and place it
// had when it was last closed (remembered under the profile's key), else at a default size.
void DesktopPlaceMainWindow(HWND hwnd);

// The same for a panel beside the programs (the Today screen): narrower, at the right of the work area.
void DesktopPlacePanelWindow(HWND hwnd);

// Gives a dialog a caption and a close box and, when it is first shown, centres it on its owner at
// the size of its own content instead of the size of the screen. Once per dialog.
void DesktopFrameDialog(HWND dialog);

// Makes a framed dialog taller by that many pixels (for its row of buttons), keeping its content's place.
void DesktopGrowDialog(HWND dialog, int extraHeight);

// Installs, once per thread, the hook that puts message boxes over their owner.
void InstallDesktopHook();

// The next popup menu of this thread, opened for a right click at this screen point, opens at the
// point downwards as desktop menus do. Forgotten at the next key or button press.
void ExpectMenuAtPointer(POINT screen);
void ForgetMenuAtPointer();
