// The desktop's keyboard and mouse seen as the handheld's: overridden keys become WM_HOTKEY for the
// menu bar's owner, and a right click becomes a tap that the gesture recogniser calls tap-and-hold.
#include "platform/shell/desktop.h"
#include "platform/shell/device.h"
#include "platform/shell/hooks.h"
#include "platform/shell/internal.h"
#include "platform/shell/shell.h"

namespace {

thread_local HHOOK t_hook = nullptr;
thread_local bool t_rightClick = false;

bool InMenuMode()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE);
}

// The menu bar of the top-level window that the key goes to decides what becomes of it.
void OverrideKey(MSG* msg)
{
    HWND target = msg->hwnd ? msg->hwnd : GetFocus();
    if (!target)
        return;
    HWND root = GetAncestor(target, GA_ROOT);
    HWND bar = static_cast<HWND>(GetPropW(root, MENUBAR_PROPERTY));
    if (!bar || !IsWindow(bar))
        return;
    // A desktop dialog keeps Esc for itself: it cancels.
    wchar_t className[8] = L"";
    if (msg->wParam == VK_ESCAPE && GetClassNameW(root, className, 8) && lstrcmpW(className, L"#32770") == 0 &&
        DeviceIsDesktop())
        return;
    LRESULT flags = SendMessageW(bar, MENUBAR_QUERYKEY, msg->wParam, 0);
    if (!(flags & MENUBAR_KEY_SET))
        return;
    UINT key = static_cast<UINT>(msg->wParam);
    HWND owner = GetWindow(bar, GW_OWNER);
    bool notify = msg->message == WM_KEYDOWN && (flags & SHMBOF_NOTIFY);
    if (!(flags & SHMBOF_NODEFAULT))
    {
        if (notify)
            PostMessageW(owner, WM_HOTKEY, key, MAKELPARAM(0, key));
        return;
    }
    // The key itself becomes the hot key, so it keeps its place among the other input.
    if (notify)
    {
        msg->hwnd = owner;
        msg->message = WM_HOTKEY;
        msg->lParam = MAKELPARAM(0, key);
        return;
    }
    msg->message = WM_NULL;
}

void RightButtonToLeft(MSG* msg)
{
    WPARAM buttons = (msg->wParam & ~static_cast<WPARAM>(MK_RBUTTON)) | MK_LBUTTON;
    if (msg->message == WM_RBUTTONUP)
    {
        msg->message = WM_LBUTTONUP;
        msg->wParam = buttons & ~static_cast<WPARAM>(MK_LBUTTON);
        t_rightClick = false;
        return;
    }
    msg->message = WM_LBUTTONDOWN;
    msg->wParam = buttons;
    t_rightClick = true;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE && !InMenuMode())
    {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == WM_KEYDOWN || msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN)
            ForgetMenuAtPointer();
        switch (msg->message)
        {
        case WM_KEYDOWN:
        case WM_KEYUP:
            OverrideKey(msg);
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
            RightButtonToLeft(msg);
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void InstallInputHook()
{
    if (!t_hook)
        t_hook = SetThreadHook(WH_GETMESSAGE, GetMessageHook);
}

bool TakeRightClickGesture()
{
    bool gesture = t_rightClick;
    t_rightClick = false;
    return gesture;
}
