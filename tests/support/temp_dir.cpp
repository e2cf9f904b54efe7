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

CTempDir::~CTempDir()
{
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((m_path + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring file = m_path + L"\\" + data.cFileName;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            {
                SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(file.c_str());
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(m_path.c_str());
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
