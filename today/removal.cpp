// Run by the installer (rundll32) before it removes Festivo: the programs end, the per-user index cache goes.
#include "platform/today/removal.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// Main windows of the programs whose files are about to go: Festivo and the Today screen.
const wchar_t* const kProgramClasses[] = {L"festivoApp", L"FestivoTodayHost"};
const DWORD kAnswerMs = 5000;
const DWORD kEndMs = 10000;

BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM found)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    for (const wchar_t* program : kProgramClasses)
        if (_wcsicmp(name, program) == 0)
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The store's index of each address book: a cache of names and e-mails, rebuilt at need.
void RemoveIndexCache()
{
    wchar_t base[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
        return;
    std::wstring folder = std::wstring(base) + L"\\Festivo\\AddressBooks";
    // The indexes, and the copies a save cut short left beside them.
    for (const wchar_t* pattern : {L"\\*.idx", L"\\idx*.tmp"})
    {
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do
        {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + L"\\" + data.cFileName).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    // Only when nothing else is in them: the user's own files (a copy of the demo book) stay.
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW((std::wstring(base) + L"\\Festivo").c_str());
}

} // namespace

extern "C" void CALLBACK CloseForRemovalW(HWND, HINSTANCE, LPWSTR, int)
{
    std::vector<HWND> windows;
    EnumWindows(CollectProgramWindow, reinterpret_cast<LPARAM>(&windows));
    std::vector<HANDLE> processes;
    for (HWND window : windows)
    {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id))
            processes.push_back(process);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, CloseForRemovalMessage(), 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
    }
    // The files can go once the programs have ended; one that does not end in time keeps its files
    // until the next restart, as the installer arranges for any file in use.
    DWORD start = GetTickCount();
    for (HANDLE process : processes)
    {
        DWORD spent = GetTickCount() - start;
        WaitForSingleObject(process, spent < kEndMs ? kEndMs - spent : 0);
        CloseHandle(process);
    }
    RemoveIndexCache();
}
