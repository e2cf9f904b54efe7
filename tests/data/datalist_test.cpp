// CDataList over an in-memory store: loading, ages and days left, upcoming events, orders, split, filter.
#include "data/datalist.h"
#include "data/zodiac.h"
#include "tests/support/fake_store.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

class DataList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        DeleteUserKey(SETTINGS_KEY);
        m_registration = new CFakeStoreRegistration();
    }
    void TearDown() override
    {
        delete m_registration;
        DeleteUserKey(SETTINGS_KEY);
        CoUninitialize();
    }

    static void Add(LONG oid, const wchar_t* name, DATE birthday, DATE anniversary = NO_DATE)
    {
        FakeStore().contacts.push_back({oid, name, birthday, anniversary, false, nullptr, nullptr, {}});
    }

    static std::vector<std::wstring> Names(const CDataList& list)
    {
        std::vector<std::wstring> names;
        for (uint32_t i = 0; i < list.GetCount(); i++)
            names.push_back(list.GetItem(i)->GetName());
        return names;
    }

    static void OpenAt(CDataList& list, int year, int month, int day)
    {
        list.Open(nullptr);
        list.SetReference(CTime(year, month, day, 0, 0, 0));
        list.Load();
    }

    CFakeStoreRegistration* m_registration = nullptr;
};

typedef std::vector<std::wstring> Names_t;

} // namespace

TEST_F(DataList, OpenLogsOnAndCloseLogsOff)
{
    CDataList list;
    HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
    EXPECT_EQ(S_OK, list.Open(window));
    EXPECT_EQ(window, FakeStore().loggedOnWindow);
    EXPECT_EQ(3u, FakeStore().notifications);
    list.Close();
    EXPECT_EQ(0u, FakeStore().notifications);
    EXPECT_EQ(1, FakeStore().logoffs);
    list.Close();
    EXPECT_EQ(1, FakeStore().logoffs) << "a second close does nothing";
}

TEST_F(DataList, NoStoreGivesAnEmptyListAndStillWritesTheSettings)
{
    FakeStore().createResult = REGDB_E_CLASSNOTREG;
    CDataList list;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, list.Open(nullptr));
    list.Load();
    EXPECT_EQ(0u, list.GetCount());
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key));
        DWORD values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        EXPECT_EQ(11u, values) << "all eleven settings exist after the first load";
    }
}

TEST_F(DataList, FailedLogonStopsOpening)
{
    FakeStore().logonResult = E_ACCESSDENIED;
    CDataList list;
    EXPECT_EQ(E_ACCESSDENIED, list.Open(nullptr));
    EXPECT_EQ(0xdeadbeefu, FakeStore().notifications);
}

TEST_F(DataList, EventsFromContacts)
{
    Add(1, L"No dates", NO_DATE);
    Add(2, L"Both", OleDate(1980, 3, 15), OleDate(2005, 6, 1));
    Add(3, L"Aries", OleDate(1981, 3, 19));
    FakeStore().contacts.push_back({4, L"Broken oid", OleDate(1970, 1, 1), OleDate(1990, 1, 1), true, nullptr, nullptr, {}});
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    list.Sort(SORT_BY_NAME);
    ASSERT_EQ(3u, list.GetTotalCount());
    EXPECT_EQ((Names_t{L"Aries", L"Both", L"Both"}), Names(list));
    EXPECT_EQ(0, list.GetItem(0)->kind);
    EXPECT_EQ(3, list.GetItem(0)->oid);
    int kinds = list.GetItem(1)->kind + list.GetItem(2)->kind;
    EXPECT_EQ(11 + 12, kinds) << "15 March is Pisces; the anniversary has kind 12";

    list.GetSettings().ShowAnnivasaries = 0;
    list.Load();
    EXPECT_EQ(2u, list.GetTotalCount());
    for (uint32_t i = 0; i < list.GetCount(); i++)
        EXPECT_FALSE(list.GetItem(i)->IsAnniversary());
}

TEST_F(DataList, AgeIsTheOneReachedAtTheNextOccurrence)
{
    Add(1, L"Dec 10 1990", OleDate(1990, 12, 10));
    Add(2, L"Jan 5 1990", OleDate(1990, 1, 5));
    Add(3, L"Dec 20 2026", OleDate(2026, 12, 20));
    Add(4, L"Wedding next year", NO_DATE, OleDate(2028, 1, 5));
    Add(5, L"No year", OleDate(UNKNOWN_YEAR, 3, 15));
    Add(6, L"Today", OleDate(1990, 12, 6));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    list.Sort(SORT_BY_NAME);
    auto find = [&](const wchar_t* name) {
        for (uint32_t i = 0; i < list.GetCount(); i++)
            if (std::wstring(list.GetItem(i)->GetName()) == name)
                return list.GetItem(i);
        return static_cast<CDataItem*>(nullptr);
    };
    struct { const wchar_t* name; int daysLeft, futureAge, pastAge; } kCases[] = {
        {L"Dec 10 1990", 4, 36, 35},  {L"Jan 5 1990", 30, 37, 36}, {L"Dec 20 2026", 14, 0, 0},
        {L"Wedding next year", 30, 0, 0}, {L"Today", 0, 36, 35},
    };
    for (const auto& c : kCases)
    {
        CDataItem* item = find(c.name);
        ASSERT_NE(nullptr, item) << c.name;
        list.GetSettings().ShowFutureAge = 1;
        EXPECT_EQ(c.daysLeft, list.GetDaysLeft(item)) << c.name;
        EXPECT_EQ(c.futureAge, list.GetAge(item)) << c.name;
        list.GetSettings().ShowFutureAge = 0;
        EXPECT_EQ(c.pastAge, list.GetAge(item)) << c.name;
    }
    CDataItem* noYear = find(L"No year");
    EXPECT_FALSE(noYear->HasYear());
    EXPECT_EQ(NO_AGE, list.GetAge(noYear));
    EXPECT_EQ(99, list.GetDaysLeft(noYear));
}

TEST_F(DataList, UpcomingEventsWithinTheMonthsAhead)
{
    Add(1, L"Feb 28", OleDate(1990, 2, 28));
    Add(2, L"Mar 1", OleDate(1990, 3, 1));
    Add(3, L"Nov 30", OleDate(1990, 11, 30));
    Add(4, L"Dec 24", OleDate(1970, 12, 24), OleDate(1999, 1, 10));
    Add(5, L"Nov 29", OleDate(1990, 11, 29));
    CDataList list;
    list.Open(nullptr);
    list.LoadUpcoming(CTime(2026, 11, 30, 9, 0, 0));
    EXPECT_EQ((Names_t{L"Nov 30", L"Dec 24", L"Dec 24", L"Feb 28"}), Names(list));
    EXPECT_EQ(4u, list.GetTotalCount());
    EXPECT_EQ(4, list.GetItem(2)->oid);
    EXPECT_EQ(12, list.GetItem(2)->kind) << "the anniversary on 10 January";

    list.GetSettings().TodayMaxMonth = 1;
    list.LoadUpcoming(CTime(2027, 1, 31, 0, 0, 0));
    EXPECT_EQ((Names_t{L"Feb 28"}), Names(list)) << "limit 28 February 2027";
}

TEST_F(DataList, ShownCountIsLimitedByMaxLines)
{
    for (int i = 0; i < 8; i++)
        Add(i + 1, L"Someone", OleDate(1980, 12, 10 + i));
    CDataList list;
    list.Open(nullptr);
    list.LoadUpcoming(CTime(2026, 12, 6, 0, 0, 0));
    EXPECT_EQ(8u, list.GetTotalCount());
    EXPECT_EQ(5u, list.GetShownCount());
    list.GetSettings().TodayMaxLines = 6;
    EXPECT_EQ(6u, list.GetShownCount());
}

TEST_F(DataList, LeapDayIsUpcomingOnTheTwentyNinthBeforeALeapYear)
{
    Add(1, L"Leap", OleDate(1996, 2, 29));
    CDataList list;
    list.Open(nullptr);
    list.GetSettings().TodayMaxMonth = 12;
    list.LoadUpcoming(CTime(2027, 3, 1, 0, 0, 0));
    ASSERT_EQ(1u, list.GetCount());
    EXPECT_EQ(365, list.GetDaysLeft(list.GetItem(0)));
}

TEST_F(DataList, EveryOrderFallsBackToTheNameWithoutCase)
{
    Add(1, L"Bert", OleDate(1990, 12, 6));
    Add(2, L"anna", OleDate(1991, 12, 6));
    Add(3, L"Carl", OleDate(1990, 12, 7));
    Add(4, L"Dora", OleDate(1990, 12, 5));
    Add(5, L"Eve", OleDate(2000, 3, 31));
    Add(6, L"Fay", OleDate(1990, 4, 1));
    Add(7, L"Gil", OleDate(1980, 1, 1));
    Add(8, L"Hal", OleDate(1990, 1, 31));
    Add(9, L"Ida", OleDate(1990, 2, 5));
    CDataList list;
    OpenAt(list, 2026, 12, 6);

    list.Sort(SORT_BY_DAYS_LEFT);
    Names_t byDaysLeft = Names(list);
    EXPECT_EQ((Names_t{L"anna", L"Bert", L"Carl"}), Names_t(byDaysLeft.begin(), byDaysLeft.begin() + 3));
    EXPECT_EQ(L"Dora", byDaysLeft.back());

    list.Sort(SORT_BY_MONTH);
    EXPECT_EQ((Names_t{L"Gil", L"Hal", L"Ida", L"Eve", L"Fay", L"Dora", L"anna", L"Bert", L"Carl"}), Names(list))
        << "31 March 2000 and 1 April 1990 are both day 91";

    list.Sort(SORT_BY_DATE);
    EXPECT_EQ((Names_t{L"Gil", L"Hal", L"Ida", L"Fay", L"Dora", L"Bert", L"Carl", L"anna", L"Eve"}), Names(list));

    list.Sort(SORT_BY_NAME);
    EXPECT_EQ(L"anna", Names(list).front());
    list.Sort(7);
    EXPECT_EQ(L"anna", Names(list).front()) << "an unknown order sorts by name";
    EXPECT_EQ(7, list.GetSettings().SortOrder);
}

// Names that share their first letters, and names too long for a short sort key, still order by every letter.
TEST_F(DataList, NamesOrderByEveryLetter)
{
    std::wstring longName = L"B" + std::wstring(300, L'a');
    std::wstring longerName = longName + L"b";
    const Names_t expected = {L"Annabelle Smi", L"annabelle smith", L"Annabelle Smith Jr", L"ANNABELLE SMITHSON", L"Ba",
                              longName, longName + L"-", longName + L"a", longerName};
    LONG oid = 1;
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        Add(oid++, it->c_str(), OleDate(1990, 6, 1));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    for (int order : {SORT_BY_NAME, SORT_BY_DAYS_LEFT})
    {
        list.Sort(order);
        EXPECT_EQ(expected, Names(list)) << "order " << order;
    }
}

// Many events (as many as make the list use quick name keys) whose names share beginnings, repeat, differ
// only in case or in a hyphen, or are not plain: the list's order is the one of the locale's keys, event by
// event, in every order. The second book's names all begin alike but for a few far apart, which
// a guess from some of the names misses.
TEST_F(DataList, OrderIsTheLocalesOverManyNames)
{
    const std::vector<const wchar_t*> books[][2] = {
        {{L"Given1", L"given12", L"Given123", L"GIVEN1234", L"Jean-Luc", L"\u00c9mile", L"Ann", L"\u00e9mile"},
         {L" Family1", L" Family12", L" family", L"", L"-Smith", L" O'Neil", L" M\u00fcller"}},
        {{L"Given Family"}, {L"1", L"2", L"34", L"567", L"89", L"0"}},
    };
    for (int book = 0; book < 2; book++)
    {
        FakeStore().contacts.clear();
        LONG oid = 1;
        for (int copy = 0; copy < 6000 / static_cast<int>(books[book][0].size() * books[book][1].size()) + 1; copy++)
            for (const wchar_t* first : books[book][0])
                for (const wchar_t* last : books[book][1])
                {
                    const wchar_t* odd = oid % 997 == 0 ? L"Ann " : L"";
                    Add(oid, (odd + std::wstring(first) + last + (copy % 2 ? L"" : L" Jr")).c_str(),
                        OleDate(1950 + oid % 50, 1 + oid % 12, 1 + oid % 3), oid % 4 ? NO_DATE : OleDate(2000, 1 + oid % 12, 1));
                    oid++;
                }
        CDataList list;
        OpenAt(list, 2026, 12, 6);
        std::map<const CDataItem*, std::string> keys;
        for (uint32_t i = 0; i < list.GetCount(); i++)
        {
            char bytes[512];
            int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, list.GetItem(i)->GetName(),
                                    -1, reinterpret_cast<wchar_t*>(bytes), sizeof(bytes));
            keys[list.GetItem(i)] = std::string(bytes, static_cast<size_t>(size > 0 ? size : 0));
        }
        for (int order : {SORT_BY_NAME, SORT_BY_DAYS_LEFT, SORT_BY_MONTH, SORT_BY_DATE})
        {
            list.Sort(order);
            std::vector<const CDataItem*> expected;
            for (uint32_t i = 0; i < list.GetCount(); i++)
                expected.push_back(list.GetItem(i));
            auto key = [&](const CDataItem* e) {
                return order == SORT_BY_DAYS_LEFT ? list.GetDaysLeft(e)
                       : order == SORT_BY_MONTH   ? DayOfYear(e->date)
                       : order == SORT_BY_DATE    ? e->date.GetYear() * 10000 + e->date.GetMonth() * 100 + e->date.GetDay()
                                                  : 0;
            };
            std::sort(expected.begin(), expected.end(), [&](const CDataItem* a, const CDataItem* b) {
                if (key(a) != key(b))
                    return key(a) < key(b);
                if (keys[a] != keys[b])
                    return keys[a] < keys[b];
                return a->oid != b->oid ? a->oid < b->oid : a->kind < b->kind;
            });
            for (uint32_t i = 0; i < list.GetCount(); i++)
                ASSERT_EQ(expected[i], list.GetItem(i)) << "book " << book << ", order " << order << ", position " << i;
        }
    }
}

TEST_F(DataList, EventsAsReadAreEveryEventOnceInTheOrderOfTheBook)
{
    // More events than one block holds, ordered so that the list's order is the book's reversed.
    const LONG count = 2500;
    for (LONG oid = 1; oid <= count; oid++)
        Add(oid, (L"Name " + std::to_wstring(100000 - oid)).c_str(), OleDate(1990, 1 + oid % 12, 1));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    list.Sort(SORT_BY_NAME);
    ASSERT_EQ(static_cast<uint32_t>(count), list.GetTotalCount());
    std::set<const CDataItem*> listed;
    for (uint32_t i = 0; i < list.GetTotalCount(); i++)
        listed.insert(list.GetEvent(i));
    for (uint32_t i = 0; i < list.GetTotalCount(); i++)
    {
        ASSERT_EQ(static_cast<LONG>(i + 1), list.GetEventAsRead(i)->oid) << i;
        ASSERT_EQ(1u, listed.erase(list.GetEventAsRead(i))) << i;
    }
    EXPECT_EQ(count, list.GetEvent(0)->oid);
}

TEST_F(DataList, EqualKeysAndNamesFallBackToContactAndKind)
{
    // Two people of one name, one of them married on his birthday: every order keeps them in one place.
    Add(9, L"Sam", OleDate(1990, 6, 1), OleDate(2010, 6, 1));
    Add(3, L"sam", OleDate(1990, 6, 1));
    Add(5, L"Sam", OleDate(1990, 6, 1), OleDate(2010, 6, 1));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    typedef std::vector<std::pair<LONG, bool>> Events;
    const Events sameDay = {{3, false}, {5, false}, {5, true}, {9, false}, {9, true}};
    const Events byDate = {{3, false}, {5, false}, {9, false}, {5, true}, {9, true}};
    for (int order : {SORT_BY_NAME, SORT_BY_DATE, SORT_BY_DAYS_LEFT, SORT_BY_MONTH})
    {
        list.Sort(order);
        Events events;
        for (uint32_t i = 0; i < list.GetCount(); i++)
            events.push_back({list.GetItem(i)->oid, list.GetItem(i)->IsAnniversary()});
        EXPECT_EQ(order == SORT_BY_DATE ? byDate : sameDay, events) << "order " << order;
    }
}

TEST_F(DataList, SplitByMonthAndSign)
{
    Add(1, L"Feb 18", OleDate(1990, 2, 18));
    Add(2, L"Feb 19", OleDate(1990, 2, 19));
    Add(3, L"Mar 18", OleDate(1990, 3, 18));
    Add(4, L"Mar 19", OleDate(1990, 3, 19));
    Add(5, L"Wedding", NO_DATE, OleDate(2001, 3, 1));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    list.Sort(SORT_BY_MONTH);
    list.SetSplit(SPLIT_BY_MONTH, 2);
    EXPECT_EQ((Names_t{L"Feb 18", L"Feb 19"}), Names(list));
    list.SetSplit(SPLIT_BY_ZODIAC, 11);
    EXPECT_EQ((Names_t{L"Feb 19", L"Wedding", L"Mar 18"}), Names(list)) << "anniversaries split by sign too";
    list.SetSplit(SPLIT_ALL, -1);
    EXPECT_EQ(5u, list.GetCount());

    CSettings stored;
    stored.Read();
    EXPECT_EQ(SPLIT_ALL, stored.SplitMode);
    EXPECT_EQ(-1, stored.SplitPeriod);
    EXPECT_EQ(SORT_BY_MONTH, stored.SortOrder);
}

TEST_F(DataList, FilterIgnoresCaseAndAccentsAndCombinesWithSplitAndOrder)
{
    Add(1, L"Anna", OleDate(1990, 5, 3));
    Add(2, L"JOANNE", OleDate(1990, 6, 3));
    Add(3, L"Hannah", OleDate(1990, 5, 1));
    Add(4, L"Bob", OleDate(1990, 5, 2));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    list.Sort(SORT_BY_NAME);
    list.SetFilter(L"ann");
    EXPECT_EQ((Names_t{L"Anna", L"Hannah", L"JOANNE"}), Names(list));
    list.SetFilter(L"ANN");
    EXPECT_STREQ(L"ann", list.GetFilter());
    Add(5, L"\u00C1ngeles", OleDate(1990, 7, 3));
    Add(6, L"Mads S\u00F8rensen", OleDate(1990, 8, 3));
    list.Load();
    list.SetFilter(L"angel");
    EXPECT_EQ((Names_t{L"\u00C1ngeles"}), Names(list)) << "accents do not count either";
    list.SetFilter(L"sorensen");
    EXPECT_EQ((Names_t{L"Mads S\u00F8rensen"}), Names(list));
    list.SetFilter(L"ann");
    list.SetSplit(SPLIT_BY_MONTH, 5);
    EXPECT_EQ((Names_t{L"Anna", L"Hannah"}), Names(list));
    list.Sort(SORT_BY_MONTH);
    EXPECT_EQ((Names_t{L"Hannah", L"Anna"}), Names(list)) << "the view follows the new order";
    list.ClearFilter();
    EXPECT_EQ((Names_t{L"Hannah", L"Bob", L"Anna"}), Names(list));
    std::wstring longText(150, L'x');
    list.SetFilter(longText.c_str());
    EXPECT_EQ(100, list.GetFilter().GetLength());
    EXPECT_EQ(0u, list.GetCount());
}

TEST_F(DataList, EmptyStoreGivesEmptyViewsInEveryMode)
{
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    for (int mode = 0; mode < 3; mode++)
    {
        list.SetSplit(mode, mode == 1 ? 1 : 0);
        list.SetFilter(L"a");
        EXPECT_EQ(0u, list.GetCount());
    }
}

TEST_F(DataList, ReloadFindsTheSelectedContactAgain)
{
    Add(1, L"Anna", OleDate(1990, 5, 3), OleDate(2010, 7, 1));
    Add(2, L"Bob", OleDate(1990, 5, 2));
    CDataList list;
    OpenAt(list, 2026, 12, 6);
    list.Sort(SORT_BY_NAME);
    int anniversary = list.FindInView(1, true);
    ASSERT_GE(anniversary, 0);
    EXPECT_TRUE(list.GetItem(anniversary)->IsAnniversary());
    list.GetSettings().ShowAnnivasaries = 0;
    list.Load();
    EXPECT_EQ(0, list.FindInView(1, true)) << "falls back to the contact's birthday";
    EXPECT_EQ(-1, list.FindInView(99, false));
}
