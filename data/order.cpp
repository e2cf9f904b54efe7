// CDataList ordering, split, filter and the view of positions that the lists show.
#include "data/datalist.h"

#include "data/match.h"
#include "data/namekey.h"
#include "data/zodiac.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The sort key of one event under an order; computed once per event, not once per comparison.
int32_t OrderKey(const CDataItem* item, int order, const CTime& reference)
{
    switch (order)
    {
    case SORT_BY_DATE:
    {
        // The calendar day, year included. Comparing whole days (not "less than 24 hours apart") keeps the
        // order a strict one even when contact dates carry times of day.
        FILETIME ft;
        if (!SystemTimeToFileTime(&item->date.AsSystemTime(), &ft))
            return 0;
        int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return static_cast<int32_t>(ticks / 864000000000LL);
    }
    case SORT_BY_DAYS_LEFT:
        return DaysToNextOccurrence(reference, item->date);
    case SORT_BY_MONTH:
        return DayOfYear(item->date);
    default:
        return 0;
    }
}

// One event with its keys. The name key's first sixteen bytes after the part every key shares are held as
// two numbers, so that nearly every comparison ends without the rest of the key.
struct KeyedItem
{
    int32_t key;
    uint32_t length; // of a kept name key
    uint64_t head;
    uint64_t next;
    const unsigned char* kept; // null: the name has a quick key, made again when it is needed
    CDataItem* item;
};

const uint32_t HEAD_BYTES = 8;

// Eight bytes from offset from of a key as a number, the missing ones as 0.
uint64_t Head(const unsigned char* bytes, uint32_t length, uint32_t from)
{
    uint64_t head = 0;
    for (uint32_t i = from; i < from + HEAD_BYTES; i++)
        head = (head << 8) | (i < length ? bytes[i] : 0);
    return head;
}

const unsigned char* NameKey(const CNameKeys& keys, const KeyedItem& entry, std::vector<unsigned char>& scratch,
                             uint32_t& length)
{
    if (entry.kept)
    {
        length = entry.length;
        return entry.kept;
    }
    // The name had a quick key when the entry was made, and has the same one now.
    keys.Quick(entry.item->GetName(), scratch);
    length = static_cast<uint32_t>(scratch.size());
    return scratch.data();
}

// The keys' byte order from offset from on (a key that is the start of another comes first), given equal
// bytes before it.
int CompareFrom(uint32_t from, const unsigned char* a, uint32_t lengthA, const unsigned char* b, uint32_t lengthB)
{
    uint32_t tailA = lengthA > from ? lengthA - from : 0;
    uint32_t tailB = lengthB > from ? lengthB - from : 0;
    uint32_t common = tailA < tailB ? tailA : tailB;
    int result = common ? memcmp(a + from, b + from, common) : 0;
    if (result != 0)
        return result;
    return lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : 0;
}

} // namespace

void CDataList::Order(int order, const CTime& reference)
{
    uint32_t count = m_items.GetCount();
    std::vector<KeyedItem> keyed(count);
    CNameKeys keys;
    std::vector<unsigned char> scratch, other, first;
    // The bytes every name key starts with (as in a book of "Given1 Family1" ... "Given99999 Family99999")
    // decide nothing: the heads are taken after them.
    uint32_t shared = 0;
    for (uint32_t i = 0; i < count; i++)
    {
        CDataItem* item = m_items.At(i);
        KeyedItem& entry = keyed[i];
        entry = {OrderKey(item, order, reference), 0, 0, 0, nullptr, item};
        const unsigned char* name = nullptr;
        uint32_t length = 0;
        if (keys.Quick(item->GetName(), scratch))
        {
            name = scratch.data();
            length = static_cast<uint32_t>(scratch.size());
        }
        else
        {
            name = entry.kept = keys.Kept(item->GetName(), length);
            entry.length = length;
        }
        if (i == 0)
        {
            first.assign(name, name + length);
            shared = length;
        }
        shared = std::min(shared, length);
        for (uint32_t b = 0; b < shared; b++)
            if (name[b] != first[b])
                shared = b;
    }
    for (KeyedItem& entry : keyed)
    {
        uint32_t length = 0;
        const unsigned char* name = NameKey(keys, entry, scratch, length);
        entry.head = Head(name, length, shared);
        entry.next = Head(name, length, shared + HEAD_BYTES);
    }
    uint32_t rest = shared + 2 * HEAD_BYTES;
    std::sort(keyed.begin(), keyed.end(), [&](const KeyedItem& a, const KeyedItem& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        uint32_t lengthA = 0, lengthB = 0;
        const unsigned char* nameA = NameKey(keys, a, scratch, lengthA);
        const unsigned char* nameB = NameKey(keys, b, other, lengthB);
        if (int names = CompareFrom(rest, nameA, lengthA, nameB, lengthB))
            return names < 0;
        // A total order: events of equal key and name keep their places from one load to the next.
        if (a.item->oid != b.item->oid)
            return a.item->oid < b.item->oid;
        return a.item->kind < b.item->kind;
    });
    for (uint32_t i = 0; i < count; i++)
        m_items.At(i) = keyed[i].item;
}

bool CDataList::Sort(int order)
{
    m_settings.SortOrder = order;
    Order(order, m_reference);
    bool saved = Save();
    BuildView();
    return saved;
}

bool CDataList::SetSplit(int mode, int period)
{
    m_settings.SplitMode = mode;
    m_settings.SplitPeriod = period;
    bool saved = Save();
    BuildView();
    return saved;
}

bool CDataList::Save()
{
    // The Today item's options may have changed since the settings were read: keep them.
    m_settings.ReadTodayValues();
    return m_settings.Write();
}

void CDataList::SetFilter(const wchar_t* text)
{
    if (text == m_filter.GetBuffer())
        return;
    m_filter.AssignTruncated(text);
    m_filter.MakeLower();
    BuildView();
}

void CDataList::ClearFilter()
{
    m_filter.Empty();
    delete m_view;
    m_view = nullptr;
    BuildView();
}

bool CDataList::Passes(const CDataItem* item) const
{
    if (m_settings.SplitMode == SPLIT_BY_MONTH && item->date.GetMonth() != m_settings.SplitPeriod)
        return false;
    if (m_settings.SplitMode == SPLIT_BY_ZODIAC && ZodiacSign(item->date) != m_settings.SplitPeriod)
        return false;
    if (m_filter.IsEmpty())
        return true;
    int start = 0;
    int length = 0;
    return FindInName(item->GetName(), m_filter, start, length);
}

void CDataList::BuildView()
{
    delete m_view;
    m_view = new CArray<int>();
    for (uint32_t i = 0; i < m_items.GetCount(); i++)
        if (Passes(m_items.At(i)))
            m_view->Append(static_cast<int>(i));
}

void CDataList::SetReference(const CTime& date)
{
    m_reference = date;
    Sort(m_settings.SortOrder);
}

void CDataList::GoToToday()
{
    m_reference.SetToNow();
    Sort(m_settings.SortOrder);
}
