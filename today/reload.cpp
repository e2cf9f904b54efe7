// The Today item's loads of its events, each keeping the birthdays calendar in step, and its summary for the host.
#include "today/todayitem.h"

#include "data/calendarkeeper.h"
#include "data/datalist.h"
#include "data/remindsettings.h"
#include "today/linetext.h"

#include <string>

namespace {

// One for the library: the item window made again keeps what it knows of the file.
CCalendarKeeper g_calendar;

// The reminders the calendar's events carry, as the settings are now: Festivo's options may have changed them.
CCalendarReminders Reminders()
{
    CRemindSettings settings;
    settings.Read();
    return CalendarReminders(settings);
}

} // namespace

void CTodayItem::LoadEvents(const CTime& now)
{
    // The item reads the whole address book on every load anyway: the calendar takes every event from that
    // read, the item only those of its period.
    g_calendar.Attach(*events);
    events->LoadUpcoming(now);
    g_calendar.Update(*events, now, Reminders());
}

LRESULT CTodayItem::OnSummary(wchar_t* buffer, int capacity)
{
    if (!buffer || capacity <= 0)
        return 0;
    std::wstring text;
    CTime now;
    ItemNow(now);
    for (uint32_t i = 0; events && i < events->GetShownCount(); i++)
    {
        const CDataItem* event = events->GetItem(i);
        CStr lead;
        CStr tail;
        BuildEventText(now, *event, events->GetSettings(), lead, tail);
        if (!text.empty())
            text += L"\n";
        const wchar_t* before = lead;
        const wchar_t* after = tail;
        text += std::wstring(before ? before : L"") + event->GetName() + (after ? after : L"");
    }
    size_t length = text.size() < static_cast<size_t>(capacity) ? text.size() : static_cast<size_t>(capacity) - 1;
    text.copy(buffer, length);
    buffer[length] = L'\0';
    return static_cast<LRESULT>(length);
}
