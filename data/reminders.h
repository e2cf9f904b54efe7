// CReminders: which reminders of the address book's events are due at a moment, each given once.
#pragma once

#include "core/array.h"
#include "core/str.h"
#include "data/calendar.h"
#include "data/remindsettings.h"

#include <windows.h>

class CGivenReminders;

// One reminder: an event's occurrence announced some days ahead of it.
class CReminder
{
public:
    CReminder() : oid(0), anniversary(false), daysAhead(0), age(-1) {}

    // Identifies the reminder across processes and restarts: contact, kind, occurrence and days ahead.
    void MakeKey(CStr& key) const;
    // One line of a notification: "Anna Berg: birthday in 7 days, Tue 15 Dec, turns 36".
    void Describe(CStr& line) const;

    LONG oid;
    CStr name;
    bool anniversary;
    CTime occurrence;
    int daysAhead;
    // Years reached on the occurrence; -1 when the year is unknown.
    int age;
};

template <> struct CArrayTypeName<CReminder*> { static constexpr const wchar_t* kName = L"class CReminder *"; };

class CReminders
{
public:
    CReminders();
    ~CReminders();
    CReminders(const CReminders&) = delete;
    CReminders& operator=(const CReminders&) = delete;

    // Starts collecting for a load on the given day, with the reminder settings read afresh.
    void Begin(const CTime& today);
    // Offered every event a load reads (all of them, whatever period the list shows).
    void Offer(LONG oid, const wchar_t* name, const CTime& date, bool anniversary);
    // Uses these settings instead of the registry's on the next Begin (tests, and the options preview).
    void UseSettings(const CRemindSettings& settings);

    // Moves the reminders due at now and not given before into due (the caller owns them), nearest first,
    // and remembers them as given. Nothing is due on another day than the one collected for.
    void TakeDue(const CTime& now, CGivenReminders& given, CArray<CReminder*>& due);
    // Minutes from now until reminders collected for today become due; -1 when none waits.
    int MinutesUntilDue(const CTime& now) const;
    uint32_t GetPendingCount() const { return m_pending.GetCount(); }

private:
    void ClearPending();

    CRemindSettings m_settings;
    bool m_fixedSettings;
    CTime m_today;
    CArray<CReminder*> m_pending;
};

// Frees the reminders of an array and empties it.
void FreeReminders(CArray<CReminder*>& reminders);
