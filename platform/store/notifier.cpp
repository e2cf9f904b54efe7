// Change notifications: a hidden window whose timer polls the address book and posts to logged-on windows.
#include "platform/store/notifier.h"

#include "platform/store/addressbook.h"
#include "platform/store/contactstore.h"
#include "platform/store/module.h"

namespace {

const wchar_t NOTIFIER_CLASS[] = L"FestivoContactStoreNotifier";
const UINT_PTR POLL_TIMER = 1;
// Often enough that a change arrives within about a second.
const UINT POLL_INTERVAL = 500;

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

CNotifier::CNotifier() : m_window(nullptr)
{
    InitializeCriticalSection(&m_lock);
}

void CNotifier::Register(const void* owner, HWND window, ULONG mask)
{
    EnterCriticalSection(&m_lock);
    // Changes from before this logon asked for notifications are not reported to it.
    PollLocked();
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
    UpdateTimerLocked();
    LeaveCriticalSection(&m_lock);
}

void CNotifier::Unregister(const void* owner)
{
    EnterCriticalSection(&m_lock);
    for (size_t i = 0; i < m_logons.size(); ++i)
        if (m_logons[i].owner == owner)
            m_logons.erase(m_logons.begin() + i--);
    UpdateTimerLocked();
    LeaveCriticalSection(&m_lock);
}

void CNotifier::Poll()
{
    EnterCriticalSection(&m_lock);
    PollLocked();
    LeaveCriticalSection(&m_lock);
}

void CNotifier::PollLocked()
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

void CNotifier::UpdateTimerLocked()
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
        m_window = CreateWindowExW(0, NOTIFIER_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, StoreModule(), nullptr);
        if (m_window)
            SetTimer(m_window, POLL_TIMER, POLL_INTERVAL, nullptr);
    }
    else if (!needed && m_window)
    {
        KillTimer(m_window, POLL_TIMER);
        DestroyWindow(m_window);
        m_window = nullptr;
    }
}

LRESULT CALLBACK CNotifier::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == POLL_TIMER)
    {
        Instance().Poll();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
