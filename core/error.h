// Fatal errors: error codes with their reason texts, and the checks that end the process on misuse.
#pragma once

enum
{
    ERR_ERROR = 0,
    ERR_NOT_FOUND = 1,
    ERR_NOT_ENOUGH_MEMORY = 2,
    ERR_INVALID_VALUE = 3,
    ERR_BUFFER_TOO_SMALL = 4,
    ERR_OUT_OF_RANGE = 5,
    ERR_UNDEFINED_STATE = 6,
    ERR_NOT_IN_USE = 7,
    ERR_ALREADY_IN_USE = 8,
    ERR_LAST_ERROR = 9,
};

// Sizes of the reason buffer and the composed message, terminators included.
const int ERROR_TEXT_SIZE = 100;
const int ERROR_MESSAGE_SIZE = 300;

// Writes the reason text of code into buffer (ERROR_TEXT_SIZE characters).
void GetErrorText(wchar_t* buffer, int code);

[[noreturn]] void FatalError(int code, const wchar_t* function, int line);
[[noreturn]] void FatalErrorText(const wchar_t* reason, const wchar_t* function, int line);

// A passed check costs one comparison; a failed one shows "Fatal error" and ends the process with -1.
inline void Assert(bool condition, int code, const wchar_t* function, int line)
{
    if (!condition)
        FatalError(code, function, line);
}

inline void AssertText(bool condition, const wchar_t* reason, const wchar_t* function, int line)
{
    if (!condition)
        FatalErrorText(reason, function, line);
}

// Test binaries replace the message box by their own report (for example to stderr) so that
// death tests can read the message. The product never installs a hook.
typedef void (*FatalReportHook)(const wchar_t* message);
void SetFatalReportHook(FatalReportHook hook);
