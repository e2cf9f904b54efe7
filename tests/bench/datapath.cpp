// Festivo's data path as a whole process: store log-on and the main program's load of every event, with the
// birthdays calendar kept in step as the main program keeps it at every load.
//   datapath setup <address book>      registers the store and points it at the address book
//   datapath load [cold]               logs on and loads (cold: the store's index is deleted first), and
//                                      prints how long each step took, the peak working set and the
//                                      sizes of the address book and its index
//   datapath change <file of the book> loads, changes the file as another program would, and prints
//                                      the milliseconds until the store's notification arrives
#include "app/eventload.h"
#include "data/datalist.h"
#include "platform/store/config.h"
#include "tests/bench/bench.h"
#include "tests/store/register_store.h"

#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

void DeleteIndexes()
{
    wchar_t base[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
        return;
    std::wstring folder = std::wstring(base) + L"\\Festivo\\AddressBooks\\";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*.idx").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do
        DeleteFileW((folder + data.cFileName).c_str());
    while (FindNextFileW(find, &data));
    FindClose(find);
}

double FileMegabytes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / 1048576.0;
}

double PeakMegabytes()
{
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    return memory.PeakWorkingSetSize / 1048576.0;
}

// The address book's size, and its index's (the only .idx left after a load of one book).
void PrintSizes()
{
    wchar_t book[MAX_PATH] = L"";
    DWORD size = sizeof(book);
    RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, book,
                 &size);
    wchar_t base[MAX_PATH];
    double index = 0;
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
    {
        std::wstring folder = std::wstring(base) + L"\\Festivo\\AddressBooks\\";
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"*.idx").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE)
        {
            do
                index = std::max(index, FileMegabytes(folder + data.cFileName));
            while (FindNextFileW(find, &data));
            FindClose(find);
        }
    }
    printf("peak working set %.1f MB, address book %.1f MB, index %.1f MB\n", PeakMegabytes(), FileMegabytes(book), index);
}

int Change(const wchar_t* file)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    CDataList list;
    list.Open(window);
    list.Load();
    // Another program's edit: the file written again with one more letter in the name.
    HANDLE h = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char bytes[4096];
    DWORD got = 0, wrote = 0;
    ReadFile(h, bytes, sizeof(bytes), &got, nullptr);
    std::string text(bytes, got);
    size_t name = text.find("\nFN:");
    text.insert(name == std::string::npos ? 0 : name + 4, "X");
    CStopwatch watch;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
    CloseHandle(h);
    double arrived = -1;
    while (arrived < 0 && watch.Milliseconds() < 5000)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.hwnd == window && msg.message >= 0x8100 && msg.message <= 0x8107)
                arrived = watch.Milliseconds();
            DispatchMessageW(&msg);
        }
    }
    printf("%.0f\n", arrived);
    list.Close();
    DestroyWindow(window);
    return arrived < 0 ? 1 : 0;
}

// Milliseconds since the system created this process: Wine's loader, the libraries and their set-up (of
// windows and fonts too) before any of Festivo's code runs.
double SinceCreated()
{
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER a = {{created.dwLowDateTime, created.dwHighDateTime}}, b = {{now.dwLowDateTime, now.dwHighDateTime}};
    return (b.QuadPart - a.QuadPart) / 10000.0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    double started = SinceCreated();
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    int status = 0;
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"setup" && argc > 2)
    {
        status = RegisterContactStore() ? 0 : 1;
        SetAddressBook(argv[2]);
    }
    else if (mode == L"load")
    {
        if (argc > 2 && std::wstring(argv[2]) == L"cold")
            DeleteIndexes();
        CStopwatch watch;
        CDataList list;
        list.Open(nullptr);
        double opened = watch.Milliseconds();
        double openedPeak = PeakMegabytes();
        LoadEvents(list);
        double loaded = watch.Milliseconds();
        status = list.GetTotalCount() > 0 ? 0 : 1;
        list.Close();
        printf("log-on %.0f ms, load %.0f ms, log-off %.0f ms; peak working set after log-on %.1f MB\n", opened,
               loaded - opened, watch.Milliseconds() - loaded, openedPeak);
        printf("program reached %.0f ms after the process was created\n", started);
        PrintSizes();
    }
    else if (mode == L"change" && argc > 2)
        status = Change(argv[2]);
    else
        status = 2;
    CoUninitialize();
    return status;
}
