// CBufferedList: a subclassed virtual list view painted through a back buffer, rows drawn by its owner.
#pragma once

#include "common/backbuffer.h"

#include <windows.h>

#include <string>

// The rectangle of a row to draw: the whole width of its list, even while the list's column is
// narrower (a scroll bar has just gone); rcItem when the list is unknown.
RECT RowRect(const DRAWITEMSTRUCT& draw);
// Prepares dc for a row's text: transparent, in the window text colour, or on the highlight in the
// highlight text colour when the row is selected.
void BeginRow(HDC dc, const RECT& row, bool selected);

class CBufferedList
{
public:
    CBufferedList();
    virtual ~CBufferedList();
    CBufferedList(const CBufferedList&) = delete;
    CBufferedList& operator=(const CBufferedList&) = delete;

    // Gives the window its own procedure back and forgets the wrapper, for the window's last messages.
    void Detach();
    // Rebuilds the one column to the list's width.
    void RecreateColumns(bool deleteFirst);
    void ReleaseBuffer();

    HWND GetWindow() const { return m_window; }
    // The list's own procedure, for messages the wrapper must not see.
    LRESULT CallPrevious(UINT message, WPARAM wParam, LPARAM lParam);

    void SetCount(int count);
    int GetCount() const;
    // Selects and focuses row index, sets the selection mark and scrolls it into view.
    void Select(int index);
    // The selection mark, or -1.
    int GetSelection() const;
    // A text shown in place of rows while the list has none (empty: none).
    void SetEmptyText(const wchar_t* text);
    const std::wstring& GetEmptyText() const { return m_emptyText; }

protected:
    // Takes over window: user data, subclassing, extended styles and the column.
    void Attach(HWND window, HWND owner, int controlId, DWORD extendedStyle, const wchar_t* function);
    virtual LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    // A character typed while the list has the focus; the list's own search by default.
    virtual LRESULT OnChar(WPARAM wParam, LPARAM lParam);
    HWND GetOwner() const { return m_owner; }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Invalidates a row across the whole width of the list, where the rows are drawn.
    void InvalidateRow(int index);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint();
    // Draws the rows that meet area into the back buffer.
    void PaintBuffer(const RECT& area);
    void PaintEmptyText(const RECT& client);
    // A picture of the list for whoever asks (a snapshot), drawn exactly as painted.
    LRESULT OnPrintClient(HDC target);

    HWND m_owner;
    WNDPROC m_previous;
    HWND m_window;
    // Follows the list's size; a list that already had its final size when it was attached gets no
    // WM_SIZE, so its first paint (or print) makes the buffer.
    CBackBuffer m_buffer;
    int m_controlId;
    const wchar_t* m_columnFunction;
    std::wstring m_emptyText;
};
