// CTime (a local date laid out as SYSTEMTIME) and the calendar arithmetic of yearly events.
#pragma once

#include "core/str.h"

#include <windows.h>
#include <cstdint>

class CTime
{
public:
    CTime();
    CTime(int year, int month, int day, int hour, int minute, int second);
    CTime(const SYSTEMTIME& st);
    CTime(const CTime& other) = default;
    CTime& operator=(const CTime& other) = default;
    CTime& operator=(const SYSTEMTIME& st);

    void SetToNow();
    uint16_t& GetYear() { return m_year; }
    uint16_t& GetMonth() { return m_month; }
    uint16_t& GetDay() { return m_day; }
    uint16_t GetYear() const { return m_year; }
    uint16_t GetMonth() const { return m_month; }
    uint16_t GetDay() const { return m_day; }
    uint16_t GetDayOfWeek() const { return m_dayOfWeek; }
    uint16_t GetHour() const { return m_hour; }

    const SYSTEMTIME& AsSystemTime() const { return *reinterpret_cast<const SYSTEMTIME*>(this); }

    // Writes the date part with the system locale's formatter; out must be a fixed string large enough.
    void FormatDate(CStr& out, const wchar_t* picture) const;

private:
    uint16_t m_year;
    uint16_t m_month;
    uint16_t m_dayOfWeek;
    uint16_t m_day;
    uint16_t m_hour;
    uint16_t m_minute;
    uint16_t m_second;
    uint16_t m_millisecond;
};

static_assert(sizeof(CTime) == sizeof(SYSTEMTIME), "CTime is copied byte for byte to and from SYSTEMTIME");

// The date and time of a contact's date value (days since 30 December 1899, as the contact store gives it);
// false when the platform cannot convert it.
bool DateValueToTime(double value, SYSTEMTIME& st);
int DayOfWeek(int year, int month, int day);
bool IsLeapYear(int year);
int DaysInMonth(int month, int year);
int ClampDay(CTime& t);
int DaysBetween(const CTime& a, const CTime& b);
int YearsBetween(const CTime& a, const CTime& b);
int DayOfYear(const CTime& t);
int DaysToNextOccurrence(const CTime& reference, const CTime& date);
CTime NextOccurrence(const CTime& reference, const CTime& date);
