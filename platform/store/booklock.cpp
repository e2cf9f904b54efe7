// The lock every Festivo process takes on an address book file from reading it to replacing it.
#include "platform/store/booklock.h"

#include "platform/store/filebytes.h"
#include "platform/store/filemode.h"
#include "platform/store/longpath.h"

#include <cstdio>

namespace {

// Longer than any save of the largest address book takes, short enough that a hung process is
// reported rather than waited for without end.
const DWORD LOCK_WAIT_MS = 30000;

} // namespace

std::wstring CBookLock::NameFor(const std::wstring& path)
{
    // A mutex name holds no backslash and is limited in length: the path goes in as a hash.
    uint64_t hash = FoldedNameHash(LongPath(ResolveLinks(path)));
    wchar_t name[64];
    swprintf(name, 64, L"Local\\FestivoAddressBook-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

CBookLock::CBookLock(const std::wstring& path)
{
    m_mutex = CreateMutexW(nullptr, FALSE, NameFor(path).c_str());
    if (!m_mutex)
        return;
    DWORD wait = WaitForSingleObject(m_mutex, LOCK_WAIT_MS);
    // An abandoned lock was held by a process that died: the file is whole (saves replace it by
    // renaming), so the lock is taken over.
    m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

CBookLock::~CBookLock()
{
    if (m_held)
        ReleaseMutex(m_mutex);
    if (m_mutex)
        CloseHandle(m_mutex);
}
