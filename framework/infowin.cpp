// CVelaInfowin: placement by flags, hide and blink timers, tap to hide, painting.
#include "framework/infowin.h"

#include "framework/app.h"
#include "platform/shell/device.h"

#include <cstdlib>

namespace {

const UINT_PTR kHideTimer = 100;
const UINT_PTR kBlinkTimer = 101;

// 70 % of a length, rounded to the nearest pixel.
int Seventy(int value)
{
    return static_cast<int>((static_cast<long long>(value) * 70 + 50) / 100);
}

} // namespace

CVelaInfowin::CVelaInfowin() : m_hwnd(nullptr), m_hideTimer(0), m_blinkPhase(false), m_blinkTimer(0), m_textRect()
{
}

CVelaInfowin::~CVelaInfowin()
{
    StopTimers();
    // Normally the window already went with its owner; the class goes with the window.
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    if (m_hwnd)
    {
        CStr name;
        MakeClassName(name);
        UnregisterClassW(name, GetApp()->GetInstance());
    }
}

void CVelaInfowin::MakeClassName(CStr& name) const
{
    GetApp()->MakeAppBaseName(name);
    wchar_t address[24];
    _ui64tow(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(this)), address, 10);
    name.Append(L"IW");
    name.Append(address);
}

void CVelaInfowin::Construct()
{
    CVelaApp* app = GetApp();
    CStr name;
    MakeClassName(name);
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = InfoWindowProc;
    wc.hInstance = app->GetInstance();
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.lpszClassName = name;
    Assert(RegisterClassW(&wc) != 0, ERR_ERROR, L"CVelaInfowin::Construct", __LINE__);
    HWND hwnd = CreateWindowExW(0, name, L"", WS_POPUP, 0, 0, 0, 0, app->GetMainWnd(), nullptr, app->GetInstance(),
                                this);
    Assert(hwnd != nullptr, ERR_INVALID_VALUE, L"CVelaInfowin::Construct", __LINE__);
    m_hwnd = hwnd;
}

void CVelaInfowin::Show(const wchar_t* text, UINT hideDelay, UINT flags, UINT blinkPeriod)
{
    StopTimers();
    m_text = text;

    HGDIOBJ font = DeviceGetStockObject(SYSTEM_FONT);
    Assert(font != nullptr, ERR_INVALID_VALUE, L"CVelaInfowin::Show", __LINE__);
    // Measured on the pop-up's own context, where the text will be drawn.
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ oldFont = SelectObject(dc, font);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    int line = metrics.tmHeight + metrics.tmExternalLeading + 1;
    SIZE digit;
    GetTextExtentPoint32W(dc, L"0", 1, &digit);
    int margin = digit.cx;

    HWND main = GetApp()->GetMainWnd();
    RECT client;
    GetClientRect(main, &client);
    int width = client.right;
    int height = client.bottom;
    POINT origin = { 0, 0 };
    ClientToScreen(main, &origin);

    m_textRect.left = margin;
    m_textRect.top = line / 2;
    m_textRect.right = Seventy(width) - margin;
    m_textRect.bottom = Seventy(height) - line / 2;
    DrawTextW(dc, m_text, -1, &m_textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    ReleaseDC(m_hwnd, dc);

    int w = m_textRect.right + margin / 2;
    int h = m_textRect.bottom + line / 2;
    // The device's main window starts at the screen's left edge; the desktop's may lie anywhere.
    int x = origin.x + margin;
    if (flags & INFO_HCENTER)
        x = origin.x + (width - w) / 2;
    else if (flags & INFO_RIGHT)
        x = origin.x + width - w - margin;
    int y = origin.y + line / 2;
    if (flags & INFO_VCENTER)
        y = origin.y + (height - h) / 2;
    else if (flags & INFO_BOTTOM)
        y = origin.y + height - h - line;

    SetWindowPos(m_hwnd, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
    UpdateWindow(m_hwnd);
    if (hideDelay)
        m_hideTimer = SetTimer(m_hwnd, kHideTimer, hideDelay, nullptr);
    if (blinkPeriod)
        m_blinkTimer = SetTimer(m_hwnd, kBlinkTimer, blinkPeriod, nullptr);
}

void CVelaInfowin::Hide()
{
    StopTimers();
    ShowWindow(m_hwnd, SW_HIDE);
}

void CVelaInfowin::StopTimers()
{
    if (m_hideTimer)
    {
        KillTimer(m_hwnd, kHideTimer);
        m_hideTimer = 0;
    }
    if (m_blinkTimer)
    {
        KillTimer(m_hwnd, kBlinkTimer);
        m_blinkTimer = 0;
    }
}

void CVelaInfowin::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    RECT client;
    GetClientRect(m_hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_HIGHLIGHT));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    if (!m_blinkPhase)
    {
        HGDIOBJ oldFont = SelectObject(dc, DeviceGetStockObject(SYSTEM_FONT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        RECT text = m_textRect;
        DrawTextW(dc, m_text, -1, &text, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    EndPaint(m_hwnd, &ps);
}

LRESULT CALLBACK CVelaInfowin::InfoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
    {
        CVelaInfowin* created = static_cast<CVelaInfowin*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        return 0;
    }
    CVelaInfowin* info = reinterpret_cast<CVelaInfowin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!info)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message)
    {
    case WM_DESTROY:
        info->StopTimers();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_PAINT:
        info->OnPaint();
        return 0;
    case WM_TIMER:
        if (wParam == kHideTimer)
            info->Hide();
        else if (wParam == kBlinkTimer)
        {
            info->m_blinkPhase = !info->m_blinkPhase;
            InvalidateRect(hwnd, nullptr, TRUE);
            UpdateWindow(hwnd);
        }
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        info->Hide();
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
