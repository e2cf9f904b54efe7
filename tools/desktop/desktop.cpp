// Starts the desktop of a Wine prefix by creating one window, so that the test processes that
// follow, several at a time, find it running instead of racing each other to start it.
// With --hold it keeps its (hidden) window until it is ended: Wine closes a desktop a moment after
// its last program ends, and a program that starts just then may be unable to make any window.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    bool hold = argc > 1 && wcscmp(argv[1], L"--hold") == 0;
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return 1;
    if (hold)
    {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }
    DestroyWindow(window);
    return 0;
}
