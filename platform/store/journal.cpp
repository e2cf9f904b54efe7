// The write journal: tells every process which address book files the store itself wrote last.
#include "platform/store/journal.h"

#include "platform/store/config.h"
#include "platform/store/longpath.h"
#include "platform/store/snapshot.h"

#include <string>
#include <vector>

namespace {

// Entries older than this are dropped when a new one is recorded.
const ULONGLONG JOURNAL_KEEP = 10ull * 60 * 10000000;

struct CJournalEntry
{
    FILETIME time;
    ULONGLONG size;
    DWORD exists;
    FILETIME recorded;
};

std::wstring ValueName(const wchar_t* path)
{
    std::wstring name = LongPath(path);
    CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

void PruneOld(HKEY key, const FILETIME& now)
{
    std::vector<std::wstring> old;
    wchar_t name[MAX_PATH * 2 + 1];
    for (DWORD i = 0;; ++i)
    {
        DWORD nameLength = MAX_PATH * 2 + 1;
        CJournalEntry entry;
        DWORD size = sizeof(entry), type = 0;
        LONG rc = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&entry), &size);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        bool valid = rc == ERROR_SUCCESS && type == REG_BINARY && size == sizeof(entry);
        if (!valid || Ticks(now) - Ticks(entry.recorded) > JOURNAL_KEEP)
            old.push_back(name);
    }
    for (const std::wstring& n : old)
        RegDeleteValueW(key, n.c_str());
}

} // namespace

bool CFileStamp::operator==(const CFileStamp& other) const
{
    if (exists != other.exists)
        return false;
    return !exists || (size == other.size && CompareFileTime(&time, &other.time) == 0);
}

bool ReadFileStamp(const wchar_t* path, CFileStamp& stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    stamp = CFileStamp();
    if (!GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    stamp.exists = true;
    stamp.time = data.ftLastWriteTime;
    stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

void CWriteJournal::Record(const wchar_t* path)
{
    CFileStamp stamp;
    ReadFileStamp(path, stamp);
    Record(path, stamp);
}

void CWriteJournal::Record(const wchar_t* path, const CFileStamp& stamp)
{
    CJournalEntry entry = {stamp.time, stamp.size, stamp.exists ? 1u : 0u, {0, 0}};
    GetSystemTimeAsFileTime(&entry.recorded);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, JOURNAL_KEY, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    PruneOld(key, entry.recorded);
    RegSetValueExW(key, ValueName(path).c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(&entry), sizeof(entry));
    RegCloseKey(key);
}

bool CWriteJournal::IsOwnWrite(const wchar_t* path, const CFileStamp& stamp)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, JOURNAL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    CJournalEntry entry;
    DWORD size = sizeof(entry), type = 0;
    LONG rc = RegQueryValueExW(key, ValueName(path).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&entry), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_BINARY || size != sizeof(entry))
        return false;
    CFileStamp recorded;
    recorded.time = entry.time;
    recorded.size = entry.size;
    recorded.exists = entry.exists != 0;
    return recorded == stamp;
}
