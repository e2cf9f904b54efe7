// CRemindSettings: days-ahead texts, values other programs stored, and writes that leave the eleven alone.
#include "data/remindsettings.h"
#include "data/settings.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class RemindSettings : public ::testing::Test
{
protected:
    void SetUp() override { DeleteUserKey(SETTINGS_KEY); }
    void TearDown() override { DeleteUserKey(SETTINGS_KEY); }

    static void Set(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY h = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
        RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(h);
    }
    static void SetInt(const wchar_t* name, DWORD value) { Set(name, REG_DWORD, &value, sizeof(value)); }
    static void SetText(const wchar_t* name, const wchar_t* text)
    {
        Set(name, REG_SZ, text, DWORD((wcslen(text) + 1) * 2));
    }
    static bool Exists(const wchar_t* name)
    {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        bool found = RegQueryValueExW(h, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(h);
        return found;
    }
    static CStr Days(const CRemindSettings& s)
    {
        CStr out;
        s.FormatDays(out);
        return out;
    }
};

} // namespace

TEST_F(RemindSettings, DaysAheadTextIsReadEntryByEntry)
{
    struct Case
    {
        const wchar_t* stored;
        const wchar_t* read;
        bool acceptedInOptions;
    } cases[] = {
        {L"0,7", L"0,7", true},
        {L" 14 , 1,1,,0 ", L"0,1,14", true},
        {L"7,-1,x,61,3.5,0007,60", L"7,60", false},
        {L"1,2,3,4,5,6,7,8,9,10", L"1,2,3,4,5,6,7,8", false},
        {L"abc", L"0,7", false},
        {L"", L"0,7", false},
        {L"99999999999999999999", L"0,7", false},
    };
    for (const Case& c : cases)
    {
        SetText(L"RemindDays", c.stored);
        CRemindSettings s;
        s.Read();
        EXPECT_STREQ(c.read, Days(s)) << c.stored;
        CRemindSettings edited;
        edited.SetDays(L"30");
        EXPECT_EQ(c.acceptedInOptions, edited.SetDays(c.stored)) << c.stored;
        EXPECT_STREQ(c.acceptedInOptions ? c.read : L"30", Days(edited)) << c.stored;
    }
}

TEST_F(RemindSettings, ForeignTimeAndSwitchKeepTheirDefaults)
{
    CRemindSettings s;
    s.Read();
    EXPECT_TRUE(s.IsOn());
    EXPECT_EQ(540, s.GetTime());
    EXPECT_STREQ(L"0,7", Days(s));

    struct Case
    {
        DWORD time;
        DWORD on;
        int readTime;
        bool readOn;
    } cases[] = {{0, 0, 0, false}, {1439, 1, 1439, true}, {1440, 2, 540, true}, {0xFFFFFFFF, 0xFFFFFFFF, 540, true}};
    for (const Case& c : cases)
    {
        SetInt(L"RemindTime", c.time);
        SetInt(L"RemindOn", c.on);
        s.Read();
        EXPECT_EQ(c.readTime, s.GetTime()) << c.time;
        EXPECT_EQ(c.readOn, s.IsOn()) << c.on;
    }
    SetText(L"RemindTime", L"600");
    SetText(L"RemindOn", L"0");
    SetInt(L"RemindDays", 3);
    s.Read();
    EXPECT_EQ(540, s.GetTime());
    EXPECT_TRUE(s.IsOn());
    EXPECT_STREQ(L"0,7", Days(s));
}

TEST_F(RemindSettings, WrittenOnlyWhereEdited)
{
    CSettings eleven;
    eleven.SetDefaults();
    eleven.Write();
    for (const wchar_t* name : {L"RemindDays", L"RemindTime", L"RemindOn"})
        EXPECT_FALSE(Exists(name)) << name;

    SetInt(L"TodayMaxLines", 2);
    CRemindSettings s;
    ASSERT_TRUE(s.SetDays(L"3, 1"));
    s.SetTime(1200);
    s.SetOn(false);
    EXPECT_TRUE(s.Write());
    CRemindSettings back;
    back.Read();
    EXPECT_STREQ(L"1,3", Days(back));
    EXPECT_EQ(1200, back.GetTime());
    EXPECT_FALSE(back.IsOn());
    eleven.Read();
    EXPECT_EQ(2, eleven.TodayMaxLines) << "the eleven are not written with the reminders";
}
