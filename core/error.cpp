// Fatal error path: reason text, composed message, message box, termination with exit code -1.
#include "core/error.h"

#include <windows.h>
#include <cwchar>

namespace {

FatalReportHook g_reportHook = nullptr;

const wchar_t* const kReasons[] = {
    L"Error",
    L"Not found",
    L"Not enough memory",
    L"Invalid value",
    L"Buffer is too small",
    L"Out of range",
    L"Undefined state",
    L"Not in use",
    L"Already in use",
};

void CopyCut(wchar_t* buffer, int size, const wchar_t* text)
{
    int i = 0;
    for (; i < size - 1 && text[i]; i++)
        buffer[i] = text[i];
    buffer[i] = 0;
}

void LastErrorText(wchar_t* buffer)
{
    DWORD code = GetLastError();
    wchar_t* system = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    if (n == 0 || system == nullptr)
    {
        _snwprintf(buffer, ERROR_TEXT_SIZE - 1, L"LastError = %d", static_cast<int>(code));
        buffer[ERROR_TEXT_SIZE - 1] = 0;
        return;
    }
    // System texts end with a line break that has no place in the one-line reason.
    while (n > 0 && (system[n - 1] == L'\r' || system[n - 1] == L'\n' || system[n - 1] == L' '))
        system[--n] = 0;
    CopyCut(buffer, ERROR_TEXT_SIZE, system);
    LocalFree(system);
}

[[noreturn]] void Die(const wchar_t* reason, const wchar_t* function, int line)
{
    wchar_t message[ERROR_MESSAGE_SIZE];
    _snwprintf(message, ERROR_MESSAGE_SIZE - 1, L"Assertion failed in function: %ls()\nLine: %d\n\nReason: %ls",
               function ? function : L"", line, reason);
    message[ERROR_MESSAGE_SIZE - 1] = 0;
    if (g_reportHook)
        g_reportHook(message);
    else
        MessageBoxW(nullptr, message, L"Fatal error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(-1));
    ExitProcess(static_cast<UINT>(-1));
}

} // namespace

void GetErrorText(wchar_t* buffer, int code)
{
    if (code == ERR_LAST_ERROR)
        LastErrorText(buffer);
    else if (code >= ERR_ERROR && code < ERR_LAST_ERROR)
        CopyCut(buffer, ERROR_TEXT_SIZE, kReasons[code]);
    else
        CopyCut(buffer, ERROR_TEXT_SIZE, L"Unknown reason");
}

void FatalError(int code, const wchar_t* function, int line)
{
    wchar_t reason[ERROR_TEXT_SIZE];
    GetErrorText(reason, code);
    Die(reason, function, line);
}

void FatalErrorText(const wchar_t* reason, const wchar_t* function, int line)
{
    wchar_t cut[ERROR_TEXT_SIZE];
    CopyCut(cut, ERROR_TEXT_SIZE, reason ? reason : L"");
    Die(cut, function, line);
}

void SetFatalReportHook(FatalReportHook hook)
{
    g_reportHook = hook;
}
