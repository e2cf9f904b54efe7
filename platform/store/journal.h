// The write journal: tells every process which address book files the store itself wrote last.
#pragma once

#include <windows.h>

// A file's state as the store's watch sees it: last write time and size, or "gone".
struct CFileStamp
{
    FILETIME time = {0, 0};
    ULONGLONG size = 0;
    bool exists = false;

    bool operator==(const CFileStamp& other) const;
    bool operator!=(const CFileStamp& other) const { return !(*this == other); }
};

bool ReadFileStamp(const wchar_t* path, CFileStamp& stamp);

// After writing (or deleting) a file, the store records the file's new stamp here. A look that
// finds the file in exactly that state reports the change as made through the store (0x8100
// ... 0x8102); any other change of the file came from another program (0x8105 ... 0x8107).
// The journal lives in the registry so that every process's store sees it at once.
class CWriteJournal
{
public:
    static void Record(const wchar_t* path);
    // Records the state the file is about to have: a file replaced by renaming a finished copy
    // keeps that copy's stamp, so no look sees the new file before its journal entry.
    static void Record(const wchar_t* path, const CFileStamp& stamp);
    static bool IsOwnWrite(const wchar_t* path, const CFileStamp& stamp);
};
