// Saves in several processes at once: a save killed at any point leaves the old or the new file, whole, and at most
// one private copy; two processes saving into one book lose no update.
#include "tests/store/store_fixture.h"
#include "tests/store/unixfile.h"

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

std::wstring SaverPath()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring saver = self;
    return saver.substr(0, saver.find_last_of(L"\\/") + 1) + L"store_saver.exe";
}

HANDLE StartSaver(const std::wstring& arguments)
{
    std::wstring command = L"\"" + SaverPath() + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

} // namespace

TEST_F(StoreTest, TwoProcessesSavingIntoOneBookLoseNoUpdate)
{
    std::string book;
    const int PER_PROCESS = 60;
    for (int i = 0; i < PER_PROCESS; ++i)
        for (const char* who : {"a", "b"})
            book += Card("3.0", {"UID:" + std::string(who) + "-" + std::to_string(i), "FN:" + std::string(who) + std::to_string(i),
                                 "TEL;TYPE=CELL:old"});
    for (int i = 0; i < 2000; ++i)
        book += Card("3.0", {"UID:bulk" + std::to_string(i), "FN:Bulk " + std::to_string(i)});
    std::wstring path = WriteBook(L"book.vcf", book);
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, L"FestivoSaversGo");
    HANDLE savers[2] = {StartSaver(L"FestivoSaversGo a-"), StartSaver(L"FestivoSaversGo b-")};
    ASSERT_TRUE(savers[0] && savers[1]);
    Sleep(500);
    SetEvent(go);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, savers, TRUE, 300000));
    for (HANDLE saver : savers)
    {
        DWORD failed = 0xdeadbeef;
        GetExitCodeProcess(saver, &failed);
        EXPECT_EQ(0u, failed) << "saves that failed";
        TerminateProcess(saver, 9);
        CloseHandle(saver);
    }
    CloseHandle(go);
    // Each card was saved once: one that still holds its old number lost its update.
    std::string now = ReadFileBytes(path);
    size_t saved = 0, old = 0;
    for (size_t at = now.find("TEL;TYPE=CELL:saved"); at != std::string::npos; at = now.find("TEL;TYPE=CELL:saved", at + 1))
        ++saved;
    for (size_t at = now.find("TEL;TYPE=CELL:old"); at != std::string::npos; at = now.find("TEL;TYPE=CELL:old", at + 1))
        ++old;
    EXPECT_EQ(2u * PER_PROCESS, saved);
    EXPECT_EQ(0u, old) << "updates lost";
}

TEST_F(StoreTest, SaveKilledAtAnyPointLeavesOldOrNewFileAndNoSecondBook)
{
    const std::string before = Book(15), after = Book(5);
    std::wstring path = WriteBook(L"book.vcf", before);
    // A private book stays private also in the copy a save writes, from its first byte.
    bool privateBook = HaveUnixFiles() && SetUnixMode(path, 0600);
    std::wstring saver = SaverPath();
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
        EXPECT_GE(1, CountMatching(m_dir.File(L"*.tmp"))) << "kill " << kill << ": a copy left by an earlier kill is replaced";
        WIN32_FIND_DATAW copy;
        HANDLE find = FindFirstFileW(m_dir.File(L"*.tmp").c_str(), &copy);
        if (find != INVALID_HANDLE_VALUE)
        {
            FindClose(find);
            // A kill between creating the copy and making it private leaves it empty: nothing to read.
            bool holdsBytes = copy.nFileSizeLow != 0 || copy.nFileSizeHigh != 0;
            if (privateBook && holdsBytes)
            {
                EXPECT_EQ(0600, UnixMode(m_dir.File(copy.cFileName)) & 0777) << "kill " << kill;
            }
        }
    }
    CloseHandle(ready);
    EXPECT_EQ(3001u, List().size());
    printf("killed %d saves; %d were writing their copy at that moment\n", KILLS, CountMatching(m_dir.File(L"*.tmp")));
}
