// The address book of one process: the contacts read from the .vcf files, and what changed in them.
#pragma once

#include "platform/store/snapshot.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CDirectoryWatch;

struct CStoreChange
{
    LONG oid;
    UINT message; // one of the six notification messages
};

// Shared by every object of the store in this process. The state is read once, then kept
// current from the system's change notifications on the address book's folder.
class CAddressBook
{
public:
    CAddressBook();
    ~CAddressBook();
    CAddressBook(const CAddressBook&) = delete;
    CAddressBook& operator=(const CAddressBook&) = delete;

    // Takes in what changed on disk and returns the current state.
    std::shared_ptr<const CSnapshot> Current();
    // The state already held, without looking at the disk (per-contact operations).
    std::shared_ptr<const CSnapshot> Held();
    // Lists the whole address book again (after the store's own writes, on activation).
    void Recheck();
    // Takes in what changed and hands out the changes noticed since the last call.
    std::vector<CStoreChange> TakeChanges();
    // The decoded picture of a contact; false when it has none.
    bool ReadPhoto(LONG oid, std::string& bytes);
    // The window that hears of the watch's reports, and with which message.
    void SetListener(HWND window, UINT message);
    // No store object is left: stops watching and forgets the state (the index keeps it).
    void Release();

private:
    void UpdateLocked(bool full);
    void StartLocked(const std::wstring& location);
    void ReplaceLocked(std::shared_ptr<const CSnapshot> next);

    CRITICAL_SECTION m_lock;
    std::shared_ptr<const CSnapshot> m_snapshot;
    std::vector<CStoreChange> m_changes;
    std::unique_ptr<CDirectoryWatch> m_watch;
    HWND m_listener;
    UINT m_listenerMessage;
};

CAddressBook& TheAddressBook();

// The configured location (registry), or empty.
std::wstring ReadAddressBookLocation();
// Largest file the store reads; bigger files are left out.
const ULONGLONG MAX_ADDRESS_BOOK_FILE = 512ull << 20;
