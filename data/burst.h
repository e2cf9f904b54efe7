// CReloadBurst: answers a burst of store notifications with one reload, posted to come after the burst.
#pragma once

#include <windows.h>

// True for the six messages the contact store sends when a contact is created, changed or deleted.
bool IsStoreNotification(UINT message);

class CReloadBurst
{
public:
    typedef BOOL(WINAPI* PostFunction)(HWND, UINT, WPARAM, LPARAM);

    // reloadMessage is posted to the window on the first notification of a burst; post stands in for
    // PostMessageW where a test must see a post fail.
    explicit CReloadBurst(UINT reloadMessage, PostFunction post = PostMessageW);

    // A store notification reached window: posts the reload unless one is on its way and takes the rest of
    // the burst off the queue. True when the caller must reload at once because the post failed (a full
    // queue during a large burst); otherwise no later notification would ever be answered.
    bool OnNotification(HWND window);
    // The reload is running: what is still queued says nothing it will not read, and the next
    // notification starts a new burst.
    void OnReload(HWND window);
    // A new window starts with no reload on its way.
    void Reset() { m_pending = false; }
    bool IsPending() const { return m_pending; }

private:
    void DropQueued(HWND window);

    UINT m_reloadMessage;
    PostFunction m_post;
    bool m_pending;
};
