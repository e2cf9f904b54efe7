// CReloadBurst: one posted reload per burst of store notifications, at once when the post fails.
#include "data/burst.h"

#include "platform/store/contactstore.h"

bool IsStoreNotification(UINT message)
{
    return message == PIM_ITEM_CREATED_LOCAL || message == PIM_ITEM_DELETED_LOCAL ||
           message == PIM_ITEM_CHANGED_LOCAL || message == PIM_ITEM_CREATED_REMOTE ||
           message == PIM_ITEM_DELETED_REMOTE || message == PIM_ITEM_CHANGED_REMOTE;
}

CReloadBurst::CReloadBurst(UINT reloadMessage, PostFunction post)
    : m_reloadMessage(reloadMessage), m_post(post), m_pending(false)
{
}

bool CReloadBurst::OnNotification(HWND window)
{
    DropQueued(window);
    if (m_pending)
        return false;
    if (m_post(window, m_reloadMessage, 0, 0))
    {
        m_pending = true;
        return false;
    }
    return true;
}

void CReloadBurst::OnReload(HWND window)
{
    DropQueued(window);
    m_pending = false;
}

// A sync sends one message per changed contact: the rest of a burst is taken off the queue unseen.
void CReloadBurst::DropQueued(HWND window)
{
    MSG queued;
    while (PeekMessageW(&queued, window, PIM_ITEM_CREATED_LOCAL, PIM_ITEM_CHANGED_LOCAL, PM_REMOVE))
    {
    }
    while (PeekMessageW(&queued, window, PIM_ITEM_CREATED_REMOTE, PIM_ITEM_CHANGED_REMOTE, PM_REMOVE))
    {
    }
}
