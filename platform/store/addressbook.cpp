// The address book of one process: keeps its state current and collects the changes it notices.
#include "platform/store/addressbook.h"

#include "platform/store/contactstore.h"
#include "platform/store/vcard/reader.h"

namespace {

bool SameListing(const CSnapshot& snapshot, const std::wstring& location, const std::vector<CListedFile>& listing)
{
    if (snapshot.location != location || snapshot.files.size() != listing.size())
        return false;
    for (size_t i = 0; i < listing.size(); ++i)
        if (snapshot.files[i].path != listing[i].path || snapshot.files[i].stamp != listing[i].stamp)
            return false;
    return true;
}

// The stamp the file has in the new listing ("gone" when it has left the address book).
CFileStamp StampIn(const CSnapshot& snapshot, const std::wstring& path)
{
    for (const CStoreFile& file : snapshot.files)
        if (file.path == path)
            return file.stamp;
    return CFileStamp();
}

UINT Message(bool own, UINT local, UINT remote)
{
    return own ? local : remote;
}

// One change per contact that was created, deleted or changed between the two states.
void Compare(const CSnapshot& before, const CSnapshot& after, std::vector<CStoreChange>& changes)
{
    // The journal is asked once per file, not once per contact (each question is a registry read).
    std::vector<int> ownFile(after.files.size(), -1);
    for (const CStoreEntry& entry : after.entries)
    {
        const CStoreFile& file = after.files[entry.file];
        if (ownFile[entry.file] < 0)
            ownFile[entry.file] = CWriteJournal::IsOwnWrite(file.path.c_str(), file.stamp) ? 1 : 0;
        bool own = ownFile[entry.file] == 1;
        long old = before.Find(entry.oid);
        if (old < 0)
            changes.push_back({entry.oid, Message(own, PIM_ITEM_CREATED_LOCAL, PIM_ITEM_CREATED_REMOTE)});
        else
        {
            const CStoreEntry& was = before.entries[old];
            uint64_t oldHash = (*before.files[was.file].cards)[was.card].hash;
            if (oldHash != (*file.cards)[entry.card].hash)
                changes.push_back({entry.oid, Message(own, PIM_ITEM_CHANGED_LOCAL, PIM_ITEM_CHANGED_REMOTE)});
        }
    }
    for (const CStoreEntry& entry : before.entries)
    {
        if (after.Find(entry.oid) >= 0)
            continue;
        const std::wstring& path = before.files[entry.file].path;
        bool own = CWriteJournal::IsOwnWrite(path.c_str(), StampIn(after, path));
        changes.push_back({entry.oid, Message(own, PIM_ITEM_DELETED_LOCAL, PIM_ITEM_DELETED_REMOTE)});
    }
}

} // namespace

CAddressBook::CAddressBook()
{
    InitializeCriticalSection(&m_lock);
}

CAddressBook::~CAddressBook()
{
    DeleteCriticalSection(&m_lock);
}

void CAddressBook::RefreshLocked()
{
    std::wstring location = ReadAddressBookLocation();
    std::vector<CListedFile> listing = ListAddressBook(location);
    if (m_snapshot && SameListing(*m_snapshot, location, listing))
        return;
    std::shared_ptr<const CSnapshot> next = BuildSnapshot(location, listing, m_snapshot.get());
    // A different address book is a new store, not a change of this one.
    if (m_snapshot && m_snapshot->location == location)
        Compare(*m_snapshot, *next, m_changes);
    else
        m_changes.clear();
    m_snapshot = next;
}

std::shared_ptr<const CSnapshot> CAddressBook::Current()
{
    EnterCriticalSection(&m_lock);
    RefreshLocked();
    std::shared_ptr<const CSnapshot> result = m_snapshot;
    LeaveCriticalSection(&m_lock);
    return result;
}

std::vector<CStoreChange> CAddressBook::TakeChanges()
{
    EnterCriticalSection(&m_lock);
    RefreshLocked();
    std::vector<CStoreChange> result;
    result.swap(m_changes);
    LeaveCriticalSection(&m_lock);
    return result;
}

bool CAddressBook::ReadPhoto(LONG oid, std::string& bytes)
{
    std::shared_ptr<const CSnapshot> snapshot = Current();
    long index = snapshot->Find(oid);
    if (index < 0)
        return false;
    const CStoreEntry& entry = snapshot->entries[index];
    const CStoreFile& file = snapshot->files[entry.file];
    const vcard::CContactRecord& record = (*file.cards)[entry.card].record;
    std::string text;
    if (!record.hasPhoto || !ReadFileRange(file, record.photoBegin, record.photoEnd, text))
        return false;
    vcard::CVCardProperty property;
    if (!vcard::CVCardReader::ParseProperty(text.data(), text.size(), property) || property.name != "PHOTO")
        return false;
    return vcard::DecodePhoto(property, bytes);
}

CAddressBook& TheAddressBook()
{
    static CAddressBook book;
    return book;
}
