// Death-test helpers: a fatal report names the checking function and the reason, and exits with -1.
#pragma once

#include <gtest/gtest.h>

#define FATAL_REPORT(function, reason) "in function: " function "\\(\\)\nLine: \\d+\n\nReason: " reason

#define EXPECT_FATAL(statement, function, reason) \
    EXPECT_EXIT(statement, ::testing::ExitedWithCode(-1), FATAL_REPORT(function, reason))
