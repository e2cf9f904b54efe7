// CPopupDialog: the main program's pick-one popup (dialog 134), placed at the bottom of the main window.
#pragma once

#include "common/popuplist.h"
#include "framework/dialog.h"

class CPopupDialog : public CVelaDialog
{
public:
    CPopupDialog(int* selection, const wchar_t* title, const CStrList* items);

    // Runs the popup; true after OK, with *selection set to the chosen row.
    static bool Run(int* selection, const wchar_t* title, const CStrList* items);

    void OnCreate() override;
    void OnDestroy() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSettingChange(WPARAM wParam, LPARAM lParam) override;

private:
    void Place();

    CPopupListBox m_list;
    int* m_selection;
    const CStrList* m_items;
    CStr m_title;
    HFONT m_font;
    int m_rowHeight;
};
