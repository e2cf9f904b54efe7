// Calendar arithmetic of yearly events: leap years, month lengths, day counts, next occurrence.
#include "data/calendar.h"

#include "core/error.h"

#include <oleauto.h>

#include <cstring>

CTime::CTime() : m_year(0), m_month(0), m_dayOfWeek(0), m_day(0), m_hour(0), m_minute(0), m_second(0), m_millisecond(0)
{
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second)
    : m_year(static_cast<uint16_t>(year)), m_month(static_cast<uint16_t>(month)),
      m_dayOfWeek(static_cast<uint16_t>(DayOfWeek(year, month, day))), m_day(static_cast<uint16_t>(day)),
      m_hour(static_cast<uint16_t>(hour)), m_minute(static_cast<uint16_t>(minute)),
      m_second(static_cast<uint16_t>(second)), m_millisecond(0)
{
}

CTime::CTime(const SYSTEMTIME& st)
{
    memcpy(static_cast<void*>(this), &st, sizeof(st));
}

CTime& CTime::operator=(const SYSTEMTIME& st)
{
    memcpy(static_cast<void*>(this), &st, sizeof(st));
    return *this;
}

void CTime::SetToNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    *this = st;
}

void CTime::FormatDate(CStr& out, const wchar_t* picture) const
{
    Assert(out.GetFixedSize() != 0, ERR_INVALID_VALUE, L"CTime::FormatDate", __LINE__);
    const SYSTEMTIME& st = AsSystemTime();
    int needed = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &st, picture, nullptr, 0);
    Assert(needed > 0 && static_cast<uint32_t>(needed) <= out.GetFixedSize(), ERR_BUFFER_TOO_SMALL,
           L"CTime::FormatDate", __LINE__);
    GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &st, picture, out.GetBuffer(), static_cast<int>(out.GetFixedSize()));
}

int DayOfWeek(int year, int month, int day)
{
    int y = year;
    int term = 0;
    if (month < 3)
    {
        y--;
        term = 312;
    }
    int w = (term + 26 * month + 26) / 10 + (125 * y) / 100 + y / 400 - y / 100 + day - 1;
    w %= 7;
    return w < 0 ? w + 7 : w;
}

bool DateValueToTime(double value, SYSTEMTIME& st)
{
    // Whole days, what address books give, by arithmetic rather than the platform's conversion, which every
    // date of every load went through. Day 0 is 1 January 1601, a Monday, the first day of a 400-year cycle.
    const double FIRST = -109205.0; // 1 January 1601
    const double LAST = 2958465.0;  // 31 December 9999
    if (!(value >= FIRST && value <= LAST) || value != static_cast<double>(static_cast<int>(value)))
        return VariantTimeToSystemTime(value, &st) != FALSE;
    int days = static_cast<int>(value) + 109205;
    int dayOfWeek = (days + 1) % 7;
    int cycles = days / 146097;
    days %= 146097;
    int centuries = days / 36524 == 4 ? 3 : days / 36524;
    days -= centuries * 36524;
    int fours = days / 1461;
    days -= fours * 1461;
    int years = days / 365 == 4 ? 3 : days / 365;
    days -= years * 365;
    int year = 1601 + 400 * cycles + 100 * centuries + 4 * fours + years;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int month = 1;
    for (int length = 31; days >= length; length = month == 2 ? (leap ? 29 : 28) : DaysInMonth(month, year))
    {
        days -= length;
        month++;
    }
    st = SYSTEMTIME{static_cast<WORD>(year), static_cast<WORD>(month), static_cast<WORD>(dayOfWeek),
                    static_cast<WORD>(days + 1), 0, 0, 0, 0};
    return true;
}

bool IsLeapYear(int year)
{
    if (year > 1752)
        return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return year % 4 == 0;
}

int DaysInMonth(int month, int year)
{
    switch (month)
    {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return IsLeapYear(year) ? 29 : 28;
    default:
        return -1;
    }
}

int ClampDay(CTime& t)
{
    int n = DaysInMonth(t.GetMonth(), t.GetYear());
    if (n > 0 && t.GetDay() > n)
        t.GetDay() = static_cast<uint16_t>(n);
    return n;
}

namespace {

int64_t Ticks(const CTime& t)
{
    FILETIME ft;
    if (!SystemTimeToFileTime(&t.AsSystemTime(), &ft))
        return 0;
    return (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

} // namespace

int DaysBetween(const CTime& a, const CTime& b)
{
    const int64_t kDay = 864000000000LL;
    int64_t difference = Ticks(a) - Ticks(b);
    int64_t days = (difference < 0 ? -difference : difference) / kDay;
    return static_cast<int>(difference < 0 ? -days : days);
}

int YearsBetween(const CTime& a, const CTime& b)
{
    return static_cast<int>(a.GetYear()) - static_cast<int>(b.GetYear());
}

int DayOfYear(const CTime& t)
{
    int day = t.GetDay();
    for (int month = 1; month < t.GetMonth(); month++)
        day += DaysInMonth(month, t.GetYear());
    return day;
}

CTime NextOccurrence(const CTime& reference, const CTime& date)
{
    CTime from(reference.GetYear(), reference.GetMonth(), reference.GetDay(), 0, 0, 0);
    CTime next(reference.GetYear(), date.GetMonth(), date.GetDay(), 0, 0, 0);
    ClampDay(next);
    if (DaysBetween(next, from) >= 0)
        return CTime(next.GetYear(), next.GetMonth(), next.GetDay(), 0, 0, 0);
    // Start again from the event's own day: a 29 February birthday clamped to the 28th this year
    // is on the 29th next year when that is a leap year.
    CTime following(reference.GetYear() + 1, date.GetMonth(), 1, 0, 0, 0);
    following.GetDay() = date.GetDay();
    ClampDay(following);
    return CTime(following.GetYear(), following.GetMonth(), following.GetDay(), 0, 0, 0);
}

namespace {

// Days from 1 January 1601 to a valid date of the Gregorian calendar.
int DayNumber(int year, int month, int day)
{
    static const int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int y = year - 1601;
    int days = 365 * y + y / 4 - y / 100 + y / 400 + kDaysBefore[month - 1] + day - 1;
    return month > 2 && IsLeapYear(year) ? days + 1 : days;
}

// True when every date the next occurrence is taken from is a valid Gregorian one, so that whole day numbers
// give what the system's time conversion gives; anything else takes the general way.
bool PlainDates(const CTime& reference, const CTime& date)
{
    int year = reference.GetYear(), month = reference.GetMonth();
    return year > 1752 && year < 9999 && month >= 1 && month <= 12 && reference.GetDay() >= 1 &&
           reference.GetDay() <= DaysInMonth(month, year) && date.GetMonth() >= 1 && date.GetMonth() <= 12 &&
           date.GetDay() >= 1;
}

} // namespace

int DaysToNextOccurrence(const CTime& reference, const CTime& date)
{
    // Called for every event at every ordering and painting: day numbers instead of two time conversions.
    if (PlainDates(reference, date))
    {
        int year = reference.GetYear();
        int from = DayNumber(year, reference.GetMonth(), reference.GetDay());
        // The event's day in a year, moved back to the month's last day where the month is shorter.
        auto occurrence = [&date](int inYear) {
            int month = date.GetMonth();
            int day = date.GetDay() < DaysInMonth(month, inYear) ? date.GetDay() : DaysInMonth(month, inYear);
            return DayNumber(inYear, month, day);
        };
        int next = occurrence(year);
        return next >= from ? next - from : occurrence(year + 1) - from;
    }
    CTime from(reference.GetYear(), reference.GetMonth(), reference.GetDay(), 0, 0, 0);
    return DaysBetween(NextOccurrence(reference, date), from);
}
