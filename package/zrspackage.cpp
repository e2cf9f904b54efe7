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
    IImage* image = nullptr;
    if (FAILED(m_factory->CreateImageFromBuffer(block, entry->size, BufferDisposalFlagLocalFree, &image)) || !image)
    {
        LocalFree(block);
        return nullptr;
    }
    CZrsImage* result = new (std::nothrow) CZrsImage(image);
    if (!result)
        image->Release();
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
