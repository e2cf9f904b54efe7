// Package reader: accepted and rejected layouts, look-ups, read-only installation folders.
#include "package/zrs.h"

#include "tests/package/package_builder.h"
#include "tests/support/fixtures.h"

namespace {

class ZrsReader : public CComTest
{
protected:
    // Writes the bytes to a file and opens it as a package.
    bool OpenBytes(const std::string& bytes)
    {
        m_path = m_dir.Write(L"test.zrs", bytes);
        return m_package.Open(m_path.c_str());
    }

    std::vector<CTestEntry> ThreeEntries()
    {
        return {{7, SolidPng(3, 2, 0xFFFF0000)}, {1, SolidPng(5, 4, 0xFF00FF00)}, {300, SolidPng(1, 6, 0xFF0000FF)}};
    }

    CTempDir m_dir;
    std::wstring m_path;
    CZrsPackage m_package;
};

// Loads key and returns its pixel size as "WxH", or "null".
std::string SizeOf(CZrsPackage& package, uint32_t key)
{
    CZrsImage* image = package.LoadImage(key);
    if (!image)
        return "null";
    std::string size = std::to_string(image->Width()) + "x" + std::to_string(image->Height());
    image->Release();
    delete image;
    return size;
}

TEST_F(ZrsReader, FindsEveryKeyWhateverTheOrder)
{
    ASSERT_TRUE(OpenBytes(BuildPackage(ThreeEntries())));
    EXPECT_EQ(3u, m_package.GetCount());
    EXPECT_EQ("5x4", SizeOf(m_package, 1));
    EXPECT_EQ("3x2", SizeOf(m_package, 7));
    EXPECT_EQ("1x6", SizeOf(m_package, 300));
    EXPECT_EQ("null", SizeOf(m_package, 2));
    // Look-ups seek afresh each time, so asking again in another order gives the same pictures.
    EXPECT_EQ("3x2", SizeOf(m_package, 7));
}

TEST_F(ZrsReader, RejectsWrongMagicAndVersion)
{
    std::string bytes = BuildPackage(ThreeEntries());
    std::string letter = bytes;
    letter[6] = 'X';
    EXPECT_FALSE(OpenBytes(letter));
    EXPECT_FALSE(m_package.IsOpen());
    std::string lower = bytes;
    lower[0] = 'q';
    EXPECT_FALSE(OpenBytes(lower));
    EXPECT_FALSE(OpenBytes(BuildPackage(ThreeEntries(), 2)));
    EXPECT_FALSE(OpenBytes(BuildPackage(ThreeEntries(), 0)));
    EXPECT_FALSE(OpenBytes(bytes.substr(0, 20)));
    EXPECT_FALSE(OpenBytes(std::string()));
    // A failed open leaves a package whose look-ups are null, not a crash.
    EXPECT_EQ(nullptr, m_package.LoadImage(7));
    EXPECT_EQ(nullptr, m_package.LoadBitmap(7));
}

TEST_F(ZrsReader, EmptyIndexOpensAndFindsNothing)
{
    ASSERT_TRUE(OpenBytes(BuildPackage({})));
    EXPECT_EQ(0u, m_package.GetCount());
    for (uint32_t key : {0u, 1u, 84u, 0xFFFFFFFFu})
        EXPECT_EQ("null", SizeOf(m_package, key));
    EXPECT_EQ(nullptr, m_package.LoadBitmap(0));
}

TEST_F(ZrsReader, RejectsIndexShorterThanItsCount)
{
    std::string bytes = BuildPackage(ThreeEntries());
    // Header and the first two entries only.
    EXPECT_FALSE(OpenBytes(bytes.substr(0, 27 + 2 * 20)));
    // A count far beyond the file is refused before anything is allocated for it.
    std::string huge = bytes;
    PutWord(huge, 23, 0xFFFFFFFF);
    EXPECT_FALSE(OpenBytes(huge));
    PutWord(huge, 23, 0x0CCCCCCD); // 20 times this wraps around 32 bits
    EXPECT_FALSE(OpenBytes(huge));
}

TEST_F(ZrsReader, EntriesOutsideTheFileOrNotPicturesGiveNull)
{
    std::vector<CTestEntry> entries = ThreeEntries();
    entries.push_back({40, "this is not a picture at all"});
    std::string png = SolidPng(8, 8, 0xFF123456);
    entries.push_back({41, png.substr(0, png.size() / 2)});
    entries.push_back({42, std::string()});
    std::string bytes = BuildPackage(entries);
    PutWord(bytes, 27 + 0 * 20 + 4, uint32_t(bytes.size()) + 10);   // key 7: offset past the end
    PutWord(bytes, 27 + 1 * 20 + 8, 0xFFFFFFF0);                    // key 1: size past the end
    PutWord(bytes, 27 + 2 * 20 + 4, uint32_t(bytes.size()) - 1);    // key 300: runs off the end
    ASSERT_TRUE(OpenBytes(bytes));
    for (uint32_t key : {7u, 1u, 300u, 40u, 41u, 42u})
    {
        EXPECT_EQ("null", SizeOf(m_package, key)) << "key " << key;
        EXPECT_EQ(nullptr, m_package.LoadBitmap(key)) << "key " << key;
    }
}

TEST_F(ZrsReader, PicturesFarLargerThanAnyDrawnAreRefused)
{
    ASSERT_TRUE(OpenBytes(BuildPackage({{1, SolidPng(512, 512, 0xFF000000)}, {2, SolidPng(2048, 4, 0xFF000000)},
                                        {3, SolidPng(4, 600, 0xFF000000)}})));
    EXPECT_EQ("512x512", SizeOf(m_package, 1));
    EXPECT_EQ("null", SizeOf(m_package, 2));
    EXPECT_EQ("null", SizeOf(m_package, 3));
    EXPECT_EQ(nullptr, m_package.LoadBitmap(2));
}

// A black 24-bit BMP with the OS/2 header (12 bytes, 16-bit sizes) or the Windows one (40 bytes, 32-bit).
std::string BlackBmp(int width, int height, bool os2)
{
    uint32_t headerSize = os2 ? 12 : 40;
    uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    std::string bmp = "BM" + std::string(12, '\0');
    PutWord(bmp, 10, 14 + headerSize);
    std::string header(headerSize, '\0');
    PutWord(header, 0, headerSize);
    if (os2)
    {
        PutWord(header, 4, uint32_t(width) | uint32_t(height) << 16);
        PutWord(header, 8, 1 | 24 << 16);
    }
    else
    {
        PutWord(header, 4, uint32_t(width));
        PutWord(header, 8, uint32_t(height));
        PutWord(header, 12, 1 | 24 << 16);
    }
    bmp += header + std::string(rowBytes * uint32_t(height), '\0');
    PutWord(bmp, 2, uint32_t(bmp.size()));
    return bmp;
}

TEST_F(ZrsReader, BitmapSizeIsReadFromEitherHeader)
{
    ASSERT_TRUE(OpenBytes(BuildPackage({{1, BlackBmp(5, 3, true)}, {2, BlackBmp(5, 3, false)},
                                        {3, BlackBmp(600, 4, true)}, {4, BlackBmp(600, 4, false)}})));
    EXPECT_EQ("5x3", SizeOf(m_package, 1));
    EXPECT_EQ("5x3", SizeOf(m_package, 2));
    EXPECT_EQ("null", SizeOf(m_package, 3));
    EXPECT_EQ("null", SizeOf(m_package, 4));
}

TEST_F(ZrsReader, FirstOfTwoEqualKeysWins)
{
    ASSERT_TRUE(OpenBytes(BuildPackage({{5, SolidPng(2, 3, 0xFF000000)}, {5, SolidPng(9, 9, 0xFF000000)}})));
    EXPECT_EQ("2x3", SizeOf(m_package, 5));
}

TEST_F(ZrsReader, OpensReadOnlyFileAlongsideOtherReaders)
{
    m_path = m_dir.Write(L"installed.zrs", BuildPackage(ThreeEntries()));
    ASSERT_TRUE(SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(m_package.Open(m_path.c_str()));
    // The plug-in reads the same file while the main program has it open.
    CZrsPackage second;
    ASSERT_TRUE(second.Open(m_path.c_str()));
    EXPECT_EQ("1x6", SizeOf(second, 300));
    EXPECT_EQ("5x4", SizeOf(m_package, 1));
}

TEST_F(ZrsReader, NobodyWritesThePackageWhileItIsOpen)
{
    ASSERT_TRUE(OpenBytes(BuildPackage(ThreeEntries())));
    HANDLE writer = CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    m_package.Close();
    writer = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
}

TEST_F(ZrsReader, MissingFileFailsQuietly)
{
    EXPECT_FALSE(m_package.Open(m_dir.File(L"absent.zrs").c_str()));
    EXPECT_FALSE(m_package.Open(m_dir.Path().c_str()));
    EXPECT_EQ(nullptr, m_package.LoadImage(1));
}

TEST_F(ZrsReader, CloseAndReopen)
{
    ASSERT_TRUE(OpenBytes(BuildPackage(ThreeEntries())));
    m_package.Close();
    EXPECT_FALSE(m_package.IsOpen());
    EXPECT_EQ(nullptr, m_package.LoadImage(1));
    ASSERT_TRUE(m_package.Open(m_path.c_str()));
    EXPECT_EQ("5x4", SizeOf(m_package, 1));
}

TEST_F(ZrsReader, ReportsPhysicalSizeFromResolution)
{
    std::vector<uint32_t> pixels(200 * 100, 0xFF808080);
    ASSERT_TRUE(OpenBytes(BuildPackage({{1, EncodePng(200, 100, pixels, 254.0)}})));
    CZrsImage* image = m_package.LoadImage(1);
    ASSERT_NE(nullptr, image);
    // 200 pixels at 254 dots per inch are 20 mm, in hundredths of a millimetre.
    EXPECT_EQ(2000, image->PhysicalWidth());
    EXPECT_EQ(1000, image->PhysicalHeight());
    delete image;
}

TEST_F(ZrsReader, WithoutComThePackageDoesNotOpen)
{
    m_path = m_dir.Write(L"test.zrs", BuildPackage(ThreeEntries()));
    CoUninitialize();
    CZrsPackage package;
    EXPECT_FALSE(package.Open(m_path.c_str()));
    CoInitializeEx(nullptr, 0);
}

} // namespace
