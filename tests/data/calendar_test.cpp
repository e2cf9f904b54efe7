// Calendar arithmetic across leap years and year ends, and locale date formatting.
#include "data/calendar.h"
#include "tests/support/fatal.h"

#include <oleauto.h>

#include <cstring>
#include <vector>

namespace {

CTime Date(int y, int m, int d)
{
    return CTime(y, m, d, 0, 0, 0);
}

} // namespace

TEST(Calendar, DayOfWeek)
{
    EXPECT_EQ(3, Date(2008, 3, 12).GetDayOfWeek());
    EXPECT_EQ(6, Date(2000, 1, 1).GetDayOfWeek());
    EXPECT_EQ(1, Date(2026, 12, 7).GetDayOfWeek());
    EXPECT_EQ(0, Date(2027, 2, 28).GetDayOfWeek());
}

TEST(Calendar, LeapYearsAndMonthLengths)
{
    EXPECT_TRUE(IsLeapYear(1700));
    EXPECT_TRUE(IsLeapYear(1752));
    EXPECT_FALSE(IsLeapYear(1800));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_TRUE(IsLeapYear(1604));
    EXPECT_EQ(29, DaysInMonth(2, 2028));
    EXPECT_EQ(28, DaysInMonth(2, 2027));
    EXPECT_EQ(30, DaysInMonth(11, 2027));
    EXPECT_EQ(31, DaysInMonth(12, 2027));
    EXPECT_EQ(-1, DaysInMonth(0, 2027));
    EXPECT_EQ(-1, DaysInMonth(13, 2027));
    CTime t = Date(2027, 2, 29);
    EXPECT_EQ(28, ClampDay(t));
    EXPECT_EQ(28, t.GetDay());
}

TEST(Calendar, DaysBetweenTruncatesTowardZero)
{
    CTime a(2026, 12, 1, 0, 0, 0);
    CTime b(2026, 12, 2, 6, 0, 0);
    CTime c(2026, 12, 1, 20, 0, 0);
    EXPECT_EQ(1, DaysBetween(b, a));
    EXPECT_EQ(-1, DaysBetween(a, b));
    EXPECT_EQ(0, DaysBetween(c, a));
    EXPECT_EQ(0, DaysBetween(a, c));
    EXPECT_EQ(366, DaysBetween(Date(2029, 1, 1), Date(2028, 1, 1)));
}

TEST(Calendar, YearsAndDayOfYear)
{
    EXPECT_EQ(36, YearsBetween(Date(2026, 1, 2), Date(1990, 12, 31)));
    EXPECT_EQ(-1, YearsBetween(Date(2026, 1, 2), Date(2027, 1, 1)));
    EXPECT_EQ(61, DayOfYear(Date(2024, 3, 1)));
    EXPECT_EQ(60, DayOfYear(Date(2023, 3, 1)));
    EXPECT_EQ(366, DayOfYear(Date(2024, 12, 31)));
}

TEST(Calendar, DaysToNextOccurrenceAroundTheYearEnd)
{
    CTime reference(2026, 12, 6, 15, 30, 0);
    EXPECT_EQ(0, DaysToNextOccurrence(reference, Date(1990, 12, 6)));
    EXPECT_EQ(364, DaysToNextOccurrence(reference, Date(1990, 12, 5)));
    EXPECT_EQ(26, DaysToNextOccurrence(reference, Date(1990, 1, 1)));
    EXPECT_EQ(1, DaysToNextOccurrence(Date(2026, 12, 31), Date(1980, 1, 1)));
    CTime next = NextOccurrence(reference, Date(1990, 12, 5));
    EXPECT_EQ(2027, next.GetYear());
    EXPECT_EQ(0, next.GetHour());
}

TEST(Calendar, DaysLeftAgreeWithTheNextOccurrenceOnEveryDayOfTheYear)
{
    // Around leap years and century years, a year whose leap day only the old rule has, the first years of the Gregorian rule and the last before 9999;
    // every day of each as the reference, each month's first, middle and last days (and past them) as dates.
    const int years[] = {1700, 1752, 1753, 1799, 1800, 2000, 2023, 2024, 2025, 2100, 9998, 9999};
    const int days[] = {1, 15, 28, 29, 30, 31, 40};
    for (int year : years)
        for (int month = 1; month <= 12; month++)
            for (int day = 1; day <= DaysInMonth(month, year); day++)
            {
                CTime reference(year, month, day, 23, 59, 0);
                CTime from = Date(year, month, day);
                for (int dateMonth = 1; dateMonth <= 12; dateMonth++)
                    for (int dateDay : days)
                    {
                        CTime date = Date(1990, dateMonth, dateDay);
                        int expected = DaysBetween(NextOccurrence(reference, date), from);
                        ASSERT_EQ(expected, DaysToNextOccurrence(reference, date))
                            << year << "-" << month << "-" << day << " to " << dateMonth << "-" << dateDay;
                    }
            }
}

TEST(Calendar, DateValuesConvertAsThePlatformConvertsThem)
{
    // Every whole day from before 1601 to 2173, every thirteenth after it to beyond 9999, then times of day
    // and values of no date at all; the outputs start as 0xdeadbeef so that a field never written shows.
    std::vector<double> values;
    for (int day = -110000; day <= 2960000; day += day < 100000 ? 1 : 13)
        values.push_back(day);
    for (double other : {0.5, -0.25, 45000.75, -109205.5, 2958465.5, -700000.0, 1e7, 1.0 / 0.0, 0.0 / 0.0})
        values.push_back(other);
    for (double value : values)
    {
        SYSTEMTIME expected, converted;
        memset(&expected, 0xEF, sizeof(expected));
        memset(&converted, 0xEF, sizeof(converted));
        bool platform = VariantTimeToSystemTime(value, &expected) != FALSE;
        ASSERT_EQ(platform, DateValueToTime(value, converted)) << value;
        if (platform)
        {
            ASSERT_EQ(0, memcmp(&expected, &converted, sizeof(converted))) << value;
        }
    }
}

TEST(Calendar, LeapDayBirthdayFallsOnTheRightDay)
{
    CTime leapDay = Date(1996, 2, 29);
    EXPECT_EQ(27, DaysToNextOccurrence(Date(2027, 2, 1), leapDay)) << "28 February 2027";
    EXPECT_EQ(365, DaysToNextOccurrence(Date(2027, 3, 1), leapDay)) << "29 February 2028";
    EXPECT_EQ(50, DaysToNextOccurrence(Date(2028, 1, 10), leapDay));
    EXPECT_EQ(364, DaysToNextOccurrence(Date(2028, 3, 1), leapDay)) << "28 February 2029";
    CTime next = NextOccurrence(Date(2027, 3, 1), leapDay);
    EXPECT_EQ(2028, next.GetYear());
    EXPECT_EQ(2, next.GetMonth());
    EXPECT_EQ(29, next.GetDay());
    EXPECT_EQ(2, next.GetDayOfWeek()) << "29 February 2028 is a Tuesday";
}

TEST(Calendar, FormatDateWithPictures)
{
    CTime date = Date(2008, 3, 12);
    CStr out(50u);
    date.FormatDate(out, L"dd MMM yyyy");
    EXPECT_STREQ(L"12 Mar 2008", out);
    date.FormatDate(out, L"dd MMMM");
    EXPECT_STREQ(L"12 March", out);
    CStr small(5u);
    EXPECT_FATAL(date.FormatDate(small, L"dd MMM yyyy"), "CTime::FormatDate", "Buffer is too small");
    CStr dynamic;
    EXPECT_FATAL(date.FormatDate(dynamic, L"dd"), "CTime::FormatDate", "Invalid value");
}

TEST(Calendar, SystemTimeRoundTrip)
{
    SYSTEMTIME st = {2026, 12, 1, 7, 13, 14, 15, 16};
    CTime t(st);
    EXPECT_EQ(0, memcmp(&st, &t.AsSystemTime(), sizeof(st)));
    CTime u;
    u = st;
    EXPECT_EQ(7, u.GetDay());
    u.GetDay() = 8;
    EXPECT_EQ(8, u.GetDay());
}
