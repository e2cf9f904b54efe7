// The desktop's Today screen hosting the real plug-in: keys as the message loop delivers them, settings changes.
#include "tests/today/panel.h"

#include "data/settings.h"
#include "tests/support/fixtures.h"
#include "tools/todayhost/host.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

const wchar_t* const ITEM_KEY = L"Software\\Microsoft\\Today\\Items\\Festivo";

void SetDword(HKEY key, const wchar_t* name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

class TodayHost : public CPanelTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CPanelTest::SetUp());
        panel->SetDate(2026, 12, 2);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, TODAY_ITEMS_KEY);
        RegisterItem();
    }
    // The registration Festivo writes at its first start.
    static void RegisterItem()
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, ITEM_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        const wchar_t dll[] = L"FestivoPanel.dll";
        RegSetValueExW(key, L"DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll), sizeof(dll));
        SetDword(key, L"Type", 4);
        SetDword(key, L"Enabled", 1);
        SetDword(key, L"Options", 1);
        SetDword(key, L"Selectability", 2);
        RegCloseKey(key);
    }
    void TearDown() override
    {
        if (IsWindow(host.GetWindow()))
            DestroyWindow(host.GetWindow());
        FlushMessages();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, TODAY_ITEMS_KEY);
        CPanelTest::TearDown();
    }

    HWND Item() const { return FindWindowExW(host.GetWindow(), nullptr, L"FestivoTodayPPC", nullptr); }

    int ItemHeight() const
    {
        RECT rect = {};
        GetClientRect(Item(), &rect);
        return rect.bottom;
    }

    // A key pressed on the keyboard: posted, then translated and dispatched by the loop.
    void Press(UINT key)
    {
        LPARAM down = MAKELPARAM(1, MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        PostMessageW(host.GetWindow(), WM_KEYDOWN, key, down);
        PostMessageW(host.GetWindow(), WM_KEYUP, key, down | 0xC0000000);
        FlushMessages();
    }

    // Presses Enter with the item's menu read: its texts, and whether it waited for the user.
    struct MenuWatch
    {
        std::vector<std::wstring> texts;
        bool waited;
    };
    MenuWatch PressEnter()
    {
        CMenuSpy spy(Item());
        Press(VK_RETURN);
        return {spy.items, spy.waited};
    }

    CTodayHost host;
};

} // namespace

TEST_F(TodayHost, EnterOnASelectedLineOpensItsMenuAndWaitsForTheUser)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_TRUE(host.Create(GetModuleHandleW(nullptr)));
    ASSERT_NE(nullptr, Item());
    Press(VK_DOWN);
    MenuWatch header = PressEnter();
    EXPECT_EQ((std::vector<std::wstring>{L"Open Festivo", L"", L"Cancel"}), header.texts);
    EXPECT_TRUE(header.waited) << "the menu closed before the user could choose";

    Press(VK_DOWN);
    MenuWatch line = PressEnter();
    EXPECT_EQ((std::vector<std::wstring>{L"Open contact", L"Send message", L"Dial", L"", L"Cancel"}), line.texts);
    EXPECT_TRUE(line.waited);
}

TEST_F(TodayHost, SettingsChangeRecreatesTheItemsAndKeepsThemSelected)
{
    FakeStore().contacts.push_back({1, L"Anna", OleDate(1990, 12, 6), OleDate(2015, 12, 8), false, nullptr, nullptr,
                                    {}});
    AddContact(2, L"Bert", OleDate(1980, 12, 20));
    ASSERT_TRUE(host.Create(GetModuleHandleW(nullptr)));
    FlushMessages();
    int lines = 4;
    int line = ItemHeight() / lines;
    ASSERT_GT(line, 0);
    ASSERT_EQ(lines * line, ItemHeight()) << "the header, Anna, her anniversary and Bert";
    for (int i = 0; i < 4; i++)
        Press(VK_DOWN);

    // Festivo's options drop the anniversaries; Bert's line moves up from the fourth line to the third.
    CSettings settings;
    settings.Read();
    settings.ShowAnnivasaries = 0;
    settings.Write();
    FlushMessages(1500);
    EXPECT_EQ(3 * line, ItemHeight()) << "the anniversary is still shown";

    // The item made again starts without a selected line of its own, but the host still has it selected:
    // the action key opens one of its menus.
    MenuWatch menu = PressEnter();
    EXPECT_FALSE(menu.texts.empty()) << "the re-created item lost the host's selection";

    // Writing the same values again changes nothing the items show: they are not created again.
    HWND item = Item();
    settings.Write();
    FlushMessages(1000);
    EXPECT_EQ(item, Item());
}

// The notification area as the shell keeps it: the icons of (window, id) and their tooltips.
std::map<std::pair<HWND, UINT>, std::wstring> g_icons;

BOOL WINAPI RecordIcon(DWORD message, PNOTIFYICONDATAW data)
{
    auto key = std::make_pair(data->hWnd, data->uID);
    if (message == NIM_ADD)
        return g_icons.emplace(key, data->szTip).second;
    if (g_icons.find(key) == g_icons.end())
        return FALSE;
    if (message == NIM_DELETE)
        g_icons.erase(key);
    else if (message == NIM_MODIFY && (data->uFlags & NIF_TIP))
        g_icons[key] = data->szTip;
    return TRUE;
}

TEST_F(TodayHost, LivesInTheNotificationAreaUntilExit)
{
    g_icons.clear();
    HostTraySetShell(RecordIcon);
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_TRUE(host.Create(GetModuleHandleW(nullptr), true));
    FlushMessages();
    HWND window = host.GetWindow();
    ASSERT_EQ(1u, g_icons.size()) << "no icon in the notification area";
    EXPECT_NE(std::wstring::npos, g_icons.begin()->second.find(L"06 Dec: Anna")) << g_icons.begin()->second;
    EXPECT_FALSE(IsWindowVisible(window)) << "started at log-on, only the icon shows";

    struct Step
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool shown;
    } steps[] = {
        {WM_APP + 2, 0, WM_LBUTTONUP, true}, // a click on the icon shows the window
        {WM_CLOSE, 0, 0, false},             // closing it keeps the program in the icon
        {WM_APP + 2, 0, WM_LBUTTONUP, true},
        {WM_APP + 2, 0, WM_LBUTTONUP, false}, // a click on the icon hides the shown window
        {WM_COMMAND, ID_TRAY_SHOW_ALWAYS, 0, true},
    };
    for (const Step& step : steps)
    {
        SendMessageW(window, step.message, step.wParam, step.lParam);
        FlushMessages();
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(step.shown, IsWindowVisible(window) != FALSE) << step.message << " " << step.lParam;
    }
    SendMessageW(window, WM_COMMAND, ID_EXIT, 0);
    EXPECT_FALSE(IsWindow(window)) << "Exit ends the Today screen";
    EXPECT_TRUE(g_icons.empty()) << "the icon stayed after Exit";
    HostTraySetShell(nullptr);
}

TEST_F(TodayHost, TakesUpAnItemRegisteredAfterItStarted)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today");
    ASSERT_TRUE(host.Create(GetModuleHandleW(nullptr)));
    FlushMessages();
    ASSERT_EQ(nullptr, Item());
    RegisterItem();
    FlushMessages(1000);
    ASSERT_NE(nullptr, Item()) << "the item registered later is not shown";
    EXPECT_GT(ItemHeight(), 0);
    EXPECT_NE(std::wstring::npos, host.GetTray().GetTip().find(L"Anna")) << host.GetTray().GetTip();
}

namespace {

HWND g_optionsHost = nullptr;

BOOL CALLBACK FindOptionsDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") != 0 || GetWindow(window, GW_OWNER) != g_optionsHost)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND OptionsDialog()
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOptionsDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

// Presses OK in the options dialog the host has open.
void CALLBACK PressOptionsOk(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    PostMessageW(OptionsDialog(), WM_COMMAND, IDOK, 0);
}

// Another program changes the items' registrations while the options dialog is open.
void CALLBACK ChangeRegistrations(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, ITEM_KEY, 0, KEY_SET_VALUE, &key);
    SetDword(key, L"Order", 7);
    RegCloseKey(key);
    SetTimer(nullptr, 0, 1000, PressOptionsOk);
}

} // namespace

// The options dialog runs on its item's library and the host goes on with that item after it: registrations
// changed meanwhile are taken up once the dialog is closed (the heap check tells a library or item freed early).
TEST_F(TodayHost, RegistrationsChangedDuringTheOptionsDialogAreTakenUpAfterIt)
{
    AddContact(1, L"Anna", OleDate(1990, 12, 6));
    ASSERT_TRUE(host.Create(GetModuleHandleW(nullptr)));
    FlushMessages();
    g_optionsHost = host.GetWindow();
    SetTimer(nullptr, 0, 200, ChangeRegistrations);
    SendMessageW(host.GetWindow(), WM_COMMAND, ID_OPTIONS_FIRST, 0);
    EXPECT_EQ(nullptr, OptionsDialog()) << "the options dialog stayed open";
    FlushMessages(1000);
    ASSERT_NE(nullptr, Item());
    EXPECT_GT(ItemHeight(), 0);
}
