// CDataList ordering, split, filter and the view of positions that the lists show.
#include "data/datalist.h"

#include "data/match.h"
#include "data/zodiac.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The locale's sort key of a name without regard to case: comparing two keys byte by byte orders the
// names as a case-insensitive comparison would, at a fraction of its cost per comparison.
std::string NameKey(const wchar_t* name)
{
    int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name, -1, nullptr, 0);
    if (size <= 0)
        return std::string();
    std::string key(static_cast<size_t>(size), '\0');
    LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name, -1,
                 reinterpret_cast<wchar_t*>(&key[0]), size);
    return key;
}

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

struct KeyedItem
{
    int64_t key;
    std::string name;
    CDataItem* item;
};

} // namespace

void CDataList::Order(int order, const CTime& reference)
{
    uint32_t count = m_items.GetCount();
    std::vector<KeyedItem> keyed(count);
    for (uint32_t i = 0; i < count; i++)
    {
        CDataItem* item = m_items.At(i);
        keyed[i] = {OrderKey(item, order, reference), NameKey(item->GetName()), item};
    }
    std::sort(keyed.begin(), keyed.end(), [](const KeyedItem& a, const KeyedItem& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.name != b.name)
            return a.name < b.name;
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
