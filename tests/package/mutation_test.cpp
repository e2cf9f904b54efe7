// Hostile packages: thousands of deterministic mutations of a valid package never crash the reader.
#include "package/zrs.h"

#include "tests/package/package_builder.h"
#include "tests/support/fixtures.h"

namespace {

// xorshift32: the same sequence on every run, so a failure can be replayed.
class CRandom
{
public:
    explicit CRandom(uint32_t seed) : m_state(seed) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint32_t m_state;
};

const uint32_t INTERESTING[] = {0, 1, 2, 19, 20, 27, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFEC, 0x0CCCCCCD};

// One mutation: flipped bits, a replaced byte, a boundary value written over a word, a cut, or
// a run of bytes copied elsewhere. Header and index are hit more often than picture bytes.
void Mutate(std::string& bytes, CRandom& random, size_t indexEnd)
{
    size_t at = random.Below(4) ? random.Below(uint32_t(indexEnd)) : random.Below(uint32_t(bytes.size()));
    switch (random.Below(5))
    {
    case 0:
        bytes[at] = char(bytes[at] ^ (1u << random.Below(8)));
        break;
    case 1:
        bytes[at] = char(random.Next());
        break;
    case 2:
        if (at + 4 <= bytes.size())
            PutWord(bytes, at, INTERESTING[random.Below(sizeof(INTERESTING) / sizeof(INTERESTING[0]))]);
        break;
    case 3:
        bytes.resize(at);
        break;
    default:
    {
        size_t from = random.Below(uint32_t(bytes.size()));
        size_t n = random.Below(16);
        for (size_t i = 0; i < n && from + i < bytes.size() && at + i < bytes.size(); ++i)
            bytes[at + i] = bytes[from + i];
        break;
    }
    }
}

class ZrsMutation : public CComTest
{
};

TEST_F(ZrsMutation, MutatedPackagesAreReadOrRejectedWithoutCrashing)
{
    std::vector<uint32_t> gradient(12 * 10);
    for (size_t i = 0; i < gradient.size(); ++i)
        gradient[i] = 0x80000000u | uint32_t(i * 0x020406);
    std::vector<CTestEntry> entries = {{0, SolidPng(16, 16, 0xFFAA3300)}, {1, SolidPng(16, 16, 0xFF000000)},
                                       {84, EncodePng(12, 10, gradient)}, {90, SolidPng(3, 40, 0x40FFFFFF)}};
    const std::string valid = BuildPackage(entries);
    const size_t indexEnd = 27 + 20 * entries.size();
    const uint32_t keys[] = {0, 1, 84, 90, 2};

    CTempDir dir;
    CRandom random(0x5EED2024);
    int opened = 0, pictures = 0;
    const int runs = 3000;
    for (int run = 0; run < runs; ++run)
    {
        std::string bytes = valid;
        for (uint32_t n = 1 + random.Below(4); n > 0 && !bytes.empty(); --n)
            Mutate(bytes, random, indexEnd < bytes.size() ? indexEnd : bytes.size());
        std::wstring path = dir.Write(L"mutant.zrs", bytes);
        CZrsPackage package;
        if (!package.Open(path.c_str()))
            continue;
        ++opened;
        for (uint32_t key : keys)
        {
            CZrsImage* image = package.LoadImage(key);
            if (image)
            {
                ++pictures;
                ASSERT_GT(image->Width(), 0) << "run " << run;
                ASSERT_GT(image->Height(), 0) << "run " << run;
                delete image;
            }
            HBITMAP bitmap = package.LoadBitmap(key);
            if (bitmap)
                DeleteObject(bitmap);
        }
    }
    // The mutations must leave enough packages readable to exercise the look-ups as well.
    EXPECT_GT(opened, runs / 4);
    EXPECT_GT(pictures, runs / 2);
    std::printf("%d of %d mutated packages opened, %d pictures decoded\n", opened, runs, pictures);
}

} // namespace
