// Information windows: placement by flags, tap to hide, hide and blink timers.
#include "tests/framework/harness.h"

#include "framework/infowin.h"
#include "platform/shell/device.h"

#include <gtest/gtest.h>

namespace {

struct Metrics
{
    int line;
    int digit;
};

Metrics SystemFontMetrics()
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, DeviceGetStockObject(SYSTEM_FONT));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SIZE digit = { LONG(0xdeadbeef), LONG(0xdeadbeef) };
    GetTextExtentPoint32W(dc, L"0", 1, &digit);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return { tm.tmHeight + tm.tmExternalLeading + 1, digit.cx };
}

struct Area
{
    POINT origin;
    int width;
    int height;
};

Area MainArea(HWND main)
{
    Area area = { { 0, 0 }, 0, 0 };
    RECT client;
    GetClientRect(main, &client);
    ClientToScreen(main, &area.origin);
    area.width = client.right;
    area.height = client.bottom;
    return area;
}

RECT WindowRect(HWND hwnd)
{
    RECT rect = { LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef), LONG(0xdeadbeef) };
    GetWindowRect(hwnd, &rect);
    return rect;
}

} // namespace

TEST(Infowin, PlacementFlagsCentreAndRight)
{
    CTestApp app;
    app.scenario = [](CTestApp& a) {
        CVelaInfowin* info = a.GetInfoWindow();
        ASSERT_NE(nullptr, info);
        Metrics m = SystemFontMetrics();
        Area area = MainArea(a.GetMainWnd());

        info->Show(L"Phone number is missing!", 0, INFO_HCENTER | INFO_VCENTER, 0);
        RECT rect = WindowRect(info->GetWnd());
        int w = rect.right - rect.left;
        int h = rect.bottom - rect.top;
        EXPECT_TRUE(IsWindowVisible(info->GetWnd()));
        EXPECT_TRUE(GetWindowLongW(info->GetWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(area.origin.x + (area.width - w) / 2, rect.left);
        EXPECT_EQ(area.origin.y + (area.height - h) / 2, rect.top);
        EXPECT_EQ(info->GetTextRect().right + m.digit / 2, w);
        EXPECT_EQ(info->GetTextRect().bottom + m.line / 2, h);
        EXPECT_LE(info->GetTextRect().right, (area.width * 70 + 50) / 100 - m.digit);

        info->Show(L"Refreshing...", 0, INFO_RIGHT | INFO_BOTTOM, 0);
        rect = WindowRect(info->GetWnd());
        w = rect.right - rect.left;
        h = rect.bottom - rect.top;
        EXPECT_EQ(area.origin.x + area.width - w - m.digit, rect.left);
        EXPECT_EQ(area.origin.y + area.height - h - m.line, rect.top);

        info->Show(L"Top left", 0, 0, 0);
        rect = WindowRect(info->GetWnd());
        EXPECT_EQ(area.origin.x + m.digit, rect.left);
        EXPECT_EQ(area.origin.y + m.line / 2, rect.top);
    };
    EXPECT_EQ(0, app.RunTest());
}

TEST(Infowin, LongTextWrapsWithinSeventyPercent)
{
    CTestApp app;
    app.scenario = [](CTestApp& a) {
        CVelaInfowin* info = a.GetInfoWindow();
        Metrics m = SystemFontMetrics();
        Area area = MainArea(a.GetMainWnd());
        info->Show(L"A rather long message that cannot fit on one line of a small screen", 0, 0x11, 0);
        EXPECT_LE(info->GetTextRect().right, (area.width * 70 + 50) / 100 - m.digit);
        EXPECT_GE(info->GetTextRect().bottom - info->GetTextRect().top, 2 * (m.line - 1));
    };
    EXPECT_EQ(0, app.RunTest());
}

TEST(Infowin, TapHidesAndStopsTimers)
{
    CTestApp app;
    app.scenario = [](CTestApp& a) {
        CVelaInfowin* info = a.GetInfoWindow();
        info->Show(L"Tap me", 3000, 0x11, 700);
        EXPECT_EQ(100u, info->GetHideTimer());
        EXPECT_EQ(101u, info->GetBlinkTimer());
        SendMessageW(info->GetWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_FALSE(IsWindowVisible(info->GetWnd()));
        EXPECT_EQ(0u, info->GetHideTimer());
        EXPECT_EQ(0u, info->GetBlinkTimer());
        // Both timers are really gone, not only forgotten.
        EXPECT_FALSE(KillTimer(info->GetWnd(), 100));
        EXPECT_FALSE(KillTimer(info->GetWnd(), 101));
    };
    EXPECT_EQ(0, app.RunTest());
}

TEST(Infowin, HideTimerHidesAndBlinkTimerToggles)
{
    CTestApp app;
    app.scenario = [](CTestApp& a) {
        a.ShowInfo(L"Gone soon", 50, 0x11);
        HWND info = a.GetInfoWindow()->GetWnd();
        EXPECT_TRUE(WaitFor([info] { return !IsWindowVisible(info); }, 3000));

        CVelaInfowin* status = a.GetStatusWindow();
        a.ShowStatus(L"Refreshing...", 0x11, 30);
        bool phase = status->IsBlinkPhase();
        EXPECT_TRUE(WaitFor([status, phase] { return status->IsBlinkPhase() != phase; }, 3000));
        EXPECT_TRUE(WaitFor([status, phase] { return status->IsBlinkPhase() == phase; }, 3000));
        EXPECT_TRUE(IsWindowVisible(status->GetWnd()));
        a.HideStatus();
        EXPECT_FALSE(IsWindowVisible(status->GetWnd()));
        EXPECT_EQ(0u, status->GetBlinkTimer());
    };
    EXPECT_EQ(0, app.RunTest());
}
