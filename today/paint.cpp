// Drawing of the item: the host's background and colours, the header line and one line per shown event.
#include "today/todayitem.h"

#include "data/datalist.h"
#include "package/zrs.h"
#include "today/linetext.h"

namespace {

const UINT LINE_FORMAT = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

COLORREF HostColour(HWND item, WPARAM id)
{
    return static_cast<COLORREF>(SendMessageW(GetParent(item), TODAYM_GETCOLOR, id, 0));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    COLORREF previous = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, L"", 0, nullptr);
    SetBkColor(dc, previous);
}

int TextWidth(HDC dc, const wchar_t* text)
{
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    return size.cx;
}

} // namespace

void CTodayItem::DrawLine(HDC dc, HDC memory, int line, int picture, HFONT font, const wchar_t* lead,
                          const wchar_t* name, const wchar_t* tail, COLORREF colour)
{
    RECT client;
    GetClientRect(window, &client);
    int margin = ItemScale(2);
    int indent = ItemScale(26);
    int top = client.top + line * lineHeight;
    if (pictures[picture])
    {
        BITMAP bm = {};
        GetObjectW(pictures[picture], sizeof(bm), &bm);
        DrawMasked(dc, client.left + margin, top + (lineHeight - bm.bmHeight) / 2, bm.bmWidth, bm.bmHeight, memory,
                   pictures[picture], masks[picture]);
    }
    SelectObject(dc, font);
    SetTextColor(dc, colour);
    RECT text = {client.left + margin + indent, top, client.right - margin, top + lineHeight};
    CStr whole(lead);
    whole.Append(name);
    whole.Append(tail);
    int tailWidth = TextWidth(dc, tail);
    if (TextWidth(dc, whole) <= text.right - text.left || tailWidth >= (text.right - text.left) / 2)
    {
        DrawTextW(dc, whole, -1, &text, LINE_FORMAT);
        return;
    }
    // Too long: the name gives way, so the date, age and days stay readable.
    CStr head(lead);
    head.Append(name);
    RECT headRect = text;
    headRect.right -= tailWidth;
    DrawTextW(dc, head, -1, &headRect, LINE_FORMAT);
    RECT tailRect = text;
    tailRect.left = headRect.right;
    DrawTextW(dc, tail, -1, &tailRect, LINE_FORMAT);
}

void CTodayItem::OnPaint(HDC* buffer)
{
    HDC dc = *buffer;
    CTime now;
    ItemNow(now);
    COLORREF highlightedText = HostColour(window, TODAYCOLOR_HIGHLIGHTEDTEXT);
    COLORREF textColour = HostColour(window, TODAYCOLOR_TEXT);

    RECT client;
    GetClientRect(window, &client);
    TODAYDRAWWATERMARKINFO watermark = {dc, client, window};
    if (!SendMessageW(GetParent(window), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&watermark)))
        FillSolid(dc, client, GetSysColor(COLOR_WINDOW));
    if (selectedLine != -1)
    {
        RECT bar = {client.left, client.top + selectedLine * lineHeight, client.right,
                    client.top + (selectedLine + 1) * lineHeight};
        int mode = SetBkMode(dc, OPAQUE);
        FillSolid(dc, bar, HostColour(window, TODAYCOLOR_HIGHLIGHT));
        SetBkMode(dc, mode);
    }
    int previousMode = SetBkMode(dc, TRANSPARENT);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previousFont = SelectObject(dc, boldFont);

    CSettings defaults;
    const CSettings& settings = events ? events->GetSettings() : defaults;
    CStr header;
    BuildHeaderText(events ? events->GetTotalCount() : 0, settings.TodayMaxMonth, header);
    DrawLine(dc, memory, 0, HEADER_PICTURE, boldFont, header, L"", L"",
             selectedLine == 0 ? highlightedText : textColour);

    for (uint32_t i = 0; events && i < events->GetShownCount(); i++)
    {
        const CDataItem* event = events->GetItem(i);
        int line = static_cast<int>(i) + 1;
        CStr lead;
        CStr tail;
        BuildEventText(now, *event, settings, lead, tail);
        int picture = event->kind >= 0 && event->kind < HEADER_PICTURE ? event->kind : HEADER_PICTURE;
        DrawLine(dc, memory, line, picture, normalFont, lead, event->GetName(), tail,
                 selectedLine == line ? highlightedText : textColour);
    }

    DrawEmptyText(dc, textColour);

    SelectObject(dc, previousFont);
    DeleteDC(memory);
    SetBkMode(dc, previousMode);
}
