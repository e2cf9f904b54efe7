// CArray growth and bounds, CStrList ownership.
#include "core/array.h"
#include "core/strlist.h"
#include "tests/support/fatal.h"

TEST(Array, GrowsLinearlyByItsStep)
{
    CArray<int> a;
    EXPECT_EQ(16u, a.GetCapacity());
    for (int i = 0; i < 16; i++)
        a.Append(i);
    EXPECT_EQ(16u, a.GetCapacity());
    a.Append(16);
    EXPECT_EQ(32u, a.GetCapacity());
    for (int i = 17; i < 33; i++)
        a.Append(i);
    EXPECT_EQ(48u, a.GetCapacity());
    for (uint32_t i = 0; i < a.GetCount(); i++)
        ASSERT_EQ(static_cast<int>(i), a[i]);

    CArray<CVelaView*> views(8);
    for (int i = 0; i < 9; i++)
        views.Append(nullptr);
    EXPECT_EQ(16u, views.GetCapacity());
}

TEST(Array, DeleteMovesTheTailDown)
{
    CArray<int> a;
    for (int i = 0; i < 5; i++)
        a.Append(i);
    a.Delete(1, 2);
    ASSERT_EQ(3u, a.GetCount());
    EXPECT_EQ(0, a.At(0));
    EXPECT_EQ(3, a.At(1));
    EXPECT_EQ(4, a.At(2));
    a.Delete(3, 0);
    a.Delete(0, 3);
    EXPECT_EQ(0u, a.GetCount());
}

TEST(Array, ReportsNameTheInstance)
{
    CArray<int> ints;
    EXPECT_FATAL(ints.At(0), "CArray<int>::At", "Out of range");
    ints.Append(1);
    EXPECT_FATAL(ints.At(1), "CArray<int>::At", "Out of range");
    EXPECT_FATAL(ints.Delete(0, 2), "CArray<int>::Delete", "Out of range");
    CArray<CDataItem*> items;
    EXPECT_FATAL(items[0], "CArray<class CDataItem \\*>::operator \\[\\]", "Out of range");
    EXPECT_FATAL(items.At(3), "CArray<class CDataItem \\*>::At", "Out of range");
    EXPECT_FATAL(CArray<CVelaView*> zero(0), "CArray<class CVelaView \\*>::CArray", "Invalid value");
}

TEST(StrList, OwnsItsStrings)
{
    CStrList list;
    list.RemoveAll();
    EXPECT_EQ(0u, list.GetCount());
    for (int i = 0; i < 20; i++)
        list.Add(i % 2 ? L"odd" : L"even");
    EXPECT_EQ(20u, list.GetCount());
    EXPECT_STREQ(L"odd", *list.GetAt(19));
    list.Add(nullptr);
    EXPECT_STREQ(L"", *list.GetAt(20));
    list.RemoveAll();
    EXPECT_EQ(0u, list.GetCount());
    EXPECT_FATAL(list.GetAt(0), "CArray<class CStr \\*>::At", "Out of range");
}
