// The Back key in dialogs: menu-bar override and forwarding to the focused control.
#include "common/backkey.h"

#include "platform/shell/shell.h"

void OverrideBackKey(HWND menuBar)
{
    SendMessageW(menuBar, SHCMBM_OVERRIDEKEY, VK_TBACK, MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY,
                                                                  SHMBOF_NODEFAULT | SHMBOF_NOTIFY));
}

bool ForwardBackKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_HOTKEY || HIWORD(lParam) != VK_TBACK)
        return false;
    SHSendBackToFocusWindow(message, wParam, lParam);
    return true;
}
