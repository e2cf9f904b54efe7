// Dates of vCard properties (BDAY, ANNIVERSARY and their kin) and their OLE automation values.
#pragma once

#include <string>

namespace vcard {

// The year that address books write for "year unknown".
const int YEAR_UNKNOWN = 1604;
// The value of a contact without such a date (1 January 4501).
const double OLE_NO_DATE = 949998.0;

struct CVCardDate
{
    int year = 0;
    int month = 0;
    int day = 0;
};

bool IsValidDate(int year, int month, int day);

// Reads 1980-03-15, 19800315, either with a time part (which is ignored, never shifted), and the
// year-less --0315 and --03-15 (year YEAR_UNKNOWN). False for anything that is not a real
// calendar date between 1601 and 9999.
bool ParseVCardDate(const std::string& text, CVCardDate& date);

// Days since 30 December 1899, the OLE automation date of midnight of that day.
double ToOleDate(const CVCardDate& date);

} // namespace vcard
