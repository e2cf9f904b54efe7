// CRemindPart: the "Reminders" part of the options page: on/off, days ahead, time of day, calendar file.
#pragma once

#include "core/str.h"
#include "data/remindsettings.h"

#include <windows.h>

class CRemindPart
{
public:
    // Fills the part's controls from the settings as they are now.
    void Init(HWND page);
    // False, with the control focused and the user told why, when what was typed cannot be kept.
    bool Check(HWND page);
    // Writes the values the user changed, and only those; false when they could not be saved.
    bool Save(HWND page);

    // "9:05" → 545; -1 for anything but hours 0 ... 23 and minutes 0 ... 59.
    static int ParseTime(const wchar_t* text);

private:
    CRemindSettings m_read;
    CStr m_calendarFile;
};
