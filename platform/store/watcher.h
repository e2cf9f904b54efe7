// The directory watch: a thread that waits for the system's change notifications on the address book's folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the watch saw since it was last asked.
struct CWatchReport
{
    std::vector<std::wstring> names; // changed entries of the folder, as the system named them
    bool full = false;               // look at the whole folder: lost track, safety check, or a retry
};

// Watches one folder, with its sub-folders when asked. Costs nothing while nothing changes; every
// SAFETY_CHECK (or RETRY when asked to) it asks for a full look, for file systems that cannot notify.
class CDirectoryWatch
{
public:
    CDirectoryWatch();
    ~CDirectoryWatch();
    CDirectoryWatch(const CDirectoryWatch&) = delete;
    CDirectoryWatch& operator=(const CDirectoryWatch&) = delete;

    // Starts watching; true once the system accepted the first request (changes from then on are seen).
    bool Start(const std::wstring& folder, bool subfolders = false);
    // Start in two halves, so that work that does not look at the folder can go on while the watch
    // is set up: Begin returns at once, Started waits for the first request as Start does.
    void Begin(const std::wstring& folder, bool subfolders = false);
    bool Started();
    void Stop();
    // False when the system cannot notify on this folder: the owner must look for itself.
    bool Armed() const;
    CWatchReport Take();
    // Shortens the wait for the next full look while a file could not be read.
    void SetRetry(bool retry);
    // After a report, window gets message (none while window is null).
    void SetListener(HWND window, UINT message);

    static const DWORD SAFETY_CHECK = 30000;
    static const DWORD RETRY = 1000;

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Run();
    bool Request();
    // Whether the open handle is on the folder the path names now.
    bool WatchesTheFolder() const;
    // Cancels the pending request and closes the handle.
    void CloseDirectory();
    // Closes the handle and asks again on the folder the path names now.
    void Rearm();
    void Collect(DWORD bytes);
    void Publish();

    mutable CRITICAL_SECTION m_lock;
    std::wstring m_folder;
    bool m_subfolders = false;
    HANDLE m_directory;
    HANDLE m_thread;
    HANDLE m_stop;
    HANDLE m_ready;
    HANDLE m_wake; // a new timeout applies
    OVERLAPPED m_overlapped;
    std::vector<DWORD> m_buffer;
    CWatchReport m_report;
    bool m_armed;
    bool m_retry;
    HWND m_window;
    UINT m_message;
};
