// CDataList ordering, split, filter and the view of positions that the lists show.
#include "data/datalist.h"

#include "data/match.h"
#include "data/zodiac.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The name keys of one ordering, one after another in a single buffer: no allocation per event.
class CNameKeys
{
public:
    explicit CNameKeys(uint32_t count) { m_bytes.reserve(static_cast<size_t>(count) * 40); }

    // The locale's sort key of a name without regard to case, appended: comparing two keys byte by
    // byte orders the names as a case-insensitive comparison would, at a fraction of its cost per
    // comparison. Returns the key's length; its bytes start at the offset the buffer had before.
    uint32_t Append(const wchar_t* name)
    {
        // Most names' keys fit this buffer: one call of the locale instead of one to size and one to fill.
        char buffer[512];
        int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name, -1,
                                reinterpret_cast<wchar_t*>(buffer), sizeof(buffer));
        if (size > 0)
        {
            m_bytes.append(buffer, static_cast<size_t>(size));
            return static_cast<uint32_t>(size);
        }
        size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name, -1, nullptr, 0);
        if (size <= 0)
            return 0;
        size_t at = m_bytes.size();
        m_bytes.resize(at + static_cast<size_t>(size));
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name, -1,
                     reinterpret_cast<wchar_t*>(&m_bytes[at]), size);
        return static_cast<uint32_t>(size);
    }

    size_t Size() const { return m_bytes.size(); }
    const unsigned char* At(size_t offset) const { return reinterpret_cast<const unsigned char*>(m_bytes.data()) + offset; }

private:
    std::string m_bytes;
};

// The sort key of one event under an order; computed once per event, not once per comparison.
int64_t OrderKey(const CDataItem* item, int order, const CTime& reference)
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
        return ticks / 864000000000LL;
    }
    case SORT_BY_DAYS_LEFT:
        return DaysToNextOccurrence(reference, item->date);
    case SORT_BY_MONTH:
        return DayOfYear(item->date);
    default:
        return 0;
    }
}

// One event with its keys. The name key's first eight bytes are held as a number, so that most
// comparisons end without looking into the key buffer.
struct KeyedItem
{
    int64_t key;
    uint64_t head;
    uint32_t name;   // offset of the name key in the buffer
    uint32_t length; // of the whole name key
    CDataItem* item;
};

const uint32_t HEAD_BYTES = 8;

uint64_t Head(const unsigned char* bytes, uint32_t length)
{
    uint64_t head = 0;
    for (uint32_t i = 0; i < HEAD_BYTES; i++)
        head = (head << 8) | (i < length ? bytes[i] : 0);
    return head;
}

// The name keys' byte order (a key that is the start of another comes first), given equal heads.
int CompareTails(const CNameKeys& keys, const KeyedItem& a, const KeyedItem& b)
{
    uint32_t tailA = a.length > HEAD_BYTES ? a.length - HEAD_BYTES : 0;
    uint32_t tailB = b.length > HEAD_BYTES ? b.length - HEAD_BYTES : 0;
    uint32_t common = tailA < tailB ? tailA : tailB;
    int result = common ? memcmp(keys.At(a.name + HEAD_BYTES), keys.At(b.name + HEAD_BYTES), common) : 0;
    if (result != 0)
        return result;
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

} // namespace

void CDataList::Order(int order, const CTime& reference)
{
    uint32_t count = m_items.GetCount();
    std::vector<KeyedItem> keyed(count);
    CNameKeys keys(count);
    for (uint32_t i = 0; i < count; i++)
    {
        CDataItem* item = m_items.At(i);
        size_t offset = keys.Size();
        uint32_t length = keys.Append(item->GetName());
        keyed[i] = {OrderKey(item, order, reference), Head(keys.At(offset), length), static_cast<uint32_t>(offset),
                    length, item};
    }
    std::sort(keyed.begin(), keyed.end(), [&keys](const KeyedItem& a, const KeyedItem& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.head != b.head)
            return a.head < b.head;
        if (int names = CompareTails(keys, a, b))
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
