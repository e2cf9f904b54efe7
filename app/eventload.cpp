// The main program keeps the birthdays calendar too: a user who never runs the Today screen still has it.
#include "app/eventload.h"

#include "data/calendarkeeper.h"
#include "data/datalist.h"
#include "data/remindsettings.h"

namespace {

CCalendarKeeper g_calendar;

} // namespace

void LoadEvents(CDataList& data)
{
    // The list holds every event after Load: the calendar takes them from it.
    data.Load();
    CRemindSettings reminders;
    reminders.Read();
    CTime now;
    now.SetToNow();
    g_calendar.Update(data, now, CalendarReminders(reminders));
}
