// CCalendarKeeper: the events of each load written to the birthdays calendar.
#include "data/calendarkeeper.h"

#include "data/datalist.h"
#include "data/remindsettings.h"

CCalendarReminders CalendarReminders(const CRemindSettings& settings)
{
    CCalendarReminders reminders{settings.IsOn(), {}, settings.GetTime()};
    for (int i = 0; i < settings.GetDayCount(); i++)
        reminders.daysAhead.push_back(settings.GetDay(i));
    return reminders;
}

void CCalendarKeeper::Attach(CDataList& list)
{
    list.SetEventSink(&m_events);
}

void CCalendarKeeper::Detach(CDataList& list)
{
    list.SetEventSink(nullptr);
    m_events.clear();
}

CalendarResult CCalendarKeeper::Update(const CDataList& list, const CTime& localNow,
                                       const CCalendarReminders& reminders)
{
    if (!list.IsSinkFilled())
        return CALENDAR_UNCHANGED;
    SYSTEMTIME utc;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localNow.AsSystemTime(), &utc))
        GetSystemTime(&utc);
    return m_file.Write(CalendarFilePath(), m_events, reminders, utc);
}
