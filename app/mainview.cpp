// CMainView: creation, layout, the header band, taps on it, the hardware keys and the filter edit.
#include "app/mainview.h"

#include "app/app.h"
#include "app/eventload.h"
#include "platform/shell/device.h"
#include "app/resource.h"
#include "common/backkey.h"
#include "core/error.h"
#include "data/zodiac.h"
#include "package/zrs.h"
#include "platform/shell/shell.h"
#include "platform/store/contactstore.h"

#include <commctrl.h>
#include <cwchar>

namespace {


int LineHeight(HDC dc, HFONT font)
{
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    return tm.tmHeight + tm.tmExternalLeading + DeviceScale(1);
}

} // namespace

void ReportSettingsNotSaved()
{
    GetApp()->ShowInfo(L"The settings could not be saved.", 3000, 0x02);
}

CMainView::CMainView()
    : m_headerFont(nullptr), m_resources(), m_headerHeight(0), m_filterOpen(false), m_filterEdit(nullptr),
      m_filterPrevious(nullptr), m_bookReported(false), m_awaited()
{
}

CMainView::~CMainView() = default;

void CMainView::Construct(UINT id, UINT menuBarId, UINT accelId)
{
    BaseConstruct(id, menuBarId, accelId);
}

CDataList* CMainView::GetData() const
{
    return static_cast<CApp*>(GetApp())->GetDataList();
}

bool CMainView::IsPocketPC() const
{
    return GetApp()->GetPlatform() == PLATFORM_POCKETPC;
}

void CMainView::OnCreate()
{
    CreateFonts();
    MeasureHeights();
    LoadPictures();
    m_list.Construct(GetWnd(), GetWnd());
    LoadEvents(*GetData());
    Refill(0);
    m_list.RecreateColumns(true);
    ReportUnreadableBook();
    OverrideBackKey(GetApp()->GetMenuBar());
    CreateFilterEdit();
    // The view was sized before its list existed: lay the header band and the list out now.
    RECT client;
    GetClientRect(GetWnd(), &client);
    Layout(client.right, client.bottom);
}

void CMainView::CreateFonts()
{
    LOGFONTW font = {};
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    m_resources.normalFont = CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    m_resources.boldFont = CreateFontIndirectW(&font);
    font.lfUnderline = TRUE;
    m_resources.boldUnderlinedFont = CreateFontIndirectW(&font);
    font.lfHeight = static_cast<LONG>(font.lfHeight * 1.1);
    m_headerFont = CreateFontIndirectW(&font);
}

void CMainView::MeasureHeights()
{
    HDC screen = GetDC(nullptr);
    m_resources.rowHeight = static_cast<int>(1.4 * LineHeight(screen, m_resources.boldFont)) +
                            LineHeight(screen, m_resources.normalFont);
    int header = LineHeight(screen, m_headerFont);
    m_headerHeight = IsPocketPC() ? static_cast<int>(1.2 * header) : header;
    ReleaseDC(nullptr, screen);
}

void CMainView::LoadPictures()
{
    uint32_t step = PictureSizeStep(GetSystemMetrics(SM_CXSMICON));
    CZrsPackage* package = static_cast<CApp*>(GetApp())->GetPackage();
    for (int i = 0; i < EVENT_PICTURE_COUNT; i++)
    {
        m_resources.pictures[i] = package->LoadBitmap(SMALL_PICTURE_KEYS[i] + step);
        m_resources.masks[i] = package->LoadBitmap(SMALL_PICTURE_KEYS[i] + step + 1);
    }
    BITMAP info = {};
    if (m_resources.pictures[0] && GetObjectW(m_resources.pictures[0], sizeof(info), &info))
    {
        m_resources.pictureWidth = info.bmWidth;
        m_resources.pictureHeight = info.bmHeight;
    }
    m_resources.defaultPicture = package->LoadImage(DEFAULT_CONTACT_PICTURE_KEY);
}

void CMainView::CreateFilterEdit()
{
    m_filterEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, -1, -1, -1,
                                   -1, GetWnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_FILTER_EDIT)),
                                   GetModuleHandleW(nullptr), nullptr);
    Assert(m_filterEdit != nullptr, ERR_NOT_ENOUGH_MEMORY, L"CMainView::CreateFilterEdit", __LINE__);
    SendMessageW(m_filterEdit, EM_LIMITTEXT, 100, 0);
    SendMessageW(m_filterEdit, WM_SETFONT, reinterpret_cast<WPARAM>(m_resources.normalFont), FALSE);
    SetWindowLongPtrW(m_filterEdit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_filterPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_filterEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMainView::FilterEditProc)));
    // While the filter is closed the edit stays out of sight.
    ShowWindow(m_filterEdit, SW_HIDE);
}

void CMainView::OnDestroy()
{
    // The list and the edit are destroyed after the view is deleted: their last messages must not reach it.
    m_list.Detach();
    if (m_filterEdit && IsWindow(m_filterEdit))
    {
        SetWindowLongPtrW(m_filterEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_filterPrevious));
        SetWindowLongPtrW(m_filterEdit, GWLP_USERDATA, 0);
    }
    DeleteObject(m_resources.normalFont);
    DeleteObject(m_resources.boldFont);
    DeleteObject(m_resources.boldUnderlinedFont);
    DeleteObject(m_headerFont);
    for (int i = 0; i < EVENT_PICTURE_COUNT; i++)
    {
        DeleteObject(m_resources.pictures[i]);
        DeleteObject(m_resources.masks[i]);
    }
    if (m_resources.defaultPicture)
    {
        m_resources.defaultPicture->Release();
        delete m_resources.defaultPicture;
    }
    m_resources = RowResources();
    m_list.ReleaseBuffer();
}

void CMainView::OnActivate(UINT)
{
    Refill(0);
    SetFocus(m_list.GetWindow());
    m_list.Select(0);
    RedrawWindow(m_list.GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RedrawWindow(GetWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HWND bar = GetApp()->GetMenuBar();
    OverrideKey(bar, VK_TTALK);
    OverrideBackKey(bar);
}

LRESULT CMainView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_DRAWITEM:
        OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NOTIFY:
        OnListNotify(reinterpret_cast<const NMHDR*>(lParam));
        return CVelaView::WindowProc(message, wParam, lParam);
    case WM_LIST_TYPED:
        OnTypedInList(static_cast<wchar_t>(wParam));
        return 0;
    case WM_HOTKEY:
        if (HIWORD(lParam) == VK_TBACK && !m_filterOpen)
            SHSendBackToFocusWindow(message, wParam, lParam);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return CVelaView::WindowProc(message, wParam, lParam);
    }
}

void CMainView::OnSize(int width, int height)
{
    Layout(width, height);
}

void CMainView::Layout(int width, int height)
{
    int h = m_headerHeight;
    int listBottom = height;
    if (m_filterOpen)
    {
        int editRight = IsPocketPC() ? width - h : width;
        MoveWindow(m_filterEdit, 0, height - h, editRight, h, TRUE);
        ShowWindow(m_filterEdit, SW_SHOW);
        listBottom = height - h;
    }
    else
    {
        ShowWindow(m_filterEdit, SW_HIDE);
    }
    HWND list = m_list.GetWindow();
    if (!list)
        return;
    MoveWindow(list, 0, h, width, listBottom - h > 0 ? listBottom - h : 0, TRUE);
    m_list.RecreateColumns(true);
    int mark = m_list.GetSelection();
    if (mark >= 0)
        SendMessageW(list, LVM_ENSUREVISIBLE, mark, FALSE);
    InvalidateRect(GetWnd(), nullptr, FALSE);
}

void CMainView::OnMeasureItem(MEASUREITEMSTRUCT* measure)
{
    if (measure->CtlType == ODT_LISTVIEW)
        measure->itemHeight = m_resources.rowHeight;
}

void CMainView::OnDrawItem(DRAWITEMSTRUCT* draw)
{
    if (draw->CtlType != ODT_LISTVIEW)
        return;
    const wchar_t* filter = m_filterOpen ? GetData()->GetFilter().GetBuffer() : nullptr;
    DrawEventRow(*draw, *GetData(), m_resources, filter);
}

void CMainView::GetHeaderText(CStr& out) const
{
    const CSettings& settings = GetData()->GetSettings();
    const CTime& reference = GetData()->GetReference();
    if (settings.SplitMode == SPLIT_BY_MONTH && settings.SplitPeriod >= 1 && settings.SplitPeriod <= 12)
    {
        wchar_t month[80] = L"";
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + settings.SplitPeriod - 1, month, 80);
        out = month;
    }
    else if (settings.SplitMode == SPLIT_BY_ZODIAC)
    {
        out.Empty();
        GetZodiacName(settings.SplitPeriod, out);
    }
    else
    {
        CStr date(50u);
        reference.FormatDate(date, L"dd MMMM");
        out = date.GetBuffer();
    }
    // Ages are counted to the reference date: a reference in another year than today's says which.
    CTime now;
    now.SetToNow();
    if (reference.GetYear() != now.GetYear())
    {
        wchar_t year[16] = L"";
        swprintf(year, 16, L" %u", static_cast<unsigned>(reference.GetYear()));
        out.Append(year);
    }
}

void CMainView::OnPaint(CVelaPaint* paint)
{
    HDC dc = paint->dc;
    RECT client;
    GetClientRect(GetWnd(), &client);
    int h = m_headerHeight;
    m_list.CallPrevious(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);

    HPEN pen = CreatePen(PS_SOLID, DeviceScale(1), GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, client.left, client.top + h - 1, nullptr);
    LineTo(dc, client.right, client.top + h - 1);

    RECT text = {client.left, client.top, client.right, client.top + h - 1};
    if (GetData()->GetSettings().SplitMode != SPLIT_ALL)
    {
        int a = static_cast<int>(h * 0.5);
        int middle = client.top + h / 2;
        HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        POINT left[3] = {{client.left + DeviceScale(3), middle},
                         {client.left + DeviceScale(3) + a / 2, middle - a / 2},
                         {client.left + DeviceScale(3) + a / 2, middle + a / 2}};
        POINT right[3] = {{client.right - DeviceScale(3), middle},
                          {client.right - DeviceScale(3) - a / 2, middle - a / 2},
                          {client.right - DeviceScale(3) - a / 2, middle + a / 2}};
        Polygon(dc, left, 3);
        Polygon(dc, right, 3);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        text.left += a + DeviceScale(6);
        text.right -= a + DeviceScale(6);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    CStr header;
    GetHeaderText(header);
    HGDIOBJ oldFont = SelectObject(dc, m_headerFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, header, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);

    if (m_filterOpen && IsPocketPC())
    {
        RECT square = {client.right - h, client.bottom - h, client.right, client.bottom};
        PaintClearButton(dc, square);
    }
}

void CMainView::PaintClearButton(HDC dc, const RECT& square)
{
    FillRect(dc, &square, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = {square.left, square.top, square.right, square.top + DeviceScale(1)};
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    edge = {square.left, square.top, square.left + DeviceScale(1), square.bottom};
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    edge = {square.right - DeviceScale(1), square.top, square.right, square.bottom};
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    edge = {square.left, square.bottom - DeviceScale(1), square.right, square.bottom};
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    HPEN red = CreatePen(PS_SOLID, DeviceScale(2), RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    int inset = DeviceScale(5);
    MoveToEx(dc, square.left + inset, square.top + inset, nullptr);
    LineTo(dc, square.right - inset, square.bottom - inset);
    MoveToEx(dc, square.right - inset, square.top + inset, nullptr);
    LineTo(dc, square.left + inset, square.bottom - inset);
    SelectObject(dc, old);
    DeleteObject(red);
}

void CMainView::OnLButtonDown(int x, int y)
{
    RECT client;
    GetClientRect(GetWnd(), &client);
    int h = m_headerHeight;
    int zone = DeviceScale(6) + static_cast<int>(h * 0.5);
    bool inHeader = y >= client.top && y < client.top + h;
    if (GetData()->GetSettings().SplitMode != SPLIT_ALL && inHeader)
    {
        if (x < client.left + zone)
        {
            SendMessageW(GetWnd(), WM_COMMAND, IDM_PREVIOUS_PERIOD, 0);
            return;
        }
        if (x >= client.right - zone)
        {
            SendMessageW(GetWnd(), WM_COMMAND, IDM_NEXT_PERIOD, 0);
            return;
        }
    }
    if (m_filterOpen && IsPocketPC() && x >= client.right - h && y >= client.bottom - h)
    {
        SendMessageW(GetWnd(), WM_COMMAND, IDM_FILTER, 0);
        return;
    }
    HMENU menu = CreatePopupPeriodMenu();
    POINT at = {x, y};
    ClientToScreen(GetWnd(), &at);
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, GetWnd(), nullptr);
    DestroyMenu(menu);
    if (chosen)
        SendMessageW(GetWnd(), WM_COMMAND, chosen, 0);
}

void CMainView::OnListNotify(const NMHDR* header)
{
    if (!header || header->hwndFrom != m_list.GetWindow())
        return;
    if (header->code == NM_RETURN)
    {
        ShowCard(m_list.GetSelection());
    }
    else if (header->code == NM_DBLCLK)
    {
        int row = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
        if (row < 0 || row >= m_list.GetCount())
            return;
        m_list.Select(row);
        ShowCard(row);
    }
}

void CMainView::ShowCard(int row)
{
    CDataList* data = GetData();
    IPOutlookApp2* store = data->GetStore();
    if (row < 0 || static_cast<uint32_t>(row) >= data->GetCount() || !store)
        return;
    IItem* contact = nullptr;
    if (SUCCEEDED(store->GetItemFromOidEx(data->GetItem(static_cast<uint32_t>(row))->oid, 0, &contact)) && contact)
    {
        contact->Display(GetWnd());
        contact->Release();
    }
}

void CMainView::OnTypedInList(wchar_t typed)
{
    if (!m_filterOpen)
        ToggleFilter();
    SendMessageW(m_filterEdit, WM_CHAR, typed, 0);
}

void CMainView::OnHotKey(WPARAM wParam, LPARAM lParam)
{
    UINT virtualKey = HIWORD(lParam);
    if (virtualKey == VK_TBACK)
    {
        // Only Back in a filter that was already empty closes it; otherwise it deletes a character.
        if (m_filterOpen && GetWindowTextLengthW(m_filterEdit) == 0)
            SendMessageW(GetWnd(), WM_COMMAND, IDM_FILTER, 0);
        else
            SHSendBackToFocusWindow(WM_HOTKEY, wParam, lParam);
    }
    else if (virtualKey == VK_TTALK)
    {
        SendMessageW(GetWnd(), WM_COMMAND, IDM_CALL_CONTACT, 0);
    }
}

LRESULT CALLBACK CMainView::FilterEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CMainView* self = reinterpret_cast<CMainView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self->OnFilterEditMessage(window, message, wParam, lParam);
}

LRESULT CMainView::OnFilterEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Ctrl+A arrives as its control character: the whole text is selected, nothing is typed.
    if (message == WM_CHAR && wParam == 1)
    {
        SendMessageW(window, EM_SETSEL, 0, -1);
        return 0;
    }
    // Enter opens the match that is selected, as it does in the list.
    if (message == WM_KEYDOWN && wParam == VK_RETURN)
    {
        ShowCard(m_list.GetSelection());
        return 0;
    }
    if (message == WM_CHAR && wParam == L'\r')
        return 0;
    if (message == WM_KEYDOWN && wParam == VK_BACK && GetWindowTextLengthW(window) == 0)
        SendMessageW(GetWnd(), WM_COMMAND, IDM_FILTER, 0);
    else if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN))
        return SendMessageW(m_list.GetWindow(), message, wParam, lParam);
    else if (message == WM_LBUTTONDOWN)
    {
        SHRGINFO gesture = {};
        gesture.cbSize = sizeof(gesture);
        gesture.hwndClient = window;
        gesture.ptDown.x = static_cast<short>(LOWORD(lParam));
        gesture.ptDown.y = static_cast<short>(HIWORD(lParam));
        gesture.dwFlags = SHRG_RETURNCMD;
        if (SHRecognizeGesture(&gesture) == GN_CONTEXTMENU)
        {
            DWORD start = 0;
            DWORD end = 0;
            SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            UINT noSelection = start == end ? MF_GRAYED : 0;
            HMENU menu = CreatePopupMenu();
            AppendMenuW(menu, MF_STRING | noSelection, WM_CUT, L"Cut");
            AppendMenuW(menu, MF_STRING | noSelection, WM_COPY, L"Copy");
            AppendMenuW(menu, MF_STRING | (IsClipboardFormatAvailable(CF_UNICODETEXT) ? 0 : MF_GRAYED), WM_PASTE,
                        L"Paste");
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING | (SendMessageW(window, EM_CANUNDO, 0, 0) ? 0 : MF_GRAYED), EM_UNDO, L"Undo");
            POINT at = gesture.ptDown;
            ClientToScreen(window, &at);
            int chosen = TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, window, nullptr);
            DestroyMenu(menu);
            if (chosen)
                PostMessageW(window, static_cast<UINT>(chosen), 0, 0);
            return 0;
        }
    }
    return CallWindowProcW(m_filterPrevious, window, message, wParam, lParam);
}
