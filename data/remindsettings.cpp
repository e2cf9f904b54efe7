// CRemindSettings: reading each reminder value on its own, tolerant of whatever another program stored.
#include "data/remindsettings.h"

#include "core/error.h"
#include "core/registry.h"
#include "data/settings.h"

namespace {

const int DEFAULT_DAYS[] = {0, 7};

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// One entry between commas: blanks around digits only; more than three digits can never be 0 ... 60.
int ParseEntry(const wchar_t* begin, const wchar_t* end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    if (begin == end || end - begin > 3)
        return -1;
    int value = 0;
    for (const wchar_t* p = begin; p < end; ++p)
    {
        if (*p < L'0' || *p > L'9')
            return -1;
        value = value * 10 + (*p - L'0');
    }
    return value <= REMIND_DAYS_LIMIT ? value : -1;
}

bool IsEmptyEntry(const wchar_t* begin, const wchar_t* end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    return begin == end;
}

} // namespace

CRemindSettings::CRemindSettings() : m_on(true), m_time(REMIND_DEFAULT_TIME), m_days(), m_dayCount(0)
{
    SetDefaults();
}

void CRemindSettings::SetDefaults()
{
    m_on = true;
    m_time = REMIND_DEFAULT_TIME;
    m_dayCount = 0;
    for (int day : DEFAULT_DAYS)
        m_days[m_dayCount++] = day;
}

int CRemindSettings::ParseDays(const wchar_t* text, int (&days)[REMIND_MAX_DAYS], int& skipped)
{
    int count = 0;
    skipped = 0;
    const wchar_t* p = text ? text : L"";
    for (;;)
    {
        const wchar_t* end = p;
        while (*end && *end != L',')
            ++end;
        if (!IsEmptyEntry(p, end))
        {
            int value = ParseEntry(p, end);
            bool repeat = false;
            for (int i = 0; i < count; ++i)
                repeat = repeat || days[i] == value;
            if (value < 0 || (count == REMIND_MAX_DAYS && !repeat))
                ++skipped;
            else if (!repeat)
            {
                // Insertion keeps the list ascending.
                int at = count++;
                for (; at > 0 && days[at - 1] > value; --at)
                    days[at] = days[at - 1];
                days[at] = value;
            }
        }
        if (!*end)
            return count;
        p = end + 1;
    }
}

void CRemindSettings::Read()
{
    SetDefaults();
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    int on = 1;
    if (key.ReadInt(L"RemindOn", on) && (on == 0 || on == 1))
        m_on = on == 1;
    int time = REMIND_DEFAULT_TIME;
    if (key.ReadInt(L"RemindTime", time) && time >= 0 && time <= REMIND_LAST_MINUTE)
        m_time = time;
    CStr text;
    if (key.ReadString(L"RemindDays", text))
    {
        // A text with no entry that can be understood says nothing, so the defaults stay.
        int days[REMIND_MAX_DAYS];
        int skipped = 0;
        int count = ParseDays(text, days, skipped);
        if (count > 0)
        {
            m_dayCount = count;
            for (int i = 0; i < count; ++i)
                m_days[i] = days[i];
        }
    }
    key.Close();
}

bool CRemindSettings::Write() const
{
    CVelaRegistry key;
    bool written = key.Open(SETTINGS_KEY);
    CStr days;
    FormatDays(days);
    written = key.WriteString(L"RemindDays", days) && written;
    written = key.WriteInt(L"RemindTime", m_time) && written;
    written = key.WriteInt(L"RemindOn", m_on ? 1 : 0) && written;
    key.Close();
    return written;
}

void CRemindSettings::SetTime(int minute)
{
    Assert(minute >= 0 && minute <= REMIND_LAST_MINUTE, ERR_INVALID_VALUE, L"CRemindSettings::SetTime", __LINE__);
    m_time = minute;
}

int CRemindSettings::GetDay(int index) const
{
    Assert(index >= 0 && index < m_dayCount, ERR_OUT_OF_RANGE, L"CRemindSettings::GetDay", __LINE__);
    return m_days[index];
}

bool CRemindSettings::SetDays(const wchar_t* text)
{
    int days[REMIND_MAX_DAYS];
    int skipped = 0;
    int count = ParseDays(text, days, skipped);
    if (count == 0 || skipped > 0)
        return false;
    m_dayCount = count;
    for (int i = 0; i < count; ++i)
        m_days[i] = days[i];
    return true;
}

void CRemindSettings::FormatDays(CStr& out) const
{
    out.Empty();
    for (int i = 0; i < m_dayCount; ++i)
    {
        if (i > 0)
            out.Append(L",");
        out.AppendInt(m_days[i]);
    }
}
