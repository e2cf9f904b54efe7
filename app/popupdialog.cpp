// CPopupDialog: title, a list of strings, Ok and Cancel; run as the platform's own modal dialog box.
#include "app/popupdialog.h"

#include "common/backkey.h"
#include "common/menubarroom.h"
#include "app/resource.h"
#include "framework/app.h"
#include "platform/shell/shell.h"

#include <commctrl.h>

CPopupDialog::CPopupDialog(int* selection, const wchar_t* title, const CStrList* items)
    : m_selection(selection), m_items(items), m_title(title), m_font(nullptr), m_rowHeight(0)
{
}

bool CPopupDialog::Run(int* selection, const wchar_t* title, const CStrList* items)
{
    CPopupDialog dialog(selection, title, items);
    dialog.m_menuBarId = IDR_OKCANCEL_MENUBAR;
    CVelaApp* app = GetApp();
    INT_PTR result = DialogBoxParamW(app->GetInstance(), MAKEINTRESOURCEW(IDD_POPUP_LIST), app->GetMainWnd(),
                                     CVelaDialog::DialogProcedure, reinterpret_cast<LPARAM>(&dialog));
    return result == 1;
}

void CPopupDialog::OnCreate()
{
    OverrideBackKey(GetMenuBar());
    SetWindowTextW(GetWnd(), m_title);
    m_font = CreatePopupRowFont();
    m_rowHeight = PopupRowHeight(m_font);
    m_list.Construct(GetWnd(), IDC_POPUP_LIST);
    // The list measured its rows before the dialog could answer; a new font makes it measure again.
    SendMessageW(m_list.GetWindow(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
    SetFocus(m_list.GetWindow());
    m_list.SetCount(static_cast<int>(m_items->GetCount()));
    m_list.Select(*m_selection);
    RedrawWindow(m_list.GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RedrawWindow(GetWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Place();
}

void CPopupDialog::Place()
{
    RECT reference;
    GetWindowRect(GetApp()->GetMainWnd(), &reference);
    PlacePopup(GetWnd(), reference, m_rowHeight, static_cast<int>(m_items->GetCount()));
}

void CPopupDialog::OnDestroy()
{
    m_list.ReleaseBuffer();
    DeleteObject(m_font);
    m_font = nullptr;
}

void CPopupDialog::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK || id == IDYES)
    {
        *m_selection = m_list.GetSelection();
        EndDialog(1);
    }
    else if (id == IDCANCEL)
    {
        EndDialog(2);
    }
}

INT_PTR CPopupDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
    {
        RECT client = ClientAboveMenuBar(GetWnd());
        MoveWindow(m_list.GetWindow(), 0, 0, client.right, client.bottom, TRUE);
        m_list.RecreateColumns(true);
        int mark = m_list.GetSelection();
        if (mark >= 0)
            SendMessageW(m_list.GetWindow(), LVM_ENSUREVISIBLE, mark, FALSE);
        return 0;
    }
    case WM_DRAWITEM:
        DrawPopupRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), m_font, *m_items);
        return 1;
    case WM_MEASUREITEM:
    {
        MEASUREITEMSTRUCT* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_LISTVIEW || m_rowHeight == 0)
            return 0;
        measure->itemHeight = m_rowHeight;
        return 1;
    }
    default:
        if (ForwardBackKey(message, wParam, lParam))
            return 0;
        return CVelaDialog::DialogProc(message, wParam, lParam);
    }
}

void CPopupDialog::OnSettingChange(WPARAM wParam, LPARAM lParam)
{
    if (wParam == SPI_SETSIPINFO)
        SHHandleWMSettingChange(GetWnd(), wParam, lParam, GetApp()->GetActivateInfo());
    if (wParam == SPI_SETSIPINFO || wParam == SETTINGCHANGE_RESET)
        Place();
}
