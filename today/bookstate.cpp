// The item without events to show: the lasting text that says why, and a change of address book noticed.
#include "today/todayitem.h"

#include "data/bookstate.h"
#include "data/datalist.h"

void CTodayItem::GetEmptyText(CStr& out) const
{
    out.Empty();
    if (events && events->GetShownCount() == 0)
        DescribeBookState(*events, L"Open Festivo and choose one under Menu \u203A Options.", out);
}

int CTodayItem::GetEmptyLines() const
{
    CStr text;
    GetEmptyText(text);
    return text.IsEmpty() ? 0 : EMPTY_TEXT_LINES;
}

void CTodayItem::DrawEmptyText(HDC dc, COLORREF colour)
{
    CStr text;
    GetEmptyText(text);
    if (text.IsEmpty())
        return;
    RECT client;
    GetClientRect(window, &client);
    int margin = ItemScale(2);
    int indent = ItemScale(26);
    RECT area = {client.left + margin + indent, client.top + lineHeight, client.right - margin,
                 client.top + (1 + EMPTY_TEXT_LINES) * lineHeight};
    SelectObject(dc, normalFont);
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &area, DT_WORDBREAK | DT_END_ELLIPSIS | DT_EDITCONTROL | DT_NOPREFIX);
}

bool CTodayItem::TakeBookChoiceChange()
{
    CStr chosen;
    ReadChosenBook(chosen);
    if (wcscmp(chosen, chosenBook) == 0)
        return false;
    chosenBook = chosen.GetBuffer();
    return true;
}
