// The birthdays calendar's text: iCalendar lines, escaping and folding, events with their alarms.
#include "data/birthdaycalendar.h"

#include "data/calendar.h"
#include "data/dataitem.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

namespace {

const char* const HEADER = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Quorvane//Festivo Birthdays//EN\r\n";
const char* const PRODID_LINE = "PRODID:-//Quorvane//Festivo Birthdays//EN\r\n";
// The year given to a date entered without one: a leap year, so that 29 February stays a date.
const int YEARLESS_YEAR = 2000;
const size_t FOLD_OCTETS = 75;

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

// A TEXT value: backslash, semicolon, comma and line breaks escaped, other control characters left out.
std::string EscapeText(const wchar_t* text)
{
    std::string out;
    for (char c : Utf8(text))
    {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\\' || c == ';' || c == ',')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else if (u < 0x20 || u == 0x7F)
            continue;
        else
            out += c;
    }
    return out;
}

// One content line, folded after 75 octets without cutting a UTF-8 character.
void AddLine(std::string& out, const std::string& line)
{
    size_t start = 0;
    size_t room = FOLD_OCTETS;
    while (line.size() - start > room)
    {
        size_t cut = start + room;
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            cut--;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        room = FOLD_OCTETS - 1;
    }
    out.append(line, start, std::string::npos);
    out += "\r\n";
}

std::string Date(int year, int month, int day)
{
    char text[16];
    snprintf(text, sizeof(text), "%04d%02d%02d", year, month, day);
    return text;
}

// A duration from the event's start (midnight of its day) in minutes: "-P6DT15H" for 15 hours before.
std::string Duration(int minutes)
{
    std::string out = minutes < 0 ? "-P" : "P";
    int rest = minutes < 0 ? -minutes : minutes;
    int days = rest / 1440;
    int hours = rest % 1440 / 60;
    int mins = rest % 60;
    if (days)
        out += std::to_string(days) + "D";
    if (hours || mins || !days)
        out += "T";
    if (hours)
        out += std::to_string(hours) + "H";
    if (mins)
        out += std::to_string(mins) + "M";
    if (!days && !hours && !mins)
        out += "0S";
    return out;
}

std::string Uid(const CCalendarEvent& event)
{
    char text[64];
    snprintf(text, sizeof(text), "%08lx-%s@festivo", static_cast<unsigned long>(static_cast<ULONG>(event.oid)),
             event.anniversary ? "anniversary" : "birthday");
    return text;
}

// The date an event starts from: its own, or in a leap year when it has no year of its own or names a
// 29 February that the proleptic calendar of iCalendar does not have.
bool StartDate(const CCalendarEvent& event, int& year)
{
    if (event.month < 1 || event.month > 12 || event.day < 1 || event.day > 31)
        return false;
    year = event.year;
    bool gregorianLeap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year == UNKNOWN_YEAR || year < 1 || year > 9999 || (event.month == 2 && event.day == 29 && !gregorianLeap))
        year = YEARLESS_YEAR;
    return event.day <= DaysInMonth(event.month, year);
}

// The event's lines after its DTSTAMP, or nothing for a date that is none.
std::string EventBody(const CCalendarEvent& event, const CCalendarReminders& reminders)
{
    int year = 0;
    if (!StartDate(event, year))
        return std::string();
    int endYear = year;
    int endMonth = event.month;
    int endDay = event.day + 1;
    if (endDay > DaysInMonth(endMonth, endYear))
    {
        endDay = 1;
        if (++endMonth > 12)
        {
            endMonth = 1;
            endYear++;
        }
    }
    std::string summary = EscapeText(event.name) + (event.anniversary ? " (anniversary)" : " (birthday)");
    std::string out;
    AddLine(out, "DTSTART;VALUE=DATE:" + Date(year, event.month, event.day));
    AddLine(out, "DTEND;VALUE=DATE:" + Date(endYear, endMonth, endDay));
    // A 29 February returns on the last day of February, as the list counts it in common years.
    AddLine(out, event.month == 2 && event.day == 29 ? "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"
                                                    : "RRULE:FREQ=YEARLY");
    AddLine(out, "SUMMARY:" + summary);
    AddLine(out, "TRANSP:TRANSPARENT");
    if (reminders.on)
    {
        for (int days : reminders.daysAhead)
        {
            out += "BEGIN:VALARM\r\nACTION:DISPLAY\r\n";
            AddLine(out, "DESCRIPTION:" + summary);
            AddLine(out, "TRIGGER:" + Duration(reminders.minuteOfDay - days * 1440));
            out += "END:VALARM\r\n";
        }
    }
    out += "END:VEVENT\r\n";
    return out;
}

// One event of a text this program wrote: its UID, its DTSTAMP line and its lines after it, as views into
// the text (a calendar of a large address book is tens of megabytes: nothing of it is copied).
struct CPreviousEvent
{
    std::string_view uid;
    std::string_view stamp;
    std::string_view body;
};

// The events of a text this program wrote, ordered by UID.
std::vector<CPreviousEvent> PreviousEvents(const std::string& text)
{
    std::vector<CPreviousEvent> events;
    const std::string begin = "BEGIN:VEVENT\r\nUID:";
    size_t at = 0;
    while ((at = text.find(begin, at)) != std::string::npos)
    {
        size_t uidStart = at + begin.size();
        size_t uidEnd = text.find("\r\n", uidStart);
        size_t stamp = uidEnd == std::string::npos ? uidEnd : uidEnd + 2;
        size_t end = text.find("END:VEVENT\r\n", uidStart);
        if (end == std::string::npos || stamp == std::string::npos || text.compare(stamp, 8, "DTSTAMP:") != 0)
            break;
        size_t stampEnd = text.find("\r\n", stamp);
        if (stampEnd == std::string::npos || stampEnd > end)
            break;
        end += 12;
        std::string_view all(text);
        events.push_back({all.substr(uidStart, uidEnd - uidStart), all.substr(stamp, stampEnd + 2 - stamp),
                          all.substr(stampEnd + 2, end - stampEnd - 2)});
        at = end;
    }
    // A UID met twice counts as its last event.
    std::stable_sort(events.begin(), events.end(),
                     [](const CPreviousEvent& a, const CPreviousEvent& b) { return a.uid < b.uid; });
    return events;
}

} // namespace

bool IsOwnCalendar(const std::string& text)
{
    return text.empty() || (text.compare(0, strlen(HEADER), HEADER) == 0 && text.find(PRODID_LINE) != std::string::npos);
}

std::string FormatCalendar(const std::vector<CCalendarEvent>& events, const CCalendarReminders& reminders,
                           const SYSTEMTIME& nowUtc, const std::string& previous)
{
    char now[32];
    snprintf(now, sizeof(now), "DTSTAMP:%04u%02u%02uT%02u%02u%02uZ\r\n", nowUtc.wYear, nowUtc.wMonth, nowUtc.wDay,
             nowUtc.wHour, nowUtc.wMinute, nowUtc.wSecond);
    std::vector<CPreviousEvent> old = PreviousEvents(previous);
    // The events in the order of their UIDs; of two with one UID the later one that is a date counts.
    std::vector<std::pair<std::string, const CCalendarEvent*>> ordered;
    ordered.reserve(events.size());
    for (const CCalendarEvent& event : events)
        ordered.emplace_back(Uid(event), &event);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string out = HEADER;
    out += "CALSCALE:GREGORIAN\r\nX-WR-CALNAME:Birthdays\r\n";
    std::string body;
    for (size_t first = 0, next = 0; first < ordered.size(); first = next)
    {
        const std::string& uid = ordered[first].first;
        for (next = first + 1; next < ordered.size() && ordered[next].first == uid;)
            next++;
        body.clear();
        for (size_t i = next; i > first && body.empty();)
            body = EventBody(*ordered[--i].second, reminders);
        if (body.empty())
            continue;
        // The last previous event of this UID keeps its stamp when its lines are the same.
        auto after = std::upper_bound(old.begin(), old.end(), std::string_view(uid),
                                      [](std::string_view key, const CPreviousEvent& e) { return key < e.uid; });
        bool same = after != old.begin() && (after - 1)->uid == uid && (after - 1)->body == body;
        out += "BEGIN:VEVENT\r\nUID:";
        out += uid;
        out += "\r\n";
        if (same)
            out += (after - 1)->stamp;
        else
            out += now;
        out += body;
    }
    out += "END:VCALENDAR\r\n";
    return out;
}
