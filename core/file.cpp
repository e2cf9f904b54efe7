// CFile and CFileUtils over the platform's file handles.
#include "core/file.h"

#include "core/error.h"

CFile::CFile(bool fatalOnFailure) : m_handle(INVALID_HANDLE_VALUE), m_open(false), m_fatalOnFailure(fatalOnFailure)
{
}

CFile::~CFile()
{
    if (m_open)
        Close();
}

bool CFile::Fail(const wchar_t* function, int line)
{
    Assert(!m_fatalOnFailure, ERR_ERROR, function, line);
    return false;
}

bool CFile::OpenWith(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, const wchar_t* function)
{
    Assert(!m_open, ERR_ALREADY_IN_USE, function, __LINE__);
    HANDLE h = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Fail(function, __LINE__);
    m_handle = h;
    m_open = true;
    return true;
}

bool CFile::Open(const wchar_t* path, bool readOnly, bool exclusive)
{
    return OpenWith(path, readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                    exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, L"CFile::Open");
}

bool CFile::OpenShared(const wchar_t* path)
{
    return OpenWith(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, L"CFile::Open");
}

bool CFile::Create(const wchar_t* path, bool readOnly, bool exclusive)
{
    return OpenWith(path, readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE,
                    exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_NEW, L"CFile::Create");
}

void CFile::Close()
{
    Assert(m_open, ERR_NOT_IN_USE, L"CFile::Close", __LINE__);
    Assert(m_handle != INVALID_HANDLE_VALUE, ERR_ERROR, L"CFile::Close", __LINE__);
    CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_open = false;
}

uint64_t CFile::Size()
{
    Assert(m_open, ERR_NOT_IN_USE, L"CFile::Size", __LINE__);
    LARGE_INTEGER size;
    Assert(GetFileSizeEx(m_handle, &size) != 0, ERR_ERROR, L"CFile::Size", __LINE__);
    return static_cast<uint64_t>(size.QuadPart);
}

bool CFile::Write(const void* data, DWORD n)
{
    Assert(m_open, ERR_NOT_IN_USE, L"CFile::Write", __LINE__);
    DWORD written = 0;
    if (!WriteFile(m_handle, data, n, &written, nullptr) || written != n)
        return Fail(L"CFile::Write", __LINE__);
    return true;
}

bool CFile::ReadFixed(void* buffer, DWORD n)
{
    Assert(m_open, ERR_NOT_IN_USE, L"CFile::ReadFixed", __LINE__);
    DWORD read = 0;
    if (!ReadFile(m_handle, buffer, n, &read, nullptr) || read != n)
        return Fail(L"CFile::ReadFixed", __LINE__);
    return true;
}

bool CFile::Read(void* buffer, DWORD& n)
{
    Assert(m_open, ERR_NOT_IN_USE, L"CFile::Read", __LINE__);
    DWORD read = 0;
    if (!ReadFile(m_handle, buffer, n, &read, nullptr))
        return Fail(L"CFile::Read", __LINE__);
    n = read;
    return true;
}

bool CFile::ReadString(wchar_t* buffer, DWORD& count)
{
    DWORD bytes = count * sizeof(wchar_t);
    if (!Read(buffer, bytes))
        return false;
    count = bytes / sizeof(wchar_t);
    buffer[count] = 0;
    return true;
}

bool CFile::SeekBegin(uint64_t position)
{
    Assert(m_open, ERR_NOT_IN_USE, L"CFile::SeekBegin", __LINE__);
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(m_handle, to, nullptr, FILE_BEGIN))
        return Fail(L"CFile::SeekBegin", __LINE__);
    return true;
}

void CFileUtils::MakeAppFolderPath(CStr& out, HMODULE module)
{
    Assert(out.IsFixed(), ERR_INVALID_VALUE, L"CFileUtils::MakeAppFolderPath", __LINE__);
    DWORD size = out.GetFixedSize() + 1;
    DWORD n = GetModuleFileNameW(module, out.GetBuffer(), size);
    Assert(n > 0 && n < size, ERR_ERROR, L"CFileUtils::MakeAppFolderPath", __LINE__);
    int slash = out.ReverseFind(L'\\');
    Assert(slash >= 0, ERR_NOT_FOUND, L"CFileUtils::MakeAppFolderPath", __LINE__);
    if (slash + 1 < out.GetLength())
        out.Delete(slash + 1, out.GetLength() - slash - 1);
}

void CFileUtils::MakeAppFilePath(CStr& out, const wchar_t* fileName, HMODULE module)
{
    MakeAppFolderPath(out, module);
    out.Append(fileName);
}

bool CFileUtils::FileExists(const wchar_t* path)
{
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(path, &data);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return true;
}
