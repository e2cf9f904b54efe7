// The Desktop profile: resizable main window that keeps its place, window menu, captioned centred dialogs.
#include "tests/framework/harness.h"

#include "platform/shell/device.h"
#include "tests/framework/resource.h"

#include <gtest/gtest.h>

namespace {

std::wstring ItemText(HMENU menu, int position)
{
    wchar_t text[64] = L"deadbeef";
    GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return text;
}

} // namespace

TEST(DesktopProfile, MainWindowIsResizableFilledByItsViewAndKeepsItsPlace)
{
    CProfileScope profile(L"Desktop", 96);
    RECT closedAt = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
    {
        CTestApp app;
        app.viewIds = { 21 };
        app.viewMenuBar = IDR_MENUBAR_MAIN;
        app.scenario = [&closedAt](CTestApp& a) {
            HWND main = a.GetMainWnd();
            EXPECT_EQ(PLATFORM_POCKETPC, a.GetPlatform()) << "programs see a Pocket PC";
            LONG style = GetWindowLongW(main, GWL_STYLE);
            EXPECT_EQ(static_cast<LONG>(WS_OVERLAPPEDWINDOW), style & WS_OVERLAPPEDWINDOW);
            EXPECT_FALSE(IsWindowVisible(a.GetMenuBar())) << "no soft-key strip";
            SetWindowPos(main, nullptr, 50, 40, 900, 700, SWP_NOZORDER);
            RECT client;
            RECT view = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
            GetClientRect(main, &client);
            GetClientRect(a.GetActiveView()->GetWnd(), &view);
            EXPECT_TRUE(EqualRect(&client, &view));
            EXPECT_GT(client.right, 800);
            GetWindowRect(main, &closedAt);
        };
        EXPECT_EQ(0, app.RunTest());
    }
    CTestApp again;
    RECT startedAt = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
    again.scenario = [&startedAt](CTestApp& a) { GetWindowRect(a.GetMainWnd(), &startedAt); };
    EXPECT_EQ(0, again.RunTest());
    EXPECT_TRUE(EqualRect(&closedAt, &startedAt)) << "the next start is where the last one ended";
}

TEST(DesktopProfile, MenuBarIsTheWindowMenuWithTheSameCommandsAndKeys)
{
    CProfileScope profile(L"Desktop", 96);
    ClearLog();
    CTestApp app;
    app.viewIds = { 22 };
    app.viewMenuBar = IDR_MENUBAR_MAIN;
    app.scenario = [](CTestApp& a) {
        HMENU menu = GetMenu(a.GetMainWnd());
        ASSERT_NE(nullptr, menu);
        ASSERT_EQ(2, GetMenuItemCount(menu));
        EXPECT_EQ(L"Actions", ItemText(menu, 0));
        EXPECT_EQ(L"Menu", ItemText(menu, 1));
        HMENU actions = GetSubMenu(menu, 0);
        HMENU more = GetSubMenu(menu, 1);
        EXPECT_EQ(actions, reinterpret_cast<HMENU>(SendMessageW(a.GetMenuBar(), SHCMBM_GETSUBMENU, 0, 111)));
        EXPECT_EQ(L"Call contact\tF3", ItemText(actions, 1));
        EXPECT_EQ(L"Filter\tCtrl+F", ItemText(more, 0));
        EXPECT_EQ(L"Go to today", ItemText(more, 1));
        ClearLog();
        // The window's drop-downs are prepared with their button's command, as the soft keys' are.
        SendMessageW(a.GetMainWnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(more), MAKELPARAM(1, FALSE));
        SendMessageW(a.GetMainWnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(more, 3)),
                     MAKELPARAM(3, FALSE));
        static const Call prepared[] = { { 22, CALL_ON_INITMENUPOPUP, 112 }, { 22, CALL_ON_INITMENUPOPUP, 3 } };
        CHECK_SEQUENCE(prepared, "window menu drop-downs");
        // An item the program writes anew as its menu opens keeps its key.
        ModifyMenuW(more, 0, MF_BYPOSITION | MF_STRING, 32801, L"Clear filter");
        SendMessageW(a.GetMainWnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(more), MAKELPARAM(1, FALSE));
        EXPECT_EQ(L"Clear filter\tCtrl+F", ItemText(more, 0));
    };
    EXPECT_EQ(0, app.RunTest());
}

TEST(DesktopProfile, DialogsAreCaptionedAndCentredOnTheirOwner)
{
    struct Case
    {
        UINT templateId;
        bool fullScreen;
    };
    static const Case cases[] = { { IDD_FULL, true }, { IDD_DOCKED, false }, { 0, true } };
    CProfileScope profile(L"Desktop", 96);
    for (const Case& c : cases)
    {
        CTestApp app;
        RECT main = {};
        RECT own = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
        LONG style = 0;
        app.scenario = [&](CTestApp& a) {
            SetWindowPos(a.GetMainWnd(), nullptr, 100, 100, 700, 600, SWP_NOZORDER);
            GetWindowRect(a.GetMainWnd(), &main);
            CTestDialog dialog;
            dialog.inLoop = [&](CTestDialog& d) {
                GetWindowRect(d.GetWnd(), &own);
                style = GetWindowLongW(d.GetWnd(), GWL_STYLE);
                d.EndDialog(1);
            };
            if (c.templateId)
                dialog.StartDialog(c.templateId, IDR_MENUBAR_OKCANCEL, 0, c.fullScreen);
            else
                dialog.StartDialogNoTemplate(IDR_MENUBAR_OKCANCEL, 0, c.fullScreen);
        };
        EXPECT_EQ(0, app.RunTest());
        EXPECT_EQ(static_cast<LONG>(WS_CAPTION | WS_SYSMENU), style & (WS_CAPTION | WS_SYSMENU)) << c.templateId;
        EXPECT_LT(own.right - own.left, main.right - main.left) << c.templateId;
        EXPECT_LE(abs((own.left + own.right) - (main.left + main.right)), 1) << c.templateId;
        EXPECT_LE(abs((own.top + own.bottom) - (main.top + main.bottom)), 1) << c.templateId;
    }
}
