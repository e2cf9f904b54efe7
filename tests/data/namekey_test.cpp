// Quick name keys against the locale's own keys, over names of every kind.
#include "data/namekey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The same bytes as the locale's key for every name, so the same order: mixed case, digits, blanks,
// hyphens, apostrophes, punctuation, accents, letters that some languages sort as one, other scripts, empty.
TEST(NameKeys, AreTheLocalesKeysForEveryName)
{
    const wchar_t* parts[] = {L"", L"anna", L"Anna", L"ANNA", L"bert", L"Given12345", L"Family9", L"12", L"2",
                              L"0", L"O'Neil", L"Jean-Luc", L"Zo\u00eb", L"\u00c9mile", L"\u00c5sa", L"stra\u00dfe",
                              L"Strasse", L"\u00c6r\u00f8", L"\u0141ukasz", L"\u0418\u0432\u0430\u043d",
                              L"\u5f20\u4f1f", L"Dr. X", L"a,b", L"(Work)", L"#1 ~", L"x\u00a0y", L"chata", L"llama",
                              L"aa", L"dzs", L"Nguy\u1ec5n", L"\u00bd\u00d7\u00f7", L"Thor\u00feur", L"a\tb"};
    const wchar_t* joins[] = {L"", L" ", L"-", L"'", L", "};
    CNameKeys keys(100000); // as many names as a large book: quick keys are made
    std::vector<unsigned char> quick(4, 0xde);
    size_t quickNames = 0;
    for (const wchar_t* first : parts)
        for (const wchar_t* join : joins)
            for (const wchar_t* second : parts)
            {
                std::wstring name = std::wstring(first) + join + second;
                uint32_t length = 0xdeadbeef;
                const unsigned char* kept = keys.Kept(name.c_str(), length);
                std::string locale(reinterpret_cast<const char*>(kept), length);
                if (!keys.Quick(name.c_str(), quick))
                    continue;
                quickNames++;
                ASSERT_EQ(locale, std::string(quick.begin(), quick.end())) << testing::PrintToString(name);
            }
    EXPECT_GT(quickNames, 0u);
    for (const wchar_t* name : {L"Given12345 Family9", L"Zo\u00eb \u00c9mile"})
        EXPECT_TRUE(keys.Quick(name, quick)) << testing::PrintToString(name) << ": plain and accented letters are quick";
}
