// The lock every Festivo process takes on an address book file from reading it to replacing it.
#pragma once

#include <windows.h>

#include <string>

// A named mutex of the log-on session, named after the file's normalised path (links followed, full
// long form, letter case folded), so that every process that saves into the same file waits
// for the others. A process that dies holding it gives it up; the next holder carries on.
class CBookLock
{
public:
    explicit CBookLock(const std::wstring& path);
    ~CBookLock();
    CBookLock(const CBookLock&) = delete;
    CBookLock& operator=(const CBookLock&) = delete;

    // False when another process held the lock for longer than a save can take.
    bool Held() const { return m_held; }

    // The name of the lock of a file (tests look at it).
    static std::wstring NameFor(const std::wstring& path);

private:
    HANDLE m_mutex = nullptr;
    bool m_held = false;
};

// Runs attempt until it returns anything other than a sharing error, for a short while: a
// reader or a virus scanner that has the file open briefly is waited for, not reported.
template <class Attempt>
DWORD RetrySharing(Attempt attempt)
{
    const DWORD STEP_MS = 10, LIMIT_MS = 2000;
    DWORD error = attempt();
    for (DWORD waited = 0; waited < LIMIT_MS; waited += STEP_MS)
    {
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION)
            break;
        Sleep(STEP_MS);
        error = attempt();
    }
    return error;
}
