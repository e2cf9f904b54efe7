// CDateDialog: a date picker set to the reference date, with Ok and Cancel on the menu bar.
#include "app/datedialog.h"

#include "common/backkey.h"
#include "app/resource.h"
#include "framework/layout.h"
#include "platform/shell/shell.h"

#include <commctrl.h>

int CDateDialog::Run()
{
    return static_cast<int>(StartDialog(IDD_SELECT_DATE, IDR_OKCANCEL_MENUBAR, 0, true));
}

void CDateDialog::OnCreate()
{
    OverrideBackKey(GetMenuBar());
    SYSTEMTIME st = m_date.AsSystemTime();
    SendMessageW(GetDlgItem(GetWnd(), IDC_DATE_PICKER), DTM_SETSYSTEMTIME, GDT_VALID,
                 reinterpret_cast<LPARAM>(&st));
    FitControlsToWidth(GetWnd(), 1, IDC_DATE_PICKER);
}

void CDateDialog::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK || id == IDYES)
    {
        SYSTEMTIME st = {};
        LRESULT state = SendMessageW(GetDlgItem(GetWnd(), IDC_DATE_PICKER), DTM_GETSYSTEMTIME, 0,
                                     reinterpret_cast<LPARAM>(&st));
        if (state == GDT_VALID)
        {
            // The picker's time of day is not the reference's: keep the date only.
            m_date = CTime(st.wYear, st.wMonth, st.wDay, m_date.GetHour(), 0, 0);
            EndDialog(1);
        }
        else
        {
            EndDialog(2);
        }
    }
    else if (id == IDCANCEL)
    {
        EndDialog(2);
    }
}

INT_PTR CDateDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE)
    {
        FitControlsToWidth(GetWnd(), 1, IDC_DATE_PICKER);
        return 0;
    }
    if (ForwardBackKey(message, wParam, lParam))
        return 0;
    return CVelaDialog::DialogProc(message, wParam, lParam);
}
