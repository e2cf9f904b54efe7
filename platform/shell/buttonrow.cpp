// The menu bar of a desktop dialog with plain buttons only (OK, Cancel): push buttons at its bottom right.
#include "platform/shell/internal.h"

#include "platform/shell/device.h"

namespace {

// Sizes at 96 dpi, as desktop dialogs lay out their buttons.
const int kButtonHeight = 23;
const int kButtonWidth = 75;
const int kTextPadding = 16;
const int kGap = 6;
const int kMargin = 7;

HFONT RowFont(HWND strip)
{
    HWND dialog = GetParent(strip);
    HFONT font = dialog ? reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : static_cast<HFONT>(DeviceGetStockObject(SYSTEM_FONT));
}

int ButtonWidth(HWND button, HFONT font)
{
    wchar_t text[MENUBAR_TEXT_SIZE] = L"";
    GetWindowTextW(button, text, MENUBAR_TEXT_SIZE);
    HDC dc = GetDC(button);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    int width = size.cx + DeviceScale(kTextPadding);
    return width > DeviceScale(kButtonWidth) ? width : DeviceScale(kButtonWidth);
}

} // namespace

bool IsButtonRow(const MenuBarButton* buttons, int count)
{
    if (count <= 0)
        return false;
    for (int i = 0; i < count; i++)
    {
        if (buttons[i].subMenu >= 0)
            return false;
    }
    return true;
}

int CreateButtonRow(HWND strip, const MenuBarButton* buttons, int count)
{
    HFONT font = RowFont(strip);
    for (int i = 0; i < count; i++)
    {
        // The first button (OK) is the default one, as Enter already chooses it.
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = CreateWindowExW(0, L"BUTTON", buttons[i].text, style, 0, 0, 0, 0, strip,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(buttons[i].command)),
                                      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(strip, GWLP_HINSTANCE)), nullptr);
        if (!button)
            continue;
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!(buttons[i].state & MENUBAR_STATE_ENABLED))
            EnableWindow(button, FALSE);
    }
    return ButtonRowHeight();
}

int ButtonRowHeight()
{
    return DeviceScale(kButtonHeight + 2 * kMargin);
}

void LayOutButtonRow(HWND strip)
{
    RECT client;
    GetClientRect(strip, &client);
    HFONT font = RowFont(strip);
    int right = client.right - DeviceScale(kMargin);
    int top = DeviceScale(kMargin);
    int height = DeviceScale(kButtonHeight);
    // Children are kept first to last; laid out from the last, so the first stands leftmost.
    HWND last = GetWindow(strip, GW_CHILD);
    for (HWND next = last; next; next = GetWindow(next, GW_HWNDNEXT))
        last = next;
    for (HWND button = last; button; button = GetWindow(button, GW_HWNDPREV))
    {
        int width = ButtonWidth(button, font);
        MoveWindow(button, right - width, top, width, height, TRUE);
        right -= width + DeviceScale(kGap);
    }
}
