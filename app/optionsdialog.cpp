// COptionsDialog: the container with its scroll bar, the page with the four settings, OK and Cancel.
#include "app/optionsdialog.h"

#include "app/app.h"
#include "app/bookoption.h"
#include "common/backkey.h"
#include "common/menubarroom.h"
#include "app/mainview.h"
#include "app/resource.h"
#include "data/datalist.h"
#include "framework/layout.h"
#include "package/zrs.h"
#include "platform/shell/device.h"
#include "platform/shell/shell.h"

#include <commctrl.h>

namespace {

const int kVerticalScrollStyle = WS_VSCROLL;

// Vertical lengths scale with the vertical dots per inch.
int VerticalPx(int n)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return (n * dpi + 48) / 96;
}

// The edits keep a turn of the wheel only while it scrolls their own text; otherwise it scrolls the page.
LRESULT CALLBACK EditWheelProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_MOUSEWHEEL)
    {
        LRESULT first = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
        LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
        bool multiLine = (GetWindowLongW(edit, GWL_STYLE) & ES_MULTILINE) != 0;
        if (multiLine && SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0) != first)
            return result;
        return SendMessageW(GetParent(edit), message, wParam, lParam);
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(edit, EditWheelProc, id);
    return DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace

COptionsDialog::COptionsDialog(CDataList* data)
    : m_data(data), m_page(nullptr), m_pageLeft(0), m_pageTop(0), m_lastFocus(nullptr), m_generalPicture(nullptr),
      m_templatePicture(nullptr), m_headingFont(nullptr), m_wheelRest(0)
{
}

bool RunOptionsDialog()
{
    COptionsDialog dialog(static_cast<CApp*>(GetApp())->GetDataList());
    return dialog.Run() != 0;
}

INT_PTR COptionsDialog::Run()
{
    return StartDialogNoTemplate(IDR_OKCANCEL_MENUBAR, IDA_OPTIONS, true);
}

void COptionsDialog::OnCreate()
{
    OverrideBackKey(GetMenuBar());
    SetWindowLongPtrW(GetWnd(), GWL_STYLE, GetWindowLongPtrW(GetWnd(), GWL_STYLE) | kVerticalScrollStyle);
    // A style bit alone does not give the window its scroll bar: its frame has to be computed again.
    SetWindowPos(GetWnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SetWindowTextW(GetWnd(), L"Settings");
    m_page = CreateDialogParamW(GetApp()->GetInstance(), MAKEINTRESOURCEW(IDD_OPTIONS_PAGE), GetWnd(),
                                &COptionsDialog::PageProc, reinterpret_cast<LPARAM>(this));
    // Scrolled, the page passes under whatever the dialog shows above it (a row of buttons).
    if (m_page)
        SetWindowLongW(m_page, GWL_STYLE, GetWindowLongW(m_page, GWL_STYLE) | WS_CLIPSIBLINGS);
    OnContainerSize();
}

void COptionsDialog::OnDestroy()
{
    DeleteObject(m_generalPicture);
    DeleteObject(m_templatePicture);
    DeleteObject(m_headingFont);
    m_generalPicture = m_templatePicture = nullptr;
    m_headingFont = nullptr;
}

void COptionsDialog::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK || id == IDYES)
    {
        if (!m_remind.Check(m_page))
            return;
        // An address book that does not exist is refused: the dialog stays, nothing is saved.
        if (!SaveBookOption(m_page, GetWnd()))
            return;
        Save();
        EndDialog(1);
    }
    else if (id == IDCANCEL)
    {
        EndDialog(2);
    }
}

void COptionsDialog::Save()
{
    CSettings& settings = m_data->GetSettings();
    settings.ShowAnnivasaries = IsDlgButtonChecked(m_page, IDC_OPTIONS_ANNIVERSARIES) == BST_CHECKED ? 1 : 0;
    settings.ShowFutureAge = IsDlgButtonChecked(m_page, IDC_OPTIONS_FUTURE_AGE) == BST_CHECKED ? 1 : 0;
    CStr* texts[] = {&settings.MessageSubject, &settings.MessageBody};
    const int ids[] = {IDC_OPTIONS_SUBJECT, IDC_OPTIONS_BODY};
    for (int i = 0; i < 2; i++)
    {
        HWND edit = GetDlgItem(m_page, ids[i]);
        int length = GetWindowTextLengthW(edit);
        CStr text(static_cast<uint32_t>(length + 1));
        GetWindowTextW(edit, text.GetBuffer(), length + 1);
        *texts[i] = text.GetBuffer();
    }
    // The Today item's options may have changed since the settings were read: keep them.
    settings.ReadTodayValues();
    bool saved = settings.Write();
    if (!m_remind.Save(m_page) || !saved)
        ReportSettingsNotSaved();
}

INT_PTR COptionsDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        OnContainerSize();
        return 0;
    case WM_VSCROLL:
        OnVScroll(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    default:
        if (ForwardBackKey(message, wParam, lParam))
            return 0;
        return CVelaDialog::DialogProc(message, wParam, lParam);
    }
}

void COptionsDialog::OnContainerSize()
{
    if (!m_page)
        return;
    RECT window;
    RECT page;
    GetWindowRect(GetWnd(), &window);
    GetWindowRect(m_page, &page);
    int width = window.right - window.left - DeviceScale(5) - GetSystemMetrics(SM_CXVSCROLL);
    SetWindowPos(m_page, nullptr, 0, 0, width, page.bottom - page.top, SWP_NOZORDER | SWP_NOREDRAW);
    UpdateScrolling();
}

void COptionsDialog::OnVScroll(WPARAM wParam)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(GetWnd(), SB_VERT, &info);
    int position = info.nPos;
    int line = VerticalPx(8);
    int last = info.nMax - static_cast<int>(info.nPage);
    switch (LOWORD(wParam))
    {
    case SB_LINEUP: position = position - line < info.nMin ? info.nMin : position - line; break;
    case SB_LINEDOWN: position = position + line > last ? last : position + line; break;
    case SB_PAGEUP: position = position - static_cast<int>(info.nPage) < info.nMin ? info.nMin
                                                                                 : position - static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN: position = position + static_cast<int>(info.nPage) > last ? last
                                                                               : position + static_cast<int>(info.nPage);
        break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = last; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = info.nMin + HIWORD(wParam); break;
    default: break;
    }
    if (position < 0)
        position = 0;
    SetScrollPos(GetWnd(), SB_VERT, position, TRUE);
    RECT page;
    GetWindowRect(m_page, &page);
    SetWindowPos(m_page, nullptr, m_pageLeft, -position, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    m_pageTop = -position;
}

void COptionsDialog::OnMouseWheel(int delta)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0)
        return;
    if (lines == WHEEL_PAGESCROLL)
    {
        OnVScroll(delta < 0 ? SB_PAGEDOWN : SB_PAGEUP);
        return;
    }
    m_wheelRest += delta * static_cast<int>(lines);
    int steps = m_wheelRest / WHEEL_DELTA;
    m_wheelRest -= steps * WHEEL_DELTA;
    for (int i = 0; i < (steps < 0 ? -steps : steps); i++)
        OnVScroll(steps < 0 ? SB_LINEDOWN : SB_LINEUP);
}

void COptionsDialog::UpdateScrolling()
{
    if (!m_page)
        return;
    // A Smartphone does not follow the focus, but its scroll bar still spans exactly the page.
    bool followFocus = GetApp()->GetPlatform() != PLATFORM_SMARTPHONE;
    RECT client = ClientAboveMenuBar(GetWnd());
    RECT pageRect;
    GetWindowRect(m_page, &pageRect);
    int c = client.bottom;
    int p = pageRect.bottom - pageRect.top;
    int maximum = p <= c ? 0 : p;
    int y = GetScrollPos(GetWnd(), SB_VERT);
    int d = 0;
    HWND focus = GetFocus();
    bool onPage = focus && GetParent(focus) == m_page;
    if (onPage && followFocus)
    {
        RECT control;
        GetWindowRect(focus, &control);
        MapWindowPoints(nullptr, GetWnd(), reinterpret_cast<POINT*>(&control), 2);
        if (control.bottom > c)
            d = control.bottom + VerticalPx(2) - c;
        if (control.top - d < 0)
            d = control.top - VerticalPx(2);
    }
    int position = y + d;
    if ((onPage || !followFocus) && position > maximum - c)
        position = maximum - c;
    if (position < 1)
        position = 0;
    SetWindowPos(m_page, nullptr, m_pageLeft, -position, client.right, p, SWP_NOZORDER);
    m_pageTop = -position;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(c);
    info.nPos = position;
    SetScrollInfo(GetWnd(), SB_VERT, &info, TRUE);
    SCROLLINFO none = {};
    none.cbSize = sizeof(none);
    none.fMask = SIF_ALL;
    SetScrollInfo(GetWnd(), SB_HORZ, &none, TRUE);
}

INT_PTR CALLBACK COptionsDialog::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrW(page, GWLP_USERDATA, lParam);
    COptionsDialog* self = reinterpret_cast<COptionsDialog*>(GetWindowLongPtrW(page, GWLP_USERDATA));
    if (self && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        return OnBookOptionCommand(page, LOWORD(wParam)) ? TRUE : FALSE;
    return self ? self->OnPageMessage(page, message) : FALSE;
}

INT_PTR COptionsDialog::OnPageMessage(HWND page, UINT message)
{
    switch (message)
    {
    case WM_INITDIALOG:
        OnPageInit(page);
        return TRUE;
    case WM_SIZE:
        FitControlsRight(page, 2, IDC_OPTIONS_SUBJECT, IDC_OPTIONS_BODY);
        LayOutBookOption(page);
        return FALSE;
    case WM_MOVE:
    case WM_PAINT:
    case WM_WINDOWPOSCHANGED:
    case WM_COMMAND:
        return FALSE;
    default:
    {
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == page && focus != m_lastFocus)
        {
            m_lastFocus = focus;
            UpdateScrolling();
        }
        return FALSE;
    }
    }
}

void COptionsDialog::OnPageInit(HWND page)
{
    m_page = page;
    SetWindowTextW(page, L"Settings");
    const CSettings& settings = m_data->GetSettings();
    CheckDlgButton(page, IDC_OPTIONS_ANNIVERSARIES, settings.ShowAnnivasaries ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_OPTIONS_FUTURE_AGE, settings.ShowFutureAge ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(page, IDC_OPTIONS_SUBJECT, EM_LIMITTEXT, MESSAGE_TEMPLATE_LIMIT, 0);
    SendDlgItemMessageW(page, IDC_OPTIONS_BODY, EM_LIMITTEXT, MESSAGE_TEMPLATE_LIMIT, 0);
    SetDlgItemTextW(page, IDC_OPTIONS_SUBJECT, settings.MessageSubject);
    SetDlgItemTextW(page, IDC_OPTIONS_BODY, settings.MessageBody);
    SetWindowSubclass(GetDlgItem(page, IDC_OPTIONS_SUBJECT), EditWheelProc, 0, 0);
    SetWindowSubclass(GetDlgItem(page, IDC_OPTIONS_BODY), EditWheelProc, 0, 0);

    int iconWidth = GetSystemMetrics(SM_CXSMICON);
    int generalKey = iconWidth <= 16 ? 91 : iconWidth > 22 ? 93 : 92;
    CZrsPackage* package = static_cast<CApp*>(GetApp())->GetPackage();
    m_generalPicture = package ? package->LoadBitmap(generalKey) : nullptr;
    m_templatePicture = package ? package->LoadBitmap(generalKey - 3) : nullptr;
    SendDlgItemMessageW(page, IDC_OPTIONS_GENERAL_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(m_generalPicture));
    SendDlgItemMessageW(page, IDC_OPTIONS_TEMPLATE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(m_templatePicture));

    LOGFONTW font = {};
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    font.lfHeight = static_cast<LONG>(font.lfHeight * 1.1);
    m_headingFont = CreateFontIndirectW(&font);
    SendDlgItemMessageW(page, IDC_OPTIONS_GENERAL, WM_SETFONT, reinterpret_cast<WPARAM>(m_headingFont), TRUE);
    SendDlgItemMessageW(page, IDC_OPTIONS_TEMPLATE, WM_SETFONT, reinterpret_cast<WPARAM>(m_headingFont), TRUE);
    SendDlgItemMessageW(page, IDC_OPTIONS_REMINDERS, WM_SETFONT, reinterpret_cast<WPARAM>(m_headingFont), TRUE);
    m_remind.Init(page);
    PlaceHeading(IDC_OPTIONS_GENERAL, IDC_OPTIONS_GENERAL_PICTURE);
    PlaceHeading(IDC_OPTIONS_TEMPLATE, IDC_OPTIONS_TEMPLATE_PICTURE);
    InitBookOption(page, m_headingFont);
}

void COptionsDialog::PlaceHeading(int headingId, int pictureId)
{
    HWND heading = GetDlgItem(m_page, headingId);
    HWND picture = GetDlgItem(m_page, pictureId);
    RECT p;
    RECT h;
    GetWindowRect(picture, &p);
    GetWindowRect(heading, &h);
    MapWindowPoints(nullptr, m_page, reinterpret_cast<POINT*>(&p), 2);
    int height = h.bottom - h.top;
    MoveWindow(heading, p.right + DeviceScale(5), p.top + (p.bottom - p.top - height) / 2, h.right - h.left, height,
               TRUE);
}
