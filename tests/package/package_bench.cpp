// Benchmark: opening festivo.zrs and loading every picture as a bitmap, as the programs start.
#include "core/file.h"
#include "package/zrs.h"

#include <cstdio>
#include <initializer_list>

namespace {

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

} // namespace

int main()
{
    CoInitializeEx(nullptr, 0);
    CStr path(MAX_PATH);
    CFileUtils::MakeAppFilePath(path, L"festivo.zrs", nullptr);
    const int rounds = 20;
    double open = 0, load = 0, startup = 0;
    int pictures = 0;
    uint32_t entries = 0;
    for (int round = 0; round < rounds; ++round)
    {
        double t0 = Now();
        CZrsPackage package;
        if (!package.Open(path))
        {
            std::printf("cannot open festivo.zrs next to the program\n");
            return 1;
        }
        double t1 = Now();
        entries = package.GetCount();
        pictures = 0;
        for (uint32_t key = 0; key < 94; ++key)
        {
            HBITMAP bitmap = package.LoadBitmap(key);
            if (bitmap)
            {
                ++pictures;
                DeleteObject(bitmap);
            }
        }
        double t2 = Now();
        // What the main view loads at start: 13 pictures, 13 masks and the contact picture.
        for (uint32_t base : {18u, 72u, 36u, 24u, 48u, 78u, 42u, 66u, 60u, 30u, 12u, 54u, 6u})
        {
            DeleteObject(package.LoadBitmap(base));
            DeleteObject(package.LoadBitmap(base + 1));
        }
        delete package.LoadImage(84);
        double t3 = Now();
        open += t1 - t0;
        load += t2 - t1;
        startup += t3 - t2;
    }
    std::printf("festivo.zrs: %u entries, %d pictures\n", entries, pictures);
    std::printf("open:                 %.3f ms\n", open / rounds);
    std::printf("all %d as bitmaps:    %.3f ms (%.3f ms each)\n", pictures, load / rounds, load / rounds / pictures);
    std::printf("main view's 27:       %.3f ms\n", startup / rounds);
    CoUninitialize();
    return 0;
}
