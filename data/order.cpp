// CDataList ordering, split, filter and the view of positions that the lists show.
#include "data/datalist.h"

#include "data/match.h"
#include "data/namekey.h"
#include "data/zodiac.h"

#include <algorithm>
#include <cstdint>
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

// One event with its keys, small because there is one per event: the first eight bytes of the name key
// after the part every key shares, held as a number so that most comparisons end there, and where the rest
// of the name key is.
struct KeyedItem
{
    uint64_t head;
    int32_t key;
    uint32_t name; // the event's position in the list, or with KEPT set, its place among the kept keys
};

const uint32_t HEAD_BYTES = 8;
const uint32_t KEPT = 0x80000000u;

// Eight bytes from offset from of a key as a number, the missing ones as 0.
uint64_t Head(const unsigned char* bytes, uint32_t length, uint32_t from)
{
    uint64_t head = 0;
    for (uint32_t i = from; i < from + HEAD_BYTES; i++)
        head = (head << 8) | (i < length ? bytes[i] : 0);
    return head;
}

// Orders entries by key, then head. Keys of at most a few hundred values (days left, day of the year) are
// first put in their places by counting, in place, so that only the entries of one key are sorted by head.
void SortByKeyAndHead(std::vector<KeyedItem>& keyed)
{
    const int64_t MAX_SPAN = 1024;
    const size_t FEWEST = 4096;
    int32_t low = keyed.empty() ? 0 : keyed[0].key, high = low;
    for (const KeyedItem& entry : keyed)
    {
        low = std::min(low, entry.key);
        high = std::max(high, entry.key);
    }
    if (keyed.size() < FEWEST || int64_t(high) - low >= MAX_SPAN)
    {
        std::sort(keyed.begin(), keyed.end(), [](const KeyedItem& a, const KeyedItem& b) {
            return a.key != b.key ? a.key < b.key : a.head < b.head;
        });
        return;
    }
    uint32_t span = static_cast<uint32_t>(high - low) + 1;
    std::vector<uint32_t> start(span + 1, 0);
    for (const KeyedItem& entry : keyed)
        start[static_cast<uint32_t>(entry.key - low) + 1]++;
    for (uint32_t k = 0; k < span; k++)
        start[k + 1] += start[k];
    // Each swap puts one entry in its key's place for good.
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (uint32_t k = 0; k < span; k++)
        while (next[k] < start[k + 1])
        {
            uint32_t belongs = static_cast<uint32_t>(keyed[next[k]].key - low);
            if (belongs == k)
                next[k]++;
            else
                std::swap(keyed[next[k]], keyed[next[belongs]++]);
        }
    for (uint32_t k = 0; k < span; k++)
        std::sort(keyed.begin() + start[k], keyed.begin() + start[k + 1],
                  [](const KeyedItem& a, const KeyedItem& b) { return a.head < b.head; });
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

// The name keys of one ordering: quick keys are made again when they are needed, the locale's are kept.
class COrderNames
{
public:
    explicit COrderNames(const CArray<CDataItem*>& items) : m_items(items), m_keys(items.GetCount()) {}

    // Makes the key of the event at position; returns the KeyedItem's name field for it.
    uint32_t Add(uint32_t position, const unsigned char*& bytes, uint32_t& length)
    {
        if (m_keys.Quick(m_items.At(position)->GetName(), m_scratch))
        {
            bytes = m_scratch.data();
            length = static_cast<uint32_t>(m_scratch.size());
            return position;
        }
        bytes = m_keys.Kept(m_items.At(position)->GetName(), length);
        m_kept.push_back({bytes, length, position});
        return KEPT | static_cast<uint32_t>(m_kept.size() - 1);
    }

    // The key of an entry's name; a quick one is written to scratch.
    const unsigned char* Key(uint32_t name, std::vector<unsigned char>& scratch, uint32_t& length) const
    {
        if (name & KEPT)
        {
            const CKeptName& kept = m_kept[name & ~KEPT];
            length = kept.length;
            return kept.bytes;
        }
        // The name had a quick key when the entry was made, and has the same one now.
        m_keys.Quick(m_items.At(name)->GetName(), scratch);
        length = static_cast<uint32_t>(scratch.size());
        return scratch.data();
    }

    // The bytes that the quick keys of a few events spread over the list share, at least as many as every
    // key shares (first holds them); 0 when none of those has a quick key.
    uint32_t GuessShared(std::vector<unsigned char>& first)
    {
        const uint32_t SAMPLES = 32;
        uint32_t count = m_items.GetCount();
        uint32_t shared = 0;
        bool any = false;
        for (uint32_t k = 0; k < SAMPLES && k < count; k++)
        {
            uint32_t position = static_cast<uint32_t>(uint64_t(count) * k / SAMPLES);
            if (!m_keys.Quick(m_items.At(position)->GetName(), m_scratch))
                continue;
            if (!any)
            {
                first = m_scratch;
                shared = static_cast<uint32_t>(first.size());
                any = true;
            }
            shared = std::min(shared, static_cast<uint32_t>(m_scratch.size()));
            for (uint32_t b = 0; b < shared; b++)
                if (m_scratch[b] != first[b])
                    shared = b;
        }
        return shared;
    }

    uint32_t Position(uint32_t name) const { return name & KEPT ? m_kept[name & ~KEPT].position : name; }
    const CDataItem* Item(uint32_t name) const { return m_items.At(Position(name)); }

private:
    struct CKeptName
    {
        const unsigned char* bytes;
        uint32_t length;
        uint32_t position;
    };

    const CArray<CDataItem*>& m_items;
    CNameKeys m_keys;
    std::vector<CKeptName> m_kept;
    std::vector<unsigned char> m_scratch;
};

// Orders runs of events of equal key and equal head by the rest of their name keys (made once per event
// of a run, not once per comparison), then by contact and kind: a total order, so that events of equal key
// and name keep their places from one load to the next. Its buffers serve every run of one ordering.
class CRunOrder
{
public:
    CRunOrder(const COrderNames& names, uint32_t rest) : m_names(names), m_rest(rest) {}

    void Order(KeyedItem* run, size_t count)
    {
        m_bytes.clear();
        m_tails.resize(count);
        for (size_t i = 0; i < count; i++)
        {
            uint32_t length = 0;
            const unsigned char* key = m_names.Key(run[i].name, m_scratch, length);
            uint32_t tail = length > m_rest ? length - m_rest : 0;
            m_tails[i] = {static_cast<uint32_t>(m_bytes.size()), tail, run[i]};
            m_bytes.insert(m_bytes.end(), key + length - tail, key + length);
        }
        const unsigned char* bytes = m_bytes.data();
        std::sort(m_tails.begin(), m_tails.end(), [&](const CTail& a, const CTail& b) {
            if (int result = CompareFrom(0, bytes + a.offset, a.length, bytes + b.offset, b.length))
                return result < 0;
            const CDataItem* itemA = m_names.Item(a.entry.name);
            const CDataItem* itemB = m_names.Item(b.entry.name);
            if (itemA->oid != itemB->oid)
                return itemA->oid < itemB->oid;
            return itemA->kind < itemB->kind;
        });
        for (size_t i = 0; i < count; i++)
            run[i] = m_tails[i].entry;
    }

private:
    struct CTail
    {
        uint32_t offset;
        uint32_t length;
        KeyedItem entry;
    };

    const COrderNames& m_names;
    uint32_t m_rest;
    std::vector<unsigned char> m_bytes, m_scratch;
    std::vector<CTail> m_tails;
};

} // namespace

void CDataList::Order(int order, const CTime& reference)
{
    uint32_t count = m_items.GetCount();
    AssertText(count < KEPT, L"Too many events to order", L"CDataList::Order", __LINE__);
    std::vector<KeyedItem> keyed(count);
    COrderNames names(m_items);
    std::vector<unsigned char> scratch, first;
    // The bytes every name key starts with (as in a book of "Given1 Family1" ... "Given99999 Family99999")
    // decide nothing: the heads are taken after them. They are guessed first, so that each key is made once;
    // when the keys show the guess wrong, the heads are taken again after the bytes truly shared.
    uint32_t guess = names.GuessShared(first);
    uint32_t shared = 0;
    for (uint32_t i = 0; i < count; i++)
    {
        const unsigned char* bytes = nullptr;
        uint32_t length = 0;
        keyed[i] = {0, OrderKey(m_items.At(i), order, reference), names.Add(i, bytes, length)};
        if (i == 0)
        {
            first.assign(bytes, bytes + length);
            shared = length;
        }
        shared = std::min(shared, length);
        for (uint32_t b = 0; b < shared; b++)
            if (bytes[b] != first[b])
                shared = b;
        keyed[i].head = Head(bytes, length, guess);
    }
    if (shared != guess)
        for (KeyedItem& entry : keyed)
        {
            uint32_t length = 0;
            const unsigned char* bytes = names.Key(entry.name, scratch, length);
            entry.head = Head(bytes, length, shared);
        }
    SortByKeyAndHead(keyed);
    CRunOrder runs(names, shared + HEAD_BYTES);
    for (uint32_t start = 0, end = 0; start < count; start = end)
    {
        for (end = start + 1; end < count && keyed[end].key == keyed[start].key && keyed[end].head == keyed[start].head;)
            end++;
        if (end - start > 1)
            runs.Order(&keyed[start], end - start);
    }
    // The list takes the new order in place, one cycle of the permutation at a time (no second array of
    // every event); a done entry's key is set to DONE.
    const int32_t DONE = INT32_MIN;
    for (uint32_t i = 0; i < count; i++)
    {
        if (keyed[i].key == DONE)
            continue;
        CDataItem* held = m_items.At(i);
        uint32_t to = i;
        for (uint32_t from = names.Position(keyed[to].name); from != i; from = names.Position(keyed[to].name))
        {
            m_items.At(to) = m_items.At(from);
            keyed[to].key = DONE;
            to = from;
        }
        m_items.At(to) = held;
        keyed[to].key = DONE;
    }
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
    m_view = nullptr;
    // With nothing to leave out the lists show the events themselves, without a position for each.
    if (m_filter.IsEmpty() && m_settings.SplitMode != SPLIT_BY_MONTH && m_settings.SplitMode != SPLIT_BY_ZODIAC)
        return;
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
