// CSettings: defaults, reading (tolerant of values written by other programs) and writing.
#include "data/settings.h"

#include "core/registry.h"

const wchar_t* const SETTINGS_KEY = L"SOFTWARE\\Quorvane\\Birthday";

CSettings::CSettings()
    : SortOrder(0), SplitMode(0), SplitPeriod(0), ShowAnnivasaries(0), ShowFutureAge(0), TodayViewActive(0),
      TodayMaxLines(0), TodayMaxMonth(0)
{
}

void CSettings::SetDefaults()
{
    SortOrder = SORT_BY_DAYS_LEFT;
    SplitMode = SPLIT_ALL;
    SplitPeriod = 0;
    ShowAnnivasaries = 1;
    ShowFutureAge = 1;
    TodayViewActive = 1;
    TodayMaxLines = 5;
    TodayMaxMonth = 3;
    TodayDateFormat = L"dd MMM";
    MessageSubject = L"Happy Birthday!";
    MessageBody = L"Happy Birthday dear %FirstName% %LastName%!";
}

void CSettings::Read()
{
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    SetDefaults();
    key.ReadInt(L"SortOrder", SortOrder);
    key.ReadInt(L"SplitMode", SplitMode);
    key.ReadInt(L"SplitPeriod", SplitPeriod);
    key.ReadInt(L"ShowAnnivasaries", ShowAnnivasaries);
    key.ReadInt(L"ShowFutureAge", ShowFutureAge);
    key.ReadInt(L"TodayViewActive", TodayViewActive);
    key.ReadInt(L"TodayMaxLines", TodayMaxLines);
    key.ReadInt(L"TodayMaxMonth", TodayMaxMonth);
    key.ReadString(L"TodayDateFormat", TodayDateFormat);
    key.ReadString(L"MessageSubject", MessageSubject);
    key.ReadString(L"MessageBody", MessageBody);
    key.Close();
    // Strings come back with a fixed size; the record keeps dynamic strings so later edits can grow them.
    TodayDateFormat.SetFixedSize(0);
    MessageSubject.SetFixedSize(0);
    MessageBody.SetFixedSize(0);
    BringIntoRange();
}

namespace {

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

int Flag(int value)
{
    return value ? 1 : 0;
}

} // namespace

void CSettings::BringIntoRange()
{
    SplitMode = Clamp(SplitMode, SPLIT_ALL, SPLIT_BY_ZODIAC);
    // With no split the period is 0 before any choice and -1 after "All"; otherwise it names a month or a sign.
    if (SplitMode == SPLIT_BY_MONTH)
        SplitPeriod = Clamp(SplitPeriod, 1, 12);
    else if (SplitMode == SPLIT_BY_ZODIAC)
        SplitPeriod = Clamp(SplitPeriod, 0, 11);
    else if (SplitPeriod != -1)
        SplitPeriod = 0;
    ShowAnnivasaries = Flag(ShowAnnivasaries);
    ShowFutureAge = Flag(ShowFutureAge);
    TodayViewActive = Flag(TodayViewActive);
    TodayMaxLines = Clamp(TodayMaxLines, 1, 6);
    TodayMaxMonth = Clamp(TodayMaxMonth, 1, 12);
}

void CSettings::Write() const
{
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    key.WriteInt(L"SortOrder", SortOrder);
    key.WriteInt(L"SplitMode", SplitMode);
    key.WriteInt(L"SplitPeriod", SplitPeriod);
    key.WriteInt(L"ShowAnnivasaries", ShowAnnivasaries);
    key.WriteInt(L"ShowFutureAge", ShowFutureAge);
    key.WriteInt(L"TodayViewActive", TodayViewActive);
    key.WriteInt(L"TodayMaxLines", TodayMaxLines);
    key.WriteInt(L"TodayMaxMonth", TodayMaxMonth);
    key.WriteString(L"TodayDateFormat", TodayDateFormat);
    key.WriteString(L"MessageSubject", MessageSubject);
    key.WriteString(L"MessageBody", MessageBody);
    key.Close();
}
