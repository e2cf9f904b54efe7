// CFile in quiet and fatal modes; program folder paths.
#include "core/file.h"
#include "tests/support/fatal.h"
#include "tests/support/fixtures.h"

TEST(File, QuietOpenOfMissingFileReturnsFalse)
{
    CTempDir dir;
    CFile quiet(false);
    EXPECT_FALSE(quiet.Open(dir.File(L"missing.bin").c_str(), true, false));
    EXPECT_FALSE(quiet.IsOpen());
    CFile loud(true);
    EXPECT_FATAL(loud.Open(dir.File(L"missing.bin").c_str(), true, false), "CFile::Open", "Error");
}

TEST(File, MisuseIsFatalInBothModes)
{
    CTempDir dir;
    std::wstring path = dir.Write(L"a.bin", "abc");
    CFile quiet(false);
    EXPECT_FATAL(quiet.Close(), "CFile::Close", "Not in use");
    EXPECT_FATAL(quiet.Size(), "CFile::Size", "Not in use");
    ASSERT_TRUE(quiet.Open(path.c_str(), true, false));
    EXPECT_FATAL(quiet.Open(path.c_str(), true, false), "CFile::Open", "Already in use");
}

TEST(File, CreateFailsOnAnExistingFile)
{
    CTempDir dir;
    std::wstring path = dir.Write(L"a.bin", "abc");
    CFile quiet(false);
    EXPECT_FALSE(quiet.Create(path.c_str(), false, true));
    ASSERT_TRUE(quiet.Create(dir.File(L"new.bin").c_str(), false, true));
    EXPECT_TRUE(quiet.Write("12345", 5));
    EXPECT_EQ(5u, quiet.Size());
}

TEST(File, ShortReads)
{
    CTempDir dir;
    std::wstring path = dir.Write(L"a.bin", std::string("0123456789ab\0c\0d\0", 18));
    CFile file(false);
    ASSERT_TRUE(file.Open(path.c_str(), true, false));
    ASSERT_TRUE(file.SeekBegin(12));
    char buffer[16];
    EXPECT_FALSE(file.ReadFixed(buffer, 10)) << "6 bytes left";
    ASSERT_TRUE(file.SeekBegin(12));
    DWORD n = 10;
    EXPECT_TRUE(file.Read(buffer, n));
    EXPECT_EQ(6u, n);
    ASSERT_TRUE(file.SeekBegin(13));
    wchar_t text[8] = {L'?', L'?', L'?', L'?'};
    DWORD count = 3;
    EXPECT_TRUE(file.ReadString(text, count)) << "5 bytes left: two whole characters";
    EXPECT_EQ(2u, count);
    EXPECT_EQ(0, text[2]);
}

TEST(File, ReadOnlySharedOpenLeavesOthersReading)
{
    CTempDir dir;
    std::wstring path = dir.Write(L"pkg.bin", "data");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    CFile first(false);
    ASSERT_TRUE(first.OpenShared(path.c_str())) << "a read-only file opens for reading";
    CFile second(false);
    EXPECT_TRUE(second.OpenShared(path.c_str()));
    CFile writer(false);
    EXPECT_FALSE(writer.Open(path.c_str(), false, false));
}

TEST(File, DestructorClosesTheHandle)
{
    CTempDir dir;
    std::wstring path = dir.Write(L"a.bin", "abc");
    {
        CFile exclusive(false);
        ASSERT_TRUE(exclusive.Open(path.c_str(), false, true));
        CFile other(false);
        EXPECT_FALSE(other.Open(path.c_str(), true, false));
    }
    CFile again(false);
    EXPECT_TRUE(again.Open(path.c_str(), false, true));
}

TEST(FileUtils, AppFolderEndsWithBackslash)
{
    CStr folder(260u);
    CFileUtils::MakeAppFolderPath(folder, nullptr);
    ASSERT_GT(folder.GetLength(), 0);
    EXPECT_EQ(L'\\', folder.GetBuffer()[folder.GetLength() - 1]);
    CStr file(260u);
    CFileUtils::MakeAppFilePath(file, L"festivo.zrs", nullptr);
    EXPECT_EQ(CStr(folder.GetBuffer()).GetLength() + 11, file.GetLength());
    EXPECT_EQ(folder.GetLength(), file.Find(L"festivo.zrs", 0));
    CStr dynamic;
    EXPECT_FATAL(CFileUtils::MakeAppFolderPath(dynamic, nullptr), "CFileUtils::MakeAppFolderPath", "Invalid value");
}

TEST(FileUtils, FileExists)
{
    CTempDir dir;
    std::wstring path = dir.Write(L"here.txt", "x");
    EXPECT_TRUE(CFileUtils::FileExists(path.c_str()));
    EXPECT_FALSE(CFileUtils::FileExists(dir.File(L"gone.txt").c_str()));
}
