// CControlListBox: the event list, a virtual owner-drawn list view with a tap-and-hold menu.
#pragma once

#include "app/bufferedlist.h"

class CControlListBox : public CBufferedList
{
public:
    // Creates the list over the parent's client area; rows are drawn by owner (WM_DRAWITEM).
    void Construct(HWND parent, HWND owner);

protected:
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam) override;
};
