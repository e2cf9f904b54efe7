// CReloadBurst: one posted reload answers a burst of store notifications; a failed post reloads at once.
#include "data/burst.h"

#include "platform/store/contactstore.h"

#include <gtest/gtest.h>

namespace {

const UINT RELOAD = WM_APP + 2;

BOOL WINAPI FailingPost(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

int TakeQueued(HWND window, UINT first, UINT last)
{
    MSG message;
    int count = 0;
    while (PeekMessageW(&message, window, first, last, PM_REMOVE))
        count++;
    return count;
}

TEST(ReloadBurst, OneReloadPerBurstAndAtOnceWhenThePostFails)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);

    CReloadBurst burst(RELOAD);
    for (UINT message : {PIM_ITEM_CHANGED_LOCAL, PIM_ITEM_CREATED_REMOTE, PIM_ITEM_DELETED_REMOTE})
        PostMessageW(window, message, 0, 0);
    EXPECT_FALSE(burst.OnNotification(window));
    EXPECT_FALSE(burst.OnNotification(window));
    EXPECT_EQ(0, TakeQueued(window, PIM_ITEM_CREATED_LOCAL, PIM_ITEM_CHANGED_REMOTE));
    EXPECT_EQ(1, TakeQueued(window, RELOAD, RELOAD));
    // The reload ends the burst: the next notification posts again.
    burst.OnReload(window);
    EXPECT_FALSE(burst.OnNotification(window));
    EXPECT_EQ(1, TakeQueued(window, RELOAD, RELOAD));

    // A full queue refuses the post: every notification asks for the reload itself, none is lost.
    CReloadBurst refused(RELOAD, FailingPost);
    EXPECT_TRUE(refused.OnNotification(window));
    EXPECT_TRUE(refused.OnNotification(window));
    EXPECT_FALSE(refused.IsPending());

    DestroyWindow(window);
}

} // namespace
