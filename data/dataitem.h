// CDataItem: one yearly event (a birthday or a wedding anniversary) of one contact.
#pragma once

#include "data/calendar.h"

#include <windows.h>
#include <oleauto.h>

// The year that address books store for a date whose year is unknown.
const int UNKNOWN_YEAR = 1604;
// GetAge of an event whose year is unknown.
const int NO_AGE = -1;

class CDataItem
{
public:
    CDataItem() : oid(0), name(nullptr), kind(-1) {}
    CDataItem(const CDataItem&) = delete;
    CDataItem& operator=(const CDataItem&) = delete;

    const wchar_t* GetName() const { return name ? name : L""; }
    bool IsAnniversary() const { return kind == 12; }
    // False for dates entered without a year: such events show no year and no age.
    bool HasYear() const { return date.GetYear() != UNKNOWN_YEAR; }

    LONG oid;
    // Kept by the list that made the event (its names buffer), not by the event.
    const wchar_t* name;
    CTime date;
    int kind;
};
