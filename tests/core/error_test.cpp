// Reason texts and the fatal path.
#include "core/error.h"
#include "tests/support/fatal.h"

#include <windows.h>

TEST(ErrorText, KnownCodesHaveTheirReasons)
{
    const wchar_t* expected[] = {L"Error",        L"Not found",      L"Not enough memory",
                                 L"Invalid value", L"Buffer is too small", L"Out of range",
                                 L"Undefined state", L"Not in use",  L"Already in use"};
    for (int code = 0; code < 9; code++)
    {
        wchar_t buffer[ERROR_TEXT_SIZE];
        GetErrorText(buffer, code);
        EXPECT_STREQ(expected[code], buffer) << code;
    }
}

TEST(ErrorText, UnknownCodesAndLastError)
{
    wchar_t buffer[ERROR_TEXT_SIZE];
    GetErrorText(buffer, 42);
    EXPECT_STREQ(L"Unknown reason", buffer);
    GetErrorText(buffer, -1);
    EXPECT_STREQ(L"Unknown reason", buffer);

    SetLastError(ERROR_FILE_NOT_FOUND);
    GetErrorText(buffer, ERR_LAST_ERROR);
    EXPECT_NE(0, buffer[0]);
    EXPECT_EQ(nullptr, wcschr(buffer, L'\n')) << "the reason is one line";

    SetLastError(0x2badbeef);
    GetErrorText(buffer, ERR_LAST_ERROR);
    EXPECT_STREQ(L"LastError = 732806895", buffer);
}

TEST(FatalPath, PassedCheckDoesNothing)
{
    Assert(true, ERR_ERROR, L"Test::Pass", 1);
    AssertText(true, L"never", L"Test::Pass", 2);
}

TEST(FatalPath, ReportsFunctionLineAndReasonThenExitsMinusOne)
{
    EXPECT_EXIT(Assert(false, ERR_BUFFER_TOO_SMALL, L"CStr::Append", 77), ::testing::ExitedWithCode(-1),
                "Assertion failed in function: CStr::Append\\(\\)\nLine: 77\n\nReason: Buffer is too small");
    EXPECT_FATAL(Assert(false, 42, L"Test::Unknown", 1), "Test::Unknown", "Unknown reason");
    EXPECT_FATAL(AssertText(false, L"Error creating view wnd", L"CVelaView::BaseConstruct", 3),
                 "CVelaView::BaseConstruct", "Error creating view wnd");
}

TEST(FatalPath, OverlongReasonIsCutNotOverflowed)
{
    wchar_t reason[400];
    for (int i = 0; i < 399; i++)
        reason[i] = L'x';
    reason[399] = 0;
    EXPECT_EXIT(AssertText(false, reason, L"Test::Long", 1), ::testing::ExitedWithCode(-1), "Reason: xxxxxxxxxx+");
}
