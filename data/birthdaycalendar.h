// CBirthdayCalendar: the events as an iCalendar file (birthdays.ics) that other calendar programs subscribe to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

// One event as the calendar needs it: the contact's identity, name, date and whether it is an anniversary.
// The name is the list's own text: valid until the list that read the event loads again or closes.
struct CCalendarEvent
{
    LONG oid;
    const wchar_t* name;
    int year;
    int month;
    int day;
    bool anniversary;

    bool operator==(const CCalendarEvent& other) const
    {
        return oid == other.oid && wcscmp(name, other.name) == 0 && year == other.year && month == other.month &&
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
    // that then replaces it whole. What was written last is remembered (here, and for the next process in the
    // settings), so that a file left as it was is neither read nor made again for the same events.
    CalendarResult Write(const std::wstring& path, const std::vector<CCalendarEvent>& events,
                         const CCalendarReminders& reminders, const SYSTEMTIME& nowUtc);
    // The same for events of this digest (CCalendarDigest), which events() gives only when the text must be made.
    CalendarResult Write(const std::wstring& path, uint64_t digest,
                         const std::function<const std::vector<CCalendarEvent>&()>& events,
                         const CCalendarReminders& reminders, const SYSTEMTIME& nowUtc);

    // The file as it was when last written or checked: a write, a rename or a restored time each change it.
    struct CStamp
    {
        ULONGLONG size;
        FILETIME lastWrite;
        FILETIME change;
        bool operator==(const CStamp& other) const;
    };

private:
    std::wstring m_path;
    // Of the events and alarms the file at m_path was made from, and of that file.
    uint64_t m_writtenDigest = 0;
    CStamp m_writtenStamp = {};
};

// A digest of the events and alarms a calendar is made from, the same whatever the order of the events.
class CCalendarDigest
{
public:
    void Add(const CCalendarEvent& event);
    uint64_t Value(const CCalendarReminders& reminders) const;

private:
    uint64_t m_sum = 0;
    uint64_t m_count = 0;
};
uint64_t CalendarDigest(const std::vector<CCalendarEvent>& events, const CCalendarReminders& reminders);
