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
// Up to this many changes at once each get their own message, as on the device; more are a burst
// (a sync rewriting the book), told with one message per window that the window answers by reloading.
const size_t BURST_CHANGES = 16;

bool IsLocal(UINT message)
{
    return message >= PIM_ITEM_CREATED_LOCAL && message <= PIM_ITEM_CHANGED_LOCAL;
}

// Whether a store message to window still waits in this thread's queue (only this thread's queue can be
// looked at): a listener that has not yet taken it will reload and read the newer changes too.
bool NotificationQueued(HWND window)
{
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        return false;
    MSG queued;
    return PeekMessageW(&queued, window, PIM_ITEM_CREATED_LOCAL, PIM_ITEM_CHANGED_REMOTE,
                        PM_NOREMOVE | PM_NOYIELD | PM_QS_POSTMESSAGE);
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
    std::vector<CPost> posts = DeliverLocked();
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
    Post(posts);
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

void CNotifier::LookNow()
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
    std::vector<CPost> posts = DeliverLocked();
    LeaveCriticalSection(&m_lock);
    Post(posts);
}

std::vector<CNotifier::CPost> CNotifier::DeliverLocked()
{
    std::vector<CPost> posts;
    bool anyone = false;
    for (const CLogon& logon : m_logons)
        anyone = anyone || (logon.window && logon.mask);
    if (!anyone)
    {
        // Nobody listens: changes are noted so that they are not reported later.
        TheAddressBook().TakeChanges();
        return posts;
    }
    std::vector<CStoreChange> changes = TheAddressBook().TakeChanges();
    for (const CLogon& logon : m_logons)
    {
        if (!logon.window)
            continue;
        size_t first = posts.size();
        for (const CStoreChange& change : changes)
            if (logon.mask & (IsLocal(change.message) ? NOTIFY_LOCAL : NOTIFY_REMOTE))
                posts.push_back({logon.window, change.message, change.oid, false});
        if (posts.size() - first > BURST_CHANGES)
        {
            posts.resize(first + 1);
            posts[first].burst = true;
        }
    }
    return posts;
}

// Posted outside the lock: looking at a queue may run messages sent by other threads.
void CNotifier::Post(const std::vector<CPost>& posts)
{
    for (const CPost& post : posts)
        if (!post.burst || !NotificationQueued(post.window))
            PostMessageW(post.window, post.message, static_cast<WPARAM>(post.oid), 0);
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
