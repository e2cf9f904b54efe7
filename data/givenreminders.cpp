// CGivenReminders: one registry value, "YYYYMMDD;key;key;", read and written under a lock shared by processes.
#include "data/givenreminders.h"

#include "core/registry.h"
#include "data/settings.h"

const wchar_t* const GIVEN_VALUE = L"RemindGiven";

namespace {

// Every Festivo process of this session (main program, Today screens) checks and marks under this lock.
const wchar_t* const LOCK_NAME = L"Local\\FestivoRemindersGiven";
// A day holds a few dozen keys at most; a longer value was not written by us and is not read.
const int GIVEN_LIMIT = 65536;
const DWORD LOCK_WAIT_MS = 5000;

void DayStamp(const CTime& day, CStr& out)
{
    out.Format(L"%04u%02u%02u", day.GetYear(), day.GetMonth(), day.GetDay());
}

bool Contains(const CStr& keys, const wchar_t* key)
{
    CStr needle(L";");
    needle.Append(key);
    needle.Append(L";");
    return keys.Find(needle, 0) >= 0;
}

} // namespace

CGivenReminders::CGivenReminders() : m_lock(nullptr), m_locked(false), m_changed(false)
{
}

CGivenReminders::~CGivenReminders()
{
    if (m_locked)
        Close();
    if (m_lock)
        CloseHandle(m_lock);
}

void CGivenReminders::Open(const CTime& today)
{
    if (!m_lock)
        m_lock = CreateMutexW(nullptr, FALSE, LOCK_NAME);
    // A lock held too long by a process that hung is passed over: a repeated reminder beats none.
    DWORD waited = m_lock ? WaitForSingleObject(m_lock, LOCK_WAIT_MS) : WAIT_FAILED;
    m_locked = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    m_changed = false;
    DayStamp(today, m_day);
    if (m_memoryDay.GetLength() == 0 || wcscmp(m_memoryDay, m_day) != 0)
    {
        m_memoryDay = m_day;
        m_memory = L";";
    }
    m_keys = L";";
    CVelaRegistry key;
    key.Open(SETTINGS_KEY);
    CStr stored;
    if (key.ReadString(GIVEN_VALUE, stored) && stored.GetLength() <= GIVEN_LIMIT)
    {
        stored.SetFixedSize(0);
        int dayLength = m_day.GetLength();
        if (stored.GetLength() > dayLength && wcsncmp(stored, m_day, dayLength) == 0 && stored[dayLength] == L';')
            m_keys = stored.Right(stored.GetLength() - dayLength);
    }
    key.Close();
    if (m_keys[m_keys.GetLength() - 1] != L';')
        m_keys.Append(L";");
}

bool CGivenReminders::IsGiven(const wchar_t* key) const
{
    return Contains(m_keys, key) || Contains(m_memory, key);
}

void CGivenReminders::MarkGiven(const wchar_t* key)
{
    if (IsGiven(key))
        return;
    m_keys.Append(key);
    m_keys.Append(L";");
    m_memory.Append(key);
    m_memory.Append(L";");
    m_changed = true;
}

bool CGivenReminders::Close()
{
    bool written = true;
    if (m_changed)
    {
        CStr value(m_day);
        value.Append(m_keys);
        CVelaRegistry key;
        written = key.Open(SETTINGS_KEY);
        written = key.WriteString(GIVEN_VALUE, value) && written;
        key.Close();
    }
    m_changed = false;
    if (m_locked)
        ReleaseMutex(m_lock);
    m_locked = false;
    return written;
}
