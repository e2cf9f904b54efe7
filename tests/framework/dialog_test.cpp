// Dialogs: the modal loop's result, closing the program during a dialog, docking, set-up and placement.
#include "tests/framework/harness.h"

#include "platform/shell/recorder.h"
#include "tests/framework/resource.h"
#include "tests/support/fatal.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

bool EqualRects(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The device's shell shrinks a window when the input panel opens; the recorder plays that part.
void ShrinkOnSettingChange(const wchar_t* call, HWND hwnd, WPARAM, LPARAM)
{
    if (wcscmp(call, L"SHHandleWMSettingChange"))
        return;
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MoveWindow(hwnd, rect.left, rect.top - 50, rect.right - rect.left, (rect.bottom - rect.top) / 2, FALSE);
}

} // namespace

TEST(Dialog, EndDialogResultAfterTheEndMessageWasDispatched)
{
    ClearLog();
    CTestApp app;
    INT_PTR result = 0xdeadbeef;
    HWND dialogWnd = nullptr;
    bool mainDisabled = false;
    bool fullScreen = false;
    bool barBelow = false;
    app.scenario = [&](CTestApp& a) {
        CTestDialog dialog;
        dialog.created = [&](CTestDialog& d) {
            dialogWnd = d.GetWnd();
            RECT main;
            RECT own;
            RECT bar = {};
            GetWindowRect(a.GetMainWnd(), &main);
            GetWindowRect(d.GetWnd(), &own);
            fullScreen = EqualRects(main, own);
            if (d.GetMenuBar())
                GetWindowRect(d.GetMenuBar(), &bar);
            barBelow = bar.top == own.bottom && bar.left == own.left;
        };
        dialog.inLoop = [&](CTestDialog& d) {
            mainDisabled = !IsWindowEnabled(a.GetMainWnd());
            d.EndDialog(5);
        };
        result = dialog.StartDialog(IDD_FULL, IDR_MENUBAR_OKCANCEL, 0);
        EXPECT_TRUE(IsWindowEnabled(a.GetMainWnd()));
    };
    EXPECT_EQ(0, app.RunTest());
    EXPECT_EQ(5, result);
    EXPECT_TRUE(mainDisabled);
    EXPECT_FALSE(IsWindow(dialogWnd));
    EXPECT_TRUE(fullScreen);
    EXPECT_TRUE(barBelow);
    static const Call sequence[] = {
        { SRC_DIALOG, CALL_ON_CREATE, 0 },
        { SRC_DIALOG, CALL_END_MESSAGE, 5 },
        { SRC_DIALOG, CALL_ON_DESTROY, 0 },
    };
    CHECK_SEQUENCE(sequence, "EndDialog(5)");
}

TEST(Dialog, WithoutTemplateHasAPopupWindowAndItsResult)
{
    CTestApp app;
    LONG style = LONG(0xdeadbeef);
    app.scenario = [&](CTestApp&) {
        CTestDialog dialog;
        dialog.created = [&](CTestDialog& d) {
            style = GetWindowLongW(d.GetWnd(), GWL_STYLE);
            d.EndDialog(3);
        };
        EXPECT_EQ(3, dialog.StartDialogNoTemplate(IDR_MENUBAR_OKCANCEL, 0));
    };
    EXPECT_EQ(0, app.RunTest());
    EXPECT_EQ(WS_POPUP, style & (WS_POPUP | WS_CHILD));
    EXPECT_EQ(0, style & WS_CAPTION);
}

TEST(Dialog, CloseDuringModalDialogEndsDialogAndProgram)
{
    ClearLog();
    CTestApp app;
    INT_PTR result = 0xdeadbeef;
    bool afterDialog = false;
    app.scenario = [&](CTestApp& a) {
        CTestDialog dialog;
        dialog.created = [&](CTestDialog&) { PostMessageW(a.GetMainWnd(), WM_CLOSE, 0, 0); };
        result = dialog.StartDialog(IDD_FULL, IDR_MENUBAR_OKCANCEL, 0);
        afterDialog = true;
    };
    EXPECT_EQ(0, app.RunTest());
    EXPECT_EQ(0, result);
    EXPECT_TRUE(afterDialog);
    EXPECT_TRUE(app.destroyed);
    EXPECT_FALSE(IsWindow(app.GetMainWnd()));
}

TEST(Dialog, DockedKeepsItsHeightAtTheBottom)
{
    CTestApp app;
    app.scenario = [](CTestApp& a) {
        CTestDialog dialog;
        dialog.created = [&a](CTestDialog& d) {
            RECT main;
            RECT own = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
            GetWindowRect(a.GetMainWnd(), &main);
            GetWindowRect(d.GetWnd(), &own);
            int height = own.bottom - own.top;
            EXPECT_LT(height, main.bottom - main.top);
            EXPECT_EQ(main.bottom, own.bottom);
            EXPECT_EQ(main.left, own.left);
            EXPECT_EQ(main.right, own.right);

            // Input panel up: the shell shrinks the dialog; the dialog docks again with its height.
            ShellSetRecorder(ShrinkOnSettingChange);
            SendMessageW(d.GetWnd(), WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
            ShellSetRecorder(nullptr);
            GetWindowRect(d.GetWnd(), &own);
            EXPECT_EQ(height, own.bottom - own.top);
            EXPECT_EQ(main.bottom, own.bottom);

            // Screen layout changed: the main window moved, the dialog follows its bottom edge.
            SetWindowPos(a.GetMainWnd(), nullptr, main.left + 7, main.top + 9, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(d.GetWnd(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
            GetWindowRect(a.GetMainWnd(), &main);
            GetWindowRect(d.GetWnd(), &own);
            EXPECT_EQ(height, own.bottom - own.top);
            EXPECT_EQ(main.bottom, own.bottom);
            EXPECT_EQ(main.left, own.left);

            // Other setting changes leave it alone.
            SetWindowPos(d.GetWnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(d.GetWnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
            GetWindowRect(d.GetWnd(), &own);
            EXPECT_EQ(0, own.top);
            d.EndDialog(2);
        };
        EXPECT_EQ(2, dialog.StartDialog(IDD_DOCKED, IDR_MENUBAR_OKCANCEL, 0, false));
    };
    EXPECT_EQ(0, app.RunTest());
}

TEST(Dialog, MenuBarButtonsCommandTheDialog)
{
    ClearLog();
    CTestApp app;
    app.scenario = [](CTestApp&) {
        CTestDialog dialog;
        dialog.created = [](CTestDialog& d) {
            RECT bar;
            GetClientRect(d.GetMenuBar(), &bar);
            LPARAM right = MAKELPARAM(bar.right * 3 / 4, bar.bottom / 2);
            PostMessageW(d.GetMenuBar(), WM_LBUTTONDOWN, MK_LBUTTON, right);
            PostMessageW(d.GetMenuBar(), WM_LBUTTONUP, 0, right);
        };
        dialog.endOnCommand = true;
        EXPECT_EQ(2, dialog.StartDialog(IDD_FULL, IDR_MENUBAR_OKCANCEL, 0));
    };
    EXPECT_EQ(0, app.RunTest());
}

TEST(Dialog, ModelessReturnsAtOnceWithItsWindow)
{
    CTestApp app;
    app.scenario = [](CTestApp&) {
        CTestDialog dialog;
        HWND hwnd = dialog.StartModeless(IDD_FULL, IDR_MENUBAR_OKCANCEL);
        ASSERT_NE(nullptr, hwnd);
        EXPECT_EQ(hwnd, dialog.GetWnd());
        EXPECT_NE(nullptr, dialog.GetMenuBar());
        DestroyWindow(hwnd);
    };
    EXPECT_EQ(0, app.RunTest());
}

namespace {

// Closes the program should a modal loop wait for a dialog that is not there.
void CALLBACK CloseMainWindow(HWND, UINT, UINT_PTR, DWORD)
{
    PostMessageW(GetApp()->GetMainWnd(), WM_CLOSE, 0, 0);
}

int RunDialogWithoutMenuBar(bool fromTemplate)
{
    CTestApp app;
    app.scenario = [fromTemplate](CTestApp&) {
        SetTimer(nullptr, 0, 2000, CloseMainWindow);
        SetWindowsHookExW(WH_CALLWNDPROC, DestroyMenuBarWhileCreated, nullptr, GetCurrentThreadId());
        CTestDialog dialog;
        if (fromTemplate)
            dialog.StartDialog(IDD_FULL, IDR_MENUBAR_OKCANCEL, 0);
        else
            dialog.StartDialogNoTemplate(IDR_MENUBAR_OKCANCEL, 0, true);
    };
    return app.RunTest();
}

} // namespace

// A dialog destroyed while it is set up, its menu bar not made, is the missing dialog window.
TEST(DialogDeathTest, GoneWhileSetUpIsAMissingWindow)
{
    EXPECT_FATAL(RunDialogWithoutMenuBar(true), "CVelaDialog::StartDialog", "Error creating dialog wnd");
    EXPECT_FATAL(RunDialogWithoutMenuBar(false), "CVelaDialog::StartDialogNoTemplate", "Error creating dialog wnd");
}
