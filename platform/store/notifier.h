// Change notifications: a hidden window that hears of the address book's changes and posts to logged-on windows.
#pragma once

#include <windows.h>

#include <vector>

// Notification bits of the contacts folder: changes made through the store, changes by others.
const ULONG NOTIFY_LOCAL = 1;
const ULONG NOTIFY_REMOTE = 2;

class CNotifier
{
public:
    static CNotifier& Instance();

    // Sets the window and notification bits of one logon (owner = the application object).
    void Register(const void* owner, HWND window, ULONG mask);
    void Unregister(const void* owner);
    // Looks at the whole address book now and posts what changed (after the store's own writes).
    void LookNow();

private:
    struct CLogon
    {
        const void* owner;
        HWND window;
        ULONG mask;
    };

    // One message to one window; a burst's message stands for every change of the burst.
    struct CPost
    {
        HWND window;
        UINT message;
        LONG oid;
        bool burst;
    };

    CNotifier();
    std::vector<CPost> DeliverLocked();
    static void Post(const std::vector<CPost>& posts);
    void UpdateWindowLocked();
    void OnChanged(bool recheck);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CRITICAL_SECTION m_lock;
    std::vector<CLogon> m_logons;
    HWND m_window;
    DWORD m_lastRecheck;
};
