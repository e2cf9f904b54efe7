// Charsets of address books: decoded through the system's code pages, or marked as not decoded.
#include "platform/store/codepage.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/text.h"
#include "platform/store/widetext.h"
#include "tests/store/store_fixture.h"

#include <gtest/gtest.h>

using namespace vcard;

TEST(Charsets, EveryCharsetIsDecodedOrMarkedUndecodable)
{
    struct
    {
        const char* charset;
        const char* quoted;
        const char* utf8; // null: undecodable
    } cases[] = {
        {"Shift_JIS", "=8ER=93c", "\xE5\xB1\xB1\xE7\x94\xB0"},
        {"EUC-JP", "=BB=B3=C5=C4", "\xE5\xB1\xB1\xE7\x94\xB0"},
        {"ISO-2022-JP", "=1B$B;3ED=1B(B", "\xE5\xB1\xB1\xE7\x94\xB0"},
        {"GB2312", "=D5=C5=C8=FD", "\xE5\xBC\xA0\xE4\xB8\x89"},
        {"GB18030", "=D5=C5=C8=FD", "\xE5\xBC\xA0\xE4\xB8\x89"},
        {"Big5", "=B1i=A4T", "\xE5\xBC\xB5\xE4\xB8\x89"},
        {"EUC-KR", "=B1=E8=C3=B6=BC=F6", "\xEA\xB9\x80\xEC\xB2\xA0\xEC\x88\x98"},
        {"KOI8-R", "=E9=D7=C1=CE", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"},
        {"KOI8-U", "=B7=D6=C1=CB", "\xD0\x87\xD0\xB6\xD0\xB0\xD0\xBA"},
        {"ISO-8859-2", "=A3ukasiewicz", "\xC5\x81ukasiewicz"},
        {"iso_8859-7", "=CD=DF=EA=EF=F2", "\xCE\x9D\xCE\xAF\xCE\xBA\xCE\xBF\xCF\x82"},
        {"ISO-8859-10", "=AF", "\xC5\x8A"},
        {"ISO-8859-14", "=D0", "\xC5\xB4"},
        {"ISO-8859-16", "=AAtefan", "\xC8\x98tefan"},
        {"WINDOWS-1250", "=A3ukasiewicz", "\xC5\x81ukasiewicz"},
        {"cp1251", "=C8=E2=E0=ED", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"},
        {"UTF-16LE", "=18=04", "\xD0\x98"},
        {"Shift_JIS", "=8E", nullptr},
        {"UTF-8", "M=FCller", nullptr},
        {"X-UNHEARD-OF", "abc", nullptr},
        {"ISO-8859-12", "abc", nullptr},
    };
    InstallCodePageDecoder();
    for (const auto& c : cases)
    {
        std::string line = std::string("FN;CHARSET=") + c.charset + ";ENCODING=QUOTED-PRINTABLE:" + c.quoted + "\r\n";
        CVCardProperty property;
        ASSERT_TRUE(CVCardReader::ParseProperty(line.data(), line.size(), property));
        EXPECT_EQ(c.utf8 == nullptr, property.undecodable) << c.charset << " " << c.quoted;
        EXPECT_EQ(c.utf8 ? c.utf8 : property.value, property.value) << c.charset;
        EXPECT_TRUE(IsValidUtf8(property.value));
    }
    // Without the system's code pages only the portable charsets decode.
    SetCharsetDecoder(nullptr);
    std::string latin = "FN;CHARSET=ISO-8859-1:M\xFCller\r\n", japanese = "FN;CHARSET=SHIFT_JIS:\x8E\x52\r\n";
    CVCardProperty a, b;
    ASSERT_TRUE(CVCardReader::ParseProperty(latin.data(), latin.size(), a));
    ASSERT_TRUE(CVCardReader::ParseProperty(japanese.data(), japanese.size(), b));
    EXPECT_FALSE(a.undecodable);
    EXPECT_TRUE(b.undecodable);
    InstallCodePageDecoder();
}

TEST_F(StoreTest, FeaturePhoneJapaneseNamesShowInTheList)
{
    WriteBook(L"phone.vcf", "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                            "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=89=D4=8E=71\r\n"
                            "END:VCARD\r\n");
    std::vector<CListedContact> contacts = List();
    ASSERT_EQ(1u, contacts.size());
    EXPECT_EQ(L"\x82B1\x5B50 \x5C71\x7530", contacts[0].name);
}

// What the windows and the COM properties show: UTF-8 as wide text and back, characters beyond
// the first 65,536 as surrogate pairs, broken input as U+FFFD instead of lost or cut text.
TEST(Charsets, WideTextRoundTripsAndMarksBrokenInput)
{
    struct
    {
        std::string utf8;
        std::wstring wide;
        std::string back;
    } cases[] = {
        {"Zo\xC3\xAB \xE5\xB1\xB1", L"Zo\x00EB \x5C71", "Zo\xC3\xAB \xE5\xB1\xB1"},
        {"\xF0\x9F\x8E\x82!", L"\xD83C\xDF82!", "\xF0\x9F\x8E\x82!"},
        {"a\xFF" "b", L"a\xFFFD" L"b", "a\xEF\xBF\xBD" "b"},
        {std::string(), std::wstring(), std::string()},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.wide, Utf8ToWide(c.utf8)) << c.utf8;
        EXPECT_EQ(c.back, WideToUtf8(c.wide)) << c.utf8;
    }
    EXPECT_EQ("\xEF\xBF\xBDx", WideToUtf8(std::wstring(L"\xDC01x")));
}
