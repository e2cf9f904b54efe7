// install_probe.exe: an installed Festivo seen as a user sees it: Start menu entries, their targets, windows.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
    std::fflush(stdout);
}

int Fail(const std::wstring& text)
{
    Print(L"install_probe: " + text);
    return 1;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring TitleOf(HWND window)
{
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    return title;
}

// The first visible descendant of that class, or null.
HWND FindChild(HWND parent, const wchar_t* className)
{
    struct Search { const wchar_t* name; HWND found; } search = {className, nullptr};
    EnumChildWindows(parent, [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (IsWindowVisible(child) && ClassOf(child) == s->name)
        {
            s->found = child;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct CTopWindows
{
    DWORD pid;
    std::function<void(HWND)> visit;
};

void ForEachTopWindow(DWORD pid, const std::function<void(HWND)>& visit)
{
    CTopWindows walk = {pid, visit};
    EnumWindows([](HWND window, LPARAM data) -> BOOL {
        auto* w = reinterpret_cast<CTopWindows*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == w->pid)
            w->visit(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&walk));
}

// Starts the program in its own folder, waits until one of its windows passes the check, then closes
// its windows and waits for it to end; a program that does not end is ended, and the probe fails.
// The Today screen's own Exit (its icon's menu): closing its window only hides it in the notification area.
const WPARAM TODAY_EXIT = 999;

int RunAndCheck(const std::wstring& exe, int seconds, const std::function<bool(HWND, std::wstring&)>& check,
                const std::wstring& arguments = L"", bool hidden = false)
{
    std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return Fail(L"cannot start " + exe + L" (error " + std::to_wstring(GetLastError()) + L")");
    CloseHandle(process.hThread);

    std::wstring seen;
    bool passed = false;
    bool ended = false;
    for (DWORD start = GetTickCount(); !passed && GetTickCount() - start < static_cast<DWORD>(seconds) * 1000;)
    {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
        {
            ended = true;
            break;
        }
        ForEachTopWindow(process.dwProcessId, [&](HWND window) {
            if (!passed && IsWindowVisible(window) != hidden)
                passed = check(window, seen);
        });
    }
    ForEachTopWindow(process.dwProcessId, [](HWND window) {
        PostMessageW(window, ClassOf(window) == L"FestivoTodayHost" ? WM_COMMAND : WM_CLOSE, TODAY_EXIT, 0);
    });
    bool closed = ended || WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0;
    if (!closed)
        TerminateProcess(process.hProcess, 1);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!seen.empty())
        Print(seen);
    if (ended)
        return Fail(exe + L" ended by itself with exit code " + std::to_wstring(static_cast<long>(code)));
    if (!passed)
        return Fail(exe + L" did not show what was expected in " + std::to_wstring(seconds) + L" s");
    if (!closed)
        return Fail(exe + L" did not end when its windows were closed");
    return 0;
}

// The full path of a Start menu entry, from all users' menu or the user's own.
int Menu(const wchar_t* entry)
{
    const int folders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS};
    for (int id : folders)
    {
        wchar_t path[MAX_PATH] = {};
        if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
            continue;
        std::wstring full = std::wstring(path) + L"\\" + entry;
        if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES)
        {
            Print(full);
            return 0;
        }
    }
    return Fail(std::wstring(L"no Start menu entry ") + entry);
}

// The shortcut's target and its working folder, one a line.
int Link(const wchar_t* file)
{
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
              SUCCEEDED(persist->Load(file, STGM_READ)) &&
              SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
              SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    CoUninitialize();
    if (!ok)
        return Fail(std::wstring(L"cannot read the shortcut ") + file);
    Print(target);
    Print(folder);
    return 0;
}

// Festivo's main window lists that many event rows.
int Festivo(const wchar_t* exe, int rows, int seconds)
{
    return RunAndCheck(exe, seconds, [rows](HWND window, std::wstring& seen) {
        if (TitleOf(window) != L"Festivo")
            return false;
        HWND list = FindChild(window, WC_LISTVIEWW);
        DWORD_PTR count = 0;
        if (!list || !SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count))
            return false;
        seen = L"rows " + std::to_wstring(count);
        return static_cast<int>(count) == rows;
    });
}

// Festivo's main window has a menu bar, takes a size of 900 x 700 and its list fills it below the header.
int Desktop(const wchar_t* exe, int seconds)
{
    return RunAndCheck(exe, seconds, [](HWND window, std::wstring& seen) {
        HWND list = FindChild(window, WC_LISTVIEWW);
        if (TitleOf(window) != L"Festivo" || !list || !GetMenu(window))
            return false;
        RECT frame = {};
        GetWindowRect(window, &frame);
        if (frame.right - frame.left != 900 || frame.bottom - frame.top != 700)
        {
            SetWindowPos(window, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            return false;
        }
        RECT client = {};
        RECT rows = {};
        GetClientRect(window, &client);
        GetWindowRect(list, &rows);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rows), 2);
        seen = L"client " + std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom) + L", list " +
               std::to_wstring(rows.left) + L"," + std::to_wstring(rows.top) + L"-" + std::to_wstring(rows.right) +
               L"," + std::to_wstring(rows.bottom);
        return rows.left == 0 && rows.right == client.right && rows.bottom == client.bottom &&
               rows.top < client.bottom / 8;
    });
}

// Festivo without an address book: at its first start it asks for one and is answered "Later"; then, and at
// the next start (which does not ask again), its list says how to choose one.
int NoBook(const wchar_t* exe, int seconds)
{
    const int later = 1053;
    for (int start = 1; start <= 2; start++)
    {
        bool asked = false;
        int failed = RunAndCheck(exe, seconds, [&asked, start](HWND window, std::wstring& seen) {
            if (ClassOf(window) == L"#32770" && TitleOf(window) == L"Address book")
            {
                asked = true;
                PostMessageW(GetDlgItem(window, later), BM_CLICK, 0, 0);
                return false;
            }
            HWND list = TitleOf(window) == L"Festivo" ? FindChild(window, WC_LISTVIEWW) : nullptr;
            wchar_t text[256] = L"";
            if (!list || !GetWindowTextW(list, text, 256))
                return false;
            seen = text;
            // The question comes once the window is up; the first start is done when it has been answered.
            return (asked || start == 2) && seen.find(L"Options") != std::wstring::npos &&
                   seen.find(L"Address book") != std::wstring::npos;
        });
        Print((start == 1 ? L"first start: " : L"next start: ") + std::wstring(asked ? L"asked" : L"not asked"));
        if (failed)
            return failed;
        if (asked != (start == 1))
            return Fail(start == 1 ? L"the first start did not ask for an address book" : L"the next start asked again");
    }
    return 0;
}

// The Today screen lays out the Festivo item with a size of its own.
int Today(const wchar_t* exe, int seconds)
{
    return RunAndCheck(exe, seconds, [](HWND window, std::wstring& seen) {
        if (TitleOf(window) != L"Today")
            return false;
        HWND item = FindChild(window, L"FestivoTodayPPC");
        RECT box = {};
        if (!item || !GetClientRect(item, &box))
            return false;
        seen = L"item " + std::to_wstring(box.right) + L"x" + std::to_wstring(box.bottom);
        return box.right > 0 && box.bottom > 0;
    });
}

// Starts the programs, waits until each shows a window, then removes the package with msiexec /x /qn:
// the removal succeeds and every program has ended by the time it is done.
int Removal(const std::wstring& msi, int seconds, const std::vector<std::wstring>& exes)
{
    std::vector<PROCESS_INFORMATION> running;
    auto endAll = [&running] {
        for (PROCESS_INFORMATION& p : running)
        {
            TerminateProcess(p.hProcess, 1);
            CloseHandle(p.hProcess);
        }
    };
    for (const std::wstring& exe : exes)
    {
        std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
        std::wstring command = L"\"" + exe + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                            &process))
        {
            endAll();
            return Fail(L"cannot start " + exe);
        }
        CloseHandle(process.hThread);
        running.push_back(process);
        bool shown = false;
        for (DWORD start = GetTickCount(); !shown && GetTickCount() - start < static_cast<DWORD>(seconds) * 1000;)
        {
            Sleep(100);
            ForEachTopWindow(process.dwProcessId, [&](HWND window) { shown = shown || IsWindowVisible(window); });
        }
        if (!shown)
        {
            endAll();
            return Fail(exe + L" showed no window");
        }
    }
    std::wstring command = L"msiexec.exe /x \"" + msi + L"\" /qn";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION installer = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &installer))
    {
        endAll();
        return Fail(L"cannot start msiexec");
    }
    CloseHandle(installer.hThread);
    WaitForSingleObject(installer.hProcess, static_cast<DWORD>(seconds) * 1000);
    DWORD code = 1;
    GetExitCodeProcess(installer.hProcess, &code);
    CloseHandle(installer.hProcess);
    int failed = code == 0 ? 0 : Fail(L"msiexec /x ended with " + std::to_wstring(code));
    for (size_t i = 0; i < running.size(); ++i)
        if (WaitForSingleObject(running[i].hProcess, 0) != WAIT_OBJECT_0)
            failed = Fail(exes[i] + L" still runs after the removal");
    endAll();
    return failed;
}

// Started as at log-on (with its arguments): only an icon in the notification area, the window hidden with the
// Festivo item laid out in it. The icon is there when the notification area accepts a change to it. A desktop
// without a notification area (Wine's null display driver) shows the window instead, or it could not be reached.
int Logon(const wchar_t* exe, const wchar_t* arguments, int seconds)
{
    bool tray = FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
    Print(tray ? L"the desktop has a notification area" : L"the desktop has no notification area");
    return RunAndCheck(exe, seconds, [tray](HWND window, std::wstring& seen) {
        if (ClassOf(window) != L"FestivoTodayHost")
            return false;
        HWND item = FindWindowExW(window, nullptr, L"FestivoTodayPPC", nullptr);
        RECT box = {};
        if (!item || !GetClientRect(item, &box) || box.bottom <= 0)
            return false;
        NOTIFYICONDATAW icon = {};
        icon.cbSize = sizeof(icon);
        icon.hWnd = window;
        icon.uID = 1;
        bool inTray = Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
        seen = (IsWindowVisible(window) ? L"shown window, item " : L"hidden window, item ") +
               std::to_wstring(box.right) + L"x" + std::to_wstring(box.bottom) +
               (inTray ? L", icon in the notification area" : L", no icon");
        return inTray == tray;
    }, arguments, tray);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"menu" && argc == 3)
        return Menu(argv[2]);
    if (command == L"link" && argc == 3)
        return Link(argv[2]);
    if (command == L"festivo" && argc == 5)
        return Festivo(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
    if (command == L"desktop" && argc == 4)
        return Desktop(argv[2], _wtoi(argv[3]));
    if (command == L"nobook" && argc == 4)
        return NoBook(argv[2], _wtoi(argv[3]));
    if (command == L"today" && argc == 4)
        return Today(argv[2], _wtoi(argv[3]));
    if (command == L"logon" && argc == 5)
        return Logon(argv[2], argv[3], _wtoi(argv[4]));
    if (command == L"removal" && argc >= 5)
        return Removal(argv[2], _wtoi(argv[3]), std::vector<std::wstring>(argv + 4, argv + argc));
    return Fail(L"usage: install_probe menu ENTRY | link FILE | festivo EXE ROWS SECONDS | desktop EXE SECONDS | today EXE SECONDS | "
                L"nobook EXE SECONDS | logon EXE ARGUMENTS SECONDS | removal MSI SECONDS EXE...");
}
