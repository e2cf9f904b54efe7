// The room a window's menu bar leaves for its content.
#include "common/menubarroom.h"

#include "platform/shell/shell.h"

RECT ClientAboveMenuBar(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HWND bar = SHFindMenuBar(window);
    if (!bar)
        return client;
    RECT row;
    GetWindowRect(bar, &row);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&row), 2);
    if (row.top > client.top && row.top < client.bottom && row.bottom > client.top)
        client.bottom = row.top;
    return client;
}
