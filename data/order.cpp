// CDataList ordering, split, filter and the view of positions that the lists show.
#include "data/datalist.h"

#include "data/zodiac.h"

#include <algorithm>
#include <vector>

namespace {

int CompareNames(const CDataItem* a, const CDataItem* b)
{
    return lstrcmpiW(a->GetName(), b->GetName());
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
    CDataItem* item;
};

} // namespace

void CDataList::Order(int order, const CTime& reference)
{
    uint32_t count = m_items.GetCount();
    std::vector<KeyedItem> keyed(count);
    for (uint32_t i = 0; i < count; i++)
        keyed[i] = {OrderKey(m_items.At(i), order, reference), m_items.At(i)};
    std::sort(keyed.begin(), keyed.end(), [](const KeyedItem& a, const KeyedItem& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return CompareNames(a.item, b.item) < 0;
    });
    for (uint32_t i = 0; i < count; i++)
        m_items.At(i) = keyed[i].item;
}

void CDataList::Sort(int order)
{
    m_settings.SortOrder = order;
    Order(order, m_reference);
    m_settings.Write();
    BuildView();
}

void CDataList::SetSplit(int mode, int period)
{
    m_settings.SplitMode = mode;
    m_settings.SplitPeriod = period;
    m_settings.Write();
    BuildView();
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
    CStr lower(item->GetName());
    lower.MakeLower();
    return lower.Find(m_filter, 0) >= 0;
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
