// Menu and layout helpers: counting, reading and replacing items; fitting controls to a dialog.
#include "framework/layout.h"
#include "framework/menu.h"
#include "tests/framework/resource.h"

#include <gtest/gtest.h>

namespace {

HMENU ThreeItems()
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 10, L"ten");
    AppendMenuW(menu, MF_STRING, 11, L"eleven");
    AppendMenuW(menu, MF_STRING, 12, L"twelve");
    return menu;
}

std::wstring ItemText(HMENU menu, int position)
{
    wchar_t text[32] = L"deadbeef";
    GetMenuStringW(menu, position, text, 32, MF_BYPOSITION);
    return text;
}

} // namespace

TEST(MenuHelpers, CountAndIds)
{
    HMENU menu = ThreeItems();
    EXPECT_EQ(3, MenuItemCount(menu));
    EXPECT_EQ(11u, MenuItemId(menu, 1));
    HMENU empty = CreatePopupMenu();
    EXPECT_EQ(0, MenuItemCount(empty));
    DestroyMenu(empty);
    DestroyMenu(menu);
}

TEST(MenuHelpers, ReplaceByIdAndByPosition)
{
    HMENU menu = ThreeItems();
    EXPECT_TRUE(ReplaceMenuItem(menu, 11, MF_STRING, 21, L"Clear filter"));
    EXPECT_EQ(3, MenuItemCount(menu));
    EXPECT_EQ(21u, MenuItemId(menu, 1));
    EXPECT_EQ(L"Clear filter", ItemText(menu, 1));

    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 40, L"Today");
    EXPECT_TRUE(ReplaceMenuItem(menu, 0, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub),
                                L"Date/period"));
    EXPECT_EQ(sub, GetSubMenu(menu, 0));
    EXPECT_EQ(L"Date/period", ItemText(menu, 0));
    EXPECT_EQ(3, MenuItemCount(menu));

    // No item has the id: the deletion by command fails, so the replacement reports failure and
    // the existing items stay where they are.
    EXPECT_FALSE(ReplaceMenuItem(menu, 99, MF_STRING, 22, L"none"));
    EXPECT_EQ(sub, GetSubMenu(menu, 0));
    EXPECT_EQ(21u, MenuItemId(menu, 1));
    EXPECT_EQ(12u, MenuItemId(menu, 2));
    DestroyMenu(menu);
}

TEST(LayoutHelpers, ControlsFitTheWidthWithMargins)
{
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FULL), nullptr,
                                     [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
    ASSERT_NE(nullptr, dialog);
    HWND edit = GetDlgItem(dialog, IDC_EDIT);
    RECT client;
    GetClientRect(dialog, &client);
    RECT before;
    GetWindowRect(edit, &before);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&before), 2);
    int margin = ControlMargin();

    FitControlsToWidth(dialog, 1, IDC_EDIT);
    RECT after;
    GetWindowRect(edit, &after);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&after), 2);
    EXPECT_EQ(margin, after.left);
    EXPECT_EQ(client.right - margin, after.right);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);

    MoveWindow(edit, 20, before.top, 30, before.bottom - before.top, FALSE);
    FitControlsRight(dialog, 2, IDC_EDIT, 4242);
    GetWindowRect(edit, &after);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&after), 2);
    EXPECT_EQ(20, after.left);
    EXPECT_EQ(client.right - margin, after.right);
    DestroyWindow(dialog);
}
