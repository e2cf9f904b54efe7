// Picture drawing: bitmaps on the window background colour, masked drawing, scaled alpha drawing.
#include "package/zrs.h"

#include "tests/package/package_builder.h"
#include "tests/support/fixtures.h"

namespace {

const uint32_t RED = 0xFF0000;
const uint32_t BLUE = 0x0000FF;
const uint32_t GREEN = 0x00FF00;
const COLORREF WINDOW = RGB(0x30, 0x60, 0x90); // 0x306090 as a pixel

// A 4 x 2 picture: left half opaque red, right half fully transparent.
std::string HalfRedPng()
{
    std::vector<uint32_t> p(8, 0x00000000);
    for (int y = 0; y < 2; ++y)
        p[y * 4] = p[y * 4 + 1] = 0xFFFF0000;
    return EncodePng(4, 2, p);
}

// Its mask: black where the picture is opaque, white elsewhere.
std::string HalfRedMask()
{
    std::vector<uint32_t> p(8, 0xFFFFFFFF);
    for (int y = 0; y < 2; ++y)
        p[y * 4] = p[y * 4 + 1] = 0xFF000000;
    return EncodePng(4, 2, p);
}

class ZrsDrawing : public CComTest
{
protected:
    void SetUp() override
    {
        CComTest::SetUp();
        std::string half = HalfRedPng();
        std::vector<uint32_t> soft = {0x80FFFFFF, 0xFF00FF00};
        m_path = m_dir.Write(L"draw.zrs", BuildPackage({{10, half}, {11, HalfRedMask()}, {12, EncodePng(2, 1, soft)}}));
        ASSERT_TRUE(m_package.Open(m_path.c_str()));
    }

    CTempDir m_dir;
    std::wstring m_path;
    CZrsPackage m_package;
};

TEST_F(ZrsDrawing, BitmapHasPictureSizeScreenDepthAndWindowColourBehindTransparency)
{
    CWindowColour window(WINDOW);
    HBITMAP bitmap = m_package.LoadBitmap(10);
    ASSERT_NE(nullptr, bitmap);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(4, info.bmWidth);
    EXPECT_EQ(2, info.bmHeight);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), info.bmBitsPixel);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(RED, PixelAt(bitmap, 0, 0));
    EXPECT_EQ(RED, PixelAt(bitmap, 1, 1));
    EXPECT_EQ(0x306090u, PixelAt(bitmap, 2, 0));
    EXPECT_EQ(0x306090u, PixelAt(bitmap, 3, 1));
    DeleteObject(bitmap);
}

TEST_F(ZrsDrawing, MaskedPictureKeepsBackgroundWhereTransparent)
{
    HBITMAP picture = m_package.LoadBitmap(10);
    HBITMAP mask = m_package.LoadBitmap(11);
    ASSERT_NE(nullptr, picture);
    ASSERT_NE(nullptr, mask);
    CCanvas canvas(8, 4, RGB(0, 0, 255));
    HDC memory = CreateCompatibleDC(canvas.dc);
    HGDIOBJ before = SelectObject(memory, GetStockObject(BLACK_BRUSH));
    HBITMAP own = CreateCompatibleBitmap(canvas.dc, 1, 1);
    HGDIOBJ ownPrevious = SelectObject(memory, own);

    DrawMasked(canvas.dc, 2, 1, 4, 2, memory, picture, mask);

    // The memory context has its own bitmap back.
    EXPECT_EQ(HGDIOBJ(own), GetCurrentObject(memory, OBJ_BITMAP));
    EXPECT_EQ(RED, canvas.At(2, 1));
    EXPECT_EQ(RED, canvas.At(3, 2));
    EXPECT_EQ(BLUE, canvas.At(4, 1));
    EXPECT_EQ(BLUE, canvas.At(5, 2));
    EXPECT_EQ(BLUE, canvas.At(1, 1));
    EXPECT_EQ(BLUE, canvas.At(2, 3));
    EXPECT_EQ(BLUE, canvas.At(6, 2));

    SelectObject(memory, ownPrevious);
    SelectObject(memory, before);
    DeleteObject(own);
    DeleteDC(memory);
    DeleteObject(picture);
    DeleteObject(mask);
}

TEST_F(ZrsDrawing, MaskedDrawingSkipsMissingPictureAndCopiesWithoutMask)
{
    HBITMAP picture = m_package.LoadBitmap(10);
    ASSERT_NE(nullptr, picture);
    CWindowColour window(WINDOW);
    CCanvas canvas(4, 2, RGB(0, 0, 255));
    HDC memory = CreateCompatibleDC(canvas.dc);
    DrawMasked(canvas.dc, 0, 0, 4, 2, memory, nullptr, nullptr);
    EXPECT_EQ(BLUE, canvas.At(0, 0));
    DeleteObject(picture);
    picture = m_package.LoadBitmap(10);
    DrawMasked(canvas.dc, 0, 0, 4, 2, memory, picture, nullptr);
    EXPECT_EQ(RED, canvas.At(0, 0));
    EXPECT_EQ(0x306090u, canvas.At(3, 0));
    DeleteDC(memory);
    DeleteObject(picture);
}

TEST_F(ZrsDrawing, ImageDrawsScaledAndBlendsByAlpha)
{
    CZrsImage* image = m_package.LoadImage(12);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(2, image->Width());
    EXPECT_EQ(1, image->Height());
    CCanvas canvas(10, 6, RGB(0, 0, 0));
    ASSERT_TRUE(image->Draw(canvas.dc, 1, 1, 9, 5));
    // Left half: white at half opacity over black; right half: opaque green.
    uint32_t grey = canvas.At(2, 2);
    EXPECT_NEAR(0x80, int(grey & 0xFF), 2);
    EXPECT_EQ(grey, canvas.At(4, 4));
    EXPECT_EQ(GREEN, canvas.At(5, 1));
    EXPECT_EQ(GREEN, canvas.At(8, 4));
    EXPECT_EQ(0u, canvas.At(0, 0));
    EXPECT_EQ(0u, canvas.At(9, 5));
    EXPECT_EQ(0u, canvas.At(4, 5));
    // Empty or inverted rectangles draw nothing and say so.
    EXPECT_FALSE(image->Draw(canvas.dc, 5, 5, 5, 9));
    EXPECT_FALSE(image->Draw(canvas.dc, 5, 5, 2, 2));
    image->Release();
    EXPECT_FALSE(image->Draw(canvas.dc, 1, 1, 9, 5));
    delete image;
}

TEST_F(ZrsDrawing, ShrinkingAveragesInsteadOfDroppingPixels)
{
    // Alternating black and white columns shrunk to half width come out grey.
    std::vector<uint32_t> stripes(16 * 4);
    for (size_t i = 0; i < stripes.size(); ++i)
        stripes[i] = (i % 2) ? 0xFFFFFFFF : 0xFF000000;
    std::wstring path = m_dir.Write(L"stripes.zrs", BuildPackage({{1, EncodePng(16, 4, stripes)}}));
    CZrsPackage package;
    ASSERT_TRUE(package.Open(path.c_str()));
    CZrsImage* image = package.LoadImage(1);
    ASSERT_NE(nullptr, image);
    CCanvas canvas(8, 2, RGB(255, 0, 0));
    ASSERT_TRUE(image->Draw(canvas.dc, 0, 0, 8, 2));
    for (int x = 0; x < 8; ++x)
        EXPECT_NEAR(0x80, int(canvas.At(x, 1) >> 16), 2) << "column " << x;
    delete image;
}

} // namespace
