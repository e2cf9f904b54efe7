// Scratch folders for tests that read and write files.
#include "tests/support/fixtures.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

CTempDir::CTempDir()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    wchar_t name[MAX_PATH];
    _snwprintf(name, MAX_PATH, L"%lsfestivo-%lu-%u", base, GetCurrentProcessId(), ++counter);
    name[MAX_PATH - 1] = 0;
    m_path = name;
    CreateDirectoryW(m_path.c_str(), nullptr);
}

namespace {

// Removes a folder with everything in it, sub-folders too.
void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring file = path + L"\\" + name;
            // A link to a folder goes, not what it points to.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(file.c_str()) : DeleteFileW(file.c_str());
            else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(file);
            else
            {
                SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(file.c_str());
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

CTempDir::~CTempDir()
{
    RemoveTree(m_path);
}

std::wstring CTempDir::Write(const wchar_t* name, const std::string& bytes) const
{
    std::wstring path = File(name);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return path;
}
