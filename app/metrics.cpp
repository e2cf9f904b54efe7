// Screen dpi, read once per process.
#include "app/metrics.h"

#include <windows.h>

int ScreenDpi()
{
    static int dpi = 0;
    if (dpi == 0)
    {
        HDC screen = GetDC(nullptr);
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        if (dpi <= 0)
            dpi = 96;
    }
    return dpi;
}

int Px(int n)
{
    return (n * ScreenDpi() + 48) / 96;
}
