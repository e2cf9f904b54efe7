// The texts of the Today item's lines, built in growing strings so no name is too long for them.
#include "today/linetext.h"

#include "data/dataitem.h"
#include "data/settings.h"

#include <cwchar>
#include <string>

namespace {

const wchar_t* const DEFAULT_DATE_PICTURE = L"dd MMM";

// The date picture without its year: an event entered without a year has none to show.
void StripYear(const wchar_t* picture, CStr& out)
{
    std::wstring kept;
    bool quoted = false;
    for (const wchar_t* p = picture; *p; p++)
    {
        if (*p == L'\'')
            quoted = !quoted;
        if (!quoted && (*p == L'y' || *p == L'Y'))
            continue;
        kept += *p;
    }
    // Separators left hanging at either end by the removed year.
    const wchar_t* separators = L" ,./-";
    size_t first = kept.find_first_not_of(separators);
    size_t last = kept.find_last_not_of(separators);
    out = first == std::wstring::npos ? L"" : kept.substr(first, last - first + 1).c_str();
}

// The date written with the picture; one the locale cannot use gives the default picture.
void FormatWhen(const CTime& date, const wchar_t* picture, bool hasYear, CStr& out)
{
    CStr usable;
    if (hasYear)
        usable = picture;
    else
        StripYear(picture, usable);
    if (usable.IsEmpty())
        usable = DEFAULT_DATE_PICTURE;
    wchar_t text[80];
    if (GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &date.AsSystemTime(), usable, text, 80) <= 0 &&
        GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &date.AsSystemTime(), DEFAULT_DATE_PICTURE, text, 80) <= 0)
        text[0] = 0;
    out = text;
}

} // namespace

void BuildHeaderText(unsigned total, int months, CStr& out)
{
    out = L"Birthday: ";
    out.AppendUnsigned(total);
    out.Append(L" events in ");
    out.AppendInt(months);
    out.Append(L" month(s)");
}

int AgeAt(const CTime& now, const CDataItem& event, int showFutureAge)
{
    if (!event.HasYear())
        return NO_AGE;
    // The age reached on the occurrence that the days left count to, never below 0 for dates ahead.
    int years = YearsBetween(NextOccurrence(now, event.date), event.date);
    if (years < 0)
        return 0;
    return (!showFutureAge && years != 0) ? years - 1 : years;
}

void BuildEventText(const CTime& now, const CDataItem& event, const CSettings& settings, CStr& lead, CStr& tail)
{
    if (event.date.GetMonth() == now.GetMonth() && event.date.GetDay() == now.GetDay())
        lead = L"Today";
    else
        FormatWhen(event.date, settings.TodayDateFormat, event.HasYear(), lead);
    lead.Append(L": ");
    tail = L"";
    int age = AgeAt(now, event, settings.ShowFutureAge);
    if (age != NO_AGE)
    {
        tail.Append(L" (");
        tail.AppendUnsigned(static_cast<unsigned>(age));
        tail.Append(L"y)");
    }
    tail.Append(L" [");
    tail.AppendInt(DaysToNextOccurrence(now, event.date));
    tail.Append(L"]");
}
