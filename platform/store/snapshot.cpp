// Builds a state of the address book from its files: cards, what the list needs of them, and unique oids.
#include "platform/store/snapshot.h"

#include "platform/store/addressbook.h"
#include "platform/store/config.h"
#include "platform/store/filecards.h"
#include "platform/store/longpath.h"
#include "platform/store/vcard/reader.h"

#include <algorithm>

namespace {

// A write can leave a file's times as they were when it falls in the same step of the file
// system's clock as the write before. Times in whole seconds come from file systems that keep
// coarse times (two seconds on FAT); the others step at least with the system's clock tick.
const ULONGLONG COARSE_STEP = 2ull * 10000000;
const ULONGLONG FINE_STEP = STAMP_SETTLE_MS * 10000ull;

bool EndsWithVcf(const wchar_t* name, size_t length)
{
    return length >= 4 && CompareStringOrdinal(name + length - 4, 4, L".vcf", 4, TRUE) == CSTR_EQUAL;
}

std::wstring FileName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return path.substr(slash == std::wstring::npos ? 0 : slash + 1);
}

// Oids (never 0) to values in one flat array, open addressing: no allocation per oid, so that
// hundreds of thousands of cards sharing a few bases are numbered in a blink. Filled at most two
// thirds, and sized to that rather than to a power of two: its pages are fresh, and each costs.
class COidTable
{
public:
    explicit COidTable(size_t count) { m_slots.assign(std::max<size_t>(16, count + count / 2), {0, 0}); }
    LONG* Find(LONG key)
    {
        for (size_t at = Slot(key);; at = Next(at))
        {
            if (m_slots[at].first == key)
                return &m_slots[at].second;
            if (m_slots[at].first == 0)
                return nullptr;
        }
    }
    // Each key once; the table holds at most the count it was made for.
    void Insert(LONG key, LONG value)
    {
        size_t at = Slot(key);
        while (m_slots[at].first != 0)
            at = Next(at);
        m_slots[at] = {key, value};
    }

private:
    // The key's hash scaled to the table's size (the hash's high bits pick the slot).
    size_t Slot(LONG key) const
    {
        uint32_t hash = static_cast<uint32_t>(key) * 2654435761u;
        return static_cast<size_t>((static_cast<uint64_t>(hash) * m_slots.size()) >> 32);
    }
    size_t Next(size_t at) const { return at + 1 == m_slots.size() ? 0 : at + 1; }

    std::vector<std::pair<LONG, LONG>> m_slots;
};

// The contacts ordered by oid, then enumeration order. Oids are spread over 31 bits (hashes of UIDs
// and of cards): one pass puts each contact into the share of the order of its oid's top bits, and
// only those shares, a few contacts each, are sorted, which costs a fraction of sorting the whole
// and needs no second table.
void OrderByOid(const std::vector<LONG>& oids, std::vector<uint32_t>& byOid)
{
    unsigned bits = 4;
    while (bits < 24 && (size_t(8) << bits) < oids.size())
        ++bits;
    const unsigned SHIFT = 31 - bits, SHARES = 1u << bits;
    // Oids are positive: the mask only keeps any other value from reaching outside the table.
    auto share = [=](LONG oid) { return (static_cast<uint32_t>(oid) >> SHIFT) & (SHARES - 1); };
    // Where each share ends; while the contacts are placed, where its next one goes (then it ends
    // where the next share starts).
    std::vector<uint32_t> ends(SHARES, 0);
    for (LONG oid : oids)
        ++ends[share(oid)];
    for (unsigned at = 0, start = 0; at < SHARES; ++at)
    {
        uint32_t count = ends[at];
        ends[at] = start;
        start += count;
    }
    byOid.resize(oids.size());
    for (uint32_t i = 0; i < oids.size(); ++i)
        byOid[ends[share(oids[i])]++] = i;
    // A share often is in order already: many cards sharing one base, numbered one after another.
    auto less = [&oids](uint32_t a, uint32_t b) { return oids[a] < oids[b] || (oids[a] == oids[b] && a < b); };
    for (unsigned at = 0, start = 0; at < SHARES; start = ends[at++])
        if (!std::is_sorted(byOid.begin() + start, byOid.begin() + ends[at], less))
            std::sort(byOid.begin() + start, byOid.begin() + ends[at], less);
}

// Records read on demand are filled under this lock: snapshots are shared by every store object.
CRITICAL_SECTION* RecordLock()
{
    static CRITICAL_SECTION lock;
    static bool ready = (InitializeCriticalSection(&lock), true);
    (void)ready;
    return &lock;
}

// The whole record of a card from the text its offsets refer to; false when the card's bytes are no
// longer the ones that were read.
bool ParseRecord(const std::string& text, const CStoreCard& card, vcard::CContactRecord& record)
{
    if (card.end > text.size() || card.begin > card.end ||
        CardHash(text.data() + card.begin, static_cast<size_t>(card.end - card.begin)) != card.hash)
        return false;
    vcard::CVCardReader reader(text.data() + card.begin, static_cast<size_t>(card.end - card.begin));
    vcard::CVCard parsed;
    if (!reader.Next(parsed))
        return false;
    vcard::ReadContact(parsed, record);
    // The picture's place is kept in the file's terms, as when the whole file is read.
    record.photoBegin += static_cast<size_t>(card.begin);
    record.photoEnd += static_cast<size_t>(card.begin);
    return true;
}

void FillFromCard(const CStoreCard& card, std::string_view name, vcard::CContactRecord& record)
{
    record = vcard::CContactRecord();
    record.name.assign(name.data(), name.size());
    record.birthday = OleDate(card.birthday);
    record.anniversary = OleDate(card.anniversary);
}

} // namespace

// A card without UID is known by its content, so that other cards coming and going leave its oid alone.
LONG ContentOid(uint64_t hash)
{
    LONG oid = static_cast<LONG>((hash ^ (hash >> 31) ^ (hash >> 62)) & 0x7FFFFFFF);
    return oid == 0 ? 1 : oid;
}

const CStoreCard& CFileCards::operator[](size_t i) const
{
    if (i >= m_cards.size())
        FatalAppExitW(0, L"A card past the end of its file was asked for.");
    return m_cards[i];
}

std::string_view CFileCards::Name(size_t i) const
{
    size_t at = (*this)[i].nameAt, end = i + 1 < m_cards.size() ? m_cards[i + 1].nameAt : m_names.size();
    if (at > end || end > m_names.size())
        FatalAppExitW(0, L"A card's name lies outside its file's names.");
    return std::string_view(m_names).substr(at, end - at);
}

void CFileCards::Reserve(size_t cards, size_t nameBytes)
{
    m_cards.reserve(cards);
    m_names.reserve(nameBytes);
}

void CFileCards::Add(const CStoreCard& card, std::string_view name)
{
    m_cards.push_back(card);
    m_cards.back().nameAt = static_cast<uint32_t>(m_names.size());
    m_names.append(name.data(), name.size());
}

void CFileCards::Fit()
{
    // Copying into a fitting block costs fresh pages: only worth it when much is left over.
    if (m_cards.capacity() > m_cards.size() + m_cards.size() / 4 + 16)
        m_cards.shrink_to_fit();
    if (m_names.capacity() > m_names.size() + m_names.size() / 4 + 256)
        m_names.shrink_to_fit();
}

CStoreCard* CFileCards::FillCards(size_t count)
{
    m_cards.resize(count);
    return m_cards.data();
}

char* CFileCards::FillNames(size_t nameBytes)
{
    m_names.resize(nameBytes);
    return &m_names[0];
}

bool CFileCards::Sound() const
{
    auto date = [](int32_t day) { return day == NO_DAY || (day >= FIRST_DAY && day <= LAST_DAY); };
    uint32_t nameAt = 0;
    for (const CStoreCard& card : m_cards)
    {
        if (card.nameAt < nameAt || card.nameAt > m_names.size() || card.begin > card.end || !date(card.birthday) ||
            !date(card.anniversary) || card.baseOid <= 0)
            return false;
        nameAt = card.nameAt;
    }
    return true;
}

int32_t StoreDay(double date)
{
    // Cards' dates are whole days of 1601 to 9999; anything else is kept as no date.
    return date >= FIRST_DAY && date <= LAST_DAY && date == static_cast<double>(static_cast<int32_t>(date))
               ? static_cast<int32_t>(date)
               : NO_DAY;
}

LONG CSnapshot::Oid(size_t entry) const
{
    if (entry >= oids.size())
        FatalAppExitW(0, L"A contact past the end of the address book was asked for.");
    return oids[entry];
}

CStoreEntry CSnapshot::Entry(size_t entry) const
{
    LONG oid = Oid(entry);
    // The last file whose first contact is not after this one: files without cards share their start.
    if (fileStarts.size() != files.size() + 1)
        FatalAppExitW(0, L"The address book's files and contacts disagree.");
    uint32_t file = 0;
    if (files.size() > 1)
        file = static_cast<uint32_t>(std::upper_bound(fileStarts.begin(), fileStarts.end(), entry) - fileStarts.begin() - 1);
    return {oid, file, static_cast<uint32_t>(entry - fileStarts[file])};
}

const CStoreCard& CSnapshot::Card(size_t entry) const
{
    CStoreEntry e = Entry(entry);
    return (*files[e.file].cards)[e.card];
}

std::string_view CSnapshot::Name(size_t entry) const
{
    CStoreEntry e = Entry(entry);
    return files[e.file].cards->Name(e.card);
}

const vcard::CContactRecord& CSnapshot::Record(size_t entry) const
{
    EnterCriticalSection(RecordLock());
    auto found = m_records.find(entry);
    if (found == m_records.end())
    {
        CStoreEntry e = Entry(entry);
        const CStoreFile& file = files[e.file];
        // A card is read from its own bytes; a UTF-16 file is converted whole, so all its cards are
        // read at once rather than converting the file again for each.
        size_t first = file.utf16 ? entry - e.card : entry;
        size_t count = file.utf16 ? file.cards->size() : 1;
        std::string text;
        bool read = file.utf16 ? ReadFileRange(file, 0, static_cast<size_t>(file.cards->back().end), text)
                               : ReadFileRange(file, static_cast<size_t>(Card(entry).begin),
                                               static_cast<size_t>(Card(entry).end), text);
        for (size_t i = first; i < first + count; ++i)
        {
            std::unique_ptr<vcard::CContactRecord> record(new vcard::CContactRecord());
            CStoreCard card = Card(i);
            if (!file.utf16)
            {
                // The text holds this card alone.
                card.end -= card.begin;
                card.begin = 0;
            }
            if (!read || !ParseRecord(text, card, *record))
                FillFromCard(card, Name(i), *record);
            else
            {
                if (!file.utf16)
                {
                    record->photoBegin += static_cast<size_t>(Card(i).begin);
                    record->photoEnd += static_cast<size_t>(Card(i).begin);
                }
                if (i == entry)
                {
                    // Kept for the picture, which is asked for next when the contact is shown.
                    m_keptEntry = entry;
                    m_keptBegin = Card(i).begin;
                    m_kept.assign(text, static_cast<size_t>(card.begin), static_cast<size_t>(card.end - card.begin));
                }
            }
            m_records[i] = std::move(record);
        }
        found = m_records.find(entry);
    }
    const vcard::CContactRecord& result = *found->second;
    LeaveCriticalSection(RecordLock());
    return result;
}

bool CSnapshot::ReadCardRange(size_t entry, size_t begin, size_t end, std::string& text) const
{
    EnterCriticalSection(RecordLock());
    bool kept = m_keptEntry == entry && begin >= m_keptBegin && begin <= end && end - m_keptBegin <= m_kept.size();
    if (kept)
        text.assign(m_kept, static_cast<size_t>(begin - m_keptBegin), end - begin);
    LeaveCriticalSection(RecordLock());
    return kept || ReadFileRange(files[Entry(entry).file], begin, end, text);
}

long CSnapshot::Find(LONG oid) const
{
    auto it = std::lower_bound(byOid.begin(), byOid.end(), oid, [this](uint32_t entry, LONG wanted) { return oids[entry] < wanted; });
    return it == byOid.end() || oids[*it] != oid ? -1 : static_cast<long>(*it);
}

std::wstring ReadAddressBookLocation()
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return std::wstring();
    std::wstring location(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, &location[0],
                     &size) != ERROR_SUCCESS)
        return std::wstring();
    location.resize(wcsnlen(location.c_str(), location.size()));
    return location;
}

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::wstring LowerPath(const std::wstring& path)
{
    std::wstring lower = path;
    if (!lower.empty())
        CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
    return lower;
}

bool CStoreFile::Settled() const
{
    ULONGLONG written = std::max(Ticks(stamp.time), changeTime);
    bool coarse = Ticks(stamp.time) % 10000000 == 0 && changeTime % 10000000 == 0;
    return written + (coarse ? COARSE_STEP : FINE_STEP) < readAt;
}

bool ListFile(const std::wstring& path, CListedFile& file)
{
    HANDLE h = CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    bool ok = GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof(basic)) &&
              GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof(standard)) && !standard.Directory;
    CloseHandle(h);
    if (!ok)
        return false;
    file.path = path;
    file.stamp.exists = true;
    file.stamp.time.dwLowDateTime = static_cast<DWORD>(basic.LastWriteTime.QuadPart);
    file.stamp.time.dwHighDateTime = static_cast<DWORD>(basic.LastWriteTime.QuadPart >> 32);
    file.stamp.size = static_cast<ULONGLONG>(standard.EndOfFile.QuadPart);
    file.changeTime = static_cast<ULONGLONG>(basic.ChangeTime.QuadPart);
    return true;
}

std::wstring WatchedFolder(const std::wstring& location)
{
    DWORD attributes = GetFileAttributesW(LongPath(location).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return location;
    size_t slash = location.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : location.substr(0, slash);
}

bool IsAddressBookName(const std::wstring& location, bool folder, const std::wstring& name)
{
    if (folder)
        return EndsWithVcf(name.c_str(), name.size());
    std::wstring own = FileName(location);
    return CompareStringOrdinal(own.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool PathLess(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

namespace {

// Appends the folder's .vcf files; with subfolders given, also the names of its subfolders.
void ListFolder(const std::wstring& location, std::vector<CListedFile>& files, std::vector<std::wstring>* subfolders)
{
    // One directory read returns many entries with their sizes and times, the change time included.
    HANDLE folder = CreateFileW(LongPath(location).c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return;
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    const DWORD bufferBytes = static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG));
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder, kind, buffer.data(), bufferBytes))
    {
        kind = FileIdBothDirectoryInfo;
        const BYTE* base = reinterpret_cast<const BYTE*>(buffer.data());
        for (DWORD offset = 0;;)
        {
            const FILE_ID_BOTH_DIR_INFO* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(base + offset);
            size_t length = info->FileNameLength / sizeof(wchar_t);
            std::wstring name(info->FileName, length);
            if (!(info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithVcf(info->FileName, length))
            {
                CListedFile file;
                file.path = location + L"\\" + name;
                file.stamp.exists = true;
                file.stamp.time.dwLowDateTime = static_cast<DWORD>(info->LastWriteTime.QuadPart);
                file.stamp.time.dwHighDateTime = static_cast<DWORD>(info->LastWriteTime.QuadPart >> 32);
                file.stamp.size = static_cast<ULONGLONG>(info->EndOfFile.QuadPart);
                file.changeTime = static_cast<ULONGLONG>(info->ChangeTime.QuadPart);
                files.push_back(std::move(file));
            }
            else if (subfolders && (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
                subfolders->push_back(name);
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
    }
    CloseHandle(folder);
}

} // namespace

std::vector<CListedFile> ListAddressBook(const std::wstring& location)
{
    std::vector<CListedFile> files;
    if (location.empty())
        return files;
    DWORD attributes = GetFileAttributesW(LongPath(location).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return files;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        CListedFile file;
        if (ListFile(location, file))
            files.push_back(file);
        return files;
    }
    std::vector<std::wstring> subfolders;
    ListFolder(location, files, &subfolders);
    // A folder of collections, one folder of cards each (as a CardDAV sync keeps them): their
    // cards are the address book. Cards of its own make the folder an address book by itself.
    if (files.empty())
        for (const std::wstring& name : subfolders)
            ListFolder(location + L"\\" + name, files, nullptr);
    std::sort(files.begin(), files.end(), [](const CListedFile& a, const CListedFile& b) { return PathLess(a.path, b.path); });
    return files;
}

size_t AssignOids(const std::vector<LONG>& bases, std::vector<LONG>& oids)
{
    // Oids clash only by accident or by a repeated UID (or identical cards): the later card takes
    // the next free one. Each base remembers where its search ended, so many cards sharing one
    // base cost no more than as many different ones. Once a card with a base was numbered, the base
    // itself is taken: its entry in the table of taken oids holds that memory (0 while none), so
    // one table does for both.
    size_t looked = 0;
    oids.resize(bases.size());
    COidTable taken(bases.size());
    for (size_t i = 0; i < bases.size(); ++i)
    {
        LONG base = bases[i];
        LONG* memo = taken.Find(base);
        LONG oid = memo && *memo ? *memo : base;
        for (++looked; taken.Find(oid); ++looked)
            oid = oid == 0x7FFFFFFF ? 1 : oid + 1;
        taken.Insert(oid, 0);
        *taken.Find(base) = oid == 0x7FFFFFFF ? 1 : oid + 1;
        oids[i] = oid;
    }
    return looked;
}

std::shared_ptr<CSnapshot> BuildSnapshot(const std::wstring& location, const std::vector<CListedFile>& listing,
                                         const CSnapshot* previous, const CBuildOptions& options)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    auto snapshot = std::make_shared<CSnapshot>();
    snapshot->location = location;
    // Both lists are in enumeration order: one walk pairs each listed file with its previous state.
    static const std::vector<CStoreFile> none;
    const std::vector<CStoreFile>& before = previous && previous->location == location ? previous->files : none;
    std::unordered_map<std::wstring, bool> reread;
    if (options.reread)
        for (const std::wstring& path : *options.reread)
            reread.emplace(path, true);
    snapshot->files.reserve(listing.size());
    size_t next = 0;
    for (const CListedFile& listed : listing)
    {
        while (next < before.size() && PathLess(before[next].path, listed.path))
            ++next;
        const CStoreFile* old =
            next < before.size() && !PathLess(listed.path, before[next].path) ? &before[next] : nullptr;
        bool named = !reread.empty() && reread.count(LowerPath(listed.path));
        CStoreFile file;
        file.path = listed.path;
        file.stamp = listed.stamp;
        file.changeTime = listed.changeTime;
        if (old && !old->failed && old->stamp == listed.stamp && old->changeTime == listed.changeTime &&
            (options.trustRecent || old->Settled()) && !named)
        {
            file.readAt = old->readAt;
            file.utf16 = old->utf16;
            file.cards = old->cards;
        }
        else
        {
            file.readAt = options.listedAt ? options.listedAt : Ticks(now);
            if (!ReadCards(file))
            {
                // A failed read is never taken for the file's contents: the last good ones stay,
                // with the stamp they were read at, and the file is read again at the next look.
                if (old && old->cards)
                {
                    file = *old;
                    file.path = listed.path;
                }
                else
                {
                    // Nothing good was ever read: a stamp no listing has, so that it is never trusted.
                    file.stamp = CFileStamp();
                    file.cards = std::make_shared<CFileCards>();
                }
                file.failed = true;
            }
        }
        snapshot->files.push_back(std::move(file));
    }
    // Every card with its base oid first: mostly every card keeps it, and one ordering finds that
    // out and is the lookup table too. Each fresh page costs, so no list is made beside these.
    size_t total = 0;
    std::vector<uint32_t>& starts = snapshot->fileStarts;
    starts.reserve(snapshot->files.size() + 1);
    for (const CStoreFile& file : snapshot->files)
    {
        starts.push_back(static_cast<uint32_t>(total));
        total += file.cards->size();
    }
    starts.push_back(static_cast<uint32_t>(total));
    std::vector<LONG>& oids = snapshot->oids;
    oids.reserve(total);
    for (const CStoreFile& file : snapshot->files)
        for (const CStoreCard& card : *file.cards)
            oids.push_back(card.baseOid);
    std::vector<uint32_t>& byOid = snapshot->byOid;
    OrderByOid(oids, byOid);
    auto same = [&oids](uint32_t a, uint32_t b) { return oids[a] == oids[b]; };
    if (std::adjacent_find(byOid.begin(), byOid.end(), same) != byOid.end())
    {
        AssignOids(oids, oids);
        OrderByOid(oids, byOid);
    }
    return snapshot;
}

bool ReadFileRange(const CStoreFile& file, size_t begin, size_t end, std::string& text)
{
    if (begin > end || end - begin > MAX_ADDRESS_BOOK_FILE)
        return false;
    if (file.utf16)
    {
        std::string bytes;
        if (!ReadFileBytes(file.path, bytes, MAX_ADDRESS_BOOK_FILE) || !vcard::ConvertUtf16File(bytes, text) || end > text.size())
            return false;
        text = text.substr(begin, end - begin);
        return true;
    }
    HANDLE h = CreateFileW(LongPath(file.path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(begin);
    text.resize(end - begin);
    DWORD got = 0;
    bool ok = SetFilePointerEx(h, offset, nullptr, FILE_BEGIN) &&
              ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &got, nullptr) && got == text.size();
    CloseHandle(h);
    return ok;
}
