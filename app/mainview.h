// CMainView: the header band with the date or period, the event list and the name filter.
#pragma once

#include "app/listbox.h"
#include "app/row.h"
#include "framework/view.h"

class CDataList;

class CMainView : public CVelaView
{
public:
    CMainView();
    ~CMainView() override;

    void Construct(UINT id, UINT menuBarId, UINT accelId) override;
    void OnCreate() override;
    void OnDestroy() override;
    void OnActivate(UINT previousId) override;
    void OnPaint(CVelaPaint* paint) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    void OnInitMenuPopup(HMENU menu, UINT position) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Back and Talk keys, passed on by the application for every WM_HOTKEY; Back reaches the focused
    // control from here.
    void OnHotKey(WPARAM wParam, LPARAM lParam);
    // Reloads every event and keeps the selection on the same contact.
    void Refresh();
    // Selects this event, widening a filter or split that hides it.
    void ShowEvent(LONG oid, bool anniversary);
    // Shows the current view of the event list with row selection selected.
    void Refill(int selection);
    // The "Date/period" menu for the current split; the caller destroys it.
    HMENU CreatePopupPeriodMenu();

    bool IsFilterOpen() const { return m_filterOpen; }
    HWND GetFilterEdit() const { return m_filterEdit; }
    CControlListBox& GetList() { return m_list; }
    int GetHeaderHeight() const { return m_headerHeight; }
    int GetRowHeight() const { return m_resources.rowHeight; }
    // The header's text: the reference date, the month or the sign of the split.
    void GetHeaderText(CStr& out) const;

private:
    void CreateFonts();
    void MeasureHeights();
    void LoadPictures();
    void CreateFilterEdit();
    void Layout(int width, int height);
    bool IsPocketPC() const;
    CDataList* GetData() const;

    void OnSize(int width, int height);
    void OnLButtonDown(int x, int y);
    void OnDrawItem(DRAWITEMSTRUCT* draw);
    // Enter or a double click on a row shows the contact's card.
    void OnListNotify(const NMHDR* header);
    void ShowCard(int row);
    void OnTypedInList(wchar_t typed);
    void OnMeasureItem(MEASUREITEMSTRUCT* measure);
    void StepPeriod(bool next);
    void ToggleFilter();
    void SelectDate();
    // False when a command that needs a selected row finds none; it then goes no further.
    bool HandleCommand(UINT id, UINT code);
    void OnSplitPeriod(UINT id);
    // Says so when a change of order or split could not be saved.
    void ReportSave(bool saved);
    bool RunContactCommand(UINT id);
    void PaintClearButton(HDC dc, const RECT& square);
    // Says once that the address book could not be read; again only after a good load in between.
    void ReportUnreadableBook();

    static LRESULT CALLBACK FilterEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnFilterEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    CControlListBox m_list;
    HFONT m_headerFont;
    RowResources m_resources;
    int m_headerHeight;
    bool m_filterOpen;
    HWND m_filterEdit;
    WNDPROC m_filterPrevious;
    bool m_bookReported;
    // The event selected when the address book could no longer be read: selected again when it returns.
    struct AwaitedEvent
    {
        bool valid;
        LONG oid;
        bool anniversary;
    } m_awaited;
};

// "The settings could not be saved." in the information window.
void ReportSettingsNotSaved();
