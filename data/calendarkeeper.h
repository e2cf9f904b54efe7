// CCalendarKeeper: keeps the birthdays calendar in step with the events each load of a list reads.
#pragma once

#include "data/birthdaycalendar.h"

class CDataList;
class CRemindSettings;
class CTime;

// The alarms of the calendar's events as the reminder settings give them.
CCalendarReminders CalendarReminders(const CRemindSettings& settings);

class CCalendarKeeper
{
public:
    // From now on every load of list also gathers its events for the calendar, also those the Today item's
    // period leaves out; the keeper outlives the list's loads or is detached first. A list loaded whole (Load)
    // needs no attaching: Update takes its events.
    void Attach(CDataList& list);
    void Detach(CDataList& list);
    // After a load: writes the calendar when its events changed; nothing when the address book could not be read,
    // so that a passing failure never empties a calendar that others subscribe to.
    CalendarResult Update(const CDataList& list, const CTime& localNow, const CCalendarReminders& reminders);

private:
    std::vector<CCalendarEvent> m_events;
    CBirthdayCalendar m_file;
};
