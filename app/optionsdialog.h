// COptionsDialog: the options of the main program in a scrolling full-screen container (page 135).
#pragma once

#include "app/remindpart.h"
#include "framework/dialog.h"

class CDataList;

class COptionsDialog : public CVelaDialog
{
public:
    explicit COptionsDialog(CDataList* data);

    // 1 after OK (all settings saved), 2 after Cancel (nothing saved), 0 when the dialog was closed otherwise.
    INT_PTR Run();
    HWND GetPage() const { return m_page; }

    void OnCreate() override;
    void OnDestroy() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sets the scroll bar to the page and brings the page's focused control into view (not on a Smartphone).
    void UpdateScrolling();

private:
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnPageMessage(HWND page, UINT message);
    void OnPageInit(HWND page);
    void PlaceHeading(int headingId, int pictureId);
    void OnContainerSize();
    void OnVScroll(WPARAM wParam);
    // The mouse wheel scrolls the page by the desktop's lines per notch.
    void OnMouseWheel(int delta);
    void Save();

    CDataList* m_data;
    HWND m_page;
    int m_pageLeft;
    int m_pageTop;
    HWND m_lastFocus;
    HBITMAP m_generalPicture;
    HBITMAP m_templatePicture;
    HFONT m_headingFont;
    // Wheel movement not yet turned into whole lines (fine-grained wheels send small steps).
    int m_wheelRest;
    CRemindPart m_remind;
};

// Runs the options dialog over the program's event list; true when it ended with OK or Cancel.
bool RunOptionsDialog();
