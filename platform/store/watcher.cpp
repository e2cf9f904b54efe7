// The directory watch: a thread that waits for the system's change notifications on the address book's folder.
#include "platform/store/watcher.h"

#include "platform/store/longpath.h"

#include <algorithm>

namespace {

const DWORD WATCH_FILTER = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
// A writer often touches a file several times in a row: the report waits until it has been
// quiet this long (but no longer than BURST_LIMIT), so that one change makes one report.
const DWORD QUIET = 40;
const DWORD BURST_LIMIT = 250;
const size_t BUFFER_BYTES = 64 * 1024;
// How often the watch makes sure that it still watches the folder the path names: a folder that
// was deleted and made again, or renamed and replaced, is watched anew within this time.
const DWORD FOLDER_CHECK = 1000;

// What tells one folder from another: its volume, its file index and when it was made.
struct CFolderIdentity
{
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    FILETIME created = {0, 0};
    bool valid = false;

    bool operator==(const CFolderIdentity& o) const
    {
        return valid && o.valid && volume == o.volume && high == o.high && low == o.low &&
               CompareFileTime(&created, &o.created) == 0;
    }
};

CFolderIdentity IdentityOf(HANDLE handle)
{
    CFolderIdentity identity;
    BY_HANDLE_FILE_INFORMATION info;
    // A deleted folder still open here has no links left.
    if (handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info) && info.nNumberOfLinks > 0)
    {
        identity.volume = info.dwVolumeSerialNumber;
        identity.high = info.nFileIndexHigh;
        identity.low = info.nFileIndexLow;
        identity.created = info.ftCreationTime;
        identity.valid = true;
    }
    return identity;
}

CFolderIdentity IdentityOf(const std::wstring& folder)
{
    HANDLE handle = CreateFileW(LongPath(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    CFolderIdentity identity = IdentityOf(handle);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return identity;
}

} // namespace

CDirectoryWatch::CDirectoryWatch()
    : m_directory(INVALID_HANDLE_VALUE), m_thread(nullptr), m_stop(nullptr), m_ready(nullptr), m_wake(nullptr), m_overlapped(),
      m_buffer(BUFFER_BYTES / sizeof(DWORD)), m_armed(false), m_retry(false), m_window(nullptr), m_message(0)
{
    InitializeCriticalSection(&m_lock);
}

CDirectoryWatch::~CDirectoryWatch()
{
    Stop();
    DeleteCriticalSection(&m_lock);
}

bool CDirectoryWatch::Start(const std::wstring& folder, bool subfolders)
{
    Begin(folder, subfolders);
    return Started();
}

void CDirectoryWatch::Begin(const std::wstring& folder, bool subfolders)
{
    Stop();
    m_folder = folder;
    m_subfolders = subfolders;
    m_report = CWatchReport();
    m_armed = false;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_overlapped = OVERLAPPED();
    m_overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_stop && m_ready && m_wake && m_overlapped.hEvent)
        m_thread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
}

bool CDirectoryWatch::Started()
{
    if (!m_thread)
        return false;
    WaitForSingleObject(m_ready, INFINITE);
    return Armed();
}

void CDirectoryWatch::Stop()
{
    if (m_thread)
    {
        SetEvent(m_stop);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    HANDLE* handles[] = {&m_stop, &m_ready, &m_wake, &m_overlapped.hEvent};
    for (HANDLE* h : handles)
        if (*h)
        {
            CloseHandle(*h);
            *h = nullptr;
        }
    m_armed = false;
}

bool CDirectoryWatch::Armed() const
{
    EnterCriticalSection(&m_lock);
    bool armed = m_armed;
    LeaveCriticalSection(&m_lock);
    return armed;
}

CWatchReport CDirectoryWatch::Take()
{
    EnterCriticalSection(&m_lock);
    CWatchReport report;
    std::swap(report, m_report);
    LeaveCriticalSection(&m_lock);
    return report;
}

void CDirectoryWatch::SetRetry(bool retry)
{
    EnterCriticalSection(&m_lock);
    bool changed = m_retry != retry;
    m_retry = retry;
    LeaveCriticalSection(&m_lock);
    if (changed && m_wake)
        SetEvent(m_wake);
}

void CDirectoryWatch::SetListener(HWND window, UINT message)
{
    EnterCriticalSection(&m_lock);
    m_window = window;
    m_message = message;
    LeaveCriticalSection(&m_lock);
}

DWORD WINAPI CDirectoryWatch::ThreadProc(void* self)
{
    static_cast<CDirectoryWatch*>(self)->Run();
    return 0;
}

bool CDirectoryWatch::Request()
{
    if (m_directory == INVALID_HANDLE_VALUE)
        m_directory = CreateFileW(LongPath(m_folder).c_str(), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    ResetEvent(m_overlapped.hEvent);
    bool ok = m_directory != INVALID_HANDLE_VALUE &&
              ReadDirectoryChangesW(m_directory, m_buffer.data(), static_cast<DWORD>(m_buffer.size() * sizeof(DWORD)),
                                    m_subfolders, WATCH_FILTER, nullptr, &m_overlapped, nullptr);
    if (!ok && m_directory != INVALID_HANDLE_VALUE)
    {
        CloseHandle(m_directory);
        m_directory = INVALID_HANDLE_VALUE;
    }
    EnterCriticalSection(&m_lock);
    m_armed = ok;
    LeaveCriticalSection(&m_lock);
    return ok;
}

void CDirectoryWatch::Collect(DWORD bytes)
{
    EnterCriticalSection(&m_lock);
    // No bytes: the system's buffer overflowed and the names are lost.
    if (bytes == 0)
        m_report.full = true;
    const BYTE* base = reinterpret_cast<const BYTE*>(m_buffer.data());
    for (DWORD offset = 0; bytes > 0 && offset + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;)
    {
        const FILE_NOTIFY_INFORMATION* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
        if (offset + offsetof(FILE_NOTIFY_INFORMATION, FileName) + info->FileNameLength > bytes)
            break;
        m_report.names.emplace_back(info->FileName, info->FileNameLength / sizeof(wchar_t));
        if (info->NextEntryOffset == 0)
            break;
        offset += info->NextEntryOffset;
    }
    LeaveCriticalSection(&m_lock);
}

void CDirectoryWatch::Publish()
{
    EnterCriticalSection(&m_lock);
    HWND window = m_window;
    UINT message = m_message;
    LeaveCriticalSection(&m_lock);
    if (window)
        PostMessageW(window, message, 0, 0);
}

bool CDirectoryWatch::WatchesTheFolder() const
{
    return m_directory != INVALID_HANDLE_VALUE && IdentityOf(m_directory) == IdentityOf(m_folder);
}

void CDirectoryWatch::CloseDirectory()
{
    if (m_directory != INVALID_HANDLE_VALUE)
    {
        CancelIo(m_directory);
        DWORD bytes = 0;
        GetOverlappedResult(m_directory, &m_overlapped, &bytes, TRUE);
        CloseHandle(m_directory);
        m_directory = INVALID_HANDLE_VALUE;
    }
}

void CDirectoryWatch::Rearm()
{
    CloseDirectory();
    Request();
}

void CDirectoryWatch::Run()
{
    Request();
    SetEvent(m_ready);
    HANDLE waits[] = {m_stop, m_wake, m_overlapped.hEvent};
    DWORD lastLook = GetTickCount();
    for (;;)
    {
        EnterCriticalSection(&m_lock);
        DWORD look = m_retry ? RETRY : SAFETY_CHECK;
        bool armed = m_armed;
        LeaveCriticalSection(&m_lock);
        DWORD wait = WaitForMultipleObjects(armed ? 3 : 2, waits, FALSE, std::min(look, FOLDER_CHECK));
        if (wait == WAIT_OBJECT_0)
            break;
        if (wait == WAIT_OBJECT_0 + 1)
            continue;
        if (wait == WAIT_TIMEOUT)
        {
            // A folder deleted, renamed or made again leaves the handle on the old one: the
            // watch starts over on the folder the path names now, and the owner looks at it whole.
            bool moved = !armed || !WatchesTheFolder();
            if (moved)
                Rearm();
            bool changed = moved && (armed || Armed());
            if (!changed && GetTickCount() - lastLook < look)
                continue;
            lastLook = GetTickCount();
            EnterCriticalSection(&m_lock);
            m_report.full = true;
            LeaveCriticalSection(&m_lock);
            Publish();
            continue;
        }
        DWORD start = GetTickCount();
        bool more = true;
        while (more)
        {
            DWORD bytes = 0;
            if (!GetOverlappedResult(m_directory, &m_overlapped, &bytes, FALSE))
                bytes = 0;
            Collect(bytes);
            if (!Request())
            {
                EnterCriticalSection(&m_lock);
                m_report.full = true;
                LeaveCriticalSection(&m_lock);
                break;
            }
            DWORD spent = GetTickCount() - start;
            more = spent < BURST_LIMIT &&
                   WaitForSingleObject(m_overlapped.hEvent, QUIET) == WAIT_OBJECT_0;
        }
        Publish();
    }
    CloseDirectory();
}
