// CRemindSettings: when reminders are given (days ahead, time of day, on or off), beside the eleven settings.
#pragma once

#include "core/str.h"

// Most days-ahead entries kept, and the furthest day ahead one may name.
const int REMIND_MAX_DAYS = 8;
const int REMIND_DAYS_LIMIT = 60;
// Default minute of the day from which a day's reminders are given (09:00), and the last minute of a day.
const int REMIND_DEFAULT_TIME = 540;
const int REMIND_LAST_MINUTE = 1439;

// The three values live in the settings key but are read and written apart from the eleven others, each on its
// own: a value written by another program that makes no sense is ignored and its default used, never fatal; they
// are written only where the user edits them, so the options dialogs that save the eleven leave them alone.
class CRemindSettings
{
public:
    CRemindSettings();

    // On, on the day and seven days ahead, at 09:00.
    void SetDefaults();
    // Defaults first, then every value that can be understood; bad entries of the days-ahead text are skipped.
    void Read();
    // Writes the three values; false when they could not be saved.
    bool Write() const;

    bool IsOn() const { return m_on; }
    void SetOn(bool on) { m_on = on; }
    // Minute of the local day (0 ... 1439) from which a day's reminders are given.
    int GetTime() const { return m_time; }
    void SetTime(int minute);
    // Days ahead, ascending and distinct; 0 is the day itself.
    int GetDayCount() const { return m_dayCount; }
    int GetDay(int index) const;
    // Takes the days-ahead entries of a comma-separated text; false (and nothing changed) when it holds none
    // or an entry that is not a whole number of days 0 ... 60, or more than eight.
    bool SetDays(const wchar_t* text);
    // The days ahead as they are stored: "0,7".
    void FormatDays(CStr& out) const;

    // Parses a days-ahead text entry by entry, keeping the first eight distinct whole numbers 0 ... 60 in ascending
    // order; empty entries and repeats are passed over. Returns how many were kept; skipped counts the entries
    // that were not understood or came after the eighth.
    static int ParseDays(const wchar_t* text, int (&days)[REMIND_MAX_DAYS], int& skipped);

private:
    bool m_on;
    int m_time;
    int m_days[REMIND_MAX_DAYS];
    int m_dayCount;
};
