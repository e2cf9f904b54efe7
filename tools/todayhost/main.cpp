// TodayHost.exe: the Today screen of the desktop, hosting the registered Today items.
// "TodayHost.exe /tray" (the start at log-on) starts with only its icon in the notification area.
#include "tools/todayhost/host.h"

#include <commctrl.h>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    // One Today screen per user session: a second start shows the first one's window and ends.
    HANDLE running = CreateMutexW(nullptr, FALSE, L"Local\\FestivoTodayHost");
    if (running && GetLastError() == ERROR_ALREADY_EXISTS)
    {
        bool toTray = commandLine && wcsstr(commandLine, L"/tray");
        HWND first = FindWindowW(L"FestivoTodayHost", nullptr);
        if (first && !toTray)
            PostMessageW(first, WM_COMMAND, ID_TRAY_SHOW_ALWAYS, 0);
        CloseHandle(running);
        return 0;
    }
    // The device screen's pixels are the desktop's: no scaling by the desktop.
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    // No SHInitExtraControls here: its input conversion (a right click becomes a tap-and-hold) is per
    // module, and the items the host loads carry their own; a second one in the host would hide the
    // right click from them.
    CTodayHost host;
    if (!host.Create(instance, commandLine && wcsstr(commandLine, L"/tray")))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (running)
        CloseHandle(running);
    return static_cast<int>(message.wParam);
}
