// The item's options dialog run from the library's dialog 500 with its ordinal 241 procedure.
#include "tests/today/panel.h"

#include "data/settings.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class TodayOptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteUserKey(SETTINGS_KEY);
        CSettings settings;
        settings.TodayMaxLines = 4;
        settings.TodayMaxMonth = 5;
        settings.Write();
        panel = std::make_unique<CPanel>();
        ASSERT_TRUE(panel->Loaded());
        host = std::make_unique<CRecordingHost>();
        dialog = CreateDialogParamW(panel->Library(), MAKEINTRESOURCEW(500), host->Window(),
                                    reinterpret_cast<DLGPROC>(panel->options), 0);
        ASSERT_NE(nullptr, dialog);
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        host.reset();
        panel.reset();
        DeleteUserKey(SETTINGS_KEY);
    }

    std::wstring Type(int id, const wchar_t* text)
    {
        SetDlgItemTextW(dialog, id, text);
        wchar_t shown[32];
        wmemset(shown, 0xdead, 32);
        GetDlgItemTextW(dialog, id, shown, 32);
        return shown;
    }

    static CSettings Stored()
    {
        CSettings settings;
        settings.Read();
        return settings;
    }

    std::unique_ptr<CPanel> panel;
    std::unique_ptr<CRecordingHost> host;
    HWND dialog = nullptr;
};

} // namespace

TEST_F(TodayOptions, ShowsTheStoredValues)
{
    EXPECT_EQ(L"4", Type(110, L"4"));
    wchar_t text[32];
    wmemset(text, 0xdead, 32);
    GetDlgItemTextW(dialog, 111, text, 32);
    EXPECT_STREQ(L"5", text);
    GetDlgItemTextW(dialog, 109, text, 32);
    EXPECT_STREQ(L"Today view options", text);
}

TEST_F(TodayOptions, FieldsAreCorrectedAsTyped)
{
    struct Case
    {
        int id;
        const wchar_t* typed;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {110, L"0", L"1"}, {110, L"7", L"6"}, {110, L"9", L"6"}, {110, L"3", L"3"},
        {111, L"13", L"12"}, {111, L"1", L"1"}, {111, L"10", L"10"}, {111, L"0", L"1"},
        {111, L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, Type(c.id, c.typed)) << c.id << " " << c.typed;
}

TEST_F(TodayOptions, OkSavesAndKeepsTheStoredValueOfAnEmptyField)
{
    Type(110, L"2");
    Type(111, L"");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(2, Stored().TodayMaxLines);
    EXPECT_EQ(5, Stored().TodayMaxMonth);
}

TEST_F(TodayOptions, OkKeepsWhatTheProgramChangedMeanwhile)
{
    CSettings changed = Stored();
    changed.ShowFutureAge = 0;
    changed.Write();
    Type(111, L"7");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, Stored().ShowFutureAge);
    EXPECT_EQ(7, Stored().TodayMaxMonth);
}

TEST_F(TodayOptions, CancelSavesNothing)
{
    Type(110, L"1");
    Type(111, L"12");
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(4, Stored().TodayMaxLines);
    EXPECT_EQ(5, Stored().TodayMaxMonth);
}

TEST_F(TodayOptions, OutOfRangeStoredValueIsShownCorrected)
{
    DestroyWindow(dialog);
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD nine = 9;
    RegSetValueExW(key, L"TodayMaxLines", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nine), sizeof(nine));
    RegCloseKey(key);
    dialog = CreateDialogParamW(panel->Library(), MAKEINTRESOURCEW(500), host->Window(),
                                reinterpret_cast<DLGPROC>(panel->options), 0);
    wchar_t text[32];
    wmemset(text, 0xdead, 32);
    GetDlgItemTextW(dialog, 110, text, 32);
    EXPECT_STREQ(L"6", text);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(6, Stored().TodayMaxLines);
}

TEST_F(TodayOptions, FieldsEndInsideANarrowScreen)
{
    // The template's font grows faster with the resolution than the screen does: at 192 dpi the fields
    // reach past the screen's right edge as they would past a host as wide as the screen at 96 dpi.
    DestroyWindow(dialog);
    SetWindowPos(host->Window(), nullptr, 0, 0, 240, 320, SWP_NOZORDER | SWP_NOMOVE);
    dialog = CreateDialogParamW(panel->Library(), MAKEINTRESOURCEW(500), host->Window(),
                                reinterpret_cast<DLGPROC>(panel->options), 0);
    ASSERT_NE(nullptr, dialog);
    RECT client;
    GetClientRect(dialog, &client);
    for (int id : {110, 111})
    {
        RECT field = {LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef)};
        GetWindowRect(GetDlgItem(dialog, id), &field);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&field), 2);
        EXPECT_LT(field.right, client.right) << "field " << id;
        EXPECT_GT(field.right - field.left, 0) << "field " << id;
    }
}

// The options set the shell's thread hooks from the plug-in; unloaded, it takes them along. A hook
// left behind would call code that is gone (Wine swallows the fault, and the rest of the thread's
// hooks, set before it, are never called: the test's own hook counts whether they are).
namespace {

int g_hookCalls = 0;

LRESULT CALLBACK CountingHook(int code, WPARAM wParam, LPARAM lParam)
{
    g_hookCalls++;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(TodayOptions, UnloadedPlugInLeavesNoHookBehind)
{
    DestroyWindow(dialog);
    dialog = nullptr;
    panel.reset();
    HHOOK own = SetWindowsHookExW(WH_GETMESSAGE, CountingHook, nullptr, GetCurrentThreadId());
    panel = std::make_unique<CPanel>();
    HWND options = CreateDialogParamW(panel->Library(), MAKEINTRESOURCEW(500), host->Window(),
                                      reinterpret_cast<DLGPROC>(panel->options), 0);
    ASSERT_NE(nullptr, options);
    DestroyWindow(options);
    panel.reset();
    ASSERT_EQ(nullptr, GetModuleHandleW(L"FestivoPanel.dll"));
    g_hookCalls = 0;
    PostMessageW(host->Window(), WM_NULL, 0, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    UnhookWindowsHookEx(own);
    EXPECT_GE(g_hookCalls, 1);
}
