// CControlListBox: the event list, a virtual owner-drawn list view with a tap-and-hold menu.
#pragma once

#include "common/bufferedlist.h"

#include <windows.h>

// Sent to the list's owner for a character typed in the list: wParam is the character.
const UINT WM_LIST_TYPED = WM_APP + 40;

class CControlListBox : public CBufferedList
{
public:
    // Creates the list over the parent's client area; rows are drawn by owner (WM_DRAWITEM).
    void Construct(HWND parent, HWND owner);

protected:
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam) override;
    // A letter or digit typed in the list starts the name filter with it, as a desktop user expects.
    LRESULT OnChar(WPARAM wParam, LPARAM lParam) override;
};
