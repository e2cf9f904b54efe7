// The birthdays calendar's file: where it is kept, reading what it holds, and replacing it whole.
#include "data/birthdaycalendar.h"

#include "data/settings.h"

#include <shlobj.h>

namespace {

// Larger than any calendar of ours: a file this big at the path is someone else's.
const ULONGLONG LARGEST_CALENDAR = 256ull * 1024 * 1024;

bool Stamp(const std::wstring& path, FILETIME& time, ULONGLONG& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    time = data.ftLastWriteTime;
    size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
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

CalendarResult CBirthdayCalendar::Write(const std::wstring& path, const std::vector<CCalendarEvent>& events,
                                        const CCalendarReminders& reminders, const SYSTEMTIME& nowUtc)
{
    if (!IsAbsolute(path))
        return CALENDAR_FAILED;
    // What the file holds: the text last written here while the file is as it was left, else read afresh.
    FILETIME time = {};
    ULONGLONG size = 0;
    bool exists = Stamp(path, time, size);
    std::string previous;
    bool untouched = exists && path == m_path && size == m_writtenSize && CompareFileTime(&time, &m_writtenTime) == 0;
    // A reload that read the same events as the last one costs a comparison, not a formatting of every event.
    if (untouched && events == m_writtenEvents && reminders == m_writtenReminders)
        return CALENDAR_UNCHANGED;
    if (untouched)
        previous = m_written;
    else if (!ReadWhole(path, previous))
        return CALENDAR_FAILED;
    if (!IsOwnCalendar(previous))
        return CALENDAR_FOREIGN;
    std::string text = FormatCalendar(events, reminders, nowUtc, previous);
    if (!exists || text != previous)
    {
        if (!MakeFolderFor(path) || !ReplaceWhole(path, text))
            return CALENDAR_FAILED;
        Stamp(path, time, size);
    }
    bool changed = !exists || text != previous;
    m_path = path;
    m_written.swap(text);
    m_writtenTime = time;
    m_writtenSize = size;
    m_writtenEvents = events;
    m_writtenReminders = reminders;
    return changed ? CALENDAR_WRITTEN : CALENDAR_UNCHANGED;
}
