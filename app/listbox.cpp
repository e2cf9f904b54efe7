// CControlListBox: subclassed list view with double-buffered painting, separator lines and a hold menu.
#include "app/listbox.h"

#include "app/metrics.h"
#include "app/resource.h"
#include "core/error.h"
#include "platform/shell/shell.h"

#include <commctrl.h>

namespace {

const DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                         LVS_OWNERDRAWFIXED | LVS_OWNERDATA | LVS_NOCOLUMNHEADER;
const DWORD kListExStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | 0x20000000;
// The system-colour brush of index 1 (COLOR_BACKGROUND) as the handheld encodes it.
const COLORREF kSeparatorColourIndex = COLOR_BACKGROUND;

} // namespace

CControlListBox::CControlListBox()
    : m_owner(nullptr), m_previous(nullptr), m_window(nullptr), m_bufferWidth(0), m_bufferHeight(0),
      m_bufferDC(nullptr), m_bufferBitmap(nullptr), m_previousBitmap(nullptr)
{
}

CControlListBox::~CControlListBox()
{
    ReleaseBuffer();
}

void CControlListBox::Construct(HWND parent, HWND owner)
{
    m_owner = owner;
    RECT client;
    GetClientRect(parent, &client);
    m_window = CreateWindowExW(0, WC_LISTVIEWW, L"", kListStyle, 0, 0, client.right, client.bottom, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EVENT_LIST)),
                               GetModuleHandleW(nullptr), this);
    Assert(m_window != nullptr, ERR_ERROR, L"CControlListBox::Construct", __LINE__);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CControlListBox::SubclassProc)));
    SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
    RecreateColumns(false);
}

void CControlListBox::RecreateColumns(bool deleteFirst)
{
    if (deleteFirst)
        SendMessageW(m_window, LVM_DELETECOLUMN, 0, 0);
    RECT client;
    GetClientRect(m_window, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = client.right - client.left;
    column.iSubItem = 0;
    LRESULT inserted = SendMessageW(m_window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    Assert(inserted != -1, ERR_ERROR, L"CControlListBox::RecreateColumns", __LINE__);
}

void CControlListBox::ReleaseBuffer()
{
    if (m_bufferDC)
    {
        SelectObject(m_bufferDC, m_previousBitmap);
        DeleteObject(m_bufferBitmap);
        DeleteDC(m_bufferDC);
    }
    m_bufferDC = nullptr;
    m_bufferBitmap = nullptr;
    m_previousBitmap = nullptr;
    m_bufferWidth = 0;
    m_bufferHeight = 0;
}

LRESULT CControlListBox::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(m_previous, m_window, message, wParam, lParam);
}

void CControlListBox::SetCount(int count)
{
    SendMessageW(m_window, LVM_SETITEMCOUNT, count, 0);
}

int CControlListBox::GetCount() const
{
    return static_cast<int>(SendMessageW(m_window, LVM_GETITEMCOUNT, 0, 0));
}

void CControlListBox::Select(int index)
{
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_window, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    SendMessageW(m_window, LVM_SETSELECTIONMARK, 0, index);
    SendMessageW(m_window, LVM_ENSUREVISIBLE, index, FALSE);
}

int CControlListBox::GetSelection() const
{
    int mark = static_cast<int>(SendMessageW(m_window, LVM_GETSELECTIONMARK, 0, 0));
    return mark < GetCount() ? mark : -1;
}

LRESULT CALLBACK CControlListBox::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CControlListBox* self = reinterpret_cast<CControlListBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self->WindowProc(message, wParam, lParam);
}

LRESULT CControlListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        return OnSize(wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        return OnPaint();
    case WM_LBUTTONDOWN:
        return OnLButtonDown(wParam, lParam);
    default:
        return CallPrevious(message, wParam, lParam);
    }
}

LRESULT CControlListBox::OnSize(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallPrevious(WM_SIZE, wParam, lParam);
    int width = LOWORD(lParam);
    int height = HIWORD(lParam);
    if (width != m_bufferWidth || height != m_bufferHeight)
    {
        ReleaseBuffer();
        m_bufferWidth = width;
        m_bufferHeight = height;
        HDC screen = GetDC(m_window);
        m_bufferDC = CreateCompatibleDC(screen);
        m_bufferBitmap = CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1);
        m_previousBitmap = static_cast<HBITMAP>(SelectObject(m_bufferDC, m_bufferBitmap));
        ReleaseDC(m_window, screen);
    }
    return result;
}

LRESULT CControlListBox::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_window, &ps);
    if (!m_bufferDC)
    {
        EndPaint(m_window, &ps);
        return 0;
    }
    RECT client;
    GetClientRect(m_window, &client);
    CallPrevious(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_bufferDC), 0);

    int mark = static_cast<int>(SendMessageW(m_window, LVM_GETSELECTIONMARK, 0, 0));
    int count = GetCount();
    int perPage = static_cast<int>(SendMessageW(m_window, LVM_GETCOUNTPERPAGE, 0, 0));
    int top = static_cast<int>(SendMessageW(m_window, LVM_GETTOPINDEX, 0, 0));
    RECT topRow = {};
    topRow.left = LVIR_BOUNDS;
    SendMessageW(m_window, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&topRow));
    int pitch = topRow.bottom - topRow.top;

    // One light line under every row position of the page, drawn rows or not.
    int line = (ScreenDpi() + 48) / 96;
    HBRUSH separator = GetSysColorBrush(kSeparatorColourIndex);
    for (int k = 0; pitch > 0 && k <= perPage; k++)
    {
        RECT r = {client.left, topRow.top + (k + 1) * pitch - line, client.right, topRow.top + (k + 1) * pitch};
        FillRect(m_bufferDC, &r, separator);
    }

    for (int i = top; i < count && i <= top + perPage; i++)
    {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_LISTVIEW;
        draw.CtlID = IDC_EVENT_LIST;
        draw.itemID = static_cast<UINT>(i);
        draw.itemAction = i == mark ? ODA_FOCUS : 0;
        draw.itemState = i == mark ? ODS_SELECTED : 0;
        draw.hwndItem = m_window;
        draw.hDC = m_bufferDC;
        draw.rcItem.left = LVIR_BOUNDS;
        SendMessageW(m_window, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&draw.rcItem));
        RECT overlap;
        if (IntersectRect(&overlap, &draw.rcItem, &ps.rcPaint))
            SendMessageW(m_owner, WM_DRAWITEM, IDC_EVENT_LIST, reinterpret_cast<LPARAM>(&draw));
    }

    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
           m_bufferDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    EndPaint(m_window, &ps);
    return 0;
}

LRESULT CControlListBox::OnLButtonDown(WPARAM wParam, LPARAM lParam)
{
    SHRGINFO gesture = {};
    gesture.cbSize = sizeof(gesture);
    gesture.hwndClient = m_window;
    gesture.ptDown.x = static_cast<short>(LOWORD(lParam));
    gesture.ptDown.y = static_cast<short>(HIWORD(lParam));
    gesture.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&gesture) != GN_CONTEXTMENU)
        return CallPrevious(WM_LBUTTONDOWN, wParam, lParam);

    // The actions work on the selected row, so the held row becomes the selected one first.
    LVHITTESTINFO hit = {};
    hit.pt = gesture.ptDown;
    int row = static_cast<int>(SendMessageW(m_window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row >= 0)
    {
        Select(row);
        InvalidateRect(m_window, nullptr, FALSE);
    }

    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, IDM_EDIT_CONTACT, L"Edit contact");
    AppendMenuW(menu, MF_STRING, IDM_CALL_CONTACT, L"Call contact");
    AppendMenuW(menu, MF_STRING, IDM_SEND_MESSAGE, L"Send message");
    POINT at = gesture.ptDown;
    ClientToScreen(m_window, &at);
    int chosen = TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RETURNCMD | TPM_LEFTALIGN, at.x, at.y, 0, m_window,
                                nullptr);
    DestroyMenu(menu);
    if (chosen)
        PostMessageW(m_owner, WM_COMMAND, chosen, 0);
    return 0;
}
