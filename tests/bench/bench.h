// Benchmark programs' shared parts: a stopwatch and the list of benchmarks the program runs.
#pragma once

#include <windows.h>
#include <objbase.h>

class CStopwatch
{
public:
    CStopwatch() { QueryPerformanceCounter(&m_start); }
    double Milliseconds() const
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_start;
};

// Each benchmark prints its own table of figures to stdout.
void ContactStoreBenchmark();
void ContactWalkBenchmark();
void EventListBenchmark();
void MainProgramBenchmark();
void HostileBookBenchmark();
void TodayPaintBenchmark();
void ReminderBenchmark();
void StoreBurstBenchmark();
void StoreLogonBenchmark();
void CardReaderBenchmark();
void CalendarBenchmark();
void OrderBenchmark();
