// CSettings: defaults, partial keys, foreign value types and ranges, full writes.
#include "data/settings.h"
#include "tests/support/fatal.h"
#include "tests/support/fixtures.h"

#include <windows.h>

namespace {

class Settings : public ::testing::Test
{
protected:
    void SetUp() override { DeleteUserKey(SETTINGS_KEY); }
    void TearDown() override { DeleteUserKey(SETTINGS_KEY); }

    static void SetInt(const wchar_t* name, DWORD value)
    {
        HKEY h = Key();
        RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(h);
    }
    static void SetText(const wchar_t* name, const wchar_t* text)
    {
        HKEY h = Key();
        RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD((wcslen(text) + 1) * 2));
        RegCloseKey(h);
    }
    static DWORD Type(const wchar_t* name)
    {
        HKEY h = Key();
        DWORD type = 0;
        LONG rc = RegQueryValueExW(h, name, nullptr, &type, nullptr, nullptr);
        RegCloseKey(h);
        return rc == ERROR_SUCCESS ? type : 0;
    }

private:
    static HKEY Key()
    {
        HKEY h = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
        return h;
    }
};

} // namespace

TEST_F(Settings, DefaultsWithoutAKey)
{
    CSettings s;
    s.Read();
    EXPECT_EQ(2, s.SortOrder);
    EXPECT_EQ(0, s.SplitMode);
    EXPECT_EQ(0, s.SplitPeriod);
    EXPECT_EQ(1, s.ShowAnnivasaries);
    EXPECT_EQ(1, s.ShowFutureAge);
    EXPECT_EQ(1, s.TodayViewActive);
    EXPECT_EQ(5, s.TodayMaxLines);
    EXPECT_EQ(3, s.TodayMaxMonth);
    EXPECT_STREQ(L"dd MMM", s.TodayDateFormat);
    EXPECT_STREQ(L"Happy Birthday!", s.MessageSubject);
    EXPECT_STREQ(L"Happy Birthday dear %FirstName% %LastName%!", s.MessageBody);
}

TEST_F(Settings, PartialKeyKeepsOtherDefaults)
{
    SetInt(L"TodayMaxLines", 2);
    CSettings s;
    s.Read();
    EXPECT_EQ(2, s.TodayMaxLines);
    EXPECT_EQ(2, s.SortOrder);
    EXPECT_EQ(3, s.TodayMaxMonth);
    EXPECT_STREQ(L"Happy Birthday!", s.MessageSubject);
}

TEST_F(Settings, WriteStoresAllElevenWithTheirTypes)
{
    CSettings s;
    s.SetDefaults();
    s.SplitMode = SPLIT_ALL;
    s.SplitPeriod = -1;
    s.MessageSubject = L"";
    s.Write();
    const wchar_t* ints[] = {L"SortOrder",     L"SplitMode",       L"SplitPeriod",   L"ShowAnnivasaries",
                             L"ShowFutureAge", L"TodayViewActive", L"TodayMaxLines", L"TodayMaxMonth"};
    for (const wchar_t* name : ints)
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), Type(name)) << name;
    for (const wchar_t* name : {L"TodayDateFormat", L"MessageSubject", L"MessageBody"})
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), Type(name));
    CSettings back;
    back.Read();
    EXPECT_EQ(-1, back.SplitPeriod) << "\"All\" reads back as -1";
    EXPECT_STREQ(L"", back.MessageSubject);
    back.MessageBody.Append(L" and many more");
    EXPECT_STREQ(L"Happy Birthday dear %FirstName% %LastName%! and many more", back.MessageBody);
}

TEST_F(Settings, ValueOfAnotherTypeKeepsTheDefaultAndIsRepairedByWrite)
{
    SetText(L"TodayMaxLines", L"4");
    SetInt(L"MessageBody", 7);
    CSettings s;
    s.Read();
    EXPECT_EQ(5, s.TodayMaxLines);
    EXPECT_STREQ(L"Happy Birthday dear %FirstName% %LastName%!", s.MessageBody);
    s.Write();
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), Type(L"TodayMaxLines"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), Type(L"MessageBody"));
}

TEST_F(Settings, ForeignValuesAreBroughtIntoRange)
{
    SetInt(L"SplitMode", 7);
    SetInt(L"SplitPeriod", 40);
    SetInt(L"TodayMaxLines", 0);
    SetInt(L"TodayMaxMonth", 99);
    SetInt(L"ShowAnnivasaries", 5);
    SetInt(L"ShowFutureAge", 0);
    SetInt(L"SortOrder", 9);
    CSettings s;
    s.Read();
    EXPECT_EQ(2, s.SplitMode);
    EXPECT_EQ(11, s.SplitPeriod);
    EXPECT_EQ(1, s.TodayMaxLines);
    EXPECT_EQ(12, s.TodayMaxMonth);
    EXPECT_EQ(1, s.ShowAnnivasaries);
    EXPECT_EQ(0, s.ShowFutureAge);
    EXPECT_EQ(3, s.SortOrder) << "an order out of range is brought into range";

    SetInt(L"SplitMode", 1);
    SetInt(L"SplitPeriod", 0);
    s.Read();
    EXPECT_EQ(1, s.SplitPeriod);
}

TEST_F(Settings, PeriodWithoutSplitIsZeroOrAll)
{
    SetInt(L"SplitMode", 0);
    SetInt(L"SplitPeriod", 0xFFFFFFFF);
    CSettings s;
    s.Read();
    EXPECT_EQ(-1, s.SplitPeriod);
    SetInt(L"SplitPeriod", 77);
    s.Read();
    EXPECT_EQ(0, s.SplitPeriod);
    SetInt(L"SplitMode", 2);
    SetInt(L"SplitPeriod", 0xFFFFFFFF);
    s.Read();
    EXPECT_EQ(0, s.SplitPeriod);
}
