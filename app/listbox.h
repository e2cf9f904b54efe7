// CControlListBox: the event list, a virtual owner-drawn list view painted through a back buffer.
#pragma once

#include <windows.h>

class CControlListBox
{
public:
    CControlListBox();
    ~CControlListBox();
    CControlListBox(const CControlListBox&) = delete;
    CControlListBox& operator=(const CControlListBox&) = delete;

    // Creates the list over the parent's client area; rows are drawn by owner (WM_DRAWITEM).
    void Construct(HWND parent, HWND owner);
    void RecreateColumns(bool deleteFirst);
    void ReleaseBuffer();

    HWND GetWindow() const { return m_window; }
    // The list's own procedure, for messages the wrapper must not see (the view's background).
    LRESULT CallPrevious(UINT message, WPARAM wParam, LPARAM lParam);

    void SetCount(int count);
    int GetCount() const;
    // Selects and focuses row index, sets the selection mark and scrolls it into view.
    void Select(int index);
    // The selection mark, or -1.
    int GetSelection() const;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint();
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);

    HWND m_owner;
    WNDPROC m_previous;
    HWND m_window;
    int m_bufferWidth;
    int m_bufferHeight;
    HDC m_bufferDC;
    HBITMAP m_bufferBitmap;
    HBITMAP m_previousBitmap;
};
