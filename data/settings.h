// CSettings: the eleven shared settings of the main program and the Today plug-in.
#pragma once

#include "core/str.h"

class CVelaRegistry;

// Registry key below HKEY_CURRENT_USER holding the settings and the program folder (APPPATH).
extern const wchar_t* const SETTINGS_KEY;

// Longest message template kept: a greeting is far shorter, and the wrapping edit slows with the square of
// its length.
const int MESSAGE_TEMPLATE_LIMIT = 2000;
// Longest date picture kept: the date it writes must fit the line's 80 characters anyway.
const int DATE_FORMAT_LIMIT = 80;

enum SortOrder { SORT_BY_NAME = 0, SORT_BY_DATE = 1, SORT_BY_DAYS_LEFT = 2, SORT_BY_MONTH = 3 };
enum SplitMode { SPLIT_ALL = 0, SPLIT_BY_MONTH = 1, SPLIT_BY_ZODIAC = 2 };

class CSettings
{
public:
    CSettings();

    void SetDefaults();
    // Reads every value present; missing or mistyped values keep their defaults, others are brought into range.
    void Read();
    // Writes all eleven values; false when the settings could not be saved (a key the user may only read).
    bool Write() const;
    // Reads again the values the Today item's options own, so that a save keeps what was chosen there meanwhile.
    void ReadTodayValues();

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
    // Reads the four Today values from an open key.
    void ReadToday(CVelaRegistry& key);
};
