// CPopupListBox and the row font, drawing and placement of the pick-one popup, shared with the plug-in.
#pragma once

#include "common/bufferedlist.h"
#include "core/strlist.h"

class CPopupListBox : public CBufferedList
{
public:
    // Takes over the dialog's list control controlId; rows are drawn by the dialog.
    void Construct(HWND dialog, int controlId);
};

// The row font: the system font 1.2 times as high; the caller deletes it.
HFONT CreatePopupRowFont();
// Text height plus external leading plus 5 px of the row font.
int PopupRowHeight(HFONT font);
// Draws the item's string with half a character of indent, highlighted when selected.
void DrawPopupRow(const DRAWITEMSTRUCT& draw, HFONT font, const CStrList& items);
// Bottom-aligned over reference, as many rows high as fit into 70 % of its height (caption and frame
// included), at most itemCount.
void PlacePopup(HWND dialog, const RECT& reference, int rowHeight, int itemCount);
