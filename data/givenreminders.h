// CGivenReminders: the reminders already given today, remembered per user so no process repeats them.
#pragma once

#include "core/str.h"
#include "data/calendar.h"

#include <windows.h>

// The registry value (under the settings key) that holds the day and the keys of the reminders given on it.
extern const wchar_t* const GIVEN_VALUE;

class CGivenReminders
{
public:
    CGivenReminders();
    ~CGivenReminders();
    CGivenReminders(const CGivenReminders&) = delete;
    CGivenReminders& operator=(const CGivenReminders&) = delete;

    // Takes the lock every Festivo process of this user shares and reads what was given on today's date.
    // A value written by another program that does not read as ours counts as nothing given.
    void Open(const CTime& today);
    bool IsGiven(const wchar_t* key) const;
    void MarkGiven(const wchar_t* key);
    // Writes today's keys (earlier days are dropped) and releases the lock; false when they could not be saved.
    bool Close();

private:
    HANDLE m_lock;
    bool m_locked;
    bool m_changed;
    CStr m_day;
    // ";key;key;": a key is found as ";key;".
    CStr m_keys;
    // Keys given by this process, kept also when the registry cannot be written.
    CStr m_memory;
    CStr m_memoryDay;
};
