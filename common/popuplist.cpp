// CPopupListBox: the plain-text list of the pick-one popup; its font, rows and placement.
#include "common/popuplist.h"

#include "platform/shell/device.h"
#include "core/error.h"
#include "platform/shell/shell.h"

#include <commctrl.h>

void CPopupListBox::Construct(HWND dialog, int controlId)
{
    HWND window = GetDlgItem(dialog, controlId);
    Assert(window != nullptr, ERR_ERROR, L"CPopupListBox::Construct", __LINE__);
    Attach(window, dialog, controlId, LVS_EX_GRIDLINES, L"CPopupListBox::RecreateColumns");
}

HFONT CreatePopupRowFont()
{
    LOGFONTW font = {};
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    font.lfHeight = static_cast<LONG>(font.lfHeight * 1.2);
    font.lfWeight = FW_NORMAL;
    return CreateFontIndirectW(&font);
}

int PopupRowHeight(HFONT font)
{
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return tm.tmHeight + tm.tmExternalLeading + DeviceScale(5);
}

void DrawPopupRow(const DRAWITEMSTRUCT& draw, HFONT font, const CStrList& items)
{
    if (draw.CtlType != ODT_LISTVIEW || draw.itemID >= items.GetCount())
        return;
    HDC dc = draw.hDC;
    RECT row = RowRect(draw);
    int saved = SaveDC(dc);
    BeginRow(dc, row, (draw.itemState & ODS_SELECTED) != 0);
    SelectObject(dc, font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    RECT text = row;
    text.left += tm.tmAveCharWidth / 2;
    DrawTextW(dc, *items.GetAt(draw.itemID), -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    RestoreDC(dc, saved);
}

void PlacePopup(HWND dialog, const RECT& reference, int rowHeight, int itemCount)
{
    int height = reference.bottom - reference.top;
    // The handheld's popup has a caption and no border; on the desktop the frame is what the
    // window's caption and borders really take, so that the rows fit without a scroll bar.
    RECT window;
    RECT client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    int caption = (window.bottom - window.top) - (client.bottom - client.top);
    if (caption <= 0)
        caption = GetSystemMetrics(SM_CYCAPTION);
    int rows = rowHeight > 0 ? static_cast<int>((height * 0.7 - caption - DeviceScale(2)) / rowHeight) : 0;
    if (rows > itemCount)
        rows = itemCount;
    if (rows < 1)
        rows = 1;
    int top = reference.bottom - DeviceScale(2) - rows * rowHeight - caption;
    MoveWindow(dialog, reference.left, top, reference.right - reference.left, reference.bottom - top, FALSE);
}
