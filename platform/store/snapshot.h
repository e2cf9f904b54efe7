// One state of the address book: its files, their cards, and the oids that find them.
#pragma once

#include "platform/store/filebytes.h"
#include "platform/store/journal.h"
#include "platform/store/vcard/contact.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A card without the date.
const int32_t NO_DAY = 949998;
// The days of 1 January 1601 and 31 December 9999: the dates a card can have.
const int32_t FIRST_DAY = -109205;
const int32_t LAST_DAY = 2958465;

// What the store keeps of one card: what the list shows, and where the card's bytes are for the rest.
// Small (32 bytes, no padding) and plain: hundreds of thousands of them are held.
struct CStoreCard
{
    uint64_t hash = 0; // of the card's bytes
    // The card's bytes in the file's text (the file converted to UTF-8 when it is UTF-16): a file is
    // at most MAX_ADDRESS_BOOK_FILE bytes, and converted at most half as long again.
    uint32_t begin = 0;
    uint32_t end = 0;
    // Dates of cards are whole days: the days of the OLE date, NO_DAY without.
    int32_t birthday = NO_DAY;
    int32_t anniversary = NO_DAY;
    LONG baseOid = 0; // before collisions are resolved
    // Where the card's name starts in its file's names; it ends where the next card's starts.
    uint32_t nameAt = 0;
};
static_assert(sizeof(CStoreCard) == 32, "a card is kept without padding");

// The cards of one file, their names one after another in one buffer: a string of its own per card
// would cost an allocation and its overhead for each of hundreds of thousands of contacts.
class CFileCards
{
public:
    size_t size() const { return m_cards.size(); }
    bool empty() const { return m_cards.empty(); }
    const CStoreCard& operator[](size_t i) const;
    const CStoreCard& back() const { return (*this)[size() - 1]; }
    std::vector<CStoreCard>::const_iterator begin() const { return m_cards.begin(); }
    std::vector<CStoreCard>::const_iterator end() const { return m_cards.end(); }
    // The name of card i.
    std::string_view Name(size_t i) const;

    size_t NameBytes() const { return m_names.size(); }
    const std::string& Names() const { return m_names; }
    void Reserve(size_t cards, size_t nameBytes);
    // Appends a card with the given name (the card's nameAt is set here).
    void Add(const CStoreCard& card, std::string_view name);
    // Gives back what reserving took well beyond what was added.
    void Fit();
    // Room for count cards and nameBytes of names, filled in place by the caller (the index reads
    // them straight in); Sound must then hold before any card is used.
    CStoreCard* FillCards(size_t count);
    char* FillNames(size_t nameBytes);
    // Whether cards filled in place are whole: names in order within the names, each card's bytes
    // in order, dates that cards can have, oids the store can give. Bytes from elsewhere are checked
    // here so that they never reach an assertion.
    bool Sound() const;

private:
    std::vector<CStoreCard> m_cards;
    std::string m_names;
};

// How long after its last write a file's listing can be trusted to show any further write.
const unsigned STAMP_SETTLE_MS = 100;

struct CStoreFile
{
    std::wstring path;
    CFileStamp stamp;
    ULONGLONG changeTime = 0; // the system's change time: moves on every write, rename or time reset
    ULONGLONG readAt = 0;     // system time just before the listing that preceded the read
    bool utf16 = false;       // the card offsets refer to the file converted to UTF-8
    bool failed = false;      // the last read failed: the cards are the last good ones (or none)
    std::shared_ptr<const CFileCards> cards;

    // Whether a later write of the file must show in its stamp. A write within the file system's
    // time granularity of the read can leave size and times as they were.
    bool Settled() const;
};

// A contact of a state: its oid, and its card's place among the state's files.
struct CStoreEntry
{
    LONG oid;
    uint32_t file;
    uint32_t card;
};

// One immutable state of the address book; objects handed out keep theirs alive.
// Its contacts are numbered in enumeration order (files by name, cards in file order). Per contact it
// holds only the oid and its place in the oid order (eight bytes): where a contact's card is follows
// from the files' first contacts.
struct CSnapshot
{
    std::wstring location;
    std::vector<CStoreFile> files;
    std::vector<LONG> oids;           // of each contact, in enumeration order
    std::vector<uint32_t> fileStarts; // each file's first contact, then the count of contacts
    std::vector<uint32_t> byOid;      // contacts ordered by oid, then enumeration order

    size_t Count() const { return oids.size(); }
    LONG Oid(size_t entry) const;
    CStoreEntry Entry(size_t entry) const;
    const CStoreCard& Card(size_t entry) const;
    std::string_view Name(size_t entry) const;
    // The whole record of an entry, read from its card's bytes at the first use. A card whose bytes
    // are no longer what was read gives what the store kept of it (name and dates).
    const vcard::CContactRecord& Record(size_t entry) const;
    // The contact with the oid (its number in enumeration order), or -1.
    long Find(LONG oid) const;
    // The decoded picture of an entry; false when it has none.
    bool ReadPhoto(size_t entry, std::string& bytes) const;
    // The bytes [begin, end) of an entry's file text: from the card last read for a record when they lie
    // within it (a program showing contact after contact reads each card once), else from the file.
    bool ReadCardRange(size_t entry, size_t begin, size_t end, std::string& text) const;

private:
    mutable std::unordered_map<size_t, std::unique_ptr<vcard::CContactRecord>> m_records;
    // The checked bytes of the card whose record was read last, and where they start in its file's text.
    mutable size_t m_keptEntry = static_cast<size_t>(-1);
    mutable uint64_t m_keptBegin = 0;
    mutable std::string m_kept;
};

struct CListedFile
{
    std::wstring path;
    CFileStamp stamp;
    ULONGLONG changeTime = 0;
};
// The .vcf files of the location in enumeration order (by name, case ignored); none when unset.
std::vector<CListedFile> ListAddressBook(const std::wstring& location);
// One file's listing; false when it is gone or not a file.
bool ListFile(const std::wstring& path, CListedFile& file);
// The folder whose notifications cover the location (the folder itself, or the one file's folder).
std::wstring WatchedFolder(const std::wstring& location);
// Whether a name the folder's notifications report belongs to the address book at location (a
// folder of files, or one file).
bool IsAddressBookName(const std::wstring& location, bool folder, const std::wstring& name);

struct CBuildOptions
{
    // Files to read again whatever their stamp (the notifications named them); lower-case paths.
    const std::vector<std::wstring>* reread = nullptr;
    // Take over unchanged files even when their stamp is too recent to be sure of (they are watched).
    bool trustRecent = false;
    // System time just before the listing was taken (0: now).
    ULONGLONG listedAt = 0;
};
// Reads the listed files; files whose listing is unchanged since previous are taken over unread.
// A file that cannot be read keeps its previous cards and is tried again next time.
std::shared_ptr<CSnapshot> BuildSnapshot(const std::wstring& location, const std::vector<CListedFile>& listing,
                                         const CSnapshot* previous, const CBuildOptions& options);
// Unique oids (never 0) for the cards' base oids, in enumeration order; returns how many candidate
// oids were looked at. oids may be bases itself.
size_t AssignOids(const std::vector<LONG>& bases, std::vector<LONG>& oids);
// The bytes [begin, end) of the text the card offsets of a file refer to.
bool ReadFileRange(const CStoreFile& file, size_t begin, size_t end, std::string& text);
std::wstring LowerPath(const std::wstring& path);
// The enumeration order of files: by path, case ignored.
bool PathLess(const std::wstring& a, const std::wstring& b);
ULONGLONG Ticks(const FILETIME& time);
// A card's date as the store keeps it, and back.
int32_t StoreDay(double date);
inline double OleDate(int32_t day)
{
    return static_cast<double>(day);
}
// The base oid of a card without UID, from the FNV-1a hash of its bytes.
LONG ContentOid(uint64_t hash);
