// Shell stand-ins without a window of their own: start-up, dialog set-up, activation, input panel,
// back-key forwarding and tap-and-hold recognition.
#include "platform/shell/shell.h"

#include "platform/shell/desktop.h"
#include "platform/shell/device.h"
#include "platform/shell/internal.h"
#include "platform/shell/recorder.h"

#include <cstdlib>

namespace {

ShellRecorder g_recorder = nullptr;

const DWORD kHoldMilliseconds = 500;

HWND RootOwner(HWND hwnd)
{
    HWND owner = GetWindow(hwnd, GW_OWNER);
    while (owner && GetWindow(owner, GW_OWNER))
        owner = GetWindow(owner, GW_OWNER);
    return owner;
}

bool MovedTooFar(POINT down, const MSG& msg)
{
    POINT now = { static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam)) };
    if (msg.hwnd)
        ClientToScreen(msg.hwnd, &now);
    return abs(now.x - down.x) > GetSystemMetrics(SM_CXDRAG) || abs(now.y - down.y) > GetSystemMetrics(SM_CYDRAG);
}

} // namespace

void ShellSetRecorder(ShellRecorder recorder)
{
    g_recorder = recorder;
}

void ShellRecord(const wchar_t* call, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (g_recorder)
        g_recorder(call, hwnd, wParam, lParam);
}

BOOL SHInitExtraControls()
{
    ShellRecord(L"SHInitExtraControls", nullptr, 0, 0);
    InstallInputHook();
    return TRUE;
}

BOOL SHInitDialog(SHINITDLGINFO* info)
{
    if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg))
        return FALSE;
    ShellRecord(L"SHInitDialog", info->hDlg, info->dwFlags, 0);
    if (DeviceIsDesktop())
    {
        DesktopFrameDialog(info->hDlg);
        return TRUE;
    }
    if (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN))
    {
        // Full screen on the desktop is the program's main window, the device screen.
        RECT area;
        HWND owner = RootOwner(info->hDlg);
        if (owner)
            GetWindowRect(owner, &area);
        else
        {
            SIZE screen = DeviceScreenSize();
            GetWindowRect(info->hDlg, &area);
            area.right = area.left + screen.cx;
            area.bottom = area.top + screen.cy;
        }
        SetWindowPos(info->hDlg, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags)
{
    ShellRecord(L"SHHandleWMActivate", hwnd, wParam, lParam);
    (void)flags;
    if (!info || info->cbSize != sizeof(SHACTIVATEINFO))
        return FALSE;
    if (LOWORD(wParam) == WA_INACTIVE)
    {
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus)))
            info->hwndLastFocus = focus;
        info->fActive = 0;
        return TRUE;
    }
    info->fActive = 1;
    // Back in front, the window's keyboard goes back where it was when the window lost it.
    HWND last = info->hwndLastFocus;
    bool minimised = HIWORD(wParam) != 0;
    if (!minimised && last && IsWindow(last) && (last == hwnd || IsChild(hwnd, last)) && IsWindowVisible(last) &&
        IsWindowEnabled(last))
        SetFocus(last);
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info)
{
    ShellRecord(L"SHHandleWMSettingChange", hwnd, wParam, lParam);
    // No input panel on the desktop, so nothing has to make room for one.
    return info && info->cbSize == sizeof(SHACTIVATEINFO);
}

BOOL SHSipPreference(HWND hwnd, SIPSTATE state)
{
    ShellRecord(L"SHSipPreference", hwnd, state, 0);
    return IsWindow(hwnd);
}

BOOL SipShowIM(DWORD flags)
{
    ShellRecord(L"SipShowIM", nullptr, flags, 0);
    return TRUE;
}

void SHSendBackToFocusWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    ShellRecord(L"SHSendBackToFocusWindow", nullptr, wParam, lParam);
    if (message != WM_HOTKEY || HIWORD(lParam) != VK_TBACK)
        return;
    HWND focus = GetFocus();
    if (!focus)
        return;
    // Esc on a desktop empties the field; the Backspace that follows then meets an empty field.
    wchar_t className[8] = L"";
    if (DeviceIsDesktop() && GetClassNameW(focus, className, 8) && lstrcmpiW(className, L"Edit") == 0)
    {
        SendMessageW(focus, EM_SETSEL, 0, -1);
        SendMessageW(focus, WM_CLEAR, 0, 0);
    }
    // A Backspace keystroke: an edit deletes the character before the caret.
    SendMessageW(focus, WM_KEYDOWN, VK_BACK, 0x000E0001);
    SendMessageW(focus, WM_CHAR, 0x08, 0x000E0001);
    SendMessageW(focus, WM_KEYUP, VK_BACK, 0xC00E0001);
}

DWORD SHRecognizeGesture(SHRGINFO* info)
{
    if (!info || info->cbSize != sizeof(SHRGINFO) || !IsWindow(info->hwndClient))
        return 0;
    ShellRecord(L"SHRecognizeGesture", info->hwndClient, info->dwFlags, MAKELPARAM(info->ptDown.x, info->ptDown.y));
    if (TakeRightClickGesture())
    {
        if (DeviceIsDesktop())
        {
            POINT pointer = info->ptDown;
            ClientToScreen(info->hwndClient, &pointer);
            ExpectMenuAtPointer(pointer);
        }
        return GN_CONTEXTMENU;
    }
    POINT down = info->ptDown;
    ClientToScreen(info->hwndClient, &down);
    // Held: no release and no move beyond the drag distance within the hold time.
    ULONGLONG deadline = GetTickCount64() + kHoldMilliseconds;
    for (;;)
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE))
        {
            if (msg.message != WM_MOUSEMOVE || MovedTooFar(down, msg))
                return 0;
            PeekMessageW(&msg, msg.hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return GN_CONTEXTMENU;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_MOUSE);
    }
}
