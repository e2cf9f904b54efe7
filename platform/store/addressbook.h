// The address book of one process: the contacts read from the .vcf files, and what changed in them.
#pragma once

#include "platform/store/journal.h"
#include "platform/store/vcard/contact.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct CStoreCard
{
    vcard::CContactRecord record;
    LONG baseOid = 0; // before collisions are resolved
    uint64_t hash = 0; // of the card's bytes
};

struct CStoreFile
{
    std::wstring path;
    CFileStamp stamp;
    bool utf16 = false; // the card offsets refer to the file converted to UTF-8
    std::shared_ptr<const std::vector<CStoreCard>> cards;
};

struct CStoreEntry
{
    LONG oid;
    uint32_t file;
    uint32_t card;
};

// One immutable state of the address book; objects handed out keep theirs alive.
struct CSnapshot
{
    std::wstring location;
    std::vector<CStoreFile> files;
    std::vector<CStoreEntry> entries; // in enumeration order: files by name, cards in file order
    std::unordered_map<LONG, uint32_t> byOid;

    const vcard::CContactRecord& Record(size_t entry) const;
    // Index into entries, or -1.
    long Find(LONG oid) const;
};

struct CStoreChange
{
    LONG oid;
    UINT message; // one of the six notification messages
};

// Shared by every object of the store in this process.
class CAddressBook
{
public:
    CAddressBook();
    ~CAddressBook();
    CAddressBook(const CAddressBook&) = delete;
    CAddressBook& operator=(const CAddressBook&) = delete;

    // Re-reads what changed on disk and returns the current state.
    std::shared_ptr<const CSnapshot> Current();
    // Re-reads what changed and hands out the changes noticed since the last call.
    std::vector<CStoreChange> TakeChanges();
    // The decoded picture of a contact; false when it has none.
    bool ReadPhoto(LONG oid, std::string& bytes);

private:
    void RefreshLocked();

    CRITICAL_SECTION m_lock;
    std::shared_ptr<const CSnapshot> m_snapshot;
    std::vector<CStoreChange> m_changes;
};

CAddressBook& TheAddressBook();

// The configured location (registry), or empty.
std::wstring ReadAddressBookLocation();
// Largest file the store reads; bigger files are left out.
const ULONGLONG MAX_ADDRESS_BOOK_FILE = 512ull << 20;

// Building snapshots (snapshot.cpp).
struct CListedFile
{
    std::wstring path;
    CFileStamp stamp;
};
// The .vcf files of the location in enumeration order (by name, case ignored); none when unset.
std::vector<CListedFile> ListAddressBook(const std::wstring& location);
// Reads the listed files; files whose stamp is unchanged since previous are taken over unread.
std::shared_ptr<const CSnapshot> BuildSnapshot(const std::wstring& location, const std::vector<CListedFile>& listing,
                                               const CSnapshot* previous);
// The bytes [begin, end) of the text the card offsets of a file refer to.
bool ReadFileRange(const CStoreFile& file, size_t begin, size_t end, std::string& text);
