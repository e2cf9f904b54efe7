// Zodiac signs at every boundary of the product's table.
#include "data/zodiac.h"

#include <gtest/gtest.h>

namespace {

int Sign(int month, int day)
{
    return ZodiacSign(CTime(2001, month, day, 0, 0, 0));
}

} // namespace

TEST(Zodiac, EveryBoundary)
{
    const struct { int month, lastDay, before, after; } kBounds[] = {
        {3, 18, 11, 0}, {4, 18, 0, 1}, {5, 18, 1, 2}, {6, 19, 2, 3}, {7, 20, 3, 4},  {8, 21, 4, 5},
        {9, 21, 5, 6},  {10, 21, 6, 7}, {11, 20, 7, 8}, {12, 19, 8, 9}, {1, 18, 9, 10}, {2, 18, 10, 11},
    };
    for (const auto& b : kBounds)
    {
        EXPECT_EQ(b.before, Sign(b.month, b.lastDay)) << b.month << "/" << b.lastDay;
        EXPECT_EQ(b.after, Sign(b.month, b.lastDay + 1)) << b.month << "/" << b.lastDay + 1;
    }
    EXPECT_EQ(11, Sign(2, 29));
    EXPECT_EQ(9, Sign(12, 31));
    EXPECT_EQ(9, Sign(1, 1));
    EXPECT_EQ(-1, Sign(0, 5));
    EXPECT_EQ(-1, Sign(13, 5));
}

TEST(Zodiac, Names)
{
    CStr name(L"unchanged");
    GetZodiacName(12, name);
    EXPECT_STREQ(L"unchanged", name);
    GetZodiacName(-1, name);
    EXPECT_STREQ(L"unchanged", name);
    GetZodiacName(4, name);
    EXPECT_STREQ(L"Lion", name);
    GetZodiacName(5, name);
    EXPECT_STREQ(L"Virgin", name);
    GetZodiacName(11, name);
    EXPECT_STREQ(L"Pisces", name);
}
