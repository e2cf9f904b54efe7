// The Today screen's notification-area icon: added, restored after a shell restart, tooltip and menu.
#include "tools/todayhost/tray.h"

namespace {

NotifyIconCall g_notify = nullptr;

BOOL Notify(DWORD message, NOTIFYICONDATAW* data)
{
    return g_notify ? g_notify(message, data) : Shell_NotifyIconW(message, data);
}

} // namespace

void HostTraySetShell(NotifyIconCall call)
{
    g_notify = call;
}

bool CHostTray::Add(HWND owner, HICON icon, UINT callbackMessage)
{
    m_data = {};
    m_data.cbSize = sizeof(m_data);
    m_data.hWnd = owner;
    m_data.uID = 1;
    m_data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    m_data.uCallbackMessage = callbackMessage;
    m_data.hIcon = icon;
    m_tip.copy(m_data.szTip, ARRAYSIZE(m_data.szTip) - 1);
    m_added = Notify(NIM_ADD, &m_data) != FALSE;
    return m_added;
}

void CHostTray::Restore()
{
    if (m_data.hWnd)
        m_added = Notify(NIM_ADD, &m_data) != FALSE;
}

void CHostTray::Remove()
{
    if (m_added)
        Notify(NIM_DELETE, &m_data);
    m_added = false;
}

void CHostTray::SetTip(const std::wstring& text)
{
    const size_t room = ARRAYSIZE(m_data.szTip) - 1;
    std::wstring tip = text;
    if (tip.size() > room)
    {
        size_t cut = tip.rfind(L'\n', room - 1);
        tip = cut == std::wstring::npos ? tip.substr(0, room - 1) + L"\x2026" : tip.substr(0, cut) + L"\n\x2026";
    }
    if (tip == m_tip)
        return;
    m_tip = tip;
    ZeroMemory(m_data.szTip, sizeof(m_data.szTip));
    m_tip.copy(m_data.szTip, room);
    if (m_added)
        Notify(NIM_MODIFY, &m_data);
}

void CHostTray::ShowMenu(bool windowShown)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, ID_TRAY_SHOW, windowShown ? L"Hide Today screen" : L"Show Today screen");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, ID_EXIT, L"Exit");
    SetMenuDefaultItem(menu, ID_TRAY_SHOW, FALSE);
    POINT at;
    GetCursorPos(&at);
    // The menu closes when the user clicks elsewhere only while its owner is in the foreground.
    SetForegroundWindow(m_data.hWnd);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x, at.y, 0, m_data.hWnd, nullptr);
    PostMessageW(m_data.hWnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
