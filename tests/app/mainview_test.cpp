// The main view driven through its real window: commands, header, filter, keys, refresh, menus.
#include "app/resource.h"
#include "data/zodiac.h"
#include "framework/infowin.h"
#include "framework/menu.h"
#include "platform/shell/recorder.h"
#include "platform/shell/shell.h"
#include "tests/app/fixture.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

int ListCount(CTestedApp& app)
{
    return static_cast<int>(SendMessageW(app.View().GetList().GetWindow(), LVM_GETITEMCOUNT, 0, 0));
}

int ThisYear()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
}

} // namespace

TEST_F(MainProgram, OrderCommandsReorderAndStoreTheOrder)
{
    RunProgram([](CTestedApp& app) {
        SetReference(app, 2026, 12, 7);
        EXPECT_EQ(SORT_BY_DAYS_LEFT, app.Data().GetSettings().SortOrder) << "the default order";
        EXPECT_EQ(L"Bob", Row(app, 0)) << "the anniversary on 20 December is nearest";
        Command(app, IDM_SORT_NAME);
        EXPECT_EQ(L"Anna", Row(app, 0));
        Command(app, IDM_SORT_DATE);
        EXPECT_EQ(L"Bob", Row(app, 0)) << "born in 1970";
        Command(app, IDM_SORT_MONTH);
        EXPECT_EQ(L"Hannah", Row(app, 0)) << "1 February";
        EXPECT_EQ(6, ListCount(app));
        CSettings stored;
        stored.Read();
        EXPECT_EQ(SORT_BY_MONTH, stored.SortOrder);
    });
}

TEST_F(MainProgram, HeaderNamesTheYearOfAReferenceInAnotherYear)
{
    RunProgram([](CTestedApp& app) {
        const std::wstring next = std::to_wstring(ThisYear() + 1);
        const std::wstring last = std::to_wstring(ThisYear() - 1);
        struct
        {
            int year;
            UINT split;
            std::wstring header;
        } cases[] = {
            {ThisYear(), IDM_SPLIT_ALL, L"10 May"},
            {ThisYear() + 1, IDM_SPLIT_ALL, L"10 May " + next},
            {ThisYear() - 1, IDM_SPLIT_MONTH, L"May " + last},
            {ThisYear() + 1, IDM_SPLIT_ZODIAC, L"Taurus " + next},
        };
        for (const auto& c : cases)
        {
            Command(app, c.split);
            SetReference(app, c.year, 5, 10);
            EXPECT_EQ(c.header, HeaderText(app)) << c.year;
        }
    });
}

TEST_F(MainProgram, SplitCommandsAndPeriodsFollowTheTable)
{
    RunProgram([](CTestedApp& app) {
        SetReference(app, ThisYear(), 5, 10);
        EXPECT_EQ(L"10 May", HeaderText(app));
        Command(app, IDM_SPLIT_MONTH);
        EXPECT_EQ(L"May", HeaderText(app));
        EXPECT_EQ(1, ListCount(app));
        SetFocus(app.View().GetList().GetWindow());
        Command(app, IDM_NEXT_PERIOD);
        EXPECT_EQ(L"June", HeaderText(app));
        EXPECT_EQ(L"JOANNE", Row(app, 0));
        Command(app, IDM_PERIOD_FIRST);
        EXPECT_EQ(L"January", HeaderText(app));
        Command(app, IDM_PREVIOUS_PERIOD);
        EXPECT_EQ(L"December", HeaderText(app));
        EXPECT_EQ(1, ListCount(app)) << "Bob's anniversary";
        Command(app, IDM_NEXT_PERIOD);
        EXPECT_EQ(L"January", HeaderText(app));

        Command(app, IDM_SPLIT_ZODIAC);
        EXPECT_EQ(L"Taurus", HeaderText(app)) << "10 May";
        Command(app, IDM_PERIOD_FIRST + 11);
        EXPECT_EQ(L"Pisces", HeaderText(app));
        EXPECT_EQ(2, ListCount(app)) << "29 February and 15 March";
        Command(app, IDM_NEXT_PERIOD);
        EXPECT_EQ(L"Aries", HeaderText(app));
        Command(app, IDM_PREVIOUS_PERIOD);
        Command(app, IDM_PREVIOUS_PERIOD);
        EXPECT_EQ(L"Aquarius", HeaderText(app));

        Command(app, IDM_SPLIT_ALL);
        EXPECT_EQ(6, ListCount(app));
        EXPECT_EQ(-1, app.Data().GetSettings().SplitPeriod);
        Command(app, IDM_NEXT_PERIOD);
        EXPECT_EQ(L"10 May", HeaderText(app)) << "no period to step without a split";
        Command(app, IDM_TODAY);
        CTime now;
        now.SetToNow();
        EXPECT_EQ(now.GetDay(), app.Data().GetReference().GetDay());
    });
}

TEST_F(MainProgram, FilterNarrowsAtEveryKeystrokeAndClosesOnBack)
{
    RunProgram([](CTestedApp& app) {
        CMainView& view = app.View();
        Command(app, IDM_FILTER);
        ASSERT_TRUE(view.IsFilterOpen());
        EXPECT_EQ(view.GetFilterEdit(), GetFocus());
        EXPECT_TRUE(IsWindowVisible(view.GetFilterEdit()));
        SetWindowTextW(view.GetFilterEdit(), L"an");
        EXPECT_EQ(3, ListCount(app)) << "Anna, JOANNE, Hannah";
        SetWindowTextW(view.GetFilterEdit(), L"ann");
        EXPECT_EQ(3, ListCount(app));
        EXPECT_EQ(0, view.GetList().GetSelection());

        SendMessageW(view.GetFilterEdit(), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(1, view.GetList().GetSelection()) << "Down in the edit moves the list";
        SendMessageW(view.GetFilterEdit(), WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(0, view.GetList().GetSelection());

        SetWindowTextW(view.GetFilterEdit(), L"");
        SendMessageW(view.GetFilterEdit(), WM_KEYDOWN, VK_BACK, 0);
        EXPECT_FALSE(view.IsFilterOpen());
        EXPECT_EQ(6, ListCount(app));
        EXPECT_EQ(view.GetList().GetWindow(), GetFocus());

        Command(app, IDM_FILTER);
        SetWindowTextW(view.GetFilterEdit(), L"x");
        SendMessageW(app.GetMainWnd(), WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
        EXPECT_TRUE(view.IsFilterOpen()) << "Back with text deletes a character instead";
        SetWindowTextW(view.GetFilterEdit(), L"");
        SendMessageW(app.GetMainWnd(), WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
        EXPECT_FALSE(view.IsFilterOpen()) << "Back in an empty filter closes it";
    });
}

TEST_F(MainProgram, EscClosesTheFilterOnADesktopAndEnterOpensTheMatch)
{
    struct Case
    {
        const wchar_t* platform;
        bool openAfterEsc;
    };
    static const Case cases[] = {{L"PocketPC", true}, {L"Desktop", false}};
    for (const Case& c : cases)
    {
        CDeviceProfile profile(c.platform, 96);
        FakeStore().displays = 0;
        RunProgram([&c](CTestedApp& app) {
            CMainView& view = app.View();
            Command(app, IDM_FILTER);
            SetWindowTextW(view.GetFilterEdit(), L"ann");
            SendMessageW(view.GetFilterEdit(), EM_SETSEL, 3, 3);
            SendMessageW(view.GetFilterEdit(), WM_KEYDOWN, VK_DOWN, 0);
            SendMessageW(view.GetFilterEdit(), WM_KEYDOWN, VK_RETURN, 0);
            Flush(50);
            EXPECT_EQ(1, FakeStore().displays) << "Enter in the filter opens the selected match";
            EXPECT_EQ(1, view.GetList().GetSelection());
            SendMessageW(app.GetMainWnd(), WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
            EXPECT_EQ(c.openAfterEsc, view.IsFilterOpen()) << c.platform;
            if (!c.openAfterEsc)
            {
                EXPECT_EQ(6, ListCount(app)) << "the filter is cleared as well";
            }
        });
    }
}

TEST_F(MainProgram, BackDeletesTheLastCharacterBeforeItClosesTheFilter)
{
    RunProgram([](CTestedApp& app) {
        CMainView& view = app.View();
        Command(app, IDM_FILTER);
        SetWindowTextW(view.GetFilterEdit(), L"x");
        SendMessageW(view.GetFilterEdit(), EM_SETSEL, 1, 1);
        SendMessageW(app.GetMainWnd(), WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
        EXPECT_TRUE(view.IsFilterOpen()) << "the character is deleted, the filter stays";
        EXPECT_EQ(0, GetWindowTextLengthW(view.GetFilterEdit()));
        SendMessageW(app.GetMainWnd(), WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
        EXPECT_FALSE(view.IsFilterOpen()) << "Back in the emptied filter closes it";
    });
}

std::vector<std::pair<WPARAM, LPARAM>> g_forwardedBack;

TEST_F(MainProgram, BackReachesTheFilterWithTheHotKeysOwnParameters)
{
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_FILTER);
        SetWindowTextW(app.View().GetFilterEdit(), L"x");
        g_forwardedBack.clear();
        ShellSetRecorder([](const wchar_t* call, HWND, WPARAM wParam, LPARAM lParam) {
            if (wcscmp(call, L"SHSendBackToFocusWindow") == 0)
                g_forwardedBack.emplace_back(wParam, lParam);
        });
        // The key-up half of the Back key, as the menu bar reports it on the device.
        SendMessageW(app.GetMainWnd(), WM_HOTKEY, 7, MAKELPARAM(MOD_KEYUP, VK_TBACK));
        ShellSetRecorder(nullptr);
        EXPECT_EQ((std::vector<std::pair<WPARAM, LPARAM>>{{7, MAKELPARAM(MOD_KEYUP, VK_TBACK)}}), g_forwardedBack);
    });
}

TEST_F(MainProgram, ClearButtonAndArrowKeysWorkThroughTheirRealPaths)
{
    RunProgram([](CTestedApp& app) {
        CMainView& view = app.View();
        SetReference(app, 2026, 5, 10);
        Command(app, IDM_SPLIT_MONTH);
        SetFocus(view.GetList().GetWindow());
        // The arrow keys reach the period commands through the view's accelerator table.
        MSG key = {view.GetList().GetWindow(), WM_KEYDOWN, VK_RIGHT, 0, 0, {0, 0}};
        EXPECT_TRUE(TranslateAcceleratorW(view.GetWnd(), view.GetAccel(), &key));
        EXPECT_EQ(L"June", HeaderText(app));
        key.wParam = VK_LEFT;
        TranslateAcceleratorW(view.GetWnd(), view.GetAccel(), &key);
        TranslateAcceleratorW(view.GetWnd(), view.GetAccel(), &key);
        EXPECT_EQ(L"April", HeaderText(app));

        Command(app, IDM_FILTER);
        SetWindowTextW(view.GetFilterEdit(), L"ann");
        RECT client;
        GetClientRect(view.GetWnd(), &client);
        int h = view.GetHeaderHeight();
        SendMessageW(view.GetWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(client.right - h / 2, client.bottom - h / 2));
        EXPECT_FALSE(view.IsFilterOpen()) << "the clear button's tap closes the filter";
        EXPECT_EQ(0, GetWindowTextLengthW(view.GetFilterEdit()));
    });
}

TEST_F(MainProgram, PaintingTheViewNeverReachesTheList)
{
    RunProgram([](CTestedApp& app) {
        // The view's own painting must leave the list's pixels alone, or every refill blanks the list.
        HWND list = app.View().GetList().GetWindow();
        RECT rect;
        GetWindowRect(list, &rect);
        MapWindowPoints(nullptr, app.View().GetWnd(), reinterpret_cast<POINT*>(&rect), 2);
        HDC dc = GetDC(app.View().GetWnd());
        EXPECT_FALSE(PtVisible(dc, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
        EXPECT_TRUE(PtVisible(dc, 2, app.View().GetHeaderHeight() / 2)) << "the header band is the view's";
        ReleaseDC(app.View().GetWnd(), dc);
    });
}

TEST_F(MainProgram, AnEmptyListDrawsTheSeparatorsOfAPage)
{
    FakeStore().contacts.clear();
    RunProgram([](CTestedApp& app) {
        HWND list = app.View().GetList().GetWindow();
        RECT client;
        GetClientRect(list, &client);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        int pitch = app.View().GetRowHeight();
        COLORREF separator = GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(separator, GetPixel(dc, client.right / 2, pitch - 1)) << "under the first row position";
        EXPECT_EQ(separator, GetPixel(dc, client.right / 2, 2 * pitch - 1));
        EXPECT_NE(separator, GetPixel(dc, client.right / 2, pitch / 2));
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    });
}

TEST_F(MainProgram, SortOrderOutOfRangeIsBroughtIntoRange)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD value = 99;
    RegSetValueExW(key, L"SortOrder", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    RunProgram([](CTestedApp& app) {
        HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
        HMENU sort = GetSubMenu(GetSubMenu(menu, 0), 3);
        app.View().OnInitMenuPopup(sort, 3);
        int checked = 0;
        for (UINT id : {IDM_SORT_NAME, IDM_SORT_DATE, IDM_SORT_DAYS_LEFT, IDM_SORT_MONTH})
            checked += (GetMenuState(sort, id, MF_BYCOMMAND) & MF_CHECKED) ? 1 : 0;
        EXPECT_EQ(1, checked) << "one order is always checked";
        DestroyMenu(menu);
        Command(app, IDM_SPLIT_ALL);
        HKEY written = nullptr;
        DWORD raw = 0xdeadbeef;
        DWORD size = sizeof(raw);
        RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &written);
        RegQueryValueExW(written, L"SortOrder", nullptr, nullptr, reinterpret_cast<BYTE*>(&raw), &size);
        RegCloseKey(written);
        EXPECT_LE(raw, 3u) << "what is written back is in range";
    });
}

TEST_F(MainProgram, SortKeepsTheTodayOptionsChangedMeanwhile)
{
    RunProgram([](CTestedApp& app) {
        // The plug-in's options dialog, confirmed while the program runs.
        CSettings plugIn;
        plugIn.Read();
        plugIn.TodayMaxLines = 2;
        plugIn.TodayMaxMonth = 7;
        plugIn.Write();
        Command(app, IDM_SORT_NAME);
        CSettings stored;
        stored.Read();
        EXPECT_EQ(SORT_BY_NAME, stored.SortOrder);
        EXPECT_EQ(2, stored.TodayMaxLines);
        EXPECT_EQ(7, stored.TodayMaxMonth);
    });
}

namespace {

// The user data of the list and the filter edit as they are destroyed, after the view has gone.
HWND g_list = nullptr;
HWND g_edit = nullptr;
std::vector<LONG_PTR> g_userData;

LRESULT CALLBACK WatchDestruction(int code, WPARAM wParam, LPARAM lParam)
{
    auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && (message->message == WM_DESTROY || message->message == WM_NCDESTROY) &&
        (message->hwnd == g_list || message->hwnd == g_edit))
        g_userData.push_back(GetWindowLongPtrW(message->hwnd, GWLP_USERDATA));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(MainProgram, ListAndFilterLetGoOfTheViewBeforeItIsDeleted)
{
    g_userData.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchDestruction, nullptr, GetCurrentThreadId());
    RunProgram([](CTestedApp& app) {
        g_list = app.View().GetList().GetWindow();
        g_edit = app.View().GetFilterEdit();
    });
    UnhookWindowsHookEx(hook);
    EXPECT_EQ((std::vector<LONG_PTR>{0, 0, 0, 0}), g_userData) << "no window still points at the deleted view";
}

TEST_F(MainProgram, MenuShowsClearFilterAndTheDatePeriodSubMenu)
{
    RunProgram([](CTestedApp& app) {
        HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
        HMENU sub = GetSubMenu(menu, 0);
        app.View().OnInitMenuPopup(sub, IDC_MENUBAR_MENU);
        wchar_t text[64] = L"";
        GetMenuStringW(sub, IDM_FILTER, text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(L"Filter", text);
        HMENU period = GetSubMenu(sub, 1);
        ASSERT_NE(nullptr, period);
        EXPECT_EQ(2, GetMenuItemCount(period));
        EXPECT_EQ(static_cast<UINT>(IDM_TODAY), GetMenuItemID(period, 0));

        Command(app, IDM_FILTER);
        SetReference(app, 2026, 5, 10);
        Command(app, IDM_SPLIT_MONTH);
        app.View().OnInitMenuPopup(sub, IDC_MENUBAR_MENU);
        GetMenuStringW(sub, IDM_FILTER, text, 64, MF_BYCOMMAND);
        EXPECT_STREQ(L"Clear filter", text);
        period = GetSubMenu(sub, 1);
        ASSERT_EQ(12, GetMenuItemCount(period));
        GetMenuStringW(period, 4, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(L"May (now)", text);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(period, 4, MF_BYPOSITION) & MF_CHECKED);
        EXPECT_EQ(10, MenuItemCount(sub)) << "nothing added, nothing lost";

        HMENU sort = GetSubMenu(sub, 3);
        app.View().OnInitMenuPopup(sort, 3);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(sort, IDM_SORT_DAYS_LEFT, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_EQ(0u, GetMenuState(sort, IDM_SORT_NAME, MF_BYCOMMAND) & MF_CHECKED);
        HMENU split = GetSubMenu(sub, 4);
        app.View().OnInitMenuPopup(split, 4);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(split, IDM_SPLIT_MONTH, MF_BYCOMMAND) & MF_CHECKED);
        DestroyMenu(menu);
    });
}

TEST_F(MainProgram, StoreNotificationsReloadAndKeepTheSelectedContact)
{
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_SORT_NAME);
        app.View().Refill(3);
        ASSERT_EQ(L"Carl", Row(app, 3));
        int before = FakeStore().enumerations;
        SendMessageW(app.GetMainWnd(), 0x8103, 0, 0);
        SendMessageW(app.GetMainWnd(), 0x8104, 0, 0);
        EXPECT_EQ(before, FakeStore().enumerations) << "0x8103 and 0x8104 are no changes of contacts";

        FakeStore().contacts.push_back({6, L"Aaron", OleDate(1999, 1, 1), NO_DATE, false, nullptr, nullptr, {}});
        SendMessageW(app.GetMainWnd(), PIM_ITEM_CHANGED_LOCAL, 0, 0);
        Flush(50);
        EXPECT_EQ(before + 1, FakeStore().enumerations);
        EXPECT_EQ(7, ListCount(app));
        EXPECT_EQ(4, app.View().GetList().GetSelection()) << "still on Carl, one row lower";
        EXPECT_EQ(L"Carl", Row(app, 4));

        FakeStore().contacts.erase(FakeStore().contacts.begin() + 4);
        SendMessageW(app.GetMainWnd(), PIM_ITEM_CHANGED_REMOTE, 0, 0);
        Flush(50);
        EXPECT_EQ(0, app.View().GetList().GetSelection()) << "Carl is gone: the first row";
        for (UINT message : {0x8100u, 0x8101u, 0x8105u, 0x8106u})
        {
            SendMessageW(app.GetMainWnd(), message, 0, 0);
            Flush(50);
        }
        EXPECT_EQ(before + 6, FakeStore().enumerations);
    });
}

TEST_F(MainProgram, BurstOfStoreNotificationsReloadsOnceAndKeepsTheSelection)
{
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_SORT_NAME);
        app.View().Refill(3);
        ASSERT_EQ(L"Carl", Row(app, 3));
        int before = FakeStore().enumerations;
        FakeStore().contacts.push_back({6, L"Aaron", OleDate(1999, 1, 1), NO_DATE, false, nullptr, nullptr, {}});
        // A sync rewriting many cards: one message per card, all queued at once.
        for (LONG oid = 1; oid <= 200; oid++)
            PostMessageW(app.GetMainWnd(), PIM_ITEM_CHANGED_REMOTE, static_cast<WPARAM>(oid), 0);
        Flush(1000);
        EXPECT_EQ(before + 1, FakeStore().enumerations);
        EXPECT_EQ(7, ListCount(app));
        EXPECT_EQ(L"Carl", Row(app, app.View().GetList().GetSelection()));
    });
}

TEST_F(MainProgram, ActionsWithoutSelectionGoNoFurther)
{
    FakeStore().contacts.clear();
    RunProgram([](CTestedApp& app) {
        EXPECT_EQ(0, ListCount(app));
        EXPECT_EQ(-1, app.View().GetList().GetSelection());
        Command(app, IDM_EDIT_CONTACT);
        Command(app, IDM_CALL_CONTACT);
        EXPECT_EQ(0, FakeStore().edits);
    });
}

TEST_F(MainProgram, EditOpensTheSelectedContact)
{
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_EDIT_CONTACT);
        EXPECT_EQ(1, FakeStore().edits);
    });
}

TEST_F(MainProgram, TalkKeyCallsAndTapOnHeaderStepsThePeriod)
{
    FakeStore().contacts[0].properties[PIMPR_MOBILE_TELEPHONE_NUMBER] = L"555-0100";
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_SORT_NAME);
        size_t requests = FakeStore().requests.size();
        SendMessageW(app.GetMainWnd(), WM_HOTKEY, 0, MAKELPARAM(0, VK_TTALK));
        EXPECT_EQ(requests + 1, FakeStore().requests.size()) << "the numbers of the selected contact were read";
        ASSERT_EQ(1u, Requests().size());
        EXPECT_EQ(L"tel:5550100", Requests()[0]);

        SetReference(app, 2026, 5, 10);
        Command(app, IDM_SPLIT_MONTH);
        SetFocus(app.View().GetList().GetWindow());
        int h = app.View().GetHeaderHeight();
        SendMessageW(app.View().GetWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(2, h / 2));
        EXPECT_EQ(L"April", HeaderText(app));
        RECT client;
        GetClientRect(app.View().GetWnd(), &client);
        SendMessageW(app.View().GetWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(client.right - 2, h / 2));
        EXPECT_EQ(L"May", HeaderText(app));
    });
}

namespace {

std::vector<std::wstring> g_menuItems;
RECT g_menuRect;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup))
        return;
    KillTimer(nullptr, id);
    GetWindowRect(popup, &g_menuRect);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); i++)
    {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        g_menuItems.push_back(text);
    }
    EndMenu();
}

} // namespace

TEST_F(MainProgram, HoldOnARowSelectsItAndOffersTheThreeActions)
{
    struct Case
    {
        const wchar_t* platform;
        bool belowPointer;
    };
    // The handheld's menu opens above the finger; a desktop's opens at the pointer, downwards.
    static const Case cases[] = {{L"PocketPC", false}, {L"Desktop", true}};
    for (const Case& c : cases)
    {
        CDeviceProfile profile(c.platform, 96);
        RunProgram([&c](CTestedApp& app) {
            Command(app, IDM_SORT_NAME);
            HWND list = app.View().GetList().GetWindow();
            RECT row = {LVIR_BOUNDS, 0, 0, 0};
            SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
            g_menuItems.clear();
            g_menuRect = {LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef)};
            SetTimer(nullptr, 0, 20, ReadOpenMenu);
            // A right click is the desktop's tap-and-hold.
            POINT click = {row.left + 40, row.top + 5};
            PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(click.x, click.y));
            Flush(1000);
            EXPECT_EQ((std::vector<std::wstring>{L"Edit contact", L"Call contact", L"Send message"}), g_menuItems);
            EXPECT_EQ(2, app.View().GetList().GetSelection()) << "the held row is the one acted on";
            ClientToScreen(list, &click);
            EXPECT_EQ(click.x, g_menuRect.left) << c.platform;
            EXPECT_EQ(click.y, c.belowPointer ? g_menuRect.top : g_menuRect.bottom) << c.platform;
        });
    }
}

TEST_F(MainProgram, MovingTheSelectionLeavesNoTraceOfTheOldRow)
{
    RunProgram([](CTestedApp& app) {
        HWND list = app.View().GetList().GetWindow();
        SetFocus(list);
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT old = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&old));
        RECT client;
        GetClientRect(list, &client);
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
        Flush(100);
        UpdateWindow(list);
        COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        HDC dc = GetDC(list);
        int traces = 0;
        for (int y = old.top; y < old.bottom; y++)
            for (int x = client.left; x < client.right; x++)
                if (GetPixel(dc, x, y) == highlight)
                    traces++;
        ReleaseDC(list, dc);
        EXPECT_EQ(1, app.View().GetList().GetSelection());
        EXPECT_EQ(0, traces) << "pixels of the highlight left in the old row " << old.left << "," << old.top << "-"
                             << old.right << "," << old.bottom << " of " << client.right;
    });
}

TEST_F(MainProgram, EnterAndDoubleClickOpenTheCardAndTypingOpensTheFilter)
{
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_SORT_NAME);
        CMainView& view = app.View();
        HWND list = view.GetList().GetWindow();
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
        Flush(50);
        EXPECT_EQ(1, FakeStore().displays) << "Enter shows the selected contact's card";
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
        SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.left + 40, row.top + 5));
        Flush(50);
        EXPECT_EQ(2, FakeStore().displays) << "so does a double click";
        EXPECT_EQ(2, view.GetList().GetSelection());
        EXPECT_EQ(0, FakeStore().edits);

        SetFocus(list);
        SendMessageW(list, WM_CHAR, L'j', 0);
        ASSERT_TRUE(view.IsFilterOpen()) << "a letter typed in the list opens the filter";
        EXPECT_EQ(view.GetFilterEdit(), GetFocus());
        wchar_t text[16] = L"";
        GetWindowTextW(view.GetFilterEdit(), text, 16);
        EXPECT_STREQ(L"j", text);
        EXPECT_EQ(1, ListCount(app)) << "JOANNE";

        SetWindowTextW(view.GetFilterEdit(), L"jo");
        SendMessageW(view.GetFilterEdit(), WM_CHAR, 1, 0);
        DWORD start = 0xdeadbeef;
        DWORD end = 0xdeadbeef;
        SendMessageW(view.GetFilterEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(0u, start) << "Ctrl+A selects the whole filter text";
        EXPECT_EQ(2u, end);
        GetWindowTextW(view.GetFilterEdit(), text, 16);
        EXPECT_STREQ(L"jo", text);
    });
}

TEST_F(MainProgram, UnreadableAddressBookIsSaidOnceAndItsReturnKeepsTheSelection)
{
    RunProgram([](CTestedApp& app) {
        Command(app, IDM_SORT_NAME);
        app.View().Refill(3);
        ASSERT_EQ(L"Carl", Row(app, 3));
        HWND info = app.GetInfoWindow()->GetWnd();
        EXPECT_FALSE(IsWindowVisible(info));

        FakeStore().itemsResult = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        FakeStore().itemsError = L"C:\\users\\me\\contacts.vcf";
        SendMessageW(app.GetMainWnd(), PIM_ITEM_DELETED_LOCAL, 0, 0);
        Flush(100);
        EXPECT_EQ(0, ListCount(app));
        EXPECT_TRUE(IsWindowVisible(info)) << "the information window says the address book could not be read";
        app.GetInfoWindow()->Hide();
        SendMessageW(app.GetMainWnd(), PIM_ITEM_DELETED_LOCAL, 0, 0);
        Flush(100);
        EXPECT_FALSE(IsWindowVisible(info)) << "said once, not at every check";

        FakeStore().itemsResult = S_OK;
        SendMessageW(app.GetMainWnd(), PIM_ITEM_CREATED_LOCAL, 0, 0);
        Flush(100);
        EXPECT_EQ(6, ListCount(app));
        EXPECT_EQ(3, app.View().GetList().GetSelection()) << "the list returns with Carl selected";
        EXPECT_FALSE(IsWindowVisible(info));

        FakeStore().itemsResult = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
        SendMessageW(app.GetMainWnd(), PIM_ITEM_CHANGED_LOCAL, 0, 0);
        Flush(100);
        EXPECT_TRUE(IsWindowVisible(info)) << "said again after the address book was read in between";
        FakeStore().itemsResult = S_OK;
    });
}

TEST_F(MainProgram, EmptyListSaysWhyForAsLongAsItIsEmpty)
{
    RunProgram([](CTestedApp& app) {
        EXPECT_EQ(L"", app.View().GetList().GetEmptyText()) << "a list with events needs no word";
        FakeStore().contacts.clear();
        const wchar_t* book = L"C:\\users\\me\\contacts.vcf";
        struct
        {
            const wchar_t* chosen;
            HRESULT items;
            std::wstring starts;
        } cases[] = {
            {L"", S_OK, L"No address book is chosen. Choose one under Menu \u203A Options \u203A Address book."},
            {book, S_OK, L"There are no birthdays in the address book C:\\users\\me\\contacts.vcf."},
            {book, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), L"The address book C:\\users\\me\\contacts.vcf cannot be read: "},
        };
        for (const auto& c : cases)
        {
            WriteChosenBook(c.chosen);
            FakeStore().itemsResult = c.items;
            FakeStore().itemsError = book;
            SendMessageW(app.GetMainWnd(), PIM_ITEM_CHANGED_LOCAL, 0, 0);
            Flush(100);
            app.GetInfoWindow()->Hide();
            Flush(50);
            std::wstring text = app.View().GetList().GetEmptyText();
            EXPECT_EQ(c.starts, text.substr(0, c.starts.size())) << c.chosen;
            if (FAILED(c.items))
                EXPECT_GT(text.size(), c.starts.size()) << "the system's reason follows";
            else
                EXPECT_EQ(c.starts, text);
        }
        FakeStore().itemsResult = S_OK;
    });
}
