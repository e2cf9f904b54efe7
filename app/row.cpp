// Row drawing of the event list: contact picture, name with the filter match underlined, date line, sign.
#include "app/row.h"

#include "common/bufferedlist.h"
#include "data/match.h"
#include "platform/shell/device.h"
#include "package/contactpicture.h"
#include "package/zrs.h"
#include "platform/store/contactstore.h"

#include <cwchar>

void FormatDateLine(const CDataList& list, const CDataItem* item, CStr& out)
{
    CStr date(50u);
    item->date.FormatDate(date, item->HasYear() ? L"dd MMM yyyy" : L"dd MMM");
    out = date.GetBuffer();
    if (item->HasYear())
        out.AppendFormat(L" (%uy)", static_cast<unsigned>(list.GetAge(item)));
    out.AppendFormat(L" [%d]", list.GetDaysLeft(item));
}

bool FindFilterMatch(const wchar_t* name, const wchar_t* filter, int& before, int& length)
{
    return FindInName(name, filter, before, length);
}

HBITMAP LoadContactPictureOf(IPOutlookApp2* store, LONG oid, int boxWidth, int boxHeight, int& width, int& height)
{
    if (!store)
        return nullptr;
    IItem* item = nullptr;
    if (FAILED(store->GetItemFromOidEx(oid, 0, &item)) || !item)
        return nullptr;
    IStream* stream = nullptr;
    HBITMAP picture = nullptr;
    if (SUCCEEDED(item->OpenProperty(PIMPR_PICTURE, GENERIC_READ, &stream)) && stream)
    {
        picture = LoadContactPicture(stream, boxWidth, boxHeight, width, height);
        stream->Release();
    }
    item->Release();
    return picture;
}

namespace {

const UINT kRowText = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

// Draws text in font from rect.left and moves rect.left past it.
void DrawPiece(HDC dc, HFONT font, const wchar_t* text, int count, RECT& rect)
{
    if (count <= 0 || rect.left >= rect.right)
        return;
    SelectObject(dc, font);
    RECT piece = rect;
    DrawTextW(dc, text, count, &piece, kRowText);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, count, &size);
    rect.left += size.cx;
}

void DrawName(HDC dc, const RowResources& res, const wchar_t* name, const wchar_t* filter, RECT rect)
{
    int before = 0;
    int length = 0;
    if (!FindFilterMatch(name, filter, before, length))
    {
        DrawPiece(dc, res.boldFont, name, static_cast<int>(wcslen(name)), rect);
        return;
    }
    int total = static_cast<int>(wcslen(name));
    DrawPiece(dc, res.boldFont, name, before, rect);
    DrawPiece(dc, res.boldUnderlinedFont, name + before, length, rect);
    DrawPiece(dc, res.boldFont, name + before + length, total - before - length, rect);
}

} // namespace

void DrawEventRow(const DRAWITEMSTRUCT& draw, const CDataList& list, const RowResources& res, const wchar_t* filter)
{
    if (draw.itemID >= list.GetCount())
        return;
    const CDataItem* item = list.GetItem(draw.itemID);
    HDC dc = draw.hDC;
    RECT row = RowRect(draw);
    int savedDC = SaveDC(dc);
    BeginRow(dc, row, (draw.itemState & ODS_SELECTED) != 0);

    int m = DeviceScale(2);
    SelectObject(dc, res.boldFont);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int half = metrics.tmAveCharWidth / 2;
    int boxHeight = res.rowHeight - 2 * m;
    int boxWidth = boxHeight * 3 / 4;
    int x0 = row.left + half;
    int top = row.top + m;

    int width = 0;
    int height = 0;
    HBITMAP picture = LoadContactPictureOf(static_cast<IPOutlookApp2*>(list.GetStore()), item->oid, boxWidth,
                                           boxHeight, width, height);
    if (picture)
    {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(dc, x0 + (boxWidth - width) / 2, top + (boxHeight - height) / 2, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(picture);
    }
    else if (res.defaultPicture)
    {
        // Fitted like a contact's own picture, so the figure keeps its shape.
        FitIntoBox(res.defaultPicture->Width(), res.defaultPicture->Height(), boxWidth, boxHeight, width, height);
        int x = x0 + (boxWidth - width) / 2;
        int y = top + (boxHeight - height) / 2;
        res.defaultPicture->Draw(dc, x, y, x + width, y + height);
    }

    int x1 = x0 + boxWidth + 2 * half;
    int kind = item->kind;
    if (kind >= 0 && kind < EVENT_PICTURE_COUNT && res.pictures[kind])
    {
        HDC memory = CreateCompatibleDC(dc);
        DrawMasked(dc, row.right - res.pictureWidth - half, top, res.pictureWidth, res.pictureHeight, memory,
                   res.pictures[kind], res.masks[kind]);
        DeleteDC(memory);
    }

    int middle = row.bottom - (row.bottom - row.top) / 2;
    RECT nameRect = {x1, row.top, row.right - 2 * half - res.pictureWidth, middle};
    DrawName(dc, res, item->GetName(), filter, nameRect);

    CStr line;
    FormatDateLine(list, item, line);
    RECT dateRect = {x1, middle, row.right - half, row.bottom};
    SelectObject(dc, res.normalFont);
    DrawTextW(dc, line, -1, &dateRect, kRowText);
    RestoreDC(dc, savedDC);
}
