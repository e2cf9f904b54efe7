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
    CDataItem() : name(nullptr), oid(0), kind(-1) {}
    CDataItem(const CDataItem&) = delete;
    CDataItem& operator=(const CDataItem&) = delete;

    const wchar_t* GetName() const { return name ? name : L""; }
    bool IsAnniversary() const { return kind == 12; }
    // False for dates entered without a year: such events show no year and no age.
    bool HasYear() const { return date.GetYear() != UNKNOWN_YEAR; }

    // In this order the event takes 32 bytes, not 40: there is one per contact and date.
    // Kept by the list that made the event (its names buffer), not by the event.
    const wchar_t* name;
    CTime date;
    LONG oid;
    int kind;
};

static_assert(sizeof(CDataItem) == 32 || sizeof(void*) != 8, "an event is packed without padding");
