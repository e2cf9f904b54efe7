// The floors a whole process cannot go below under this system: starting, listing a folder, reading its files.
//   floor start            does nothing
//   floor client           starts COM and makes a window, as every client of the contact store does (the
//                          store tells its changes to a window): the least such a program pays; the COM library
//                          is loaded by name so that the other floors do not pay it
//   floor list <folder>    lists the .vcf files with their names, sizes and times
//   floor read <folder>    opens and reads every .vcf file of the folder
//   floor hold             keeps a window until ended, so that Wine's desktop stays up between the
//                          measured processes (as it does while any program with a window runs)
#include <windows.h>

#include <cstring>

#include <string>

int wmain(int argc, wchar_t** argv)
{
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"start")
        return 0;
    if (mode == L"client")
    {
        HMODULE ole = LoadLibraryW(L"ole32.dll");
        FARPROC initialize = ole ? GetProcAddress(ole, "CoInitializeEx") : nullptr;
        FARPROC uninitialize = ole ? GetProcAddress(ole, "CoUninitialize") : nullptr;
        if (!initialize || !uninitialize)
            return 1;
        HRESULT(WINAPI * start)(void*, DWORD) = nullptr;
        void(WINAPI * end)() = nullptr;
        memcpy(&start, &initialize, sizeof(start));
        memcpy(&end, &uninitialize, sizeof(end));
        if (FAILED(start(nullptr, 0)))
            return 1;
        HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (window)
            DestroyWindow(window);
        end();
        return window ? 0 : 1;
    }
    if (mode == L"hold")
    {
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        return 0;
    }
    if (argc < 3 || (mode != L"list" && mode != L"read"))
        return 2;
    std::wstring folder = argv[2];
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.vcf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 1;
    static char buffer[1 << 16];
    ULONGLONG total = 0;
    do
    {
        total += data.nFileSizeLow;
        if (mode != L"read")
            continue;
        HANDLE h = CreateFileW((folder + L"\\" + data.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        DWORD got = 0;
        while (h != INVALID_HANDLE_VALUE && ReadFile(h, buffer, sizeof(buffer), &got, nullptr) && got > 0)
            ;
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return total > 0 ? 0 : 1;
}
