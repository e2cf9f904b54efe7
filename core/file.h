// CFile: one checked file handle; CFileUtils: paths inside the running program's folder.
#pragma once

#include "core/str.h"

#include <windows.h>

class CFile
{
public:
    // fatalOnFailure: an I/O failure ends the process instead of returning false.
    explicit CFile(bool fatalOnFailure = true);
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool Open(const wchar_t* path, bool readOnly, bool exclusive);
    // Opens for reading only and lets others read but not write; for readers of installed files.
    bool OpenShared(const wchar_t* path);
    bool Create(const wchar_t* path, bool readOnly, bool exclusive);
    void Close();
    bool IsOpen() const { return m_open; }

    uint64_t Size();
    bool Write(const void* data, DWORD n);
    bool ReadFixed(void* buffer, DWORD n);
    bool Read(void* buffer, DWORD& n);
    bool ReadString(wchar_t* buffer, DWORD& count);
    bool SeekBegin(uint64_t position);

private:
    bool Fail(const wchar_t* function, int line);
    bool OpenWith(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, const wchar_t* function);

    HANDLE m_handle;
    bool m_open;
    bool m_fatalOnFailure;
};

class CFileUtils
{
public:
    // out must have a fixed size; receives the module's folder ending with a backslash.
    static void MakeAppFolderPath(CStr& out, HMODULE module);
    static void MakeAppFilePath(CStr& out, const wchar_t* fileName, HMODULE module);
    static bool FileExists(const wchar_t* path);
};
