// TodayHost.exe: the Today screen of the desktop, hosting the registered Today items.
#include "platform/shell/shell.h"
#include "tools/todayhost/host.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    // The device screen's pixels are the desktop's: no scaling by the desktop.
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    SHInitExtraControls();
    CTodayHost host;
    if (!host.Create(instance))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
