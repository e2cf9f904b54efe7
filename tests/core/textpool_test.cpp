// CTextPool: every text handed out stays whole and in place while more are added, also past a block's end.
#include "core/textpool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(TextPool, TextsStayWholeAndInPlaceAcrossBlocks)
{
    // Lengths that fill a block exactly, overrun it, exceed a block on their own, and are empty.
    const size_t lengths[] = {0, 1, 17, 32767, 5, 32768, 70000, 0, 3, 32766, 2, 1};
    CTextPool pool;
    std::vector<std::wstring> texts;
    std::vector<const wchar_t*> copies;
    for (int round = 0; round < 3; round++)
        for (size_t length : lengths)
        {
            std::wstring text(length, static_cast<wchar_t>(L'a' + texts.size() % 26));
            texts.push_back(text);
            copies.push_back(pool.Add(text.c_str(), text.size()));
        }
    for (size_t i = 0; i < texts.size(); i++)
        EXPECT_EQ(texts[i], std::wstring(copies[i])) << "text " << i;
    pool.Clear();
    EXPECT_STREQ(L"again", pool.Add(L"again", 5));
}
