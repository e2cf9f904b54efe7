// Reminders over the real contact store: what is due at a moment, and that each is given only once.
#include "data/datalist.h"
#include "data/givenreminders.h"
#include "data/reminders.h"
#include "tests/data/storebook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kAddressBook =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nFN:Anna Berg\r\nBDAY:1990-12-15\r\nANNIVERSARY:2015-12-08\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:mia\r\nFN:Mia Year-less\r\nBDAY:--1215\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:lena\r\nFN:Lena Leap\r\nBDAY:1988-02-29\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:tom\r\nFN:Tom Day\r\nBDAY:1980-12-09\r\nEND:VCARD\r\n";

class Reminders : public CStoreBookTest
{
protected:
    Reminders() : CStoreBookTest(kAddressBook) {}

    static void Configure(const wchar_t* days, int time, bool on, int anniversaries)
    {
        DeleteUserKey(SETTINGS_KEY);
        CSettings settings;
        settings.SetDefaults();
        settings.ShowAnnivasaries = anniversaries;
        settings.Write();
        CRemindSettings remind;
        ASSERT_TRUE(remind.SetDays(days));
        remind.SetTime(time);
        remind.SetOn(on);
        remind.Write();
    }

    // One Today item's view of the moment: a load at now, then the reminders it gives.
    static std::vector<std::wstring> Give(const CTime& now, CGivenReminders& given)
    {
        CReminders reminders;
        CDataList list;
        list.SetReminders(&reminders);
        list.Open(nullptr);
        list.LoadUpcoming(now);
        CArray<CReminder*> due;
        reminders.TakeDue(now, given, due);
        std::vector<std::wstring> lines;
        CStr line;
        for (uint32_t i = 0; i < due.GetCount(); i++)
        {
            due.At(i)->Describe(line);
            lines.push_back(static_cast<const wchar_t*>(line));
        }
        FreeReminders(due);
        return lines;
    }
};

typedef std::vector<std::wstring> Lines;

} // namespace

TEST_F(Reminders, DueAtTheirMomentAsTheListCountsDays)
{
    struct Case
    {
        const char* what;
        CTime now;
        const wchar_t* days;
        int time;
        bool on;
        int anniversaries;
        Lines expected;
    } cases[] = {
        {"not yet due", CTime(2026, 12, 8, 8, 59, 0), L"0,7", 540, true, 1, {}},
        {"several at once, nearest first",
         CTime(2026, 12, 8, 9, 0, 0),
         L"0,7",
         540,
         true,
         1,
         {L"Anna Berg: anniversary today, 11 years", L"Anna Berg: birthday in 7 days, Tue 15 Dec, turns 36",
          L"Mia Year-less: birthday in 7 days, Tue 15 Dec"}},
        {"anniversaries not shown",
         CTime(2026, 12, 8, 17, 0, 0),
         L"0,7",
         540,
         true,
         0,
         {L"Anna Berg: birthday in 7 days, Tue 15 Dec, turns 36", L"Mia Year-less: birthday in 7 days, Tue 15 Dec"}},
        {"reminders off", CTime(2026, 12, 8, 17, 0, 0), L"0,7", 540, false, 1, {}},
        {"just after midnight", CTime(2026, 12, 9, 0, 0, 0), L"0,7", 0, true, 1, {L"Tom Day: birthday today, turns 46"}},
        {"missed while off: on its day only", CTime(2026, 12, 9, 23, 59, 0), L"6,7", 540, true, 1,
         {L"Anna Berg: birthday in 6 days, Tue 15 Dec, turns 36", L"Mia Year-less: birthday in 6 days, Tue 15 Dec"}},
        {"29 February in a common year", CTime(2027, 2, 27, 9, 0, 0), L"1", 540, true, 1,
         {L"Lena Leap: birthday tomorrow, Sun 28 Feb, turns 39"}},
        {"29 February in a leap year", CTime(2028, 2, 22, 9, 0, 0), L"7", 540, true, 1,
         {L"Lena Leap: birthday in 7 days, Tue 29 Feb, turns 40"}},
    };
    for (const Case& c : cases)
    {
        Configure(c.days, c.time, c.on, c.anniversaries);
        CGivenReminders given;
        EXPECT_EQ(c.expected, Give(c.now, given)) << c.what;
    }
}

TEST_F(Reminders, EachIsGivenOnceAcrossItemsAndRestarts)
{
    Configure(L"0,7", 540, true, 1);
    {
        CGivenReminders first;
        EXPECT_EQ(3u, Give(CTime(2026, 12, 8, 9, 30, 0), first).size());
        EXPECT_EQ(Lines{}, Give(CTime(2026, 12, 8, 9, 31, 0), first)) << "the same item, a minute later";
    }
    CGivenReminders restarted;
    EXPECT_EQ(Lines{}, Give(CTime(2026, 12, 8, 18, 0, 0), restarted)) << "another process, later that day";
    EXPECT_EQ(Lines{L"Tom Day: birthday today, turns 46"}, Give(CTime(2026, 12, 9, 9, 0, 0), restarted));

    // What another program left in the value is not ours: nothing counts as given, nothing breaks.
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const wchar_t junk[] = L"20261210;;;\x1;7";
    RegSetValueExW(key, GIVEN_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(junk), sizeof(junk) - 2);
    RegCloseKey(key);
    CGivenReminders fresh;
    EXPECT_EQ(Lines{L"Tom Day: birthday today, turns 46"}, Give(CTime(2026, 12, 9, 10, 0, 0), fresh));
}
