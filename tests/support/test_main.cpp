// Test entry point: reports fatal errors on stderr (for death tests) instead of a message box.
#include "core/error.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>

namespace {

void ReportToStderr(const wchar_t* message)
{
    char utf8[ERROR_MESSAGE_SIZE * 3];
    int n = WideCharToMultiByte(CP_UTF8, 0, message, -1, utf8, sizeof(utf8), nullptr, nullptr);
    if (n <= 0)
        utf8[0] = 0;
    fprintf(stderr, "Fatal error: %s\n", utf8);
    fflush(stderr);
}

} // namespace

int main(int argc, char** argv)
{
    SetFatalReportHook(ReportToStderr);
    // Keep Wine's crash dialogs and error boxes away from headless runs.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
