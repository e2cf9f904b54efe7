// The contact editor: a modal property sheet (name and dates, telephones, e-mail) that saves into the card's file.
#include "platform/store/cardui.h"

#include "platform/store/module.h"
#include "platform/store/resource.h"
#include "platform/store/widetext.h"
#include "platform/store/writeback.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// Dates with a year in the locale's short form (null format); without a year as day and month.
const wchar_t* const YEAR_FORMAT = nullptr;
const wchar_t NO_YEAR_FORMAT[] = L"d MMMM";
// The year a year-less date is shown in: a leap year, so that 29 February can be picked.
const WORD SHOWN_YEAR = 2000;

struct CDateControls
{
    int picker;
    int noYear;
};
const CDateControls DATE_CONTROLS[2] = {{IDC_BIRTHDAY, IDC_BIRTHDAY_NO_YEAR}, {IDC_ANNIVERSARY, IDC_ANNIVERSARY_NO_YEAR}};

struct CEditorState
{
    COpenedCard opened;
    vcard::CCardFields fields;
    std::vector<HWND> pages; // the pages created so far, which hold what the user typed
    bool accepted = false;
    HRESULT saved = S_FALSE;
    std::vector<int> conflicts;
    bool fitted = false;
    bool filling = false;
    // The display name that first and last name give; while the display name is that, it follows them.
    std::wstring derived;
    // What each date picker showed when its page opened: unchanged, the card's date stays as written
    // (also a date the picker cannot show).
    vcard::CVCardDate shown[2];
};

vcard::CVCardDate& DateField(vcard::CCardFields& fields, int which)
{
    return which == 0 ? fields.birthday : fields.anniversary;
}

std::wstring ControlText(HWND page, int id)
{
    HWND control = GetDlgItem(page, id);
    int n = GetWindowTextLengthW(control);
    std::wstring text(n + 1, L'\0');
    n = GetWindowTextW(control, &text[0], n + 1);
    text.resize(n > 0 ? n : 0);
    return text;
}

void SetText(HWND page, int id, const std::string& utf8)
{
    SetDlgItemTextW(page, id, Utf8ToWide(utf8).c_str());
}

void ReadText(HWND page, int id, std::string& utf8)
{
    if (GetDlgItem(page, id))
        utf8 = WideToUtf8(ControlText(page, id));
}

vcard::CVCardDate ReadDate(HWND page, int which)
{
    vcard::CVCardDate date;
    SYSTEMTIME st = {};
    if (SendDlgItemMessageW(page, DATE_CONTROLS[which].picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) !=
        GDT_VALID)
        return date;
    bool noYear = IsDlgButtonChecked(page, DATE_CONTROLS[which].noYear) == BST_CHECKED;
    date.year = noYear ? vcard::YEAR_UNKNOWN : st.wYear;
    date.month = st.wMonth;
    date.day = st.wDay;
    return vcard::IsValidDate(date.year, date.month, date.day) ? date : vcard::CVCardDate();
}

void ShowDateFormat(HWND page, int which)
{
    bool noYear = IsDlgButtonChecked(page, DATE_CONTROLS[which].noYear) == BST_CHECKED;
    SendDlgItemMessageW(page, DATE_CONTROLS[which].picker, DTM_SETFORMATW, 0,
                        reinterpret_cast<LPARAM>(noYear ? NO_YEAR_FORMAT : YEAR_FORMAT));
}

void FillDate(HWND page, CEditorState& state, int which)
{
    const vcard::CVCardDate& date = DateField(state.fields, which);
    HWND picker = GetDlgItem(page, DATE_CONTROLS[which].picker);
    bool yearless = date.year == vcard::YEAR_UNKNOWN;
    CheckDlgButton(page, DATE_CONTROLS[which].noYear, yearless ? BST_CHECKED : BST_UNCHECKED);
    ShowDateFormat(page, which);
    SYSTEMTIME st = {};
    st.wYear = yearless ? SHOWN_YEAR : static_cast<WORD>(date.year);
    st.wMonth = static_cast<WORD>(date.month);
    st.wDay = static_cast<WORD>(date.day);
    if (date.year == 0 || !SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)))
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_NONE, 0);
    state.shown[which] = ReadDate(page, which);
}

void FillPage(HWND page, CEditorState& state)
{
    SetText(page, IDC_FIRST_NAME, state.fields.firstName);
    SetText(page, IDC_LAST_NAME, state.fields.lastName);
    SetText(page, IDC_DISPLAY_NAME, state.fields.displayName);
    for (int which = 0; which < 2; ++which)
        if (GetDlgItem(page, DATE_CONTROLS[which].picker))
            FillDate(page, state, which);
    for (int slot = 0; slot < vcard::PHONE_SLOTS; ++slot)
        SetText(page, IDC_PHONE + slot, state.fields.phones[slot]);
    for (int slot = 0; slot < vcard::EMAIL_SLOTS; ++slot)
        SetText(page, IDC_EMAIL + slot, state.fields.emails[slot]);
}

bool IsReadOnlyEdit(HWND control)
{
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return _wcsicmp(name, L"Edit") == 0 && (GetWindowLongW(control, GWL_STYLE) & ES_READONLY);
}

// Fields whose text did not decode are shown but cannot be changed; the page says why.
void LockReadOnly(HWND page, const CEditorState& state)
{
    bool any = false;
    auto lock = [&](int id, int field) {
        HWND control = GetDlgItem(page, id);
        if (!control || !state.opened.readOnly[field])
            return;
        any = true;
        if (field == vcard::FIELD_BIRTHDAY || field == vcard::FIELD_ANNIVERSARY)
        {
            EnableWindow(control, FALSE);
            EnableWindow(GetDlgItem(page, DATE_CONTROLS[field - vcard::FIELD_BIRTHDAY].noYear), FALSE);
        }
        else
            SendMessageW(control, EM_SETREADONLY, TRUE, 0);
    };
    lock(IDC_FIRST_NAME, vcard::FIELD_FIRST_NAME);
    lock(IDC_LAST_NAME, vcard::FIELD_LAST_NAME);
    lock(IDC_DISPLAY_NAME, vcard::FIELD_DISPLAY_NAME);
    lock(IDC_BIRTHDAY, vcard::FIELD_BIRTHDAY);
    lock(IDC_ANNIVERSARY, vcard::FIELD_ANNIVERSARY);
    for (int slot = 0; slot < vcard::PHONE_SLOTS; ++slot)
        lock(IDC_PHONE + slot, vcard::FIELD_PHONE + slot);
    for (int slot = 0; slot < vcard::EMAIL_SLOTS; ++slot)
        lock(IDC_EMAIL + slot, vcard::FIELD_EMAIL + slot);
    ShowWindow(GetDlgItem(page, IDC_READONLY_NOTE), any ? SW_SHOWNA : SW_HIDE);
}

void ReadPage(HWND page, CEditorState& state)
{
    ReadText(page, IDC_FIRST_NAME, state.fields.firstName);
    ReadText(page, IDC_LAST_NAME, state.fields.lastName);
    ReadText(page, IDC_DISPLAY_NAME, state.fields.displayName);
    for (int which = 0; which < 2; ++which)
    {
        if (!GetDlgItem(page, DATE_CONTROLS[which].picker))
            continue;
        vcard::CVCardDate date = ReadDate(page, which);
        const vcard::CVCardDate& shown = state.shown[which];
        if (date.year != shown.year || date.month != shown.month || date.day != shown.day)
            DateField(state.fields, which) = date;
    }
    for (int slot = 0; slot < vcard::PHONE_SLOTS; ++slot)
        ReadText(page, IDC_PHONE + slot, state.fields.phones[slot]);
    for (int slot = 0; slot < vcard::EMAIL_SLOTS; ++slot)
        ReadText(page, IDC_EMAIL + slot, state.fields.emails[slot]);
}

std::wstring DerivedName(HWND page)
{
    std::wstring first = ControlText(page, IDC_FIRST_NAME), last = ControlText(page, IDC_LAST_NAME);
    std::wstring joined = first + (first.empty() || last.empty() ? L"" : L" ") + last;
    size_t begin = joined.find_first_not_of(L" \t"), end = joined.find_last_not_of(L" \t");
    return begin == std::wstring::npos ? std::wstring() : joined.substr(begin, end - begin + 1);
}

void OnNameChanged(HWND page, CEditorState& state)
{
    if (state.filling)
        return;
    std::wstring derived = DerivedName(page);
    if (ControlText(page, IDC_DISPLAY_NAME) == state.derived && !state.opened.readOnly[vcard::FIELD_DISPLAY_NAME])
        SetDlgItemTextW(page, IDC_DISPLAY_NAME, derived.c_str());
    state.derived = derived;
}

void OnNoYearClicked(HWND page, int which)
{
    ShowDateFormat(page, which);
    SYSTEMTIME st = {};
    HWND picker = GetDlgItem(page, DATE_CONTROLS[which].picker);
    if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        return;
    if (IsDlgButtonChecked(page, DATE_CONTROLS[which].noYear) == BST_CHECKED)
    {
        st.wYear = SHOWN_YEAR;
        SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    }
}

// Posted by the first page once the sheet exists: the sheet is laid out anew around its pages.
const UINT WM_FIT_SHEET = WM_APP + 1;
// Size of the page templates (dialog units).
const int PAGE_WIDTH = 134;
const int PAGE_HEIGHT = 120;

void MoveBy(HWND sheet, HWND control, int dx, int dy)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(control, nullptr, rect.left + dx, rect.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResizeBy(HWND window, HWND parent, int dx, int dy)
{
    RECT rect;
    GetWindowRect(window, &rect);
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A sheet may keep a default size larger than its pages; on the device's small screen it is
// made exactly as large as the pages need, and kept on the screen.
// The page area of the tab control, in sheet coordinates.
RECT PageArea(HWND sheet, HWND tab)
{
    RECT area;
    GetWindowRect(tab, &area);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&area), 2);
    SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    return area;
}

void FitSheet(HWND page)
{
    HWND sheet = GetParent(page);
    HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    if (!tab)
        return;
    RECT wanted = {0, 0, PAGE_WIDTH, PAGE_HEIGHT};
    MapDialogRect(page, &wanted);
    // A narrower tab control may wrap its tabs into more rows and so take height from the page:
    // the size is measured again until the page area is the page's size.
    for (int round = 0; round < 4; ++round)
    {
        RECT area = PageArea(sheet, tab);
        int dx = wanted.right - (area.right - area.left), dy = wanted.bottom - (area.bottom - area.top);
        if (dx == 0 && dy == 0)
            break;
        ResizeBy(tab, sheet, dx, dy);
        const int buttons[] = {IDOK, IDCANCEL, IDHELP, 0x3021};
        for (int id : buttons)
            if (HWND button = GetDlgItem(sheet, id))
                MoveBy(sheet, button, dx, dy);
        ResizeBy(sheet, nullptr, dx, dy);
    }
    RECT area, own;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(sheet, &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = std::max(static_cast<int>(area.left), std::min(static_cast<int>(own.left), static_cast<int>(area.right) - width));
    int y = std::max(static_cast<int>(area.top), std::min(static_cast<int>(own.top), static_cast<int>(area.bottom) - height));
    SetWindowPos(sheet, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT pageArea = PageArea(sheet, tab);
    SetWindowPos(page, nullptr, pageArea.left, pageArea.top, wanted.right, wanted.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    // Whatever the first layout left on the sheet is painted over.
    InvalidateRect(sheet, nullptr, TRUE);
}

// Saves what every page holds when the first page hears of OK. A save that fails keeps the sheet
// open with what the user typed, so that it can be tried again or cancelled.
LONG_PTR OnApply(HWND page, CEditorState& state)
{
    if (state.accepted)
        return PSNRET_NOERROR;
    for (HWND shown : state.pages)
        ReadPage(shown, state);
    vcard::CCardFields fields = state.fields;
    vcard::NormalizeFields(fields);
    // A field the user left alone stays as the card has it, even where tidying would change it.
    vcard::CCardFields shown = state.opened.fields;
    vcard::NormalizeFields(shown);
    bool untouched[vcard::FIELD_COUNT];
    for (int f = 0; f < vcard::FIELD_COUNT; ++f)
        untouched[f] = vcard::FieldText(shown, f) == vcard::FieldText(fields, f);
    vcard::CopyFields(untouched, state.opened.fields, fields);
    CSaveResult result = SaveOpenedCard(state.opened, fields);
    if (FAILED(result.hr))
    {
        MessageBoxW(GetParent(page), result.error.c_str(), LoadText(IDS_STORE_CAPTION).c_str(), MB_OK | MB_ICONERROR);
        state.saved = result.hr;
        return PSNRET_INVALID_NOCHANGEPAGE;
    }
    state.accepted = true;
    state.saved = S_OK;
    state.conflicts = result.conflicts;
    return PSNRET_NOERROR;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    CEditorState* state = reinterpret_cast<CEditorState*>(GetWindowLongPtrW(page, DWLP_USER));
    switch (message)
    {
    case WM_INITDIALOG:
        state = reinterpret_cast<CEditorState*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
        state->pages.push_back(page);
        state->filling = true;
        FillPage(page, *state);
        state->filling = false;
        if (GetDlgItem(page, IDC_FIRST_NAME))
            state->derived = DerivedName(page);
        LockReadOnly(page, *state);
        if (!state->fitted)
        {
            state->fitted = true;
            PostMessageW(page, WM_FIT_SHEET, 0, 0);
        }
        return TRUE;
    case WM_FIT_SHEET:
        FitSheet(page);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // Read-only fields are grey, as the note on the page says.
        if (IsReadOnlyEdit(reinterpret_cast<HWND>(lParam)))
        {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_BIRTHDAY_NO_YEAR)
            OnNoYearClicked(page, 0);
        else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_ANNIVERSARY_NO_YEAR)
            OnNoYearClicked(page, 1);
        else if (state && HIWORD(wParam) == EN_CHANGE &&
                 (LOWORD(wParam) == IDC_FIRST_NAME || LOWORD(wParam) == IDC_LAST_NAME))
            OnNameChanged(page, *state);
        return FALSE;
    case WM_NOTIFY:
        if (state && reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY)
        {
            SetWindowLongPtrW(page, DWLP_MSGRESULT, OnApply(page, *state));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowConflicts(HWND owner, const std::vector<int>& conflicts)
{
    std::wstring names;
    for (int field : conflicts)
        names += LoadText(IDS_FIELD + field) + L"\n";
    std::wstring format = LoadText(IDS_CONFLICT);
    size_t at = format.find(L"%s");
    if (at != std::wstring::npos)
        format.replace(at, 2, names);
    MessageBoxW(owner, format.c_str(), LoadText(IDS_STORE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
}

} // namespace

HRESULT RunContactEditor(LONG oid, HWND owner)
{
    CEditorState state;
    if (!OpenCard(oid, state.opened))
    {
        MessageBoxW(owner, LoadText(IDS_GONE).c_str(), LoadText(IDS_STORE_CAPTION).c_str(), MB_OK | MB_ICONERROR);
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    state.fields = state.opened.fields;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    const int templates[] = {IDD_EDIT_NAME, IDD_EDIT_PHONE, IDD_EDIT_MORE, IDD_EDIT_EMAIL};
    PROPSHEETPAGEW pages[4] = {};
    for (int i = 0; i < 4; ++i)
    {
        pages[i].dwSize = sizeof(PROPSHEETPAGEW);
        pages[i].hInstance = StoreModule();
        pages[i].pszTemplate = MAKEINTRESOURCEW(templates[i]);
        pages[i].pfnDlgProc = PageProc;
        pages[i].lParam = reinterpret_cast<LPARAM>(&state);
    }
    std::wstring caption = LoadText(IDS_EDIT_CAPTION);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = StoreModule();
    header.pszCaption = caption.c_str();
    header.nPages = 4;
    header.ppsp = pages;
    PropertySheetW(&header);
    // Cancelled after a failed save: the failure is the result.
    if (!state.accepted)
        return state.saved;
    if (!state.conflicts.empty())
        ShowConflicts(owner, state.conflicts);
    return S_OK;
}
