// CBirthdayCalendar: the events as an iCalendar file (birthdays.ics) that other calendar programs subscribe to.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// One event as the calendar needs it: the contact's identity, name, date and whether it is an anniversary.
struct CCalendarEvent
{
    LONG oid;
    std::wstring name;
    int year;
    int month;
    int day;
    bool anniversary;

    bool operator==(const CCalendarEvent& other) const
    {
        return oid == other.oid && name == other.name && year == other.year && month == other.month &&
               day == other.day && anniversary == other.anniversary;
    }
};

// The reminders each event carries: one alarm per day ahead, at a minute of that local day.
struct CCalendarReminders
{
    bool on;
    std::vector<int> daysAhead;
    int minuteOfDay;

    bool operator==(const CCalendarReminders& other) const
    {
        return on == other.on && daysAhead == other.daysAhead && minuteOfDay == other.minuteOfDay;
    }
};

enum CalendarResult
{
    CALENDAR_UNCHANGED, // the file already holds these events
    CALENDAR_WRITTEN,
    CALENDAR_FOREIGN, // a file of another program is at the path: left as it is
    CALENDAR_FAILED,  // the folder or the file could not be written
};

// Where the calendar is kept: the settings value CalendarFile, else the user's local application data.
std::wstring CalendarFilePath();

// The calendar's text: one all-day yearly event per entry, each stamped with the DTSTAMP that the previous
// text gave the same event unchanged, else with nowUtc. Events come ordered by their UID, so that the order in
// which the address book lists contacts changes nothing.
std::string FormatCalendar(const std::vector<CCalendarEvent>& events, const CCalendarReminders& reminders,
                           const SYSTEMTIME& nowUtc, const std::string& previous);

// True when text is a calendar this program wrote (or nothing at all), which it may replace.
bool IsOwnCalendar(const std::string& text);

class CBirthdayCalendar
{
public:
    // Writes the calendar at path when its events differ from what the file holds, through a file beside it
    // that then replaces it whole. The text last written is kept, so that an unchanged file is not read again.
    CalendarResult Write(const std::wstring& path, const std::vector<CCalendarEvent>& events,
                         const CCalendarReminders& reminders, const SYSTEMTIME& nowUtc);

private:
    std::wstring m_path;
    std::string m_written;
    // The events and alarms m_written was made from: the same again with the file untouched changes nothing.
    std::vector<CCalendarEvent> m_writtenEvents;
    CCalendarReminders m_writtenReminders = {};
    FILETIME m_writtenTime = {};
    ULONGLONG m_writtenSize = 0;
};
