// CHostTray: the Today screen's icon in the notification area, its tooltip and its menu.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <string>

// Commands of the icon's menu, sent to the owner as WM_COMMAND.
const int ID_TRAY_SHOW_ALWAYS = 997; // a second start of the program: the window comes to the front
const int ID_TRAY_SHOW = 998;       // the menu's Show or Hide
const int ID_EXIT = 999;

// The shell's notification-area call; a test puts a recorder in its place (null: the shell's own again).
typedef BOOL(WINAPI* NotifyIconCall)(DWORD message, PNOTIFYICONDATAW data);
void HostTraySetShell(NotifyIconCall call);

class CHostTray
{
public:
    // Puts the icon in the notification area; its mouse events reach owner as callbackMessage. False when the
    // desktop has no notification area.
    bool Add(HWND owner, HICON icon, UINT callbackMessage);
    // The shell started again (its message "TaskbarCreated"): the icon is put back.
    void Restore();
    void Remove();
    bool IsAdded() const { return m_added; }
    // The tooltip, cut at the last whole line that fits.
    void SetTip(const std::wstring& text);
    const std::wstring& GetTip() const { return m_tip; }
    // The icon's menu at the pointer; its choice goes to the owner.
    void ShowMenu(bool windowShown);

private:
    NOTIFYICONDATAW m_data = {};
    bool m_added = false;
    std::wstring m_tip;
};
