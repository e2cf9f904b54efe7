// The texts of the Today item's lines: header, "Today", dates, ages, days left, dates without a year.
#include "today/linetext.h"

#include "data/dataitem.h"
#include "data/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Line(const CTime& now, int year, int month, int day, const wchar_t* picture = L"dd MMM",
                  int showFutureAge = 1)
{
    CDataItem event;
    event.date = CTime(year, month, day, 0, 0, 0);
    CSettings settings;
    settings.TodayDateFormat = picture;
    settings.ShowFutureAge = showFutureAge;
    CStr lead;
    CStr tail;
    BuildEventText(now, event, settings, lead, tail);
    return std::wstring(lead) + L"Name" + std::wstring(tail);
}

} // namespace

TEST(TodayLineText, Header)
{
    CStr text;
    BuildHeaderText(3, 3, text);
    EXPECT_STREQ(L"Birthday: 3 events in 3 month(s)", text);
    BuildHeaderText(0, 12, text);
    EXPECT_STREQ(L"Birthday: 0 events in 12 month(s)", text);
}

TEST(TodayLineText, TodayAndAComingDay)
{
    EXPECT_EQ(L"Today: Name (36y) [0]", Line(CTime(2026, 12, 6, 0, 0, 0), 1990, 12, 6));
    EXPECT_EQ(L"06 Dec: Name (36y) [4]", Line(CTime(2026, 12, 2, 0, 0, 0), 1990, 12, 6));
    EXPECT_EQ(L"06 Dec 1990: Name (36y) [4]", Line(CTime(2026, 12, 2, 0, 0, 0), 1990, 12, 6, L"dd MMM yyyy"));
}

TEST(TodayLineText, AgeIsTheOneReachedAtTheOccurrence)
{
    // Born 5 January 1990, seen on 6 December 2026: she turns 37 in 30 days.
    EXPECT_EQ(L"05 Jan: Name (37y) [30]", Line(CTime(2026, 12, 6, 0, 0, 0), 1990, 1, 5));
    EXPECT_EQ(L"10 Dec: Name (35y) [4]", Line(CTime(2026, 12, 6, 0, 0, 0), 1990, 12, 10, L"dd MMM", 0));
    EXPECT_EQ(L"10 Dec: Name (0y) [4]", Line(CTime(2026, 12, 6, 0, 0, 0), 2026, 12, 10, L"dd MMM", 0));
    // A wedding planned for next year: no negative age.
    EXPECT_EQ(L"10 Dec: Name (0y) [4]", Line(CTime(2026, 12, 6, 0, 0, 0), 2027, 12, 10));
}

TEST(TodayLineText, LeapDayOnTheLastDayOfFebruary)
{
    EXPECT_EQ(L"29 Feb: Name (27y) [0]", Line(CTime(2027, 2, 28, 0, 0, 0), 2000, 2, 29));
}

TEST(TodayLineText, DateWithoutAYearShowsNoYearAndNoAge)
{
    const CTime now(2027, 3, 3, 0, 0, 0);
    EXPECT_EQ(L"15 Mar: Name [12]", Line(now, UNKNOWN_YEAR, 3, 15));
    EXPECT_EQ(L"15 Mar: Name [12]", Line(now, UNKNOWN_YEAR, 3, 15, L"dd MMM yyyy"));
    EXPECT_EQ(L"15 Mar: Name [12]", Line(now, UNKNOWN_YEAR, 3, 15, L"yyyy-dd MMM"));
    EXPECT_EQ(L"Today: Name [0]", Line(CTime(2027, 3, 15, 0, 0, 0), UNKNOWN_YEAR, 3, 15));
}

TEST(TodayLineText, LongDatePictureIsCutOnRead)
{
    std::wstring picture(100000, L'd');
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"TodayDateFormat", 0, REG_SZ, reinterpret_cast<const BYTE*>(picture.c_str()),
                   static_cast<DWORD>((picture.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    CSettings settings;
    settings.Read();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SETTINGS_KEY, L"TodayDateFormat");
    EXPECT_EQ(DATE_FORMAT_LIMIT, settings.TodayDateFormat.GetLength());
}
