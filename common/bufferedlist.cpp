// CBufferedList: buffer handling, erasing, separator lines and owner-drawn rows of the program's lists.
#include "common/bufferedlist.h"

#include "platform/shell/device.h"
#include "core/error.h"

#include <commctrl.h>

namespace {

// The handheld draws list separators with its system brush of index 1, a light grey there; the
// desktop's index 1 is the desktop background, so the light button face stands in for it.
const int kSeparatorColourIndex = COLOR_BTNFACE;

} // namespace

RECT RowRect(const DRAWITEMSTRUCT& draw)
{
    RECT row = draw.rcItem;
    RECT client;
    if (draw.hwndItem && GetClientRect(draw.hwndItem, &client) && client.right > row.right)
        row.right = client.right;
    return row;
}

void BeginRow(HDC dc, const RECT& row, bool selected)
{
    SetBkMode(dc, TRANSPARENT);
    if (!selected)
    {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return;
    }
    HBRUSH highlight = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
    FillRect(dc, &row, highlight);
    DeleteObject(highlight);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
}

CBufferedList::CBufferedList()
    : m_owner(nullptr), m_previous(nullptr), m_window(nullptr), m_controlId(0),
      m_columnFunction(nullptr)
{
}

CBufferedList::~CBufferedList()
{
    Detach();
    ReleaseBuffer();
}

void CBufferedList::Detach()
{
    if (!m_window || !IsWindow(m_window))
        return;
    if (GetWindowLongPtrW(m_window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CBufferedList::SubclassProc))
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
}

void CBufferedList::Attach(HWND window, HWND owner, int controlId, DWORD extendedStyle, const wchar_t* function)
{
    m_window = window;
    m_owner = owner;
    m_controlId = controlId;
    m_columnFunction = function;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CBufferedList::SubclassProc)));
    SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    RecreateColumns(false);
}

void CBufferedList::RecreateColumns(bool deleteFirst)
{
    RECT client;
    GetClientRect(m_window, &client);
    // A column that already spans the list is kept: rebuilding it costs a repaint of the whole list.
    if (deleteFirst && SendMessageW(m_window, LVM_GETCOLUMNWIDTH, 0, 0) == client.right - client.left)
        return;
    if (deleteFirst)
        SendMessageW(m_window, LVM_DELETECOLUMN, 0, 0);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = client.right - client.left;
    column.iSubItem = 0;
    LRESULT inserted = SendMessageW(m_window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    Assert(inserted != -1, ERR_ERROR, m_columnFunction, __LINE__);
}

void CBufferedList::ReleaseBuffer()
{
    m_buffer.Release();
}

LRESULT CBufferedList::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(m_previous, m_window, message, wParam, lParam);
}

void CBufferedList::SetCount(int count)
{
    SendMessageW(m_window, LVM_SETITEMCOUNT, count, 0);
}

int CBufferedList::GetCount() const
{
    return static_cast<int>(SendMessageW(m_window, LVM_GETITEMCOUNT, 0, 0));
}

void CBufferedList::Select(int index)
{
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_window, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    SendMessageW(m_window, LVM_SETSELECTIONMARK, 0, index);
    SendMessageW(m_window, LVM_ENSUREVISIBLE, index, FALSE);
}

int CBufferedList::GetSelection() const
{
    int mark = static_cast<int>(SendMessageW(m_window, LVM_GETSELECTIONMARK, 0, 0));
    return mark < GetCount() ? mark : -1;
}

LRESULT CALLBACK CBufferedList::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CBufferedList* self = reinterpret_cast<CBufferedList*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self->WindowProc(message, wParam, lParam);
}

LRESULT CBufferedList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT || message == WM_ERASEBKGND || message == WM_DESTROY || message == WM_NCDESTROY)
        return Dispatch(message, wParam, lParam);
    // The list invalidates only its own box of a row whose selection changes, a little narrower than the
    // row as drawn: the old highlight would stay on at the edges.
    int before = static_cast<int>(CallPrevious(LVM_GETSELECTIONMARK, 0, 0));
    LRESULT result = Dispatch(message, wParam, lParam);
    int after = static_cast<int>(CallPrevious(LVM_GETSELECTIONMARK, 0, 0));
    if (after != before)
    {
        InvalidateRow(before);
        InvalidateRow(after);
    }
    return result;
}

void CBufferedList::InvalidateRow(int index)
{
    if (index < 0)
        return;
    RECT row = {};
    row.left = LVIR_BOUNDS;
    if (!CallPrevious(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row)))
        return;
    RECT client;
    GetClientRect(m_window, &client);
    row.left = client.left;
    row.right = client.right;
    InvalidateRect(m_window, &row, FALSE);
}

LRESULT CBufferedList::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        return OnSize(wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return OnPaint();
    case WM_PRINTCLIENT:
        return OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_LBUTTONDOWN:
        return OnLButtonDown(wParam, lParam);
    case WM_CHAR:
        return OnChar(wParam, lParam);
    default:
        return CallPrevious(message, wParam, lParam);
    }
}

LRESULT CBufferedList::OnSize(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallPrevious(WM_SIZE, wParam, lParam);
    m_buffer.Fit(m_window, LOWORD(lParam), HIWORD(lParam));
    return result;
}

LRESULT CBufferedList::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    RECT client;
    GetClientRect(m_window, &client);
    m_buffer.Fit(m_window, client.right, client.bottom);
    if (m_buffer.DC())
    {
        PaintBuffer(ps.rcPaint);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, m_buffer.DC(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(m_window, &ps);
    return 0;
}

LRESULT CBufferedList::OnPrintClient(HDC target)
{
    if (!target)
        return 0;
    RECT client;
    GetClientRect(m_window, &client);
    m_buffer.Fit(m_window, client.right, client.bottom);
    if (!m_buffer.DC())
        return 0;
    PaintBuffer(client);
    BitBlt(target, 0, 0, client.right, client.bottom, m_buffer.DC(), 0, 0, SRCCOPY);
    return 0;
}

void CBufferedList::PaintBuffer(const RECT& area)
{
    RECT client;
    GetClientRect(m_window, &client);
    CallPrevious(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_buffer.DC()), 0);

    int mark = static_cast<int>(SendMessageW(m_window, LVM_GETSELECTIONMARK, 0, 0));
    int count = GetCount();
    int perPage = static_cast<int>(SendMessageW(m_window, LVM_GETCOUNTPERPAGE, 0, 0));
    int top = static_cast<int>(SendMessageW(m_window, LVM_GETTOPINDEX, 0, 0));
    RECT topRow = {};
    topRow.left = LVIR_BOUNDS;
    int pitch = 0;
    if (SendMessageW(m_window, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&topRow)))
        pitch = topRow.bottom - topRow.top;
    if (pitch <= 0)
    {
        // An empty list has no row to measure: its owner knows the height rows will have.
        MEASUREITEMSTRUCT measure = {};
        measure.CtlType = ODT_LISTVIEW;
        measure.CtlID = static_cast<UINT>(m_controlId);
        SendMessageW(m_owner, WM_MEASUREITEM, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&measure));
        pitch = static_cast<int>(measure.itemHeight);
        topRow.top = client.top;
    }

    // One light line under every row position of the page, drawn rows or not.
    int line = (DeviceScreenDpi() + 48) / 96;
    HBRUSH separator = GetSysColorBrush(kSeparatorColourIndex);
    for (int k = 0; pitch > 0 && k <= perPage; k++)
    {
        RECT r = {client.left, topRow.top + (k + 1) * pitch - line, client.right, topRow.top + (k + 1) * pitch};
        FillRect(m_buffer.DC(), &r, separator);
    }

    if (count == 0 && !m_emptyText.empty())
        PaintEmptyText(client);

    for (int i = top; i < count && i <= top + perPage; i++)
    {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_LISTVIEW;
        draw.CtlID = static_cast<UINT>(m_controlId);
        draw.itemID = static_cast<UINT>(i);
        draw.itemAction = i == mark ? ODA_FOCUS : 0;
        draw.itemState = i == mark ? ODS_SELECTED : 0;
        draw.hwndItem = m_window;
        draw.hDC = m_buffer.DC();
        draw.rcItem.left = LVIR_BOUNDS;
        SendMessageW(m_window, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&draw.rcItem));
        RECT overlap;
        if (IntersectRect(&overlap, &draw.rcItem, &area))
            SendMessageW(m_owner, WM_DRAWITEM, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&draw));
    }
}

void CBufferedList::SetEmptyText(const wchar_t* text)
{
    std::wstring next = text ? text : L"";
    if (next == m_emptyText)
        return;
    m_emptyText = next;
    if (m_window)
    {
        // Also the list's own text, which screen readers (and the install test) read.
        SetWindowTextW(m_window, m_emptyText.c_str());
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

// The empty list's text, wrapped, in the list's font, a little below its top and clear of its sides.
void CBufferedList::PaintEmptyText(const RECT& client)
{
    int margin = (8 * DeviceScreenDpi() + 48) / 96;
    RECT area = {client.left + margin, client.top + margin, client.right - margin, client.bottom - margin};
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(m_window, WM_GETFONT, 0, 0));
    HGDIOBJ previousFont = font ? SelectObject(m_buffer.DC(), font) : nullptr;
    int mode = SetBkMode(m_buffer.DC(), TRANSPARENT);
    COLORREF colour = SetTextColor(m_buffer.DC(), GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(m_buffer.DC(), m_emptyText.c_str(), -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    SetTextColor(m_buffer.DC(), colour);
    SetBkMode(m_buffer.DC(), mode);
    if (previousFont)
        SelectObject(m_buffer.DC(), previousFont);
}

LRESULT CBufferedList::OnLButtonDown(WPARAM wParam, LPARAM lParam)
{
    return CallPrevious(WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT CBufferedList::OnChar(WPARAM wParam, LPARAM lParam)
{
    return CallPrevious(WM_CHAR, wParam, lParam);
}
