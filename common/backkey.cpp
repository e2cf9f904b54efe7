// The hardware keys: menu-bar override and forwarding Back to the focused control.
#include "common/backkey.h"

#include "platform/shell/shell.h"

void OverrideKey(HWND menuBar, UINT key)
{
    SendMessageW(menuBar, SHCMBM_OVERRIDEKEY, key,
                 MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, SHMBOF_NODEFAULT | SHMBOF_NOTIFY));
}

void OverrideBackKey(HWND menuBar)
{
    OverrideKey(menuBar, VK_TBACK);
}

bool ForwardBackKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_HOTKEY || HIWORD(lParam) != VK_TBACK)
        return false;
    SHSendBackToFocusWindow(message, wParam, lParam);
    return true;
}
