// The birthdays calendar's share of the Today item's reload over a 10,000-contact address book.
#include "data/calendarkeeper.h"
#include "data/datalist.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const int RUNS = 9;

double Median(const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < RUNS; ++i)
    {
        CStopwatch watch;
        step();
        times.push_back(watch.Milliseconds());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

void CalendarBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    std::wstring book = std::wstring(temp) + L"festivo-calendar-10000.vcf";
    std::wstring ics = std::wstring(temp) + L"festivo-calendar-10000.ics";
    WriteAll(book, Book(10000, false));
    SetAddressBook(book);
    const CCalendarReminders reminders{true, {0, 7}, 540};
    CTime now;
    now.SetToNow();
    SYSTEMTIME utc;
    GetSystemTime(&utc);

    CDataList list;
    list.Open(nullptr);
    double reload = Median([&] { list.LoadUpcoming(now); });

    // The events a load gathers, to time the writer apart from the store.
    std::vector<CCalendarEvent> events;
    list.SetEventSink(&events);
    list.LoadUpcoming(now);
    list.SetEventSink(nullptr);
    DeleteFileW(ics.c_str());
    CBirthdayCalendar file;
    CStopwatch first;
    file.Write(ics, events, reminders, utc);
    double written = first.Milliseconds();
    double unchanged = Median([&] { file.Write(ics, events, reminders, utc); });
    double rewritten = Median([&] {
        events[0].day = events[0].day == 1 ? 2 : 1;
        file.Write(ics, events, reminders, utc);
    });
    // A second process: what the last write left in the settings tells it that the file holds these events.
    double read = Median([&] {
        CBirthdayCalendar fresh;
        fresh.Write(ics, events, reminders, utc);
    });
    CCalendarKeeper keeper;
    keeper.Attach(list);
    list.LoadUpcoming(now);
    keeper.Update(list, now, reminders);
    double withCalendar = Median([&] {
        list.LoadUpcoming(now);
        keeper.Update(list, now, reminders);
    });

    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(ics.c_str(), GetFileExInfoStandard, &data);
    printf("birthdays calendar, %zu events of 10,000 contacts (file %lu KiB), median of %d runs\n", events.size(),
           data.nFileSizeLow / 1024, RUNS);
    printf("  %-52s %9.1f ms\n", "Today item reload without the calendar (peer)", reload);
    printf("  %-52s %9.1f ms\n", "Today item reload with the calendar, nothing changed", withCalendar);
    printf("  %-52s %9.1f ms\n", "calendar: nothing changed, file as last written", unchanged);
    printf("  %-52s %9.1f ms\n", "calendar: nothing changed, another process", read);
    printf("  %-52s %9.1f ms\n", "calendar: one event changed, file replaced", rewritten);
    printf("  %-52s %9.1f ms\n", "calendar: first write", written);
    keeper.Detach(list);
    list.Close();
    ClearAddressBook();
    DeleteFileW(ics.c_str());
    DeleteFileW(book.c_str());
}
