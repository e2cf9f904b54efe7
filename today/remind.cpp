// The Today item's reminders: the due ones of each load and each set time, given as one notification.
#include "today/todayitem.h"

#include "data/datalist.h"
#include "data/givenreminders.h"
#include "data/reminders.h"
#include "data/showcontact.h"
#include "platform/shell/notify.h"
#include "today/resource.h"

namespace {

const DWORD NOTIFICATION_ID = 1;
const DWORD NOTIFICATION_SECONDS = 30;
// Names this item's notifications among others.
const CLSID REMINDER_CLSID = {0x6b0f3a52, 0x8d1e, 0x4c47, {0x9a, 0x1c, 0x3e, 0x55, 0x20, 0x7d, 0x41, 0xb9}};

void AppendEscaped(CStr& html, const wchar_t* text)
{
    for (const wchar_t* p = text; *p; ++p)
    {
        if (*p == L'&')
            html.Append(L"&amp;");
        else if (*p == L'<')
            html.Append(L"&lt;");
        else if (*p == L'>')
            html.Append(L"&gt;");
        else
            html.Append(*p, 1);
    }
}

} // namespace

void CTodayItem::StartReminders()
{
    reminders = new CReminders();
    givenReminders = new CGivenReminders();
    notificationLines.Empty();
}

void CTodayItem::StopReminders()
{
    if (window)
        KillTimer(window, REMIND_TIMER);
    RemoveNotification();
    if (events)
        events->SetReminders(nullptr);
    delete reminders;
    reminders = nullptr;
    delete givenReminders;
    givenReminders = nullptr;
}

void CTodayItem::CheckReminders()
{
    if (!reminders || !givenReminders)
        return;
    CTime now;
    ItemNow(now);
    CArray<CReminder*> due;
    reminders->TakeDue(now, *givenReminders, due);
    if (due.GetCount() > 0)
        GiveNotification(due);
    FreeReminders(due);
    // The reminders of the day wait for their time; a new day arrives through the host's next poll.
    int minutes = reminders->MinutesUntilDue(now);
    if (minutes > 0)
        SetTimer(window, REMIND_TIMER, static_cast<UINT>(minutes) * 60000u, nullptr);
    else
        KillTimer(window, REMIND_TIMER);
}

void CTodayItem::GiveNotification(CArray<CReminder*>& due)
{
    // A notification still up is given again with the new reminders after its own: never two at once.
    if (notificationLines.IsEmpty())
    {
        notifiedOid = due.At(0)->oid;
        notifiedAnniversary = due.At(0)->anniversary;
    }
    CStr line;
    for (uint32_t i = 0; i < due.GetCount(); i++)
    {
        due.At(i)->Describe(line);
        if (!notificationLines.IsEmpty())
            notificationLines.Append(L"<br>");
        AppendEscaped(notificationLines, line);
    }
    CStr html(L"<html><body><p>");
    html.Append(notificationLines);
    html.Append(L"</p></body></html>");

    SHNOTIFICATIONDATA data = {};
    data.cbStruct = sizeof(data);
    data.dwID = NOTIFICATION_ID;
    data.npPriority = SHNP_INFORM;
    data.csDuration = NOTIFICATION_SECONDS;
    data.grfFlags = SHNF_DISPLAYON;
    data.clsid = REMINDER_CLSID;
    data.hwndSink = window;
    data.pszTitle = L"Festivo";
    data.pszHTML = html;
    data.rgskn[0].pszTitle = L"Open";
    data.rgskn[0].skc.wpCmd = IDM_REMINDEROPEN;
    data.rgskn[1].pszTitle = L"Dismiss";
    data.rgskn[1].skc.wpCmd = IDM_REMINDERDISMISS;
    SHNotificationAdd(&data);
}

void CTodayItem::RemoveNotification()
{
    if (notificationLines.IsEmpty())
        return;
    notificationLines.Empty();
    SHNotificationRemove(&REMINDER_CLSID, NOTIFICATION_ID);
}

bool CTodayItem::OnReminderCommand(int id)
{
    if (id == IDM_REMINDERDISMISS)
    {
        RemoveNotification();
        return true;
    }
    if (id != IDM_REMINDEROPEN)
        return false;
    bool shown = !notificationLines.IsEmpty();
    RemoveNotification();
    // Festivo takes no command line: it reads the request when it starts, or when started again.
    if (shown)
        RequestShowContact(notifiedOid, notifiedAnniversary);
    StartMainProgram();
    return true;
}

void CTodayItem::OnReminderTimer()
{
    CheckReminders();
}
