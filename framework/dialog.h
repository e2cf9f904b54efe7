// CVelaDialog: a dialog with its own menu bar, full screen or docked at the bottom, run in the framework's loop.
#pragma once

#include "framework/view.h"
#include "platform/shell/shell.h"

#include <windows.h>

// Posted to a dialog window to end its modal loop; wParam carries the result.
constexpr UINT WM_VELA_ENDDIALOG = WM_APP + 1;

class CVelaDialog
{
public:
    CVelaDialog();
    virtual ~CVelaDialog();

    // After the dialog is initialised, placed and has its menu bar.
    virtual void OnCreate();
    virtual void OnDestroy();
    virtual void OnPaint(CVelaPaint* paint);
    virtual void OnCommand(UINT id, UINT code, HWND control);
    virtual void OnInitMenuPopup(HMENU menu, UINT position);
    // May change the menu-bar description before the menu bar is created.
    virtual void OnCreateMenuBar(SHMENUBARINFO* info);
    // Every message not handled by the framework; 0 means not handled.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Input panel (SPI_SETSIPINFO) and screen (SETTINGCHANGE_RESET) changes.
    virtual void OnSettingChange(WPARAM wParam, LPARAM lParam);

    // Modal, from a template of the program's module; returns the result given to EndDialog, or 0.
    INT_PTR StartDialog(UINT templateId, UINT menuBarId, UINT accelId, bool fullScreen = true);
    // Modal, from an empty template; the derived class creates its controls in OnCreate.
    INT_PTR StartDialogNoTemplate(UINT menuBarId, UINT accelId, bool fullScreen = true);
    // Modeless; returns the dialog window at once.
    HWND StartModeless(UINT templateId, UINT menuBarId, bool fullScreen = true);
    void EndDialog(INT_PTR result);

    HWND GetWnd() const { return m_hwnd; }
    HWND GetMenuBar() const { return m_menuBar; }
    bool IsFullScreen() const { return m_fullScreen; }

    // The framework's dialog procedure, also for dialogs run by the platform's own modal dialog box.
    static INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    CVelaDialog(const CVelaDialog&) = delete;
    CVelaDialog& operator=(const CVelaDialog&) = delete;

protected:
    UINT m_menuBarId;
    bool m_fullScreen;
    UINT m_accelId;
    bool m_ownLoop;
    HWND m_hwnd;
    HACCEL m_accel;
    HWND m_menuBar;

private:
    void Prepare(UINT menuBarId, UINT accelId, bool fullScreen, bool ownLoop);
    bool Initialise();
    void Dock(int height, BOOL repaint);
    INT_PTR ModalLoop();
};
