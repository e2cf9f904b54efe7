// The reminder check on the Today item's reload over a 10,000-contact address book, against the reload alone.
#include "data/datalist.h"
#include "data/givenreminders.h"
#include "data/reminders.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Median(std::vector<double>& times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

void ReminderBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    std::wstring path = std::wstring(temp) + L"festivo-remind-10000.vcf";
    WriteAll(path, Book(10000, false));
    SetAddressBook(path);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CTime now;
    now.SetToNow();
    CReminders reminders;
    CGivenReminders given;
    std::vector<double> plain, checked, take;
    {
        CDataList list;
        list.Open(nullptr);
        list.LoadUpcoming(now);
        for (int i = 0; i < 11; ++i)
        {
            CStopwatch watch;
            list.LoadUpcoming(now);
            plain.push_back(watch.Milliseconds());
        }
        list.SetReminders(&reminders);
        uint32_t due = 0;
        for (int i = 0; i < 11; ++i)
        {
            CStopwatch watch;
            list.LoadUpcoming(now);
            checked.push_back(watch.Milliseconds());
            due = reminders.GetPendingCount();
            CStopwatch takeWatch;
            CArray<CReminder*> taken;
            reminders.TakeDue(now, given, taken);
            take.push_back(takeWatch.Milliseconds());
            FreeReminders(taken);
        }
        list.SetReminders(nullptr);
        printf("Today reload, 10,000 contacts: %.1f ms alone, %.1f ms with the reminder check "
               "(%u reminders of the day); handing out the due ones %.2f ms\n",
               Median(plain), Median(checked), due, Median(take));
    }
    ClearAddressBook();
    CoUninitialize();
    DeleteFileW(path.c_str());
}
