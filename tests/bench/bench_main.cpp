// Runs the benchmarks (all, or those whose names are given on the command line) and prints their figures.
#include "tests/bench/bench.h"

#include <cstdio>
#include <cstring>

namespace {

struct CBenchmark
{
    const char* name;
    void (*run)();
};

// New benchmarks are added to this table.
const CBenchmark BENCHMARKS[] = {
    {"store", ContactStoreBenchmark},
    {"walk", ContactWalkBenchmark},
    {"events", EventListBenchmark},
    {"startup", MainProgramBenchmark},
    {"hostile", HostileBookBenchmark},
    {"today", TodayPaintBenchmark},
    {"remind", ReminderBenchmark},
    {"burst", StoreBurstBenchmark},
    {"logon", StoreLogonBenchmark},
    {"reader", CardReaderBenchmark},
    {"calendar", CalendarBenchmark},
    {"order", OrderBenchmark},
};

} // namespace

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (const CBenchmark& benchmark : BENCHMARKS)
    {
        bool wanted = argc < 2;
        for (int i = 1; i < argc; ++i)
            wanted = wanted || strcmp(argv[i], benchmark.name) == 0;
        if (!wanted)
            continue;
        printf("== %s\n", benchmark.name);
        benchmark.run();
        fflush(stdout);
    }
    CoUninitialize();
    return 0;
}
