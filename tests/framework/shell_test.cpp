// Shell stand-ins: the soft-key bar, key overrides, gestures, back-key forwarding, device profile.
#include "tests/framework/harness.h"

#include "platform/shell/device.h"
#include "tests/framework/resource.h"

#include <gtest/gtest.h>

namespace {

HWND CreateBar(HWND owner, UINT id)
{
    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = owner;
    info.nToolBarId = id;
    info.hInstRes = GetModuleHandleW(nullptr);
    info.hwndMB = reinterpret_cast<HWND>(0xdeadbeef);
    if (!SHCreateMenuBar(&info))
        return nullptr;
    return info.hwndMB;
}

// A tap on the left (index 0) or right (index 1) button of a two-button bar.
void Tap(HWND bar, int index, bool post)
{
    RECT client;
    GetClientRect(bar, &client);
    LPARAM point = MAKELPARAM(client.right * (2 * index + 1) / 4, client.bottom / 2);
    if (post)
    {
        PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageW(bar, WM_LBUTTONUP, 0, point);
        return;
    }
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(bar, WM_LBUTTONUP, 0, point);
}

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearLog();
        owner = CreateRecordingWindow(SRC_OWNER);
        ASSERT_NE(nullptr, owner);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        Flush(0);
    }
    HWND owner = nullptr;
};

} // namespace

TEST_F(ShellTest, MenuBarSitsBelowItsParentAndFollowsIt)
{
    HWND bar = CreateBar(owner, IDR_MENUBAR_MAIN);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(bar, SHFindMenuBar(owner));
    RECT parent;
    RECT rect = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
    GetWindowRect(owner, &parent);
    GetWindowRect(bar, &rect);
    EXPECT_EQ(parent.bottom, rect.top);
    EXPECT_EQ(parent.left, rect.left);
    EXPECT_EQ(parent.right, rect.right);
    EXPECT_EQ(DeviceScale(26), rect.bottom - rect.top);
    EXPECT_TRUE(IsWindowVisible(bar));

    SetWindowPos(owner, nullptr, 30, 40, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(bar, &rect);
    EXPECT_EQ(140, rect.top);
    EXPECT_EQ(30, rect.left);
    EXPECT_EQ(230, rect.right);
    ShowWindow(owner, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(bar));
    ShowWindow(owner, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(bar));

    DestroyWindow(bar);
    EXPECT_EQ(nullptr, SHFindMenuBar(owner));
}

TEST_F(ShellTest, MenuBarLeavesItsOwnerActiveAndATapBringsTheOwnerToTheFront)
{
    SetForegroundWindow(owner);
    HWND bar = CreateBar(owner, IDR_MENUBAR_OKCANCEL);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(owner, GetActiveWindow()) << "showing the bar keeps the activation with its owner";

    HWND other = CreateWindowExW(0, L"Static", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(other, GetForegroundWindow());
    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(bar, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(bar),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
    EXPECT_EQ(owner, GetForegroundWindow()) << "a tap on the bar brings its program's window to the front";
    DestroyWindow(other);
}

TEST_F(ShellTest, MenuBarFromMissingResourceFails)
{
    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = owner;
    info.nToolBarId = 999;
    info.hInstRes = GetModuleHandleW(nullptr);
    EXPECT_FALSE(SHCreateMenuBar(&info));
    EXPECT_EQ(nullptr, info.hwndMB);
    // A bar whose window is destroyed while it is made: what it holds is freed once (the heap check tells).
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, DestroyMenuBarWhileCreated, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    info.nToolBarId = IDR_MENUBAR_OKCANCEL;
    BOOL made = SHCreateMenuBar(&info);
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(made);
    EXPECT_EQ(nullptr, info.hwndMB);
    EXPECT_EQ(nullptr, SHFindMenuBar(owner));
    info.nToolBarId = 0;
    EXPECT_TRUE(SHCreateMenuBar(&info));
    EXPECT_NE(nullptr, info.hwndMB);
}

TEST_F(ShellTest, PlainButtonsSendTheirCommands)
{
    HWND bar = CreateBar(owner, IDR_MENUBAR_OKCANCEL);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(nullptr, reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0)));
    Tap(bar, 0, false);
    Tap(bar, 1, true);
    Flush(50);
    static const Call commands[] = { { SRC_OWNER, MSG_COMMAND, 1 }, { SRC_OWNER, MSG_COMMAND, 2 } };
    CHECK_SEQUENCE(commands, "Ok and Cancel");

    // A disabled owner (a modal dialog runs) takes no commands from its bar.
    ClearLog();
    EnableWindow(owner, FALSE);
    Tap(bar, 0, false);
    EnableWindow(owner, TRUE);
    EXPECT_TRUE(Log().empty());
}

TEST_F(ShellTest, SubMenuButtonPreparesAndOpensItsSubMenu)
{
    HWND bar = CreateBar(owner, IDR_MENUBAR_MAIN);
    ASSERT_NE(nullptr, bar);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(GetSubMenu(menu, 0), reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 112)));
    EXPECT_EQ(GetSubMenu(menu, 1), reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 111)));

    // The keys wait in the queue until the menu is open: the second item of "Menu" is chosen.
    PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 1);
    Tap(bar, 1, false);
    static const Call menuChoice[] = { { SRC_OWNER, MSG_INITMENUPOPUP, 112 }, { SRC_OWNER, MSG_COMMAND, 32802 } };
    CHECK_SEQUENCE(menuChoice, "Menu, second item");

    ClearLog();
    PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 1);
    Tap(bar, 0, false);
    static const Call actionsChoice[] = { { SRC_OWNER, MSG_INITMENUPOPUP, 111 }, { SRC_OWNER, MSG_COMMAND, 32793 } };
    CHECK_SEQUENCE(actionsChoice, "Actions, first item");

    ClearLog();
    PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 1);
    Tap(bar, 0, false);
    static const Call cancelled[] = { { SRC_OWNER, MSG_INITMENUPOPUP, 111 } };
    CHECK_SEQUENCE(cancelled, "Actions, cancelled");
}

TEST_F(ShellTest, OverriddenBackAndTalkKeysArriveAsHotKeys)
{
    HWND bar = CreateBar(owner, IDR_MENUBAR_MAIN);
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(SendMessageW(bar, SHCMBM_OVERRIDEKEY, VK_TBACK, MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY,
                                                                           SHMBOF_NODEFAULT | SHMBOF_NOTIFY)));
    EXPECT_TRUE(SendMessageW(bar, SHCMBM_OVERRIDEKEY, VK_TTALK, 0x30003));
    PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(owner, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    PostMessageW(owner, WM_KEYDOWN, VK_F3, 0x003D0001);
    PostMessageW(owner, WM_KEYDOWN, 'A', 0x001E0001);
    Flush(50);
    static const Call keys[] = {
        { SRC_OWNER, MSG_HOTKEY, VK_ESCAPE },
        { SRC_OWNER, MSG_HOTKEY, VK_F3 },
        { SRC_OWNER, MSG_KEYDOWN, 'A' },
    };
    CHECK_SEQUENCE(keys, "Back, Talk and an ordinary key");

    // Override withdrawn: Esc is an ordinary key again.
    ClearLog();
    SendMessageW(bar, SHCMBM_OVERRIDEKEY, VK_TBACK, MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, 0));
    PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Flush(50);
    static const Call plain[] = { { SRC_OWNER, MSG_KEYDOWN, VK_ESCAPE } };
    CHECK_SEQUENCE(plain, "Esc without override");
}

TEST_F(ShellTest, HoldAndRightClickAreContextMenuGestures)
{
    // Released before the hold time: an ordinary tap, and the release still arrives.
    PostMessageW(owner, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(owner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Flush(50);
    // Held still: the context-menu gesture.
    SendMessageW(owner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    // A right click becomes a tap that is a context-menu gesture at once.
    PostMessageW(owner, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(6, 6));
    PostMessageW(owner, WM_RBUTTONUP, 0, MAKELPARAM(6, 6));
    Flush(50);
    static const Call taps[] = {
        { SRC_OWNER, MSG_LBUTTONDOWN, 0 },
        { SRC_OWNER, MSG_LBUTTONUP, 0 },
        { SRC_OWNER, MSG_LBUTTONDOWN, GN_CONTEXTMENU },
        { SRC_OWNER, MSG_LBUTTONDOWN, GN_CONTEXTMENU },
        { SRC_OWNER, MSG_LBUTTONUP, 0 },
    };
    CHECK_SEQUENCE(taps, "taps");
}

TEST_F(ShellTest, BackKeyDeletesOneCharacterInTheFocusedEditAndEscEmptiesItOnADesktop)
{
    struct Case
    {
        const wchar_t* platform;
        const wchar_t* left;
    };
    static const Case cases[] = { { nullptr, L"ab" }, { L"Smartphone", L"ab" }, { L"Desktop", L"" } };
    for (const Case& c : cases)
    {
        CProfileScope profile(c.platform, 96);
        HWND edit = CreateWindowExW(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, owner, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 3, 3);
        SHSendBackToFocusWindow(WM_HOTKEY, 0, MAKELPARAM(0, VK_TBACK));
        wchar_t text[16] = L"deadbeef";
        GetWindowTextW(edit, text, 16);
        EXPECT_STREQ(c.left, text) << (c.platform ? c.platform : L"default");
        // Only the Back key is forwarded.
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab"));
        SHSendBackToFocusWindow(WM_HOTKEY, 0, MAKELPARAM(0, VK_TTALK));
        GetWindowTextW(edit, text, 16);
        EXPECT_STREQ(L"ab", text);
        DestroyWindow(edit);
    }
}

TEST_F(ShellTest, ActivationGivesTheKeyboardBackWhereItWas)
{
    HWND first = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, owner, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND second = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 30, 100, 20, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SHACTIVATEINFO activate = {};
    activate.cbSize = sizeof(activate);
    SetForegroundWindow(owner);
    SetFocus(second);
    SHHandleWMActivate(owner, WA_INACTIVE, 0, &activate, 0);
    SetForegroundWindow(other);
    SetFocus(other);
    SetForegroundWindow(owner);
    SHHandleWMActivate(owner, WA_ACTIVE, 0, &activate, 0);
    EXPECT_EQ(second, GetFocus()) << "the focus saved at deactivation is given back";

    // A control that went away meanwhile is not given the focus.
    SHHandleWMActivate(owner, WA_INACTIVE, 0, &activate, 0);
    DestroyWindow(second);
    SetFocus(first);
    SHHandleWMActivate(owner, WA_CLICKACTIVE, 0, &activate, 0);
    EXPECT_EQ(first, GetFocus());
    DestroyWindow(other);
}

TEST_F(ShellTest, InitDialogSizesToTheOwnerAndKeepsActivation)
{
    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SHINITDLGINFO init = { SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN };
    EXPECT_TRUE(SHInitDialog(&init));
    RECT own;
    RECT parent;
    GetWindowRect(dialog, &own);
    GetWindowRect(owner, &parent);
    EXPECT_TRUE(EqualRect(&own, &parent));
    init.dwMask = 0;
    EXPECT_FALSE(SHInitDialog(&init));

    SHACTIVATEINFO activate = {};
    activate.cbSize = sizeof(activate);
    EXPECT_TRUE(SHHandleWMActivate(owner, WA_ACTIVE, 0, &activate, 0));
    EXPECT_EQ(1u, activate.fActive);
    EXPECT_TRUE(SHHandleWMActivate(owner, WA_INACTIVE, 0, &activate, 0));
    EXPECT_EQ(0u, activate.fActive);
    EXPECT_TRUE(SHHandleWMSettingChange(owner, SPI_SETSIPINFO, 0, &activate));
    activate.cbSize = 0;
    EXPECT_FALSE(SHHandleWMSettingChange(owner, SPI_SETSIPINFO, 0, &activate));
    EXPECT_TRUE(SHSipPreference(owner, SIP_DOWN));
    DestroyWindow(dialog);
}

TEST(DeviceProfile, PocketPcAt96DpiByDefault)
{
    CProfileScope profile(nullptr, 96);
    OSVERSIONINFOW version;
    memset(&version, 0xde, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(DeviceGetVersionEx(&version));
    EXPECT_EQ(VER_PLATFORM_WIN32_CE, version.dwPlatformId);
    wchar_t text[260] = L"deadbeef";
    ASSERT_TRUE(DeviceSystemParametersInfo(SPI_GETPLATFORMTYPE, 260, text, 0));
    EXPECT_STREQ(L"PocketPC", text);
    EXPECT_FALSE(DeviceSystemParametersInfo(SPI_GETPLATFORMTYPE, 4, text, 0));
    EXPECT_EQ(96, DeviceScreenDpi());
    EXPECT_EQ(240, DeviceScreenSize().cx);
    EXPECT_EQ(320, DeviceScreenSize().cy);
    LOGFONTW font;
    ASSERT_EQ(static_cast<int>(sizeof(font)), GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font));
    EXPECT_STREQ(L"Tahoma", font.lfFaceName);
    EXPECT_EQ(-12, font.lfHeight);
}

TEST(DeviceProfile, SmartphoneAndVgaOnRequest)
{
    CProfileScope profile(L"Smartphone", 192);
    wchar_t text[260] = L"deadbeef";
    ASSERT_TRUE(DeviceSystemParametersInfo(SPI_GETPLATFORMTYPE, 260, text, 0));
    EXPECT_STREQ(L"Smartphone", text);
    EXPECT_EQ(192, DeviceScreenDpi());
    EXPECT_EQ(14, DeviceScale(7));
    EXPECT_EQ(480, DeviceScreenSize().cx);
    EXPECT_EQ(640, DeviceScreenSize().cy);
    LOGFONTW font;
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    EXPECT_EQ(-24, font.lfHeight);
}

TEST(DeviceProfile, OddValuesFallBackToTheDefaults)
{
    CProfileScope profile(nullptr, 5000);
    HDC dc = GetDC(nullptr);
    int screenDpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(screenDpi, DeviceScreenDpi());
}
