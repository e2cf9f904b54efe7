// CZrsPackage: reads the header and index once, then seeks and decodes pictures on demand.
#include "package/zrs.h"

#include "core/file.h"

#include <cstring>
#include <new>

namespace {

const char ZRS_MAGIC[7] = {'Q', 'V', '_', 'Z', 'R', 'S', 0};

bool ReadWord(CFile& file, uint32_t& value)
{
    unsigned char bytes[4];
    if (!file.ReadFixed(bytes, 4))
        return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

uint32_t Big16(const unsigned char* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

uint32_t Big32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t Little32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The pixel size written in the header of a PNG, GIF, BMP or JPEG picture, without decoding it;
// false when the format or its header is not recognised.
bool HeaderSize(const unsigned char* b, uint32_t n, uint32_t& width, uint32_t& height)
{
    if (n >= 24 && memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0)
    {
        width = Big32(b + 16);
        height = Big32(b + 20);
        return true;
    }
    if (n >= 10 && memcmp(b, "GIF8", 4) == 0)
    {
        width = uint32_t(b[6]) | uint32_t(b[7]) << 8;
        height = uint32_t(b[8]) | uint32_t(b[9]) << 8;
        return true;
    }
    // The OS/2 header is 12 bytes long with 16-bit sizes; the Windows headers (40 bytes and more) have 32-bit ones.
    if (n >= 22 && b[0] == 'B' && b[1] == 'M' && Little32(b + 14) == 12)
    {
        width = uint32_t(b[18]) | uint32_t(b[19]) << 8;
        height = uint32_t(b[20]) | uint32_t(b[21]) << 8;
        return true;
    }
    if (n >= 26 && b[0] == 'B' && b[1] == 'M')
    {
        int32_t w = int32_t(Little32(b + 18));
        int32_t h = int32_t(Little32(b + 22));
        width = w < 0 ? 0u - uint32_t(w) : uint32_t(w);
        height = h < 0 ? 0u - uint32_t(h) : uint32_t(h);
        return true;
    }
    if (n >= 4 && b[0] == 0xFF && b[1] == 0xD8)
    {
        // Segments up to the first start of frame, which holds the size.
        for (uint32_t at = 2; at + 9 <= n && b[at] == 0xFF;)
        {
            unsigned char marker = b[at + 1];
            bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame)
            {
                height = Big16(b + at + 5);
                width = Big16(b + at + 7);
                return true;
            }
            at += 2 + Big16(b + at + 2);
        }
    }
    return false;
}

// The package holds icons and small pictures; one far larger than any the programs draw (a few dozen
// pixels, twice that at high resolution) would only cost time and memory to decode.
const uint32_t LARGEST_PICTURE_SIDE = 512;

bool TooLarge(uint32_t width, uint32_t height)
{
    return width > LARGEST_PICTURE_SIDE || height > LARGEST_PICTURE_SIDE;
}

} // namespace

CZrsPackage::CZrsPackage()
    : m_factory(nullptr), m_file(nullptr), m_fileSize(0), m_headerWords{0, 0, 0}, m_count(0), m_index(nullptr)
{
}

CZrsPackage::~CZrsPackage()
{
    Close();
}

void CZrsPackage::Close()
{
    if (m_factory)
        m_factory->Release();
    m_factory = nullptr;
    delete m_file;
    m_file = nullptr;
    delete[] m_index;
    m_index = nullptr;
    m_fileSize = 0;
    m_count = 0;
    m_headerWords[0] = m_headerWords[1] = m_headerWords[2] = 0;
}

bool CZrsPackage::Open(const wchar_t* path)
{
    Close();
    if (FAILED(CreateImagingFactory(&m_factory)))
    {
        m_factory = nullptr;
        return false;
    }
    // Quiet mode: a missing or unreadable package is reported by false, never fatally.
    m_file = new (std::nothrow) CFile(false);
    if (!m_file || !path || !m_file->OpenShared(path))
    {
        Close();
        return false;
    }
    m_fileSize = m_file->Size();

    char magic[7];
    uint32_t version = 0;
    bool ok = m_file->ReadFixed(magic, sizeof(magic)) && memcmp(magic, ZRS_MAGIC, sizeof(magic)) == 0 &&
              ReadWord(*m_file, version) && version == ZRS_VERSION && ReadWord(*m_file, m_headerWords[0]) &&
              ReadWord(*m_file, m_headerWords[1]) && ReadWord(*m_file, m_headerWords[2]) &&
              ReadWord(*m_file, m_count);
    // An index larger than the rest of the file cannot be read; refusing it first keeps a forged
    // count from allocating gigabytes.
    uint64_t indexBytes = uint64_t(m_count) * sizeof(ZrsEntry);
    if (ok && (indexBytes > 0xFFFFFFFFu || indexBytes > m_fileSize - ZRS_HEADER_SIZE))
        ok = false;
    if (ok && m_count > 0)
    {
        m_index = new (std::nothrow) ZrsEntry[m_count];
        ok = m_index && m_file->ReadFixed(m_index, DWORD(indexBytes));
    }
    if (!ok)
    {
        Close();
        return false;
    }
    return true;
}

const ZrsEntry* CZrsPackage::Find(uint32_t key) const
{
    // First entry in index order wins when a key occurs twice.
    for (uint32_t i = 0; i < m_count; ++i)
    {
        if (m_index[i].key == key)
            return &m_index[i];
    }
    return nullptr;
}

CZrsImage* CZrsPackage::LoadImage(uint32_t key)
{
    if (!m_file)
        return nullptr;
    const ZrsEntry* entry = Find(key);
    if (!entry || entry->size == 0 || uint64_t(entry->offset) + entry->size > m_fileSize)
        return nullptr;
    if (!m_file->SeekBegin(entry->offset))
        return nullptr;
    void* block = LocalAlloc(LMEM_FIXED, entry->size);
    if (!block)
        return nullptr;
    if (!m_file->ReadFixed(block, entry->size))
    {
        LocalFree(block);
        return nullptr;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    if (HeaderSize(static_cast<const unsigned char*>(block), entry->size, width, height) && TooLarge(width, height))
    {
        LocalFree(block);
        return nullptr;
    }
    IImage* image = nullptr;
    if (FAILED(m_factory->CreateImageFromBuffer(block, entry->size, BufferDisposalFlagLocalFree, &image)) || !image)
    {
        LocalFree(block);
        return nullptr;
    }
    CZrsImage* result = new (std::nothrow) CZrsImage(image);
    if (!result)
    {
        image->Release();
        return nullptr;
    }
    // A format whose header was not read is measured after decoding.
    if (TooLarge(uint32_t(result->Width()), uint32_t(result->Height())))
    {
        delete result;
        return nullptr;
    }
    return result;
}

HBITMAP CZrsPackage::LoadBitmap(uint32_t key)
{
    CZrsImage* image = LoadImage(key);
    if (!image)
        return nullptr;
    HBITMAP bitmap = RenderOnWindowColour(image->Image(), image->Width(), image->Height());
    image->Release();
    delete image;
    return bitmap;
}
