// Starts the desktop of a Wine prefix by creating one window, so that the test processes that
// follow, several at a time, find it running instead of racing each other to start it.
#include <windows.h>

int main()
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    DestroyWindow(window);
    return 0;
}
