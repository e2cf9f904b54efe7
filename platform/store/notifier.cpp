// Change notifications: a hidden window that hears of the address book's changes and posts to logged-on windows.
#include "platform/store/notifier.h"

#include "platform/store/addressbook.h"
#include "platform/store/contactstore.h"
#include "platform/store/module.h"

namespace {

const wchar_t NOTIFIER_CLASS[] = L"FestivoContactStoreNotifier";
// The directory watch reports with this message.
const UINT WM_STORE_CHANGED = WM_APP + 0x51;
// Activation looks at the whole address book, but not more often than this.
const DWORD ACTIVATION_RECHECK = 2000;

bool IsLocal(UINT message)
{
    return message >= PIM_ITEM_CREATED_LOCAL && message <= PIM_ITEM_CHANGED_LOCAL;
}

} // namespace

CNotifier& CNotifier::Instance()
{
    static CNotifier notifier;
    return notifier;
}

CNotifier::CNotifier() : m_window(nullptr), m_lastRecheck(0)
{
    InitializeCriticalSection(&m_lock);
}

void CNotifier::Register(const void* owner, HWND window, ULONG mask)
{
    EnterCriticalSection(&m_lock);
    // Changes from before this logon asked for notifications are not reported to it.
    DeliverLocked();
    bool found = false;
    for (CLogon& logon : m_logons)
        if (logon.owner == owner)
        {
            logon.window = window;
            logon.mask = mask;
            found = true;
        }
    if (!found)
        m_logons.push_back({owner, window, mask});
    UpdateWindowLocked();
    LeaveCriticalSection(&m_lock);
}

void CNotifier::Unregister(const void* owner)
{
    EnterCriticalSection(&m_lock);
    for (size_t i = 0; i < m_logons.size(); ++i)
        if (m_logons[i].owner == owner)
            m_logons.erase(m_logons.begin() + i--);
    UpdateWindowLocked();
    LeaveCriticalSection(&m_lock);
}

void CNotifier::Poll()
{
    OnChanged(true);
}

void CNotifier::OnChanged(bool recheck)
{
    EnterCriticalSection(&m_lock);
    if (recheck)
    {
        TheAddressBook().Recheck();
        m_lastRecheck = GetTickCount();
    }
    DeliverLocked();
    LeaveCriticalSection(&m_lock);
}

void CNotifier::DeliverLocked()
{
    bool anyone = false;
    for (const CLogon& logon : m_logons)
        anyone = anyone || (logon.window && logon.mask);
    if (!anyone)
    {
        // Nobody listens: changes are noted so that they are not reported later.
        TheAddressBook().TakeChanges();
        return;
    }
    for (const CStoreChange& change : TheAddressBook().TakeChanges())
        for (const CLogon& logon : m_logons)
            if (logon.window && (logon.mask & (IsLocal(change.message) ? NOTIFY_LOCAL : NOTIFY_REMOTE)))
                PostMessageW(logon.window, change.message, static_cast<WPARAM>(change.oid), 0);
}

void CNotifier::UpdateWindowLocked()
{
    bool needed = false;
    for (const CLogon& logon : m_logons)
        needed = needed || (logon.window && logon.mask);
    if (needed && !m_window)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = StoreModule();
        wc.lpszClassName = NOTIFIER_CLASS;
        RegisterClassW(&wc);
        // A hidden top-level window rather than a message-only one: it hears when its program is activated.
        m_window = CreateWindowExW(WS_EX_TOOLWINDOW, NOTIFIER_CLASS, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   StoreModule(), nullptr);
        TheAddressBook().SetListener(m_window, WM_STORE_CHANGED);
    }
    else if (!needed && m_window)
    {
        TheAddressBook().SetListener(nullptr, 0);
        DestroyWindow(m_window);
        m_window = nullptr;
    }
}

LRESULT CALLBACK CNotifier::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_STORE_CHANGED:
        Instance().OnChanged(false);
        return 0;
    case WM_ACTIVATEAPP:
        // A file system that cannot notify is looked at when the user comes back to the program.
        if (wParam && GetTickCount() - Instance().m_lastRecheck >= ACTIVATION_RECHECK)
            Instance().OnChanged(true);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
