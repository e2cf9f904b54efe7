// The options dialog of the Today item: the number of lines and the period in months, corrected as typed.
#include "today/todayitem.h"

#include "data/settings.h"
#include "platform/shell/device.h"
#include "platform/shell/shell.h"
#include "today/resource.h"

#include <cwchar>
#include <initializer_list>

namespace {

// One options dialog at a time.
HFONT g_titleFont = nullptr;
SHACTIVATEINFO g_activation;
bool g_suppress = false;

// The two fields end inside the dialog at every resolution: a field reaching past the right margin
// (the template's font grows faster than the screen) is narrowed to end at the margin.
void FitFields(HWND dialog)
{
    RECT margin = {7, 0, 0, 0};
    MapDialogRect(dialog, &margin);
    RECT client;
    GetClientRect(dialog, &client);
    for (int id : {IDC_MAXLINES, IDC_MAXMONTHS})
    {
        HWND field = GetDlgItem(dialog, id);
        RECT rect;
        if (!field || !GetWindowRect(field, &rect))
            continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        int right = client.right - margin.left;
        if (rect.right > right && right > rect.left)
            MoveWindow(field, rect.left, rect.top, right - rect.left, rect.bottom - rect.top, FALSE);
    }
}

void OnInitOptions(HWND dialog)
{
    g_activation = {};
    g_activation.cbSize = sizeof(g_activation);
    SHINITDLGINFO init = {SHIDIM_FLAGS, dialog,
                          SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU};
    SHInitDialog(&init);
    FitFields(dialog);
    SHMENUBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    bar.hwndParent = dialog;
    bar.nToolBarId = IDR_PICKMENUBAR;
    bar.hInstRes = g_item.instance;
    SHCreateMenuBar(&bar);

    LOGFONTW font = {};
    GetObjectW(DeviceGetStockObject(SYSTEM_FONT), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    font.lfHeight = static_cast<LONG>(font.lfHeight * 1.1);
    DeleteObject(g_titleFont);
    g_titleFont = CreateFontIndirectW(&font);
    SendDlgItemMessageW(dialog, IDC_OPTIONSTITLE, WM_SETFONT, reinterpret_cast<WPARAM>(g_titleFont), FALSE);

    CSettings settings;
    settings.Read();
    SetDlgItemInt(dialog, IDC_MAXLINES, static_cast<UINT>(settings.TodayMaxLines), FALSE);
    SetDlgItemInt(dialog, IDC_MAXMONTHS, static_cast<UINT>(settings.TodayMaxMonth), FALSE);
}

// Brings the field's number into its range the moment it is typed; an empty field stays empty.
void OnFieldChanged(HWND dialog, int id)
{
    if (g_suppress)
    {
        g_suppress = false;
        return;
    }
    unsigned limit = id == IDC_MAXLINES ? 6 : 12;
    wchar_t text[25] = {};
    GetDlgItemTextW(dialog, id, text, 25);
    if (text[0] == 0)
        return;
    unsigned value = static_cast<unsigned>(wcstol(text, nullptr, 10));
    unsigned corrected = value < 1 ? 1 : (value > limit ? limit : value);
    if (corrected == value)
        return;
    g_suppress = true;
    SetDlgItemInt(dialog, id, corrected, FALSE);
}

void OnOk(HWND dialog)
{
    // Read afresh, so a setting the main program changed meanwhile survives.
    CSettings settings;
    settings.Read();
    BOOL ok = FALSE;
    UINT lines = GetDlgItemInt(dialog, IDC_MAXLINES, &ok, FALSE);
    if (ok)
        settings.TodayMaxLines = static_cast<int>(lines);
    UINT months = GetDlgItemInt(dialog, IDC_MAXMONTHS, &ok, FALSE);
    if (ok)
        settings.TodayMaxMonth = static_cast<int>(months);
    if (!settings.Write())
        MessageBoxW(dialog, L"The settings could not be saved.", L"Festivo", MB_OK);
    EndDialog(dialog, IDOK);
}

} // namespace

extern "C" __declspec(dllexport) INT_PTR CALLBACK CustomItemOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                                       LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
        OnInitOptions(dialog);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE && (LOWORD(wParam) == IDC_MAXLINES || LOWORD(wParam) == IDC_MAXMONTHS))
            OnFieldChanged(dialog, LOWORD(wParam));
        else if (LOWORD(wParam) == IDOK && HIWORD(wParam) == 0)
            OnOk(dialog);
        else if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == 0)
            EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_DESTROY:
        DeleteObject(g_titleFont);
        g_titleFont = nullptr;
        return TRUE;
    case WM_ACTIVATE:
        SHHandleWMActivate(dialog, wParam, lParam, &g_activation, 0);
        return TRUE;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETSIPINFO)
            SHHandleWMSettingChange(dialog, wParam, lParam, &g_activation);
        return TRUE;
    default:
        return FALSE;
    }
}
