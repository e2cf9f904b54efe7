// CReminders: collecting the events a load reads into the reminders of the day, and handing out the due ones.
#include "data/reminders.h"

#include "core/error.h"
#include "data/dataitem.h"
#include "data/givenreminders.h"

namespace {

CTime DateOnly(const CTime& t)
{
    return CTime(t.GetYear(), t.GetMonth(), t.GetDay(), 0, 0, 0);
}

bool SameDay(const CTime& a, const CTime& b)
{
    return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
}

int MinuteOfDay(const CTime& t)
{
    const SYSTEMTIME& st = t.AsSystemTime();
    return st.wHour * 60 + st.wMinute;
}

bool Before(const CReminder& a, const CReminder& b)
{
    if (a.daysAhead != b.daysAhead)
        return a.daysAhead < b.daysAhead;
    return _wcsicmp(a.name, b.name) < 0;
}

} // namespace

void CReminder::MakeKey(CStr& key) const
{
    key.Format(L"%ld.%c.%04u%02u%02u.%d", static_cast<long>(oid), anniversary ? L'a' : L'b', occurrence.GetYear(),
               occurrence.GetMonth(), occurrence.GetDay(), daysAhead);
}

void CReminder::Describe(CStr& line) const
{
    line = name.IsEmpty() ? L"(no name)" : static_cast<const wchar_t*>(name);
    line.Append(anniversary ? L": anniversary " : L": birthday ");
    if (daysAhead == 0)
        line.Append(L"today");
    else
    {
        CStr date(40u);
        occurrence.FormatDate(date, L"ddd d MMM");
        if (daysAhead == 1)
            line.AppendFormat(L"tomorrow, %s", date.GetBuffer());
        else
            line.AppendFormat(L"in %d days, %s", daysAhead, date.GetBuffer());
    }
    if (age > 0)
        line.AppendFormat(anniversary ? L", %d years" : L", turns %d", age);
}

void FreeReminders(CArray<CReminder*>& reminders)
{
    for (uint32_t i = 0; i < reminders.GetCount(); i++)
        delete reminders.At(i);
    reminders.Delete(0, reminders.GetCount());
}

CReminders::CReminders() : m_fixedSettings(false)
{
}

CReminders::~CReminders()
{
    ClearPending();
}

void CReminders::ClearPending()
{
    FreeReminders(m_pending);
}

void CReminders::UseSettings(const CRemindSettings& settings)
{
    m_settings = settings;
    m_fixedSettings = true;
}

void CReminders::Begin(const CTime& today)
{
    ClearPending();
    // Read at every load, so a change in the options counts from the next reload on.
    if (!m_fixedSettings)
        m_settings.Read();
    m_today = DateOnly(today);
}

void CReminders::Offer(LONG oid, const wchar_t* name, const CTime& date, bool anniversary)
{
    if (!m_settings.IsOn())
        return;
    CTime next = NextOccurrence(m_today, date);
    int daysLeft = DaysBetween(next, m_today);
    bool wanted = false;
    for (int i = 0; i < m_settings.GetDayCount(); i++)
        wanted = wanted || m_settings.GetDay(i) == daysLeft;
    if (!wanted)
        return;
    CReminder* reminder = new CReminder();
    reminder->oid = oid;
    reminder->name = name ? name : L"";
    reminder->anniversary = anniversary;
    reminder->occurrence = next;
    reminder->daysAhead = daysLeft;
    reminder->age = date.GetYear() == UNKNOWN_YEAR ? NO_AGE : YearsBetween(next, date);
    m_pending.Append(reminder);
}

int CReminders::MinutesUntilDue(const CTime& now) const
{
    if (m_pending.GetCount() == 0 || !SameDay(now, m_today))
        return -1;
    int minutes = m_settings.GetTime() - MinuteOfDay(now);
    return minutes > 0 ? minutes : 0;
}

void CReminders::TakeDue(const CTime& now, CGivenReminders& given, CArray<CReminder*>& due)
{
    // Before the time of day nothing is due; after the day, what was not given is no longer news.
    if (m_pending.GetCount() == 0 || !SameDay(now, m_today) || MinuteOfDay(now) < m_settings.GetTime())
        return;
    given.Open(m_today);
    CStr key;
    uint32_t first = due.GetCount();
    for (uint32_t i = 0; i < m_pending.GetCount(); i++)
    {
        CReminder* reminder = m_pending.At(i);
        reminder->MakeKey(key);
        if (given.IsGiven(key))
        {
            delete reminder;
            continue;
        }
        given.MarkGiven(key);
        // Nearest first, then by name: the order of the Today item's own lines.
        due.Append(reminder);
        for (uint32_t at = due.GetCount() - 1; at > first && Before(*due.At(at), *due.At(at - 1)); --at)
        {
            due.At(at) = due.At(at - 1);
            due.At(at - 1) = reminder;
        }
    }
    m_pending.Delete(0, m_pending.GetCount());
    given.Close();
}
