// CAboutDialog: dialog 108 with the Ok/Cancel menu bar; either button closes it.
#include "app/aboutdialog.h"

#include "app/resource.h"

void CAboutDialog::Run()
{
    StartDialog(IDD_ABOUT, IDR_OKCANCEL_MENUBAR, 0, true);
}

void CAboutDialog::OnCommand(UINT id, UINT, HWND)
{
    if (id == IDOK || id == IDCANCEL)
        EndDialog(static_cast<INT_PTR>(id));
}
