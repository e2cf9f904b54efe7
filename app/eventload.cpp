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
    g_calendar.Attach(data);
    data.Load();
    CRemindSettings reminders;
    reminders.Read();
    CTime now;
    now.SetToNow();
    g_calendar.Update(data, now, CalendarReminders(reminders));
    // The list may go before the keeper: it keeps no pointer to the keeper's events between loads.
    g_calendar.Detach(data);
}
