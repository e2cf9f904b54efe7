// The "Address book" part of the options: the path of the chosen book, Browse... and the checked save.
#include "app/bookoption.h"

#include "app/resource.h"
#include "core/str.h"
#include "data/bookstate.h"
#include "framework/layout.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace {

const UINT kBrowseFile = 1;
const UINT kBrowseFolder = 2;

void ReadEdit(HWND edit, CStr& out)
{
    int length = GetWindowTextLengthW(edit);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit, text.data(), length + 1);
    // Blanks around a pasted path are no part of it.
    wchar_t* start = text.data();
    while (*start == L' ' || *start == L'\t')
        start++;
    size_t end = wcslen(start);
    while (end > 0 && (start[end - 1] == L' ' || start[end - 1] == L'\t'))
        start[--end] = 0;
    // A path pasted from a file manager often comes in double quotes.
    if (end >= 2 && start[0] == L'"' && start[end - 1] == L'"')
    {
        start[end - 1] = 0;
        start++;
    }
    out = start;
}

} // namespace

void InitBookOption(HWND page, HFONT heading)
{
    CStr chosen;
    ReadChosenBook(chosen);
    SendDlgItemMessageW(page, IDC_OPTIONS_BOOK, EM_LIMITTEXT, 32767, 0);
    SetDlgItemTextW(page, IDC_OPTIONS_BOOK, chosen);
    SendDlgItemMessageW(page, IDC_OPTIONS_BOOK_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(heading), TRUE);
}

void LayOutBookOption(HWND page)
{
    HWND edit = GetDlgItem(page, IDC_OPTIONS_BOOK);
    HWND button = GetDlgItem(page, IDC_OPTIONS_BOOK_BROWSE);
    if (!edit || !button)
        return;
    RECT client;
    RECT e;
    RECT b;
    GetClientRect(page, &client);
    GetWindowRect(edit, &e);
    GetWindowRect(button, &b);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&e), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&b), 2);
    int margin = ControlMargin();
    int buttonWidth = b.right - b.left;
    int buttonLeft = client.right - margin - buttonWidth;
    int editRight = buttonLeft - margin / 2;
    if (editRight <= e.left)
        return;
    MoveWindow(button, buttonLeft, b.top, buttonWidth, b.bottom - b.top, TRUE);
    MoveWindow(edit, e.left, e.top, editRight - e.left, e.bottom - e.top, TRUE);
}

bool OnBookOptionCommand(HWND page, UINT id)
{
    if (id != IDC_OPTIONS_BOOK_BROWSE)
        return false;
    CStr current;
    ReadEdit(GetDlgItem(page, IDC_OPTIONS_BOOK), current);
    CStr chosen;
    if (BrowseForBook(page, GetDlgItem(page, IDC_OPTIONS_BOOK_BROWSE), current, chosen))
        SetDlgItemTextW(page, IDC_OPTIONS_BOOK, chosen);
    return true;
}

bool SaveBookOption(HWND page, HWND owner)
{
    HWND edit = GetDlgItem(page, IDC_OPTIONS_BOOK);
    if (!edit)
        return true;
    CStr path;
    ReadEdit(edit, path);
    CStr chosen;
    ReadChosenBook(chosen);
    if (wcscmp(path, chosen) == 0)
        return true;
    if (!path.IsEmpty() && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
    {
        CStr text(L"The address book \"");
        text.Append(path);
        text.Append(L"\" cannot be found.\n\nChoose a .vcf file or a folder of .vcf files that exists, "
                    L"or leave the field empty to choose none.");
        MessageBoxW(owner, text, L"Festivo", MB_OK | MB_ICONEXCLAMATION);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return false;
    }
    if (!WriteChosenBook(path))
    {
        MessageBoxW(owner, L"The address book could not be changed: the settings cannot be written.", L"Festivo",
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool BrowseForBook(HWND owner, HWND button, const wchar_t* start, CStr& out)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, kBrowseFile, L"A .vcf file...");
    AppendMenuW(menu, MF_STRING, kBrowseFolder, L"A folder of .vcf files...");
    RECT r = {};
    GetWindowRect(button, &r);
    UINT kind = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY, r.left, r.bottom, 0, owner, nullptr));
    DestroyMenu(menu);
    if (kind == kBrowseFile)
        return BrowseForBookFile(owner, start, out);
    if (kind == kBrowseFolder)
        return BrowseForBookFolder(owner, out);
    return false;
}

bool BrowseForBookFile(HWND owner, const wchar_t* start, CStr& out)
{
    std::vector<wchar_t> file(32768, L'\0');
    DWORD attributes = start && start[0] ? GetFileAttributesW(start) : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        wcsncpy(file.data(), start, file.size() - 1);
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = L"vCard files (*.vcf)\0*.vcf\0All files\0*.*\0";
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? start : nullptr;
    request.lpstrTitle = L"Address book";
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&request))
        return false;
    out = file.data();
    return true;
}

bool BrowseForBookFolder(HWND owner, CStr& out)
{
    BROWSEINFOW request = {};
    request.hwndOwner = owner;
    request.lpszTitle = L"The folder of the address book (a folder of .vcf files, or of such folders):";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&request);
    if (!chosen)
        return false;
    std::vector<wchar_t> path(32768, L'\0');
    bool ok = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) != FALSE;
    CoTaskMemFree(chosen);
    if (ok)
        out = path.data();
    return ok;
}
