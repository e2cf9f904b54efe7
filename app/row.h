// One row of the event list: its date line text and its drawing.
#pragma once

#include "core/str.h"
#include "data/datalist.h"
#include "package/pictures.h"

#include <windows.h>

class CZrsImage;
struct IPOutlookApp2;

// What rows are drawn with; owned by the main view.
struct RowResources
{
    HFONT normalFont;
    HFONT boldFont;
    HFONT boldUnderlinedFont;
    HBITMAP pictures[EVENT_PICTURE_COUNT];
    HBITMAP masks[EVENT_PICTURE_COUNT];
    int pictureWidth;
    int pictureHeight;
    CZrsImage* defaultPicture;
    int rowHeight;
};

// "05 Mar 1980 (28y) [12]"; an event without a known year shows "15 Mar [12]".
void FormatDateLine(const CDataList& list, const CDataItem* item, CStr& out);

// Splits name around the first match of filter, found without regard to case or accents: lengths of
// the part before the match and of the match; false when filter is empty or not found.
bool FindFilterMatch(const wchar_t* name, const wchar_t* filter, int& before, int& length);

// The contact's picture fitted into the box, or null; the caller deletes the bitmap.
HBITMAP LoadContactPictureOf(IPOutlookApp2* store, LONG oid, int boxWidth, int boxHeight, int& width, int& height);

// Draws one row into draw.hDC. filter is the open filter's text, or null when the filter is closed.
void DrawEventRow(const DRAWITEMSTRUCT& draw, const CDataList& list, const RowResources& res, const wchar_t* filter);
