// The birthdays calendar: event lines and alarms, folding, stable stamps, file replacement and its refusals.
#include "data/birthdaycalendar.h"
#include "data/calendarkeeper.h"
#include "data/datalist.h"
#include "data/settings.h"
#include "tests/store/register_store.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

SYSTEMTIME Utc(int year, int month, int day, int hour)
{
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    return t;
}

const CCalendarReminders kNoAlarms = {false, {}, 540};

// The lines of the one event in text (unfolded), from its UID to its end.
std::string EventOf(const std::string& text, const std::string& uid)
{
    std::string unfolded;
    for (size_t i = 0; i < text.size(); i++)
    {
        if (text.compare(i, 3, "\r\n ") == 0)
            i += 2;
        else
            unfolded += text[i];
    }
    size_t start = unfolded.find("UID:" + uid + "\r\n");
    if (start == std::string::npos)
        return std::string();
    return unfolded.substr(start, unfolded.find("END:VEVENT", start) - start);
}

std::string ReadFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

TEST(BirthdayCalendar, WritesOneYearlyAllDayEventPerDate)
{
    struct Case
    {
        CCalendarEvent event;
        const char* uid;
        std::vector<std::string> lines;
    } cases[] = {
        {{0x2a, L"Maja Lindqvist", 1984, 3, 11, false}, "0000002a-birthday@festivo",
         {"DTSTART;VALUE=DATE:19840311", "DTEND;VALUE=DATE:19840312", "RRULE:FREQ=YEARLY\r\n",
          "SUMMARY:Maja Lindqvist (birthday)"}},
        // 29 February returns on the last day of February, as the list counts it in common years.
        {{7, L"Lena Leap", 1988, 2, 29, false}, "00000007-birthday@festivo",
         {"DTSTART;VALUE=DATE:19880229", "DTEND;VALUE=DATE:19880301", "RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"}},
        // A date without a year starts in a leap year; a year's last day ends in the next year.
        {{-2, L"Mia", UNKNOWN_YEAR, 12, 31, false}, "fffffffe-birthday@festivo",
         {"DTSTART;VALUE=DATE:20001231", "DTEND;VALUE=DATE:20010101"}},
        {{-3, L"Noor", UNKNOWN_YEAR, 2, 29, false}, "fffffffd-birthday@festivo", {"DTSTART;VALUE=DATE:20000229"}},
        {{0x2a, L"Maja Lindqvist", 2015, 6, 20, true}, "0000002a-anniversary@festivo",
         {"DTSTART;VALUE=DATE:20150620", "SUMMARY:Maja Lindqvist (anniversary)"}},
        {{9, L"Smith, Jo; \\ \"J\"\r\nx", 1970, 1, 1, false}, "00000009-birthday@festivo",
         {"SUMMARY:Smith\\, Jo\\; \\\\ \"J\"\\nx (birthday)"}},
    };
    for (const Case& c : cases)
    {
        std::string text = FormatCalendar({c.event}, kNoAlarms, Utc(2026, 12, 8, 18), std::string());
        std::string event = EventOf(text, c.uid);
        ASSERT_FALSE(event.empty()) << c.uid << "\n" << text;
        EXPECT_NE(std::string::npos, event.find("DTSTAMP:20261208T180000Z\r\n")) << c.uid;
        for (const std::string& line : c.lines)
            EXPECT_NE(std::string::npos, event.find(line)) << c.uid << " lacks " << line << "\n" << event;
    }
    // A date that is none (30 February) gives no event rather than a calendar others cannot read.
    std::string text = FormatCalendar({{1, L"X", 2026, 2, 30, false}}, kNoAlarms, Utc(2026, 12, 8, 18), "");
    EXPECT_EQ(std::string::npos, text.find("BEGIN:VEVENT"));
}

TEST(BirthdayCalendar, GivesOneAlarmPerDayAheadAtTheReminderTime)
{
    struct Case
    {
        CCalendarReminders reminders;
        std::vector<std::string> triggers;
    } cases[] = {
        {{true, {0, 7}, 540}, {"TRIGGER:PT9H", "TRIGGER:-P6DT15H"}},
        {{true, {1}, 0}, {"TRIGGER:-P1D"}},
        {{true, {0, 60}, 1439}, {"TRIGGER:PT23H59M", "TRIGGER:-P59DT1M"}},
        {{true, {0}, 0}, {"TRIGGER:PT0S"}},
        {{false, {0, 7}, 540}, {}},
    };
    for (const Case& c : cases)
    {
        std::string event = EventOf(FormatCalendar({{1, L"A", 1990, 5, 5, false}}, c.reminders, Utc(2026, 1, 1, 0),
                                                   ""), "00000001-birthday@festivo");
        std::vector<std::string> triggers;
        for (size_t at = event.find("TRIGGER:"); at != std::string::npos; at = event.find("TRIGGER:", at + 1))
            triggers.push_back(event.substr(at, event.find("\r\n", at) - at));
        EXPECT_EQ(c.triggers, triggers);
        size_t alarms = 0;
        for (size_t at = event.find("BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:A (birthday)\r\n");
             at != std::string::npos; at = event.find("BEGIN:VALARM", at + 1))
            alarms++;
        EXPECT_EQ(c.triggers.size(), alarms);
    }
}

TEST(BirthdayCalendar, FoldsLongLinesWithoutCuttingACharacter)
{
    std::wstring name(60, L'\x00e9');
    std::string text = FormatCalendar({{1, name.c_str(), 1990, 5, 5, false}}, kNoAlarms, Utc(2026, 1, 1, 0), "");
    std::istringstream lines(text);
    std::string line;
    int continued = 0;
    while (std::getline(lines, line))
    {
        EXPECT_LE(line.size(), 76u) << line; // 75 octets and the CR
        if (line[0] == ' ')
        {
            continued++;
            EXPECT_NE(0x80, static_cast<unsigned char>(line[1]) & 0xC0) << "a character cut in two";
        }
    }
    EXPECT_GE(continued, 1);
    std::string summary = "SUMMARY:";
    for (int i = 0; i < 60; i++)
        summary += "\xc3\xa9";
    EXPECT_NE(std::string::npos, EventOf(text, "00000001-birthday@festivo").find(summary + " (birthday)\r\n"));
}

TEST(BirthdayCalendar, KeepsEachUnchangedEventsStampWhateverTheOrder)
{
    std::vector<CCalendarEvent> events = {{1, L"Ann", 1990, 5, 5, false}, {2, L"Bo", 1991, 6, 6, false}};
    std::string first = FormatCalendar(events, kNoAlarms, Utc(2026, 1, 1, 0), "");
    std::vector<CCalendarEvent> reordered = {events[1], events[0]};
    EXPECT_EQ(first, FormatCalendar(reordered, kNoAlarms, Utc(2026, 2, 2, 0), first));

    reordered[0].name = L"Bo Berg";
    std::string second = FormatCalendar(reordered, kNoAlarms, Utc(2026, 2, 2, 0), first);
    EXPECT_NE(std::string::npos, EventOf(second, "00000001-birthday@festivo").find("DTSTAMP:20260101T"));
    EXPECT_NE(std::string::npos, EventOf(second, "00000002-birthday@festivo").find("DTSTAMP:20260202T"));
}

TEST(BirthdayCalendar, ReplacesItsOwnFileOnlyWhenTheEventsChangeAndNeverAnotherProgramsFile)
{
    CTempDir dir;
    std::wstring path = dir.File(L"Festivo") + L"\\sub\\birthdays.ics";
    std::vector<CCalendarEvent> events = {{1, L"Ann", 1990, 5, 5, false}};
    CBirthdayCalendar calendar;
    EXPECT_EQ(CALENDAR_WRITTEN, calendar.Write(path, events, kNoAlarms, Utc(2026, 1, 1, 0)));
    std::string written = ReadFile(path);
    EXPECT_EQ(FormatCalendar(events, kNoAlarms, Utc(2026, 1, 1, 0), ""), written);

    CBirthdayCalendar another; // another process, which has to read the file to know
    EXPECT_EQ(CALENDAR_UNCHANGED, another.Write(path, events, kNoAlarms, Utc(2026, 3, 3, 0)));
    events[0].day = 6;
    EXPECT_EQ(CALENDAR_WRITTEN, calendar.Write(path, events, kNoAlarms, Utc(2026, 3, 3, 0)));
    EXPECT_NE(written, ReadFile(path));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "a temporary file was left";
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);

    std::string theirs = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Someone//Else//EN\r\nEND:VCALENDAR\r\n";
    std::wstring foreign = dir.Write(L"mine.ics", theirs);
    EXPECT_EQ(CALENDAR_FOREIGN, calendar.Write(foreign, events, kNoAlarms, Utc(2026, 3, 3, 0)));
    EXPECT_EQ(theirs, ReadFile(foreign));
    EXPECT_EQ(CALENDAR_FAILED, calendar.Write(L"birthdays.ics", events, kNoAlarms, Utc(2026, 3, 3, 0)));
}

TEST(BirthdayCalendar, DigestTellsEveryChangeOfTheEventsButNotTheirOrder)
{
    // A change the digest misses leaves the calendar as it was: each field, each part of a name (the first
    // characters, the last ones, the top bits of two characters at once, a character less).
    const std::vector<CCalendarEvent> base = {
        {1, L"Ann", 1990, 5, 5, false}, {2, L"Bo\x8062" L"b Smith", 1985, 1, 2, true}, {3, L"Cleo", 2001, 12, 31, false}};
    std::vector<std::vector<CCalendarEvent>> changed(9, base);
    changed[0][0].oid = 4;
    changed[1][0].year = 1991;
    changed[2][0].month = 6;
    changed[3][0].day = 6;
    changed[4][0].anniversary = true;
    changed[5][1].name = L"Co\x8062" L"b Smith";
    changed[6][1].name = L"Bo\x8062" L"b Smitx";
    changed[7][1].name = L"Bobb S\x806D" L"ith";
    changed[8][2].name = L"Cle";
    uint64_t original = CalendarDigest(base, kNoAlarms);
    std::vector<CCalendarEvent> reordered = {base[2], base[0], base[1]};
    EXPECT_EQ(original, CalendarDigest(reordered, kNoAlarms));
    for (size_t i = 0; i < changed.size(); i++)
        EXPECT_NE(original, CalendarDigest(changed[i], kNoAlarms)) << "change " << i;
    CCalendarReminders alarms = kNoAlarms;
    alarms.on = true;
    EXPECT_NE(original, CalendarDigest(base, alarms));
}

TEST(BirthdayCalendar, LaterProcessReadsTheFileOnlyWhenItOrTheEventsChanged)
{
    // What another process finds after this one wrote: it must not read or make the text again for the same
    // events and a file left as it was (the file held unreadable shows whether it tried), and must see a
    // file changed behind its back even with its size and last-write time as before.
    enum Change { NONE, OTHER_EVENTS, REWRITTEN_SAME_TIME, SETTINGS_VALUE_DAMAGED };
    struct Case
    {
        const char* what;
        Change change;
        bool held;
        CalendarResult expected;
    } cases[] = {
        {"same events, file untouched and held", NONE, true, CALENDAR_UNCHANGED},
        {"other events, file held", OTHER_EVENTS, true, CALENDAR_FAILED},
        {"file rewritten with its size and time kept", REWRITTEN_SAME_TIME, false, CALENDAR_WRITTEN},
        {"what the settings remember damaged", SETTINGS_VALUE_DAMAGED, false, CALENDAR_UNCHANGED},
    };
    for (const Case& c : cases)
    {
        DeleteUserKey(SETTINGS_KEY);
        CTempDir dir;
        std::wstring path = dir.File(L"birthdays.ics");
        std::vector<CCalendarEvent> events = {{1, L"Ann", 1990, 5, 5, false}, {2, L"Bo", 1985, 1, 2, true}};
        ASSERT_EQ(CALENDAR_WRITTEN, CBirthdayCalendar().Write(path, events, kNoAlarms, Utc(2026, 1, 1, 0))) << c.what;
        std::string written = ReadFile(path);
        if (c.change == OTHER_EVENTS)
            events[1].day = 3;
        if (c.change == REWRITTEN_SAME_TIME)
        {
            HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file) << c.what;
            FILETIME created, accessed, lastWrite;
            GetFileTime(file, &created, &accessed, &lastWrite);
            std::string other = written;
            other.replace(other.find("SUMMARY:Ann"), 11, "SUMMARY:Anx");
            DWORD done = 0;
            WriteFile(file, other.data(), static_cast<DWORD>(other.size()), &done, nullptr);
            SetFileTime(file, &created, &accessed, &lastWrite);
            CloseHandle(file);
        }
        if (c.change == SETTINGS_VALUE_DAMAGED)
        {
            HKEY key = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_SET_VALUE, &key));
            RegSetValueExW(key, L"CalendarWritten", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01\x00"), 2);
            RegCloseKey(key);
        }
        HANDLE hold = c.held ? CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        EXPECT_EQ(c.expected, CBirthdayCalendar().Write(path, events, kNoAlarms, Utc(2026, 3, 3, 0))) << c.what;
        if (hold != INVALID_HANDLE_VALUE)
            CloseHandle(hold);
        if (c.change == REWRITTEN_SAME_TIME)
        {
            EXPECT_NE(std::string::npos, ReadFile(path).find("SUMMARY:Ann (birthday)")) << c.what;
        }
        else if (c.change != OTHER_EVENTS)
        {
            EXPECT_EQ(written, ReadFile(path)) << c.what;
        }
    }
    DeleteUserKey(SETTINGS_KEY);
}

TEST(BirthdayCalendar, KeeperWritesEveryEventOfALoadAndNothingWhenTheBookCannotBeRead)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DeleteUserKey(SETTINGS_KEY);
    CTempDir dir;
    std::wstring path = dir.File(L"birthdays.ics");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &key, nullptr));
    RegSetValueExW(key, L"CalendarFile", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    EXPECT_EQ(path, CalendarFilePath());
    ASSERT_TRUE(RegisterContactStore());
    SetAddressBook(dir.Write(L"contacts.vcf",
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nFN:Anna Berg\r\nBDAY:1990-12-10\r\n"
                             "ANNIVERSARY:2015-06-20\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo\r\nBDAY:--0315\r\nEND:VCARD\r\n"));
    // The Today item's list, attached, holds only its period's events; the main program's, loaded whole, needs
    // no attaching. Either way the calendar gets every event, and nothing from a list that read no book.
    for (bool whole : {false, true})
    {
        DeleteFileW(path.c_str());
        CCalendarKeeper keeper;
        CDataList unopened;
        // As Open would: a load saves the list's settings, which must stay the user's.
        unopened.GetSettings().Read();
        if (!whole)
            keeper.Attach(unopened);
        whole ? unopened.Load() : unopened.LoadUpcoming(CTime(2026, 12, 6, 0, 0, 0));
        EXPECT_EQ(CALENDAR_UNCHANGED, keeper.Update(unopened, CTime(2026, 12, 6, 0, 0, 0), kNoAlarms)) << whole;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << whole;

        CDataList list;
        ASSERT_EQ(S_OK, list.Open(nullptr));
        if (!whole)
        {
            keeper.Attach(list);
            list.LoadUpcoming(CTime(2026, 12, 6, 0, 0, 0));
            EXPECT_EQ(1u, list.GetTotalCount()) << "the item's period holds one of the three events";
        }
        else
            list.Load();
        EXPECT_EQ(CALENDAR_WRITTEN, keeper.Update(list, CTime(2026, 12, 6, 0, 0, 0), kNoAlarms)) << whole;
        if (!whole)
            keeper.Detach(list);
        std::string text = ReadFile(path);
        size_t events = 0;
        for (size_t at = text.find("BEGIN:VEVENT"); at != std::string::npos; at = text.find("BEGIN:VEVENT", at + 1))
            events++;
        EXPECT_EQ(3u, events) << whole << text;
    }
    ClearAddressBook();
    DeleteUserKey(SETTINGS_KEY);
    CoUninitialize();
}
