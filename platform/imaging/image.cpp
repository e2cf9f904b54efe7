// CImage: reference counting, information queries, scaled alpha-blended drawing, thumbnails.
#include "platform/imaging/image.h"

#include <cstring>
#include <new>

// {5E1A9C41-7B3D-4F08-9A6E-2C4D81F0B7A3}
const IID IID_IImage = {0x5e1a9c41, 0x7b3d, 0x4f08, {0x9a, 0x6e, 0x2c, 0x4d, 0x81, 0xf0, 0xb7, 0xa3}};

CImage::CImage(CPixels&& pixels, double xdpi, double ydpi, const void* buffer, BufferDisposalFlag disposal)
    : m_refs(1), m_pixels(std::move(pixels)), m_xdpi(xdpi), m_ydpi(ydpi), m_hasAlpha(false),
      m_buffer(buffer), m_disposal(disposal), m_scaled(nullptr), m_scaledPart{0, 0, 0, 0},
      m_scaledWidth(0), m_scaledHeight(0)
{
    for (uint32_t p : m_pixels.data)
    {
        if ((p >> 24) != 0xFF)
        {
            m_hasAlpha = true;
            break;
        }
    }
}

CImage::~CImage()
{
    if (m_scaled)
        DeleteObject(m_scaled);
    if (m_buffer && m_disposal == BufferDisposalFlagGlobalFree)
        GlobalFree(HGLOBAL(m_buffer));
    else if (m_buffer && m_disposal == BufferDisposalFlagLocalFree)
        LocalFree(HLOCAL(m_buffer));
}

HRESULT CImage::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IImage))
    {
        *object = static_cast<IImage*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CImage::AddRef()
{
    return ULONG(InterlockedIncrement(&m_refs));
}

ULONG CImage::Release()
{
    LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return ULONG(refs);
}

HRESULT CImage::GetPhysicalDimension(SIZE* size)
{
    if (!size)
        return E_POINTER;
    size->cx = LONG(m_pixels.width * 2540.0 / m_xdpi + 0.5);
    size->cy = LONG(m_pixels.height * 2540.0 / m_ydpi + 0.5);
    return S_OK;
}

HRESULT CImage::GetImageInfo(ImageInfo* info)
{
    if (!info)
        return E_POINTER;
    info->Width = m_pixels.width;
    info->Height = m_pixels.height;
    info->Xdpi = m_xdpi;
    info->Ydpi = m_ydpi;
    info->HasAlpha = m_hasAlpha ? TRUE : FALSE;
    return S_OK;
}

bool CImage::PrepareScaled(const RECT& part, unsigned width, unsigned height)
{
    if (m_scaled && EqualRect(&part, &m_scaledPart) && width == m_scaledWidth && height == m_scaledHeight)
        return true;
    if (m_scaled)
    {
        DeleteObject(m_scaled);
        m_scaled = nullptr;
    }
    CPixels scaled = ScalePixels(m_pixels, unsigned(part.left), unsigned(part.top),
                                 unsigned(part.right - part.left), unsigned(part.bottom - part.top),
                                 width, height);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = LONG(width);
    bi.bmiHeader.biHeight = -LONG(height);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits)
    {
        if (bitmap)
            DeleteObject(bitmap);
        return false;
    }
    memcpy(bits, scaled.data.data(), scaled.data.size() * sizeof(uint32_t));
    GdiFlush();
    m_scaled = bitmap;
    m_scaledPart = part;
    m_scaledWidth = width;
    m_scaledHeight = height;
    return true;
}

HRESULT CImage::Draw(HDC dc, const RECT* dst, const RECT* src)
{
    if (!dc || !dst)
        return E_POINTER;
    RECT part = {0, 0, LONG(m_pixels.width), LONG(m_pixels.height)};
    if (src)
    {
        part = *src;
        if (part.left < 0 || part.top < 0 || part.right > LONG(m_pixels.width) ||
            part.bottom > LONG(m_pixels.height) || part.left >= part.right || part.top >= part.bottom)
            return E_INVALIDARG;
    }
    LONG width = dst->right - dst->left;
    LONG height = dst->bottom - dst->top;
    if (width <= 0 || height <= 0 || !ScaleFits(unsigned(part.bottom - part.top), unsigned(width), unsigned(height)))
        return E_INVALIDARG;
    if (!PrepareScaled(part, unsigned(width), unsigned(height)))
        return E_OUTOFMEMORY;

    HDC memory = CreateCompatibleDC(dc);
    if (!memory)
        return E_FAIL;
    HGDIOBJ previous = SelectObject(memory, m_scaled);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    BOOL done = AlphaBlend(dc, dst->left, dst->top, width, height, memory, 0, 0, width, height, blend);
    SelectObject(memory, previous);
    DeleteDC(memory);
    return done ? S_OK : E_FAIL;
}

HRESULT CImage::GetThumbnail(UINT width, UINT height, IImage** thumbnail)
{
    if (!thumbnail)
        return E_POINTER;
    *thumbnail = nullptr;
    if (!ScaleFits(m_pixels.height, width, height))
        return E_INVALIDARG;
    CPixels pixels = ScalePixels(m_pixels, 0, 0, m_pixels.width, m_pixels.height, width, height);
    CImage* image = new (std::nothrow) CImage(std::move(pixels), m_xdpi, m_ydpi, nullptr, BufferDisposalFlagNone);
    if (!image)
        return E_OUTOFMEMORY;
    *thumbnail = image;
    return S_OK;
}
