// The event list over the real contact store DLL and an address book written by the test.
#include "data/datalist.h"
#include "tests/data/storebook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kAddressBook =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nFN:Anna Berg\r\nN:Berg;Anna;;;\r\nBDAY:1990-12-10\r\n"
    "ANNIVERSARY:2015-06-20\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:noyear\r\nFN:Mia Year-less\r\nBDAY:--0315\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Leap;Lena\r\nBDAY:19880229\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Broken date\r\nBDAY:2026-02-30\r\nEND:VCARD\r\n";

class EventsFromTheStore : public CStoreBookTest
{
protected:
    EventsFromTheStore() : CStoreBookTest(kAddressBook) {}
};

} // namespace

TEST_F(EventsFromTheStore, LoadsBirthdaysAndAnniversariesOfTheAddressBook)
{
    CDataList list;
    ASSERT_EQ(S_OK, list.Open(nullptr));
    list.SetReference(CTime(2026, 12, 6, 0, 0, 0));
    list.Load();
    list.Sort(SORT_BY_DAYS_LEFT);
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < list.GetCount(); i++)
        names.push_back(list.GetItem(i)->GetName());
    EXPECT_EQ((std::vector<std::wstring>{L"Anna Berg", L"Lena Leap", L"Mia Year-less", L"Anna Berg"}), names);

    const CDataItem* anna = list.GetItem(0);
    EXPECT_EQ(4, list.GetDaysLeft(anna));
    EXPECT_EQ(36, list.GetAge(anna));
    EXPECT_EQ(8, anna->kind) << "10 December is Sagittarius";
    EXPECT_TRUE(list.GetItem(3)->IsAnniversary());
    EXPECT_EQ(anna->oid, list.GetItem(3)->oid);
    EXPECT_EQ(12, list.GetAge(list.GetItem(3))) << "married 2015, the next anniversary is in 2027";

    const CDataItem* mia = list.GetItem(2);
    EXPECT_FALSE(mia->HasYear());
    EXPECT_EQ(NO_AGE, list.GetAge(mia));
    EXPECT_EQ(99, list.GetDaysLeft(mia));

    const CDataItem* lena = list.GetItem(1);
    EXPECT_EQ(84, list.GetDaysLeft(lena)) << "28 February 2027";
    EXPECT_EQ(39, list.GetAge(lena));
}

TEST_F(EventsFromTheStore, UpcomingEventsOfTheAddressBook)
{
    CDataList list;
    ASSERT_EQ(S_OK, list.Open(nullptr));
    list.LoadUpcoming(CTime(2026, 12, 6, 10, 0, 0));
    ASSERT_EQ(2u, list.GetTotalCount()) << "Anna on 10 December and Lena on 28 February";
    EXPECT_STREQ(L"Anna Berg", list.GetItem(0)->GetName());
    EXPECT_STREQ(L"Lena Leap", list.GetItem(1)->GetName());
}

TEST_F(EventsFromTheStore, AnAddressBookThatCannotBeReadIsNamedUntilItReturns)
{
    CDataList list;
    ASSERT_EQ(S_OK, list.Open(nullptr));
    list.Load();
    EXPECT_STREQ(L"", list.GetUnreadableBook());
    std::wstring book = m_dir.File(L"contacts.vcf");
    std::wstring away = m_dir.File(L"away.vcf");
    ASSERT_TRUE(MoveFileW(book.c_str(), away.c_str()));
    list.Load();
    EXPECT_EQ(0u, list.GetCount());
    EXPECT_EQ(book, std::wstring(list.GetUnreadableBook())) << "the store names the address book";
    ASSERT_TRUE(MoveFileW(away.c_str(), book.c_str()));
    list.Load();
    EXPECT_STREQ(L"", list.GetUnreadableBook());
    EXPECT_EQ(4u, list.GetCount());
}
