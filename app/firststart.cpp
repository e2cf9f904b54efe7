// CFirstStartDialog: the question for an address book at the first start, and the demo address book.
#include "app/firststart.h"

#include "common/backkey.h"
#include "app/bookoption.h"
#include "app/resource.h"
#include "core/file.h"
#include "core/str.h"
#include "data/bookstate.h"
#include "framework/layout.h"
#include "platform/shell/device.h"
#include "platform/store/config.h"

#include <shlobj.h>

bool AddressBookNeverAsked()
{
    return RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_FILE_NOT_FOUND;
}

bool AskForAddressBookOnce()
{
    if (!AddressBookNeverAsked())
        return false;
    CFirstStartDialog dialog;
    bool chosen = dialog.Run() == 1;
    // "Later" is an answer too: the list says how to choose one, and the question is not asked again.
    if (!chosen && AddressBookNeverAsked())
        WriteChosenBook(L"");
    return chosen;
}

bool MakeDemoAddressBook(HWND owner, CStr& path)
{
    CStr demo(MAX_PATH);
    CFileUtils::MakeAppFilePath(demo, L"demo-contacts.vcf", nullptr);
    wchar_t* local = nullptr;
    bool ok = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local)) && local;
    CStr folder(ok ? local : L"");
    CoTaskMemFree(local);
    folder.Append(L"\\Festivo");
    path = folder.GetBuffer();
    path.Append(L"\\demo-contacts.vcf");
    // The copy is the user's to change in the editor; an earlier copy keeps the changes made to it.
    ok = ok && (CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) &&
         (CopyFileW(demo, path, TRUE) || GetLastError() == ERROR_FILE_EXISTS);
    if (!ok)
    {
        CStr text(L"The demo address book could not be set up in ");
        text.Append(folder);
        text.Append(L".");
        MessageBoxW(owner, text, L"Festivo", MB_OK | MB_ICONEXCLAMATION);
    }
    return ok;
}

int CFirstStartDialog::Run()
{
    return static_cast<int>(StartDialog(IDD_FIRST_START, IDR_OKCANCEL_MENUBAR, 0, true));
}

void CFirstStartDialog::OnCreate()
{
    OverrideBackKey(GetMenuBar());
    SetWindowTextW(GetWnd(), L"Address book");
    FitControlsToWidth(GetWnd(), 5, IDC_FIRST_START_TEXT, IDC_FIRST_START_BROWSE, IDC_FIRST_START_DEMO,
                       IDC_FIRST_START_LATER, IDC_FIRST_START_NOTE);
    SetFocus(GetDlgItem(GetWnd(), IDC_FIRST_START_BROWSE));
}

void CFirstStartDialog::OnCreateMenuBar(SHMENUBARINFO* info)
{
    // On the desktop the question's own buttons are the answers (Esc is Later): an Ok and Cancel
    // row under them would only say Later twice. The handheld keeps its soft keys.
    if (DeviceIsDesktop())
        info->dwFlags |= SHCMBF_EMPTYBAR;
}

void CFirstStartDialog::OnCommand(UINT id, UINT, HWND)
{
    switch (id)
    {
    case IDC_FIRST_START_BROWSE:
    {
        CStr chosen;
        if (BrowseForBook(GetWnd(), GetDlgItem(GetWnd(), IDC_FIRST_START_BROWSE), L"", chosen))
            Choose(chosen);
        break;
    }
    case IDC_FIRST_START_DEMO:
        UseDemo();
        break;
    case IDC_FIRST_START_LATER:
    case IDOK:
    case IDYES:
    case IDCANCEL:
        EndDialog(2);
        break;
    default:
        break;
    }
}

INT_PTR CFirstStartDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE)
    {
        FitControlsToWidth(GetWnd(), 5, IDC_FIRST_START_TEXT, IDC_FIRST_START_BROWSE, IDC_FIRST_START_DEMO,
                           IDC_FIRST_START_LATER, IDC_FIRST_START_NOTE);
        return 0;
    }
    if (ForwardBackKey(message, wParam, lParam))
        return 0;
    return CVelaDialog::DialogProc(message, wParam, lParam);
}

void CFirstStartDialog::Choose(const wchar_t* path)
{
    if (!WriteChosenBook(path))
    {
        MessageBoxW(GetWnd(), L"The address book could not be chosen: the settings cannot be written.", L"Festivo",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(1);
}

void CFirstStartDialog::UseDemo()
{
    CStr path;
    if (MakeDemoAddressBook(GetWnd(), path))
        Choose(path);
}
