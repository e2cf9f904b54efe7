// CCalendarKeeper: the events of each load written to the birthdays calendar.
#include "data/calendarkeeper.h"

#include "data/dataitem.h"
#include "data/datalist.h"
#include "data/remindsettings.h"

namespace {

CCalendarEvent CalendarEvent(const CDataItem& item)
{
    return CCalendarEvent{item.oid, item.GetName(), item.date.GetYear(), item.date.GetMonth(), item.date.GetDay(),
                          item.IsAnniversary()};
}

} // namespace

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
    SYSTEMTIME utc;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localNow.AsSystemTime(), &utc))
        GetSystemTime(&utc);
    if (list.IsSinkFilled())
        return m_file.Write(CalendarFilePath(), m_events, reminders, utc);
    if (!list.HoldsEveryEvent())
        return CALENDAR_UNCHANGED;
    // The main program's list holds every event: the calendar takes them from it, and makes a list of its own
    // only when the file must be made again.
    CCalendarDigest digest;
    for (uint32_t i = 0; i < list.GetTotalCount(); i++)
        digest.Add(CalendarEvent(*list.GetEvent(i)));
    std::vector<CCalendarEvent> events;
    return m_file.Write(CalendarFilePath(), digest.Value(reminders),
                        [&]() -> const std::vector<CCalendarEvent>& {
                            events.reserve(list.GetTotalCount());
                            for (uint32_t i = 0; i < list.GetTotalCount(); i++)
                                events.push_back(CalendarEvent(*list.GetEvent(i)));
                            return events;
                        },
                        reminders, utc);
}
