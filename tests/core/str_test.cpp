// CStr: both storage modes, their bounds and the fatal reports.
#include "core/str.h"
#include "tests/support/fatal.h"

#include <cstdlib>

TEST(Str, ConstructionAndQueries)
{
    CStr empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ(L"", empty.GetBuffer());
    CStr fixed(10u);
    EXPECT_TRUE(fixed.IsEmpty());
    EXPECT_EQ(10, fixed.GetCapacity());
    CStr null(static_cast<const wchar_t*>(nullptr));
    EXPECT_STREQ(L"", null);
    CStr abc(L"abc");
    EXPECT_EQ(3, abc.GetLength());
    EXPECT_EQ(3, abc.GetCapacity());
    CStr copy(fixed);
    EXPECT_FALSE(copy.IsFixed()) << "a copy is always dynamic";
}

TEST(Str, AtAllowsTheTerminatorPosition)
{
    CStr abc(L"abc");
    EXPECT_EQ(L'\0', *abc.At(3));
    EXPECT_FATAL(abc.At(4), "CStr::At", "Out of range");
    CStr fixed(8u);
    fixed = L"ab";
    EXPECT_EQ(fixed.GetBuffer() + 8, fixed.At(8)) << "a fixed string may be indexed up to its size";
    EXPECT_FATAL(fixed.At(9), "CStr::At", "Out of range");
}

TEST(Str, FindAndReverseFind)
{
    CStr text(L"abcabc");
    EXPECT_EQ(1, text.Find(L"bc", 0));
    EXPECT_EQ(4, text.Find(L"bc", 2));
    EXPECT_EQ(-1, text.Find(nullptr, 100));
    EXPECT_EQ(-1, text.Find(L"a", 6));
    EXPECT_FATAL(text.Find(L"a", 7), "CStr::Find", "Out of range");
    EXPECT_EQ(3, text.ReverseFind(L'a'));
    EXPECT_EQ(6, text.ReverseFind(L'\0'));
    EXPECT_EQ(-1, text.ReverseFind(L'z'));
}

TEST(Str, FixedSizeBounds)
{
    CStr fixed(5u);
    fixed = L"hello";
    EXPECT_STREQ(L"hello", fixed);
    EXPECT_FATAL(fixed = L"hello!", "CStr::operator =", "Buffer is too small");
    fixed = L"hell";
    fixed.Append(L"o");
    EXPECT_STREQ(L"hello", fixed);
    EXPECT_FATAL(fixed.Append(L"!"), "CStr::Append", "Buffer is too small");
    fixed.Empty();
    EXPECT_FATAL(fixed.Append(L'x', 6), "CStr::Append", "Buffer is too small");
    fixed.AssignTruncated(L"truncated");
    EXPECT_STREQ(L"trunc", fixed);
    EXPECT_FATAL(fixed.Assign(L"abcdef", 6), "CStr::Assign", "Error");
    fixed = nullptr;
    EXPECT_TRUE(fixed.IsEmpty());
}

TEST(Str, AssignInBothModes)
{
    CStr s;
    s.Assign(L"abcdef", 3);
    EXPECT_STREQ(L"abc", s);
    s.Assign(L"abcdef", 0);
    EXPECT_STREQ(L"abcdef", s) << "0 means the whole text in dynamic mode";
    s.Assign(s.GetBuffer(), 2);
    EXPECT_STREQ(L"abcdef", s) << "assigning its own buffer does nothing";
    s = s.GetBuffer();
    EXPECT_STREQ(L"abcdef", s);
    CStr fixed(4u);
    fixed.Assign(L"xyz", 0);
    EXPECT_STREQ(L"", fixed) << "0 copies nothing in fixed mode";
    s.AssignTruncated(L"whole text");
    EXPECT_STREQ(L"whole text", s);
}

TEST(Str, SetFixedSizeCutsAndReturnsToDynamic)
{
    CStr s(L"abcdef");
    s.SetFixedSize(3);
    EXPECT_STREQ(L"abc", s);
    EXPECT_EQ(3, s.GetCapacity());
    s.SetFixedSize(0);
    EXPECT_FALSE(s.IsFixed());
    s.Append(L"defgh");
    EXPECT_STREQ(L"abcdefgh", s);
}

TEST(Str, AppendVariants)
{
    CStr s(L"n=");
    s.AppendInt(-12);
    s.Append(L',', 1);
    s.Append(L' ', 0);
    s.AppendUnsigned(4000000000u);
    s.Append(L'-', 3);
    s.Append(nullptr);
    s.Append(L"");
    EXPECT_STREQ(L"n=-12,4000000000---", s);
}

TEST(Str, DeleteBounds)
{
    CStr abc(L"abc");
    abc.Delete(10, 0);
    EXPECT_STREQ(L"abc", abc) << "count 0 does nothing even past the end";
    EXPECT_FATAL(abc.Delete(3, 1), "CStr::Delete", "Out of range");
    abc.Delete(0, 1000);
    EXPECT_STREQ(L"", abc);
    CStr fixed(10u);
    fixed = L"abcdef";
    fixed.Delete(1, 2);
    EXPECT_STREQ(L"adef", fixed);
}

TEST(Str, ReplaceInBothModes)
{
    CStr s(L"abc");
    s.Replace(1, 1, L"");
    EXPECT_STREQ(L"ac", s);
    s.Replace(0, 1, L"X");
    EXPECT_STREQ(L"Xc", s);
    s.Replace(1, 1, L"long tail");
    EXPECT_STREQ(L"Xlong tail", s);
    EXPECT_FATAL(s.Replace(8, 3, L"q"), "CStr::Replace", "Out of range");

    CStr fixed(6u);
    fixed = L"abcd";
    fixed.Replace(1, 2, L"XYZ");
    EXPECT_STREQ(L"aXYZd", fixed);
    EXPECT_FATAL(fixed.Replace(0, 1, L"123"), "CStr::Replace", "Out of range");
}

TEST(Str, ReplaceAllNeverSearchesInsertedText)
{
    CStr s(L"aaa");
    EXPECT_EQ(3, s.ReplaceAll(L"a", L"aa"));
    EXPECT_STREQ(L"aaaaaa", s);
    CStr t(L"x-y-z");
    EXPECT_EQ(2, t.ReplaceAll(L"-", L""));
    EXPECT_STREQ(L"xyz", t);
    EXPECT_EQ(0, t.ReplaceAll(L"", L"q"));
}

TEST(Str, FormatLimits)
{
    CStr s;
    s.Format(L"%ls %d", L"age", 36);
    EXPECT_STREQ(L"age 36", s);
    s.AppendFormat(L" [%d]", 4);
    EXPECT_STREQ(L"age 36 [4]", s);
    s.Format(nullptr);
    EXPECT_STREQ(L"", s);
    std::wstring long300(300, L'x');
    EXPECT_FATAL(s.Format(L"%ls", long300.c_str()), "CStr::Format", "Invalid value");
    EXPECT_FATAL(s.AppendFormat(L"%ls", long300.c_str()), "CStr::AppendFormat", "Invalid value");
    CStr fixed(5u);
    fixed.Format(L"%d", 12345);
    EXPECT_STREQ(L"12345", fixed);
    EXPECT_FATAL(fixed.Format(L"%d", 123456), "CStr::Format", "Invalid value");
}

TEST(Str, MakeLower)
{
    CStr s(L"JOANNE Äsa");
    s.MakeLower();
    EXPECT_STREQ(L"joanne äsa", s);
}

TEST(Str, Substrings)
{
    CStr s(L"birthday");
    EXPECT_STREQ(L"birth", s.Left(5));
    EXPECT_STREQ(L"birthday", s.Left(50));
    EXPECT_STREQ(L"day", s.Right(3));
    EXPECT_STREQ(L"birthday", s.Right(50));
    EXPECT_STREQ(L"thd", s.Middle(3, 3));
    EXPECT_STREQ(L"hday", s.Middle(4, 100));
    EXPECT_FATAL(s.AllocMiddle(8, 1), "CStr::AllocMiddle", "Out of range");
    wchar_t* copy = CStr::Duplicate(L"x");
    EXPECT_STREQ(L"x", copy);
    free(copy);
}

TEST(Str, MissingStringResourceIsFatal)
{
    CStr s;
    EXPECT_FATAL(s.LoadStringW(54321), "CStr::LoadStringW", "Not found");
}
