// Contact pictures: fitting into the box, rendering on the window colour, streams without pictures.
#include "package/contactpicture.h"

#include "tests/package/package_builder.h"

namespace {

IStream* StreamOf(const std::string& bytes)
{
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    ULONG written = 0;
    stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

struct CFitCase
{
    int imageWidth, imageHeight, boxWidth, boxHeight, width, height;
};

TEST(ContactPictureFit, KeepsAspectRatioInsideTheBox)
{
    const CFitCase cases[] = {
        {100, 100, 40, 40, 40, 40},   // square into square
        {200, 100, 40, 40, 40, 20},   // wide: too wide at full height, so width decides
        {100, 200, 40, 40, 20, 40},   // tall: height decides
        {300, 200, 60, 40, 60, 40},   // exactly the box's shape
        {300, 100, 60, 40, 60, 20},   // wider than the box's shape
        {10, 10, 64, 32, 32, 32},     // small pictures grow to the box height
        {1000, 1, 40, 40, 40, 1},     // extreme strip keeps at least one pixel
        {1, 1000, 40, 40, 1, 40},
    };
    for (const CFitCase& c : cases)
    {
        int w = -1, h = -1;
        FitIntoBox(c.imageWidth, c.imageHeight, c.boxWidth, c.boxHeight, w, h);
        EXPECT_EQ(c.width, w) << c.imageWidth << "x" << c.imageHeight << " in " << c.boxWidth << "x" << c.boxHeight;
        EXPECT_EQ(c.height, h) << c.imageWidth << "x" << c.imageHeight << " in " << c.boxWidth << "x" << c.boxHeight;
    }
}

class ContactPicture : public CComTest
{
};

TEST_F(ContactPicture, WidePictureFillsBoxWidth)
{
    IStream* stream = StreamOf(SolidPng(120, 60, 0xFF00FF00));
    int w = 0xdeadbeef, h = 0xdeadbeef;
    HBITMAP bitmap = LoadContactPicture(stream, 40, 32, w, h);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(40, w);
    EXPECT_EQ(20, h);
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(40, info.bmWidth);
    EXPECT_EQ(20, info.bmHeight);
    EXPECT_EQ(0x00FF00u, PixelAt(bitmap, 20, 10));
    DeleteObject(bitmap);
    stream->Release();
}

TEST_F(ContactPicture, TallPictureFillsBoxHeightOnWindowColour)
{
    CWindowColour window(RGB(0x10, 0x20, 0x30));
    // Left column transparent, right column opaque blue.
    std::vector<uint32_t> pixels(2 * 8, 0xFF0000FF);
    for (int y = 0; y < 8; ++y)
        pixels[y * 2] = 0x00000000;
    IStream* stream = StreamOf(EncodePng(2, 8, pixels));
    int w = 0, h = 0;
    HBITMAP bitmap = LoadContactPicture(stream, 40, 32, w, h);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(8, w);
    EXPECT_EQ(32, h);
    EXPECT_EQ(0x102030u, PixelAt(bitmap, 1, 16));
    EXPECT_EQ(0x0000FFu, PixelAt(bitmap, 6, 16));
    DeleteObject(bitmap);
    stream->Release();
}

TEST_F(ContactPicture, NoPictureGivesNull)
{
    int w = 0xdeadbeef, h = 0xdeadbeef;
    IStream* stream = StreamOf("BEGIN:VCARD");
    EXPECT_EQ(nullptr, LoadContactPicture(stream, 40, 32, w, h));
    EXPECT_EQ(0, w);
    EXPECT_EQ(0, h);
    stream->Release();
    EXPECT_EQ(nullptr, LoadContactPicture(nullptr, 40, 32, w, h));
    stream = StreamOf(SolidPng(4, 4, 0xFFFFFFFF));
    EXPECT_EQ(nullptr, LoadContactPicture(stream, 0, 32, w, h));
    stream->Release();
}

} // namespace
