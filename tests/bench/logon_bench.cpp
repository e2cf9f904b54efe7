// The store's log-on step by step on a large address book: time and fresh memory of each step, cold and warm.
#include "platform/store/addressbook.h"
#include "platform/store/index.h"
#include "platform/store/watcher.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

double WorkingSetMegabytes(bool peak)
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    return (peak ? memory.PeakWorkingSetSize : memory.WorkingSetSize) / 1048576.0;
}

// Prints one step: its time, and how far it raised the peak working set (fresh pages cost time).
class CStep
{
public:
    explicit CStep(const char* name) : m_name(name), m_peak(WorkingSetMegabytes(true)), m_now(WorkingSetMegabytes(false)) {}
    ~CStep()
    {
        printf("%-34s %9.1f %10.1f %10.1f %10.1f\n", m_name, m_watch.Milliseconds(), WorkingSetMegabytes(true) - m_peak,
               WorkingSetMegabytes(false) - m_now, WorkingSetMegabytes(true));
        fflush(stdout);
    }

private:
    const char* m_name;
    double m_peak;
    double m_now;
    CStopwatch m_watch;
};

void Warm(const std::wstring& location, const char* round)
{
    printf("warm (%s)\n", round);
    CSnapshot indexed;
    bool known;
    {
        CStep step("  index read");
        known = LoadIndex(location, indexed);
    }
    std::vector<CListedFile> listing;
    {
        CStep step("  listing");
        listing = ListAddressBook(location);
    }
    std::shared_ptr<CSnapshot> snapshot;
    {
        CStep step("  snapshot from the index");
        snapshot = BuildSnapshot(location, listing, known ? &indexed : nullptr, CBuildOptions());
    }
    {
        CStep step("  index's copy released");
        CSnapshot().files.swap(indexed.files);
    }
    printf("  %zu contacts, %s\n", snapshot->Count(), known ? "from the index" : "INDEX NOT USED");
}

} // namespace

void StoreLogonBenchmark()
{
    const char* given = getenv("FESTIVO_LOGON_BOOK");
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring location = std::wstring(temp) + L"festivo-logon-bench.vcf";
    if (given)
        location = std::wstring(given, given + strlen(given));
    else if (!WriteAll(location, Book(100000, false)))
        return;
    printf("%s (set FESTIVO_LOGON_BOOK to a Windows path for another)\n", given ? given : "100,000 generated cards");
    printf("%-34s %9s %10s %10s %10s\n", "step", "ms", "peak +MB", "now +MB", "peak MB");
    {
        CStep step("watch started");
        CDirectoryWatch watch;
        watch.Start(WatchedFolder(location), false);
    }
    // Warm first, from the index an earlier run left, so that its memory is fresh as in a new process.
    Warm(location, "first");
    printf("cold\n");
    DeleteFileW(IndexPath(location).c_str());
    {
        std::vector<CListedFile> listing;
        {
            CStep step("  listing");
            listing = ListAddressBook(location);
        }
        std::shared_ptr<CSnapshot> snapshot;
        {
            CStep step("  cards read");
            snapshot = BuildSnapshot(location, listing, nullptr, CBuildOptions());
        }
        {
            CStep step("  index written");
            SaveIndex(*snapshot);
        }
        printf("  %zu contacts\n", snapshot->Count());
    }
    Warm(location, "again: pages reused");
    if (!given)
        DeleteFileW(location.c_str());
}
