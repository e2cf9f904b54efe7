// Start-up of the main program: Today registration by platform, the package, the first view.
#include "app/resource.h"
#include "data/showcontact.h"
#include "tests/app/fixture.h"

#include <string>
#include <vector>

namespace {

struct RegistryValue
{
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

std::vector<RegistryValue> TodayValues()
{
    std::vector<RegistryValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TODAY_ITEM_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; i++)
    {
        wchar_t name[64];
        DWORD nameLength = 64;
        BYTE data[256];
        DWORD size = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        values.push_back({name, type, std::vector<BYTE>(data, data + size)});
    }
    RegCloseKey(key);
    return values;
}

DWORD Dword(const std::vector<RegistryValue>& values, const wchar_t* name)
{
    for (const RegistryValue& v : values)
        if (v.name == name && v.type == REG_DWORD && v.data.size() == 4)
            return *reinterpret_cast<const DWORD*>(v.data.data());
    return 0xdeadbeef;
}

} // namespace

TEST_F(MainProgram, FirstStartOnAPocketPCRegistersTheTodayItemOnce)
{
    EXPECT_EQ(0, RunProgram([](CTestedApp& app) {
        EXPECT_EQ(PLATFORM_POCKETPC, app.GetPlatform());
        EXPECT_TRUE(IsWindowVisible(app.View().GetWnd()));
        EXPECT_EQ(0, app.View().GetList().GetSelection()) << "the first row is selected";
    }));
    std::vector<RegistryValue> values = TodayValues();
    ASSERT_EQ(5u, values.size());
    const wchar_t* dll = L"\\Windows\\FestivoPanel.dll";
    for (const RegistryValue& v : values)
        if (v.name == L"DLL")
        {
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), v.type);
            ASSERT_EQ((wcslen(dll) + 1) * 2, v.data.size()) << "written with its terminator";
            EXPECT_STREQ(dll, reinterpret_cast<const wchar_t*>(v.data.data()));
        }
    EXPECT_EQ(4u, Dword(values, L"Type"));
    EXPECT_EQ(1u, Dword(values, L"Enabled"));
    EXPECT_EQ(1u, Dword(values, L"Options"));
    EXPECT_EQ(2u, Dword(values, L"Selectability"));

    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, TODAY_ITEM_KEY, 0, KEY_WRITE, &key);
    DWORD off = 0;
    RegSetValueExW(key, L"Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
    RegCloseKey(key);
    RunProgram(nullptr);
    EXPECT_EQ(0u, Dword(TodayValues(), L"Enabled")) << "an existing registration is never rewritten";
}

TEST_F(MainProgram, ASmartphoneRegistersNothing)
{
    CDeviceProfile smartphone(L"Smartphone", 96);
    RunProgram([](CTestedApp& app) { EXPECT_EQ(PLATFORM_SMARTPHONE, app.GetPlatform()); });
    EXPECT_TRUE(TodayValues().empty());
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, TODAY_ITEM_KEY, 0, KEY_READ, &key));
}

TEST_F(MainProgram, FirstLoadWritesAllElevenSettings)
{
    RunProgram(nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key));
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(11u, values);
}

// Runs the program from a copy of this test binary in a folder without festivo.zrs.
TEST(StartUp, MissingPackageStopsWithItsFatalError)
{
    CTempDir dir;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring copy = dir.File(L"festivo_copy.exe");
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = writeEnd;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + copy + L"\" --gtest_filter=StartUpChild.DISABLED_Run --gtest_also_run_disabled_tests";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, dir.Path().c_str(), &startup,
                               &process));
    CloseHandle(writeEnd);
    std::string output;
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        output.append(buffer, read);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    EXPECT_EQ(0xFFFFFFFFu, code);
    EXPECT_NE(std::string::npos, output.find("in function: CApp::OnCreate()")) << output;
    EXPECT_NE(std::string::npos, output.find("Reason: Error opening ZRS resource")) << output;
}

TEST(StartUpChild, DISABLED_Run)
{
    CoInitializeEx(nullptr, 0);
    CTestedApp app;
    app.Start();
}

TEST_F(MainProgram, ShowsTheContactAReminderAskedFor)
{
    ASSERT_TRUE(RequestShowContact(4, true));
    RunProgram([](CTestedApp& app) {
        Flush(50);
        int row = app.View().GetList().GetSelection();
        ASSERT_GE(row, 0);
        EXPECT_EQ(4, app.Data().GetItem(static_cast<uint32_t>(row))->oid);
        EXPECT_TRUE(app.Data().GetItem(static_cast<uint32_t>(row))->IsAnniversary());

        // Started again while the list is split to another month: the split gives way.
        Command(app, IDM_SPLIT_MONTH);
        ASSERT_TRUE(RequestShowContact(5, false));
        PostMessageW(app.GetMainWnd(), CVelaApp::StartedAgainMessage(), 0, 0);
        Flush(50);
        row = app.View().GetList().GetSelection();
        ASSERT_GE(row, 0);
        EXPECT_EQ(5, app.Data().GetItem(static_cast<uint32_t>(row))->oid);
        LONG oid = 0;
        bool anniversary = false;
        EXPECT_FALSE(TakeShowContact(oid, anniversary)) << "a request is taken once";
    });
}
