// The popup list of the plug-in: dialog 104 with its menu bar 105, offering several numbers or addresses.
#include "today/todayitem.h"

#include "common/backkey.h"
#include "common/menubarroom.h"
#include "common/popuplist.h"
#include "platform/shell/shell.h"
#include "today/resource.h"

#include <commctrl.h>

namespace {

struct CPickDialog
{
    CPopupListBox box;
    HINSTANCE instance;
    const wchar_t* title;
    CStrList* items;
    int* chosen;
    HFONT font;
    int rowHeight;
    HWND menuBar;
    SHACTIVATEINFO activation;
};

void Place(HWND dialog, const CPickDialog& pick)
{
    RECT reference;
    GetWindowRect(GetParent(dialog) ? GetParent(dialog) : GetDesktopWindow(), &reference);
    reference.bottom -= GetSystemMetrics(SM_CYMENU);
    PlacePopup(dialog, reference, pick.rowHeight, static_cast<int>(pick.items->GetCount()));
}

BOOL OnInitDialog(HWND dialog, CPickDialog& pick)
{
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&pick));
    SHMENUBARINFO bar = {};
    bar.cbSize = sizeof(bar);
    bar.hwndParent = dialog;
    bar.dwFlags = SHCMBF_HIDESIPBUTTON;
    bar.nToolBarId = IDR_PICKMENUBAR;
    bar.hInstRes = pick.instance;
    if (!SHCreateMenuBar(&bar))
    {
        pick.menuBar = nullptr;
        EndDialog(dialog, IDCANCEL);
        return FALSE;
    }
    pick.menuBar = bar.hwndMB;
    OverrideBackKey(pick.menuBar);
    SetWindowTextW(dialog, pick.title);
    pick.font = CreatePopupRowFont();
    pick.rowHeight = PopupRowHeight(pick.font);
    pick.box.Construct(dialog, IDC_PICKLIST);
    SetFocus(pick.box.GetWindow());
    pick.box.SetCount(static_cast<int>(pick.items->GetCount()));
    pick.box.Select(*pick.chosen);
    Place(dialog, pick);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return TRUE;
}

void OnSize(CPickDialog& pick, int width, int height)
{
    HWND list = pick.box.GetWindow();
    if (!list)
        return;
    // Above the row of buttons a desktop dialog has at its bottom.
    RECT free = ClientAboveMenuBar(GetParent(list));
    MoveWindow(list, 0, 0, width, free.bottom < height ? free.bottom : height, TRUE);
    pick.box.RecreateColumns(true);
    int selection = pick.box.GetSelection();
    if (selection >= 0)
        ListView_EnsureVisible(list, selection, FALSE);
}

INT_PTR CALLBACK PickDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return OnInitDialog(dialog, *reinterpret_cast<CPickDialog*>(lParam));
    auto* pick = reinterpret_cast<CPickDialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (!pick)
        return FALSE;
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDYES)
        {
            *pick->chosen = pick->box.GetSelection();
            EndDialog(dialog, IDOK);
        }
        else if (LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    case WM_ACTIVATE:
        SHHandleWMActivate(dialog, wParam, lParam, &pick->activation, 0);
        return FALSE;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETSIPINFO)
            SHHandleWMSettingChange(dialog, wParam, lParam, &pick->activation);
        if (wParam == SPI_SETSIPINFO || wParam == SETTINGCHANGE_RESET)
            Place(dialog, *pick);
        return FALSE;
    case WM_CANCELMODE:
        EndDialog(dialog, IDCANCEL);
        return FALSE;
    case WM_DESTROY:
        DeleteObject(pick->font);
        pick->font = nullptr;
        pick->box.ReleaseBuffer();
        return TRUE;
    case WM_SIZE:
        OnSize(*pick, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_MEASUREITEM:
    {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_LISTVIEW)
            return FALSE;
        measure->itemHeight = static_cast<UINT>(pick->rowHeight);
        return TRUE;
    }
    case WM_DRAWITEM:
        DrawPopupRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), pick->font, *pick->items);
        return TRUE;
    case WM_HOTKEY:
        ForwardBackKey(message, wParam, lParam);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

BOOL PickFromList(HINSTANCE instance, HWND owner, CPopupListBox** openPopup, int* chosen, const wchar_t* title,
                  CStrList* strings)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    CPickDialog pick = {};
    pick.instance = instance;
    pick.title = title;
    pick.items = strings;
    pick.chosen = chosen;
    pick.activation.cbSize = sizeof(pick.activation);
    *openPopup = &pick.box;
    INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PICKLIST), owner, PickDialogProc,
                                     reinterpret_cast<LPARAM>(&pick));
    *openPopup = nullptr;
    return result == IDOK;
}
