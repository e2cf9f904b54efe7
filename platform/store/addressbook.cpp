// The address book of one process: keeps its state current and collects the changes it notices.
#include "platform/store/addressbook.h"

#include "platform/store/contactstore.h"
#include "platform/store/index.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/watcher.h"

#include <algorithm>
#include <unordered_set>

namespace {

const size_t MAX_NAMED_FILES = 256;

UINT Message(bool own, UINT local, UINT remote)
{
    return own ? local : remote;
}

// One change per contact that was created, deleted or changed between the two states.
void Compare(const CSnapshot& before, const CSnapshot& after, std::vector<CStoreChange>& changes)
{
    // The journal is asked once per changed file, not once per contact (each question is a registry read).
    std::vector<int> ownFile(after.files.size(), -1);
    auto own = [&](uint32_t f) {
        if (ownFile[f] < 0)
            ownFile[f] = CWriteJournal::IsOwnWrite(after.files[f].path.c_str(), after.files[f].stamp) ? 1 : 0;
        return ownFile[f] == 1;
    };
    for (size_t i = 0; i < after.Count(); ++i)
    {
        CStoreEntry entry = after.Entry(i);
        const CStoreFile& file = after.files[entry.file];
        long old = before.Find(entry.oid);
        if (old < 0)
            changes.push_back({entry.oid, Message(own(entry.file), PIM_ITEM_CREATED_LOCAL, PIM_ITEM_CREATED_REMOTE)});
        else if (before.Card(static_cast<size_t>(old)).hash != (*file.cards)[entry.card].hash)
            changes.push_back({entry.oid, Message(own(entry.file), PIM_ITEM_CHANGED_LOCAL, PIM_ITEM_CHANGED_REMOTE)});
    }
    // A deleted contact's file is judged by the stamp it has now ("gone" when it has left).
    std::vector<int> ownBefore(before.files.size(), -1);
    std::unordered_map<std::wstring, const CStoreFile*> now;
    for (size_t i = 0; i < before.Count(); ++i)
    {
        CStoreEntry entry = before.Entry(i);
        if (after.Find(entry.oid) >= 0)
            continue;
        if (ownBefore[entry.file] < 0)
        {
            if (now.empty())
                for (const CStoreFile& file : after.files)
                    now.emplace(file.path, &file);
            const std::wstring& path = before.files[entry.file].path;
            auto it = now.find(path);
            CFileStamp stamp = it == now.end() ? CFileStamp() : it->second->stamp;
            ownBefore[entry.file] = CWriteJournal::IsOwnWrite(path.c_str(), stamp) ? 1 : 0;
        }
        changes.push_back({entry.oid, Message(ownBefore[entry.file] == 1, PIM_ITEM_DELETED_LOCAL, PIM_ITEM_DELETED_REMOTE)});
    }
}

// Whether next holds anything that was read rather than taken over from before.
bool ReadAnything(const CSnapshot* before, const CSnapshot& next)
{
    if (!before || before->files.size() != next.files.size())
        return true;
    for (size_t i = 0; i < next.files.size(); ++i)
        if (before->files[i].cards != next.files[i].cards || before->files[i].path != next.files[i].path ||
            before->files[i].failed != next.files[i].failed)
            return true;
    return false;
}

bool AnyFailed(const CSnapshot& snapshot)
{
    for (const CStoreFile& file : snapshot.files)
        if (file.failed)
            return true;
    return false;
}

// Whether the address book's cards are those of the collections one level down in its folder.
bool InCollections(const CSnapshot& snapshot)
{
    if (snapshot.files.empty())
        return false;
    const std::wstring& path = snapshot.files.front().path;
    return path.size() > snapshot.location.size() + 1 &&
           path.find(L'\\', snapshot.location.size() + 1) != std::wstring::npos;
}

ULONGLONG Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

// The held listing with the named files looked at again (added, changed or gone).
std::vector<CListedFile> UpdatedListing(const CSnapshot& held, const std::vector<std::wstring>& paths)
{
    std::vector<CListedFile> listing;
    listing.reserve(held.files.size() + paths.size());
    for (const CStoreFile& file : held.files)
        listing.push_back({file.path, file.stamp, file.changeTime});
    for (const std::wstring& path : paths)
    {
        auto at = std::lower_bound(listing.begin(), listing.end(), path,
                                   [](const CListedFile& f, const std::wstring& p) { return PathLess(f.path, p); });
        bool present = at != listing.end() && !PathLess(path, at->path);
        CListedFile now;
        if (ListFile(path, now))
        {
            if (present)
                *at = now;
            else
                listing.insert(at, now);
        }
        else if (present)
            listing.erase(at);
    }
    return listing;
}

} // namespace

bool CSnapshot::ReadPhoto(size_t index, std::string& bytes) const
{
    const vcard::CContactRecord& record = Record(index);
    std::string text;
    if (!record.hasPhoto || !ReadCardRange(index, record.photoBegin, record.photoEnd, text))
        return false;
    vcard::CVCardProperty property;
    if (!vcard::CVCardReader::ParseProperty(text.data(), text.size(), property) || property.name != "PHOTO")
        return false;
    return vcard::DecodePhoto(property, bytes);
}

CAddressBook::CAddressBook() : m_listener(nullptr), m_listenerMessage(0)
{
    InitializeCriticalSection(&m_lock);
}

CAddressBook::~CAddressBook()
{
    // At process exit the watch's thread is already gone; the handles go with the process.
    m_watch.release();
    DeleteCriticalSection(&m_lock);
}

void CAddressBook::StartLocked(const std::wstring& location)
{
    // A different address book is a new store, not a change of this one.
    m_changes.clear();
    m_watch.reset();
    if (location.empty())
    {
        auto empty = std::make_shared<CSnapshot>();
        m_snapshot = empty;
        return;
    }
    // The watch is in place before the listing, so that nothing changed after it goes unseen; the
    // index, which does not look at the address book, is read while the watch is set up.
    ULONGLONG listedAt = Now();
    m_watch.reset(new CDirectoryWatch());
    m_watch->SetListener(m_listener, m_listenerMessage);
    // A folder's cards may sit one level down, in collections.
    std::wstring watched = WatchedFolder(location);
    m_watch->Begin(watched, watched == location);
    CSnapshot indexed;
    bool known = LoadIndex(location, indexed);
    m_watch->Started();
    CBuildOptions options;
    options.listedAt = listedAt;
    std::shared_ptr<CSnapshot> next = BuildSnapshot(location, ListAddressBook(location), known ? &indexed : nullptr,
                                                    options);
    if (ReadAnything(known ? &indexed : nullptr, *next))
        SaveIndex(*next);
    m_watch->SetRetry(AnyFailed(*next));
    m_snapshot = next;
}

void CAddressBook::ReplaceLocked(std::shared_ptr<const CSnapshot> next)
{
    m_watch->SetRetry(AnyFailed(*next));
    if (!ReadAnything(m_snapshot.get(), *next))
        return;
    Compare(*m_snapshot, *next, m_changes);
    m_snapshot = next;
    SaveIndex(*m_snapshot);
}

void CAddressBook::UpdateLocked(bool full)
{
    std::wstring location = ReadAddressBookLocation();
    if (!m_snapshot || m_snapshot->location != location || (!m_watch && !location.empty()))
    {
        StartLocked(location);
        return;
    }
    if (!m_watch)
        return;
    CWatchReport report = m_watch->Take();
    // Where the system cannot notify, every look is a full one.
    if (full || !m_watch->Armed())
        report.full = true;
    if (!report.full && report.names.empty())
        return;
    bool folder = WatchedFolder(location) == location;
    std::vector<std::wstring> paths, reread;
    std::unordered_set<std::wstring> seen;
    for (const std::wstring& name : report.names)
        if (IsAddressBookName(location, folder, name))
        {
            // A card in a collection, or a card beside collections: which files make the book may change.
            if (folder && (name.find(L'\\') != std::wstring::npos || InCollections(*m_snapshot)))
                report.full = true;
            std::wstring path = folder ? location + L"\\" + name : location;
            std::wstring lower = LowerPath(path);
            if (seen.insert(lower).second)
            {
                paths.push_back(path);
                reread.push_back(lower);
            }
        }
    // Past a few hundred names one listing of the folder costs less than looking at each.
    if (paths.size() > MAX_NAMED_FILES)
        report.full = true;
    CBuildOptions options;
    options.reread = &reread;
    options.listedAt = Now();
    if (report.full)
    {
        ReplaceLocked(BuildSnapshot(location, ListAddressBook(location), m_snapshot.get(), options));
        return;
    }
    if (paths.empty())
        return;
    // Only what the notifications named is looked at; the rest is watched and taken over.
    options.trustRecent = true;
    std::vector<CListedFile> listing = UpdatedListing(*m_snapshot, paths);
    // The folder's last own card gone: its collections, if any, are the address book now.
    if (listing.empty() && folder)
        listing = ListAddressBook(location);
    ReplaceLocked(BuildSnapshot(location, listing, m_snapshot.get(), options));
}

std::shared_ptr<const CSnapshot> CAddressBook::Current()
{
    EnterCriticalSection(&m_lock);
    UpdateLocked(false);
    std::shared_ptr<const CSnapshot> result = m_snapshot;
    LeaveCriticalSection(&m_lock);
    return result;
}

std::shared_ptr<const CSnapshot> CAddressBook::Held()
{
    EnterCriticalSection(&m_lock);
    if (!m_snapshot)
        UpdateLocked(false);
    std::shared_ptr<const CSnapshot> result = m_snapshot;
    LeaveCriticalSection(&m_lock);
    return result;
}

void CAddressBook::Recheck()
{
    EnterCriticalSection(&m_lock);
    UpdateLocked(true);
    LeaveCriticalSection(&m_lock);
}

std::vector<CStoreChange> CAddressBook::TakeChanges()
{
    EnterCriticalSection(&m_lock);
    UpdateLocked(false);
    std::vector<CStoreChange> result;
    result.swap(m_changes);
    LeaveCriticalSection(&m_lock);
    return result;
}

bool CAddressBook::ReadPhoto(LONG oid, std::string& bytes)
{
    std::shared_ptr<const CSnapshot> snapshot = Held();
    long index = snapshot->Find(oid);
    return index >= 0 && snapshot->ReadPhoto(static_cast<size_t>(index), bytes);
}

void CAddressBook::SetListener(HWND window, UINT message)
{
    EnterCriticalSection(&m_lock);
    m_listener = window;
    m_listenerMessage = message;
    if (m_watch)
        m_watch->SetListener(window, message);
    LeaveCriticalSection(&m_lock);
}

void CAddressBook::Release()
{
    EnterCriticalSection(&m_lock);
    m_watch.reset();
    m_snapshot.reset();
    m_changes.clear();
    LeaveCriticalSection(&m_lock);
}

CAddressBook& TheAddressBook()
{
    static CAddressBook book;
    return book;
}
