// A save killed at any point leaves the old or the new file, whole, and nothing a folder store would read twice.
#include "tests/store/store_fixture.h"

#include <fstream>
#include <sstream>

namespace {

std::string Book(int birthdayDay)
{
    char day[3];
    snprintf(day, sizeof(day), "%02d", birthdayDay);
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:first\r\nFN:First\r\nBDAY:1980-03-" + std::string(day) +
                       "\r\nEND:VCARD\r\n";
    for (int i = 0; i < 3000; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u" + std::to_string(i) + "\r\nFN:Person " + std::to_string(i) +
                "\r\nNOTE:Long enough to make saving the whole file take a little while.\r\nEND:VCARD\r\n";
    return text;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int CountMatching(const std::wstring& pattern)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        ++count;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

} // namespace

TEST_F(StoreTest, SaveKilledAtAnyPointLeavesOldOrNewFileAndNoSecondBook)
{
    const std::string before = Book(15), after = Book(5);
    std::wstring path = WriteBook(L"book.vcf", before);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring saver = self;
    saver = saver.substr(0, saver.find_last_of(L"\\/") + 1) + L"store_saver.exe";
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"FestivoSaverReady");
    const int KILLS = 24;
    for (int kill = 0; kill < KILLS; ++kill)
    {
        ResetEvent(ready);
        std::wstring command = L"\"" + saver + L"\" FestivoSaverReady";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        HANDLE waits[2] = {ready, process.hProcess};
        EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, waits, FALSE, 30000)) << "the saver saved once";
        // Killed after a different share of a save each time.
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.hProcess, (kill * 37) % 150));
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::string now = ReadFileBytes(path);
        EXPECT_TRUE(now == before || now == after) << "kill " << kill << ": " << now.size() << " bytes";
        EXPECT_EQ(1, CountMatching(m_dir.File(L"*.vcf"))) << "kill " << kill;
    }
    CloseHandle(ready);
    EXPECT_EQ(3001u, List().size());
    printf("killed %d saves; %d were writing their copy at that moment\n", KILLS, CountMatching(m_dir.File(L"*.tmp")));
}
