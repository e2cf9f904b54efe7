// The event list over the contact store: loading, upcoming events, each order, a filter keystroke.
#include "data/datalist.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <cstdio>
#include <string>

namespace {

template <class F> double Time(F action)
{
    CStopwatch watch;
    action();
    return watch.Milliseconds();
}

} // namespace

void EventListBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    printf("%9s %8s %9s %9s %9s %9s %9s %10s %10s %9s\n", "events", "Load", "Upcoming", "by name", "by date",
           "by days", "by month", "filter n42", "filter ily", "clear");
    const int sizes[] = {1000, 10000, 100000};
    for (int size : sizes)
    {
        std::wstring path = std::wstring(temp) + L"festivo-events-" + std::to_wstring(size) + L".vcf";
        if (!WriteAll(path, Book(size, false)))
            continue;
        SetAddressBook(path);
        CDataList list;
        list.Open(nullptr);
        double load = Time([&] { list.Load(); });
        uint32_t events = list.GetTotalCount();
        double upcoming = Time([&] { list.LoadUpcoming(); });
        list.Load();
        double orders[4];
        for (int order = 0; order < 4; order++)
            orders[order] = Time([&] { list.Sort(order); });
        double few = Time([&] { list.SetFilter(L"n42"); });
        double all = Time([&] { list.SetFilter(L"ily"); });
        double clear = Time([&] { list.ClearFilter(); });
        printf("%9u %8.1f %9.1f %9.1f %9.1f %9.1f %9.1f %10.2f %10.2f %9.2f\n", events, load, upcoming, orders[0],
               orders[1], orders[2], orders[3], few, all, clear);
        fflush(stdout);
        list.Close();
        ClearAddressBook();
        DeleteFileW(path.c_str());
    }
}
