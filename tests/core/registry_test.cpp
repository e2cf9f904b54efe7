// CVelaRegistry: key creation, typed reads that tolerate foreign values, writes.
#include "core/registry.h"
#include "tests/support/fatal.h"
#include "tests/support/fixtures.h"

namespace {

const wchar_t* const kKey = L"SOFTWARE\\FestivoTests\\Registry";

class Registry : public ::testing::Test
{
protected:
    void SetUp() override { DeleteUserKey(kKey); }
    void TearDown() override { DeleteUserKey(kKey); }
};

} // namespace

TEST_F(Registry, OpenCreatesTheKey)
{
    CVelaRegistry key;
    key.Open(kKey);
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &h));
    RegCloseKey(h);
}

TEST_F(Registry, RoundTripsIntegersAndStrings)
{
    CVelaRegistry key;
    key.Open(kKey);
    key.WriteInt(L"Number", -1);
    key.WriteString(L"Text", L"dd MMM");
    key.WriteString(L"Empty", L"");
    int n = 0;
    EXPECT_TRUE(key.ReadInt(L"Number", n));
    EXPECT_EQ(-1, n);
    CStr text;
    EXPECT_TRUE(key.ReadString(L"Text", text));
    EXPECT_STREQ(L"dd MMM", text);
    EXPECT_TRUE(text.IsFixed());
    CStr empty(L"before");
    EXPECT_TRUE(key.ReadString(L"Empty", empty));
    EXPECT_STREQ(L"", empty);
}

TEST_F(Registry, MissingAndMistypedValuesLeaveTheOutputUntouched)
{
    CVelaRegistry key;
    key.Open(kKey);
    key.WriteString(L"NotANumber", L"5");
    key.WriteInt(L"NotAString", 5);
    int n = 0xdeadbeef;
    EXPECT_FALSE(key.ReadInt(L"Missing", n));
    EXPECT_FALSE(key.ReadInt(L"NotANumber", n));
    EXPECT_EQ(static_cast<int>(0xdeadbeef), n);
    CStr text(L"untouched");
    EXPECT_FALSE(key.ReadString(L"Missing", text));
    EXPECT_FALSE(key.ReadString(L"NotAString", text));
    EXPECT_STREQ(L"untouched", text);

    HKEY h = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &h);
    BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    RegSetValueExW(h, L"Binary", 0, REG_BINARY, eight, 8);
    const wchar_t unterminated[3] = {L'a', L'b', L'c'};
    RegSetValueExW(h, L"Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 6);
    RegCloseKey(h);
    EXPECT_FALSE(key.ReadInt(L"Binary", n));
    EXPECT_TRUE(key.ReadString(L"Unterminated", text));
    EXPECT_STREQ(L"abc", text);
}

TEST_F(Registry, UseBeforeOpenIsFatal)
{
    CVelaRegistry key;
    int n = 0;
    CStr text;
    EXPECT_FATAL(key.ReadInt(L"x", n), "CVelaRegistry::ReadInt", "Not in use");
    EXPECT_FATAL(key.ReadString(L"x", text), "CVelaRegistry::ReadString", "Not in use");
    EXPECT_FATAL(key.WriteInt(L"x", 1), "CVelaRegistry::WriteInt", "Not in use");
    EXPECT_FATAL(key.WriteString(L"x", L""), "CVelaRegistry::WriteString", "Not in use");
}

TEST_F(Registry, SecondOpenSwitchesKeys)
{
    CVelaRegistry key;
    key.Open(kKey);
    key.WriteInt(L"First", 1);
    std::wstring other = std::wstring(kKey) + L"\\Other";
    key.Open(other.c_str());
    int n = 0;
    EXPECT_FALSE(key.ReadInt(L"First", n));
    key.Close();
    EXPECT_FATAL(key.ReadInt(L"First", n), "CVelaRegistry::ReadInt", "Not in use");
}
