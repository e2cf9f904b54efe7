// CSettings: the eleven shared settings of the main program and the Today plug-in.
#pragma once

#include "core/str.h"

// Registry key below HKEY_CURRENT_USER holding the settings and the program folder (APPPATH).
extern const wchar_t* const SETTINGS_KEY;

enum SortOrder { SORT_BY_NAME = 0, SORT_BY_DATE = 1, SORT_BY_DAYS_LEFT = 2, SORT_BY_MONTH = 3 };
enum SplitMode { SPLIT_ALL = 0, SPLIT_BY_MONTH = 1, SPLIT_BY_ZODIAC = 2 };

class CSettings
{
public:
    CSettings();

    void SetDefaults();
    // Reads every value present; missing or mistyped values keep their defaults, others are brought into range.
    void Read();
    // Writes all eleven values.
    void Write() const;

    int SortOrder;
    int SplitMode;
    int SplitPeriod;
    int ShowAnnivasaries;
    int ShowFutureAge;
    int TodayViewActive;
    int TodayMaxLines;
    int TodayMaxMonth;
    CStr TodayDateFormat;
    CStr MessageSubject;
    CStr MessageBody;

private:
    void BringIntoRange();
};
