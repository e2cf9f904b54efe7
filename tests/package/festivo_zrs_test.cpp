// The shipped festivo.zrs: every key the programs ask for is there, in its size, with a true mask.
#include "package/zrs.h"

#include "core/file.h"
#include "tests/package/package_builder.h"

namespace {

class FestivoZrs : public CComTest
{
protected:
    void SetUp() override
    {
        CComTest::SetUp();
        CStr path(MAX_PATH);
        CFileUtils::MakeAppFilePath(path, L"festivo.zrs", nullptr);
        ASSERT_TRUE(m_package.Open(path)) << "festivo.zrs must sit next to the test program";
    }

    // Pixel size of key, 0x0 when missing.
    SIZE SizeOf(uint32_t key)
    {
        SIZE size = {0, 0};
        CZrsImage* image = m_package.LoadImage(key);
        if (image)
        {
            size.cx = image->Width();
            size.cy = image->Height();
            delete image;
        }
        return size;
    }

    CZrsPackage m_package;
};

TEST_F(FestivoZrs, EveryGroupHasThreeSizesWithMasksOfTheSameSize)
{
    const int sides[] = {16, 20, 32};
    for (uint32_t group = 0; group < 14; ++group)
    {
        for (uint32_t step = 0; step < 3; ++step)
        {
            uint32_t key = group * 6 + step * 2;
            SIZE picture = SizeOf(key);
            SIZE mask = SizeOf(key + 1);
            EXPECT_EQ(sides[step], picture.cx) << "key " << key;
            EXPECT_EQ(sides[step], picture.cy) << "key " << key;
            EXPECT_EQ(picture.cx, mask.cx) << "mask " << key + 1;
            EXPECT_EQ(picture.cy, mask.cy) << "mask " << key + 1;
        }
    }
}

TEST_F(FestivoZrs, ContactAndOptionsPicturesLoad)
{
    SIZE contact = SizeOf(84);
    EXPECT_GE(contact.cx, 64);
    EXPECT_EQ(contact.cx, contact.cy);
    const int sides[] = {16, 20, 32};
    for (uint32_t key = 88; key <= 93; ++key)
    {
        SIZE size = SizeOf(key);
        EXPECT_EQ(sides[(key - 88) % 3], size.cx) << "key " << key;
        EXPECT_EQ(sides[(key - 88) % 3], size.cy) << "key " << key;
        HBITMAP bitmap = m_package.LoadBitmap(key);
        EXPECT_NE(nullptr, bitmap) << "key " << key;
        DeleteObject(bitmap);
    }
}

// Drawn through its mask over two different backgrounds, a picture must look the same wherever
// the mask says opaque and show the background wherever it says transparent; and the picture
// itself must be transparent exactly there, or the masked drawing would show fringes.
TEST_F(FestivoZrs, MasksMatchTheirPictures)
{
    for (uint32_t key = 0; key < 84; key += 2)
    {
        CZrsImage* picture = m_package.LoadImage(key);
        HBITMAP mask = m_package.LoadBitmap(key + 1);
        ASSERT_NE(nullptr, picture) << "key " << key;
        ASSERT_NE(nullptr, mask) << "key " << key;
        int w = picture->Width(), h = picture->Height();
        CCanvas onRed(w, h, RGB(255, 0, 0));
        CCanvas onBlue(w, h, RGB(0, 0, 255));
        picture->Draw(onRed.dc, 0, 0, w, h);
        picture->Draw(onBlue.dc, 0, 0, w, h);
        int opaque = 0;
        for (int y = 0; y < h; ++y)
        {
            for (int x = 0; x < w; ++x)
            {
                uint32_t m = PixelAt(mask, x, y);
                ASSERT_TRUE(m == 0 || m == 0xFFFFFF) << "key " << key + 1 << " at " << x << "," << y;
                if (m == 0)
                {
                    ++opaque;
                    EXPECT_EQ(onRed.At(x, y), onBlue.At(x, y)) << "key " << key << " at " << x << "," << y;
                }
                else
                {
                    EXPECT_EQ(0xFF0000u, onRed.At(x, y)) << "key " << key << " at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(opaque, w * h / 3) << "key " << key;
        DeleteObject(mask);
        delete picture;
    }
}

} // namespace
