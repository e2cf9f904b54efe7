// The Today item's paint of its full height over a 10,000-contact address book, at 96 and 192 dpi.
#include "data/settings.h"
#include "platform/today/today.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int WIDTH = 240;

void SetDword(const wchar_t* keyName, const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

// Median of painting the whole item into a bitmap through WM_PRINTCLIENT, as it paints itself.
double PaintMilliseconds(HWND item, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = WIDTH;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    std::vector<double> times;
    for (int i = 0; i < 21; ++i)
    {
        CStopwatch watch;
        SendMessageW(item, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        times.push_back(watch.Milliseconds());
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

void TodayPaintBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    std::wstring path = std::wstring(temp) + L"festivo-today-10000.vcf";
    WriteAll(path, Book(10000, false));
    SetAddressBook(path);
    wchar_t folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, folder, MAX_PATH);
    *(wcsrchr(folder, L'\\') + 1) = 0;
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"APPPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                   static_cast<DWORD>((wcslen(folder) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    for (int dpi : {96, 192})
    {
        SetDword(L"Software\\Festivo\\Device", L"Dpi", static_cast<DWORD>(dpi));
        HMODULE library = LoadLibraryW(L"FestivoPanel.dll");
        auto initialize = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
            reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
        HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, WIDTH * dpi / 96, 320 * dpi / 96, nullptr,
                                    nullptr, nullptr, nullptr);
        TODAYLISTITEM record = {};
        record.fEnabled = TRUE;
        HWND item = initialize ? initialize(&record, host) : nullptr;
        if (!item)
        {
            printf("the Today item could not be created\n");
            break;
        }
        SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
        int height = static_cast<int>(record.cyp);
        SetWindowPos(item, nullptr, 0, 0, WIDTH, height, SWP_NOZORDER);
        printf("Today item at %d dpi, full height %d px: paint %.3f ms (median of 21)\n", dpi, height,
               PaintMilliseconds(item, height));
        DestroyWindow(item);
        DestroyWindow(host);
        FreeLibrary(library);
    }
    SetDword(L"Software\\Festivo\\Device", L"Dpi", 96);
    ClearAddressBook();
    DeleteFileW(path.c_str());
}
