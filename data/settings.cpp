// CSettings: defaults, reading (tolerant of values written by other programs) and writing.
#include "data/settings.h"

#include "core/registry.h"

const wchar_t* const SETTINGS_KEY = L"SOFTWARE\\Quorvane\\Birthday";

namespace {

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

int Flag(int value)
{
    return value ? 1 : 0;
}

void Truncate(CStr& text, int limit)
{
    if (text.GetLength() > limit)
        text.Delete(limit, text.GetLength() - limit);
}

} // namespace

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
    ReadToday(key);
    key.ReadString(L"MessageSubject", MessageSubject);
    key.ReadString(L"MessageBody", MessageBody);
    key.Close();
    // Strings come back with a fixed size; the record keeps dynamic strings so later edits can grow them.
    MessageSubject.SetFixedSize(0);
    MessageBody.SetFixedSize(0);
    BringIntoRange();
}

void CSettings::ReadTodayValues()
{
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    ReadToday(key);
    key.Close();
    TodayViewActive = Flag(TodayViewActive);
    TodayMaxLines = Clamp(TodayMaxLines, 1, 6);
    TodayMaxMonth = Clamp(TodayMaxMonth, 1, 12);
    Truncate(TodayDateFormat, DATE_FORMAT_LIMIT);
}

void CSettings::ReadToday(CVelaRegistry& key)
{
    key.ReadInt(L"TodayViewActive", TodayViewActive);
    key.ReadInt(L"TodayMaxLines", TodayMaxLines);
    key.ReadInt(L"TodayMaxMonth", TodayMaxMonth);
    key.ReadString(L"TodayDateFormat", TodayDateFormat);
    TodayDateFormat.SetFixedSize(0);
}


void CSettings::BringIntoRange()
{
    SortOrder = Clamp(SortOrder, SORT_BY_NAME, SORT_BY_MONTH);
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
    // Values written by others may be of any length; what the program works with stays bounded.
    Truncate(TodayDateFormat, DATE_FORMAT_LIMIT);
    Truncate(MessageSubject, MESSAGE_TEMPLATE_LIMIT);
    Truncate(MessageBody, MESSAGE_TEMPLATE_LIMIT);
}

bool CSettings::Write() const
{
    CVelaRegistry key;
    bool written = key.Open(SETTINGS_KEY);
    written = key.WriteInt(L"SortOrder", SortOrder) && written;
    written = key.WriteInt(L"SplitMode", SplitMode) && written;
    written = key.WriteInt(L"SplitPeriod", SplitPeriod) && written;
    written = key.WriteInt(L"ShowAnnivasaries", ShowAnnivasaries) && written;
    written = key.WriteInt(L"ShowFutureAge", ShowFutureAge) && written;
    written = key.WriteInt(L"TodayViewActive", TodayViewActive) && written;
    written = key.WriteInt(L"TodayMaxLines", TodayMaxLines) && written;
    written = key.WriteInt(L"TodayMaxMonth", TodayMaxMonth) && written;
    written = key.WriteString(L"TodayDateFormat", TodayDateFormat) && written;
    written = key.WriteString(L"MessageSubject", MessageSubject) && written;
    written = key.WriteString(L"MessageBody", MessageBody) && written;
    key.Close();
    return written;
}
