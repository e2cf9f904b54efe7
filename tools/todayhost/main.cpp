// TodayHost.exe: the Today screen of the desktop, hosting the registered Today items.
#include "tools/todayhost/host.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    // The device screen's pixels are the desktop's: no scaling by the desktop.
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    // No SHInitExtraControls here: its input conversion (a right click becomes a tap-and-hold) is per
    // module, and the items the host loads carry their own; a second one in the host would hide the
    // right click from them.
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
