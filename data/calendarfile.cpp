// The birthdays calendar's file: where it is kept, reading what it holds, and replacing it whole.
#include "data/birthdaycalendar.h"

#include "data/settings.h"

#include <shlobj.h>

#include <cstring>

namespace {

// Larger than any calendar of ours: a file this big at the path is someone else's.
const ULONGLONG LARGEST_CALENDAR = 256ull * 1024 * 1024;

// The file's size and times; false when there is no file (or a folder) at path.
bool Stamp(const std::wstring& path, CBirthdayCalendar::CStamp& stamp)
{
    // Opened for its attributes only, which any other program's sharing allows.
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILE_BASIC_INFO basic = {};
    LARGE_INTEGER size = {};
    bool ok = GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic)) &&
              !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (!ok)
        return false;
    stamp.size = static_cast<ULONGLONG>(size.QuadPart);
    stamp.lastWrite.dwLowDateTime = basic.LastWriteTime.LowPart;
    stamp.lastWrite.dwHighDateTime = static_cast<DWORD>(basic.LastWriteTime.HighPart);
    stamp.change.dwLowDateTime = basic.ChangeTime.LowPart;
    stamp.change.dwHighDateTime = static_cast<DWORD>(basic.ChangeTime.HighPart);
    return true;
}

// What the last write of any of our processes left, kept in the settings: the digest it wrote, the file's
// stamp after it, and the path. Written by us, but read as anything the registry may hold.
const wchar_t* const WRITTEN_VALUE = L"CalendarWritten";
const uint32_t WRITTEN_VERSION = 1;

struct CWrittenHeader
{
    uint32_t version;
    uint32_t reserved;
    uint64_t digest;
    CBirthdayCalendar::CStamp stamp;
};

void RememberWritten(const std::wstring& path, uint64_t digest, const CBirthdayCalendar::CStamp& stamp)
{
    CWrittenHeader header = {WRITTEN_VERSION, 0, digest, stamp};
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, WRITTEN_VALUE, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

// True when the settings say that the file at path, as stamp finds it, was made from events of this digest.
bool WasWritten(const std::wstring& path, uint64_t digest, const CBirthdayCalendar::CStamp& stamp)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::string bytes(sizeof(CWrittenHeader) + (MAX_PATH + 1) * sizeof(wchar_t), '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bytes.size());
    bool read = RegQueryValueExW(key, WRITTEN_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
                ERROR_SUCCESS;
    RegCloseKey(key);
    if (!read || type != REG_BINARY || size < sizeof(CWrittenHeader) || (size - sizeof(CWrittenHeader)) % 2 != 0)
        return false;
    CWrittenHeader header;
    memcpy(&header, bytes.data(), sizeof(header));
    std::wstring written((size - sizeof(CWrittenHeader)) / sizeof(wchar_t), L'\0');
    if (!written.empty())
        memcpy(&written[0], bytes.data() + sizeof(header), written.size() * sizeof(wchar_t));
    return header.version == WRITTEN_VERSION && header.digest == digest && header.stamp == stamp &&
           written == path;
}

// Mixes a 64-bit value so that sums of many stay apart (the finaliser of splitmix64).
uint64_t Mix(uint64_t value)
{
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

uint64_t Fnv(uint64_t hash, const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; i++)
        hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}

// The file's bytes; false when it exists but cannot be read whole (or is too large to be ours).
bool ReadWhole(const std::wstring& path, std::string& text)
{
    text.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && static_cast<ULONGLONG>(size.QuadPart) <= LARGEST_CALENDAR;
    if (ok)
    {
        text.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = text.empty() || (ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr) &&
                              read == text.size());
    }
    CloseHandle(file);
    return ok;
}

// Creates the folder that holds path, and the folders above it that are missing.
bool MakeFolderFor(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || slash == 0)
        return false;
    std::wstring folder = path.substr(0, slash);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder.size() <= 3 || !MakeFolderFor(folder))
        return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Writes text to a new file beside path and moves it over path: a reader sees the old file or the new, whole.
bool ReplaceWhole(const std::wstring& path, const std::string& text)
{
    // One name per process: the main program and the Today item may write at the same moment.
    std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (ok)
        ok = MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        DeleteFileW(temporary.c_str());
    return ok;
}

bool IsAbsolute(const std::wstring& path)
{
    return (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
           (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\');
}

} // namespace

std::wstring CalendarFilePath()
{
    HKEY key = nullptr;
    std::wstring path;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS)
    {
        wchar_t value[MAX_PATH] = {};
        DWORD size = sizeof(value) - sizeof(wchar_t);
        DWORD type = 0;
        if (RegQueryValueExW(key, L"CalendarFile", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ))
        {
            value[size / sizeof(wchar_t)] = L'\0';
            wchar_t expanded[MAX_PATH] = {};
            DWORD length = ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
            path = length > 0 && length <= MAX_PATH ? expanded : value;
        }
        RegCloseKey(key);
    }
    if (!path.empty())
        return path;
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)))
        return std::wstring();
    return std::wstring(local) + L"\\Festivo\\birthdays.ics";
}

bool CBirthdayCalendar::CStamp::operator==(const CStamp& other) const
{
    return size == other.size && CompareFileTime(&lastWrite, &other.lastWrite) == 0 &&
           CompareFileTime(&change, &other.change) == 0;
}

namespace {

// One step of an event's hash: a word of eight bytes taken in with one multiplication (every load takes a
// digest of every event, byte-wise hashing cost it about 100 ns an event).
uint64_t Step(uint64_t hash, uint64_t word)
{
    return (((hash << 23) | (hash >> 41)) ^ word) * 0x9E3779B97F4A7C15ull;
}

} // namespace

void CCalendarDigest::Add(const CCalendarEvent& event)
{
    uint64_t hash = Step(0xCBF29CE484222325ull, static_cast<uint32_t>(event.oid) |
                                                    static_cast<uint64_t>(static_cast<uint32_t>(event.year)) << 32);
    hash = Step(hash, static_cast<uint32_t>(event.month) | static_cast<uint64_t>(static_cast<uint32_t>(event.day)) << 32);
    size_t length = wcslen(event.name);
    hash = Step(hash, (event.anniversary ? 1u : 0u) | static_cast<uint64_t>(length) << 1);
    // The name in two lanes, each taking every other word, so that their multiplications overlap.
    const size_t PER_WORD = sizeof(uint64_t) / sizeof(wchar_t);
    uint64_t other = 0x84222325CBF29CE4ull;
    size_t i = 0;
    for (; i + 2 * PER_WORD <= length; i += 2 * PER_WORD)
    {
        uint64_t words[2];
        memcpy(words, event.name + i, sizeof(words));
        hash = Step(hash, words[0]);
        other = Step(other, words[1]);
    }
    uint64_t last[2] = {0, 0};
    memcpy(last, event.name + i, (length - i) * sizeof(wchar_t));
    m_sum += Mix(Step(Step(hash, last[0]), Step(other, last[1])));
    m_count++;
}

uint64_t CCalendarDigest::Value(const CCalendarReminders& reminders) const
{
    // What the text is made from, and how: a change to the format must be written again.
    const uint64_t FORMAT = 1;
    int32_t alarms[2] = {reminders.on ? 1 : 0, reminders.minuteOfDay};
    uint64_t hash = Fnv(0xCBF29CE484222325ull, alarms, sizeof(alarms));
    hash = Fnv(hash, reminders.daysAhead.data(), reminders.daysAhead.size() * sizeof(int));
    return (Mix(FORMAT) + Mix(m_count) + m_sum) ^ Mix(hash);
}

uint64_t CalendarDigest(const std::vector<CCalendarEvent>& events, const CCalendarReminders& reminders)
{
    CCalendarDigest digest;
    for (const CCalendarEvent& e : events)
        digest.Add(e);
    return digest.Value(reminders);
}

CalendarResult CBirthdayCalendar::Write(const std::wstring& path, const std::vector<CCalendarEvent>& events,
                                        const CCalendarReminders& reminders, const SYSTEMTIME& nowUtc)
{
    return Write(path, CalendarDigest(events, reminders), [&]() -> const std::vector<CCalendarEvent>& { return events; },
                 reminders, nowUtc);
}

CalendarResult CBirthdayCalendar::Write(const std::wstring& path, uint64_t digest,
                                        const std::function<const std::vector<CCalendarEvent>&()>& events,
                                        const CCalendarReminders& reminders, const SYSTEMTIME& nowUtc)
{
    if (!IsAbsolute(path))
        return CALENDAR_FAILED;
    CStamp stamp = {};
    bool exists = Stamp(path, stamp);
    // The file as this object or another of our processes left it: the same events again change nothing, and
    // cost neither reading the file nor making its text.
    bool untouched = exists && path == m_path && stamp == m_writtenStamp;
    if (untouched && digest == m_writtenDigest)
        return CALENDAR_UNCHANGED;
    if (exists && !untouched && WasWritten(path, digest, stamp))
    {
        m_path = path;
        m_writtenDigest = digest;
        m_writtenStamp = stamp;
        return CALENDAR_UNCHANGED;
    }
    // The text is not kept between writes (for a large address book it is tens of megabytes): it is read
    // again when the events change.
    std::string previous;
    if (!ReadWhole(path, previous))
        return CALENDAR_FAILED;
    if (!IsOwnCalendar(previous))
        return CALENDAR_FOREIGN;
    std::string text = FormatCalendar(events(), reminders, nowUtc, previous);
    bool changed = !exists || text != previous;
    if (changed && (!MakeFolderFor(path) || !ReplaceWhole(path, text)))
        return CALENDAR_FAILED;
    CalendarResult result = changed ? CALENDAR_WRITTEN : CALENDAR_UNCHANGED;
    // Without the file's stamp nothing is remembered: the next write reads the file again.
    m_path.clear();
    if (!Stamp(path, stamp))
        return result;
    m_path = path;
    m_writtenDigest = digest;
    m_writtenStamp = stamp;
    RememberWritten(path, digest, stamp);
    return result;
}
