// Address book files named like devices, and address books at paths longer than the classic limit.
#include "tests/store/register_store.h"
#include "tests/store/store_fixture.h"

namespace {

// Writes and removes by the full "\\?\" path, which is the only way to reach such files.
bool WriteRaw(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

} // namespace

TEST_F(StoreTest, DeviceNamedFilesAndLongPathsLoad)
{
    const wchar_t* names[] = {L"Con.vcf", L"nul.vcf", L"AUX.vcf", L"prn.old.vcf", L"com1.vcf", L"Lpt1.vcf", L"conin$.vcf"};
    for (const wchar_t* name : names)
        ASSERT_TRUE(WriteRaw(m_dir.File(name), Card("3.0", {"FN:Device"}))) << name;
    EXPECT_EQ(7u, List().size());
    // A one-file address book named like a device reads as well.
    SetAddressBook(m_dir.File(L"Con.vcf"));
    EXPECT_EQ(1u, List().size());
    SetAddressBook(m_dir.Path());
    for (const wchar_t* name : names)
        DeleteFileW((L"\\\\?\\" + m_dir.File(name)).c_str());

    std::vector<std::wstring> folders;
    std::wstring folder = m_dir.Path();
    while (folder.size() < 560)
    {
        folder += L"\\" + std::wstring(60, L'd');
        folders.push_back(folder);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
    }
    std::wstring file = folder + L"\\deep.vcf";
    ASSERT_TRUE(WriteRaw(file, Card("3.0", {"FN:Deep"})));
    SetAddressBook(folder);
    std::vector<CListedContact> inFolder = List();
    SetAddressBook(file);
    std::vector<CListedContact> asFile = List();
    DeleteFileW((L"\\\\?\\" + file).c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        RemoveDirectoryW((L"\\\\?\\" + *it).c_str());
    ASSERT_EQ(1u, inFolder.size());
    EXPECT_EQ(L"Deep", inFolder[0].name);
    EXPECT_EQ(1u, asFile.size());
}
