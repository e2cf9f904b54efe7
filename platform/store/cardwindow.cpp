// The contact card: a modeless window with the contact's name, picture, dates, telephones and e-mail, and an Edit command.
#include "platform/store/cardui.h"

#include "platform/store/module.h"
#include "platform/store/resource.h"
#include "platform/store/widetext.h"
#include "platform/store/writeback.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace {

struct CCardWindow
{
    LONG oid;
    HBITMAP picture;
    HFONT nameFont;
};

// The open cards of this thread and the hook that gives them the dialog keys (Tab, Enter, Esc)
// inside the caller's message loop, which knows nothing of them.
thread_local std::vector<HWND> t_cards;
thread_local HHOOK t_keyHook = nullptr;

LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
        for (HWND card : t_cards)
            if ((card == msg->hwnd || IsChild(card, msg->hwnd)) && IsDialogMessageW(card, msg))
            {
                msg->message = WM_NULL;
                msg->wParam = 0;
                msg->lParam = 0;
                break;
            }
    return CallNextHookEx(t_keyHook, code, wParam, lParam);
}

void AddRow(HWND list, const std::wstring& label, const std::wstring& value)
{
    if (value.empty())
        return;
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(label.c_str());
    int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    item.iItem = row;
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(value.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void SetPicture(HWND window, CCardWindow& card)
{
    HWND box = GetDlgItem(window, IDC_CARD_PICTURE);
    RECT rect;
    GetClientRect(box, &rect);
    HBITMAP picture = LoadContactPicture(card.oid, rect.right, rect.bottom, GetSysColor(COLOR_BTNFACE));
    HBITMAP old = reinterpret_cast<HBITMAP>(SendMessageW(box, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
    if (old && old != card.picture)
        DeleteObject(old);
    if (card.picture)
        DeleteObject(card.picture);
    card.picture = picture;
    // The static keeps the size of its box, so a missing picture leaves only the background.
    SetWindowPos(box, nullptr, 0, 0, rect.right, rect.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Fills the window from the card as it is in the file now; false when the contact is gone.
bool FillCard(HWND window, CCardWindow& card)
{
    COpenedCard opened;
    if (!OpenCard(card.oid, opened))
        return false;
    const vcard::CCardFields& f = opened.fields;
    // The heading is the name the contact list shows.
    std::wstring name = Utf8ToWide(opened.name);
    SetWindowTextW(window, name.empty() ? LoadText(IDS_CARD_CAPTION).c_str() : name.c_str());
    SetDlgItemTextW(window, IDC_CARD_NAME, name.c_str());
    SetPicture(window, card);
    HWND list = GetDlgItem(window, IDC_CARD_DETAILS);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    AddRow(list, LoadText(IDS_FIELD + vcard::FIELD_BIRTHDAY), CardDateText(f.birthday));
    AddRow(list, LoadText(IDS_FIELD + vcard::FIELD_ANNIVERSARY), CardDateText(f.anniversary));
    for (int slot = 0; slot < vcard::PHONE_SLOTS; ++slot)
        AddRow(list, LoadText(IDS_FIELD + vcard::FIELD_PHONE + slot), Utf8ToWide(f.phones[slot]));
    for (int slot = 0; slot < vcard::EMAIL_SLOTS; ++slot)
        AddRow(list, LoadText(IDS_FIELD + vcard::FIELD_EMAIL + slot), Utf8ToWide(f.emails[slot]));
    if (ListView_GetItemCount(list) > 0)
        ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    return true;
}

void SetUpList(HWND window)
{
    HWND list = GetDlgItem(window, IDC_CARD_DETAILS);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT rect;
    GetClientRect(list, &rect);
    int labelWidth = rect.right / 3;
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = labelWidth;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = rect.right - labelWidth - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

void SetUpNameFont(HWND window, CCardWindow& card)
{
    LOGFONTW font = {};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    GetObjectW(dialogFont ? dialogFont : GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    font.lfHeight = font.lfHeight * 5 / 4;
    card.nameFont = CreateFontIndirectW(&font);
    SendDlgItemMessageW(window, IDC_CARD_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(card.nameFont), FALSE);
}

void OnEdit(HWND window, CCardWindow& card)
{
    if (RunContactEditor(card.oid, window) == S_OK && !FillCard(window, card))
        DestroyWindow(window);
}

void OnDestroy(HWND window, CCardWindow* card)
{
    for (size_t i = 0; i < t_cards.size(); ++i)
        if (t_cards[i] == window)
            t_cards.erase(t_cards.begin() + i--);
    if (t_cards.empty() && t_keyHook)
    {
        UnhookWindowsHookEx(t_keyHook);
        t_keyHook = nullptr;
    }
    if (card)
    {
        if (card->picture)
            DeleteObject(card->picture);
        if (card->nameFont)
            DeleteObject(card->nameFont);
        delete card;
    }
    ObjectDestroyed();
}

INT_PTR CALLBACK CardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CCardWindow* card = reinterpret_cast<CCardWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    switch (message)
    {
    case WM_INITDIALOG:
        card = reinterpret_cast<CCardWindow*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        SetUpNameFont(window, *card);
        SetUpList(window);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            DestroyWindow(window);
        else if ((LOWORD(wParam) == IDC_CARD_EDIT || LOWORD(wParam) == IDOK) && card)
            OnEdit(window, *card);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, DWLP_USER, 0);
        OnDestroy(window, card);
        return FALSE;
    }
    return FALSE;
}

// Near the caller's window, else in the middle of the work area; always wholly on screen.
void Place(HWND window, HWND parent)
{
    RECT own, area;
    GetWindowRect(window, &own);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT around = area;
    if (parent && IsWindow(parent))
        GetWindowRect(parent, &around);
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = (around.left + around.right - width) / 2, y = (around.top + around.bottom - height) / 2;
    x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width));
    y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

HRESULT ShowCardWindow(LONG oid, HWND parent)
{
    for (HWND open : t_cards)
    {
        CCardWindow* card = reinterpret_cast<CCardWindow*>(GetWindowLongPtrW(open, DWLP_USER));
        if (card && card->oid == oid)
        {
            ShowWindow(open, SW_RESTORE);
            SetForegroundWindow(open);
            return S_OK;
        }
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    CCardWindow* card = new CCardWindow{oid, nullptr, nullptr};
    // The window keeps the DLL loaded while it is open.
    ObjectCreated();
    HWND window = CreateDialogParamW(StoreModule(), MAKEINTRESOURCEW(IDD_CARD), nullptr, CardProc,
                                     reinterpret_cast<LPARAM>(card));
    if (!window)
    {
        DWORD error = GetLastError();
        delete card;
        ObjectDestroyed();
        return HRESULT_FROM_WIN32(error ? error : ERROR_CANNOT_MAKE);
    }
    t_cards.push_back(window);
    if (!t_keyHook)
        t_keyHook = SetWindowsHookExW(WH_GETMESSAGE, KeyHook, nullptr, GetCurrentThreadId());
    if (!FillCard(window, *card))
    {
        DestroyWindow(window);
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    Place(window, parent);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return S_OK;
}
