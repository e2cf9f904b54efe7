// CMainView commands: order, split, periods, reference date, filter, menus, refill and refresh.
#include "app/app.h"
#include "app/datedialog.h"
#include "app/eventload.h"
#include "app/mainactions.h"
#include "app/optionsdialog.h"
#include "app/mainview.h"
#include "app/resource.h"
#include "core/error.h"
#include "data/zodiac.h"
#include "framework/infowin.h"
#include "framework/menu.h"
#include "platform/shell/shell.h"
#include "platform/store/contactstore.h"

#include <commctrl.h>

void CMainView::OnCommand(UINT id, UINT code, HWND control)
{
    if (HandleCommand(id, code))
        static_cast<CApp*>(GetApp())->OnCommand(id, code, control);
}

bool CMainView::HandleCommand(UINT id, UINT code)
{
    CDataList* data = GetData();
    switch (id)
    {
    case IDC_FILTER_EDIT:
        if (code == EN_CHANGE)
        {
            wchar_t text[101] = L"";
            GetWindowTextW(m_filterEdit, text, 101);
            data->SetFilter(text);
            Refill(0);
        }
        break;
    case IDM_SORT_NAME:
    case IDM_SORT_DATE:
    case IDM_SORT_DAYS_LEFT:
    case IDM_SORT_MONTH:
    {
        const int orders[] = {SORT_BY_NAME, SORT_BY_DATE, SORT_BY_DAYS_LEFT, SORT_BY_MONTH};
        const UINT ids[] = {IDM_SORT_NAME, IDM_SORT_DATE, IDM_SORT_DAYS_LEFT, IDM_SORT_MONTH};
        for (int i = 0; i < 4; i++)
            if (ids[i] == id)
                ReportSave(data->Sort(orders[i]));
        Refill(0);
        break;
    }
    case IDM_SPLIT_ALL:
        ReportSave(data->SetSplit(SPLIT_ALL, -1));
        Refill(0);
        break;
    case IDM_SPLIT_MONTH:
        ReportSave(data->SetSplit(SPLIT_BY_MONTH, data->GetReference().GetMonth()));
        Refill(0);
        break;
    case IDM_SPLIT_ZODIAC:
        ReportSave(data->SetSplit(SPLIT_BY_ZODIAC, ZodiacSign(data->GetReference())));
        Refill(0);
        break;
    case IDM_EDIT_CONTACT:
    case IDM_CALL_CONTACT:
    case IDM_SEND_MESSAGE:
        return RunContactCommand(id);
    case IDM_FILTER:
        ToggleFilter();
        break;
    case IDM_PREVIOUS_PERIOD:
    case IDM_NEXT_PERIOD:
        StepPeriod(id == IDM_NEXT_PERIOD);
        break;
    case IDM_TODAY:
        data->GoToToday();
        Refill(0);
        break;
    case IDM_SELECT_DATE:
        SelectDate();
        break;
    case IDM_OPTIONS:
        if (RunOptionsDialog())
            Refresh();
        break;
    default:
        if (id >= IDM_PERIOD_FIRST && id <= IDM_PERIOD_LAST)
            OnSplitPeriod(id);
        break;
    }
    return true;
}

void CMainView::OnSplitPeriod(UINT id)
{
    CDataList* data = GetData();
    int mode = data->GetSettings().SplitMode;
    if (mode == SPLIT_BY_MONTH)
        ReportSave(data->SetSplit(SPLIT_BY_MONTH, id - IDM_PERIOD_FIRST + 1));
    else if (mode == SPLIT_BY_ZODIAC)
        ReportSave(data->SetSplit(SPLIT_BY_ZODIAC, id - IDM_PERIOD_FIRST));
    else
        return;
    Refill(0);
}

bool CMainView::RunContactCommand(UINT id)
{
    int selected = m_list.GetSelection();
    if (selected < 0)
        return false;
    // The actions run modal loops in which a store notification may reload the events: keep what they need.
    const CDataItem* item = GetData()->GetItem(static_cast<uint32_t>(selected));
    LONG oid = item->oid;
    CStr name(item->GetName());
    IPOutlookApp2* store = GetData()->GetStore();
    if (id == IDM_EDIT_CONTACT)
    {
        IItem* contact = nullptr;
        if (store && SUCCEEDED(store->GetItemFromOidEx(oid, 0, &contact)) && contact)
        {
            contact->Edit(nullptr);
            contact->Release();
        }
        return true;
    }
    CMainActionUi ui;
    if (id == IDM_CALL_CONTACT)
        CallContact(store, oid, name, ui);
    else
        SendGreeting(store, oid, GetData()->GetSettings(), ui);
    return true;
}

void CMainView::ReportSave(bool saved)
{
    if (!saved)
        ReportSettingsNotSaved();
}

void CMainView::StepPeriod(bool next)
{
    HWND focus = GetFocus();
    if (m_filterOpen && focus == m_filterEdit)
    {
        SendMessageW(m_filterEdit, WM_KEYDOWN, next ? VK_RIGHT : VK_LEFT, 0);
        return;
    }
    if (focus != m_list.GetWindow() && focus != m_filterEdit)
        return;
    CDataList* data = GetData();
    int mode = data->GetSettings().SplitMode;
    int period = data->GetSettings().SplitPeriod;
    if (mode == SPLIT_BY_MONTH)
    {
        period = next ? period + 1 : period - 1;
        if (period > 12)
            period = 1;
        if (period < 1)
            period = 12;
    }
    else if (mode == SPLIT_BY_ZODIAC)
    {
        period = next ? period + 1 : period - 1;
        if (period > 11)
            period = 0;
        if (period < 0)
            period = 11;
    }
    else
    {
        return;
    }
    ReportSave(data->SetSplit(mode, period));
    Refill(0);
}

void CMainView::ToggleFilter()
{
    m_filterOpen = !m_filterOpen;
    RECT client;
    GetClientRect(GetWnd(), &client);
    Layout(client.right, client.bottom);
    if (m_filterOpen)
    {
        SetFocus(m_filterEdit);
        return;
    }
    SHSipPreference(GetWnd(), SIP_DOWN);
    GetData()->ClearFilter();
    SetWindowTextW(m_filterEdit, L"");
    Refill(0);
    SetFocus(m_list.GetWindow());
}

void CMainView::SelectDate()
{
    CTime reference = GetData()->GetReference();
    CDateDialog dialog(reference);
    if (dialog.Run() == 1)
    {
        GetData()->SetReference(dialog.GetDate());
        Refill(0);
    }
}

void CMainView::Refill(int selection)
{
    int count = static_cast<int>(GetData()->GetCount());
    m_list.SetCount(count);
    m_list.Select(selection);
    m_list.RecreateColumns(true);
    InvalidateRect(m_list.GetWindow(), nullptr, FALSE);
    InvalidateRect(GetWnd(), nullptr, FALSE);
    UpdateWindow(GetWnd());
}

void CMainView::Refresh()
{
    GetApp()->ShowStatus(L"Refreshing...", 0x11, 700);
    CDataList* data = GetData();
    int selected = m_list.GetSelection();
    AwaitedEvent event = m_awaited;
    if (selected >= 0 && static_cast<uint32_t>(selected) < data->GetCount())
        event = {true, data->GetItem(selected)->oid, data->GetItem(selected)->IsAnniversary()};
    LoadEvents(*data);
    // While the address book cannot be read the list is empty; the selection waits for its return.
    m_awaited = data->GetUnreadableBook().IsEmpty() ? AwaitedEvent() : event;
    int found = event.valid ? data->FindInView(event.oid, event.anniversary) : -1;
    Refill(found >= 0 ? found : 0);
    GetApp()->HideStatus();
    ReportUnreadableBook();
}

void CMainView::ReportUnreadableBook()
{
    const CStr& book = GetData()->GetUnreadableBook();
    if (book.IsEmpty())
    {
        m_bookReported = false;
        return;
    }
    if (m_bookReported)
        return;
    m_bookReported = true;
    CStr text(L"The address book could not be read: ");
    text.Append(book);
    GetApp()->ShowInfo(text, 8000, INFO_HCENTER | INFO_VCENTER);
}

void CMainView::OnInitMenuPopup(HMENU menu, UINT position)
{
    const CSettings& settings = GetData()->GetSettings();
    if (position == IDC_MENUBAR_MENU)
    {
        ReplaceMenuItem(menu, IDM_FILTER, MF_STRING, IDM_FILTER, m_filterOpen ? L"Clear filter" : L"Filter");
        HMENU period = CreatePopupPeriodMenu();
        ReplaceMenuItem(menu, 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(period), L"Date/period");
    }
    else if (position == 3)
    {
        const int ids[] = {IDM_SORT_NAME, IDM_SORT_DATE, IDM_SORT_DAYS_LEFT, IDM_SORT_MONTH};
        for (int i = 0; i < 4; i++)
            CheckMenuItem(menu, ids[i], MF_BYCOMMAND | (settings.SortOrder == i ? MF_CHECKED : MF_UNCHECKED));
    }
    else if (position == 4)
    {
        const int ids[] = {IDM_SPLIT_ALL, IDM_SPLIT_MONTH, IDM_SPLIT_ZODIAC};
        for (int i = 0; i < 3; i++)
            CheckMenuItem(menu, ids[i], MF_BYCOMMAND | (settings.SplitMode == i ? MF_CHECKED : MF_UNCHECKED));
    }
}

HMENU CMainView::CreatePopupPeriodMenu()
{
    HMENU menu = CreatePopupMenu();
    Assert(menu != nullptr, ERR_INVALID_VALUE, L"CMainView::CreatePopupPeriodMenu", __LINE__);
    const CDataList* data = GetData();
    const CSettings& settings = data->GetSettings();
    if (settings.SplitMode == SPLIT_ALL)
    {
        AppendMenuW(menu, MF_STRING, IDM_TODAY, L"Today");
        AppendMenuW(menu, MF_STRING, IDM_SELECT_DATE, L"Select date");
        return menu;
    }
    if (settings.SplitMode != SPLIT_BY_MONTH && settings.SplitMode != SPLIT_BY_ZODIAC)
        return menu;
    bool byMonth = settings.SplitMode == SPLIT_BY_MONTH;
    int now = byMonth ? data->GetReference().GetMonth() - 1 : ZodiacSign(data->GetReference());
    int checked = byMonth ? settings.SplitPeriod - 1 : settings.SplitPeriod;
    for (int i = 0; i < 12; i++)
    {
        CStr text;
        if (byMonth)
        {
            wchar_t month[80] = L"";
            GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + i, month, 80);
            text = month;
        }
        else
        {
            GetZodiacName(i, text);
        }
        if (i == now)
            text.Append(L" (now)");
        AppendMenuW(menu, MF_STRING | (i == checked ? MF_CHECKED : 0), IDM_PERIOD_FIRST + i, text);
    }
    return menu;
}
