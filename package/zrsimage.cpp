// CZrsImage, rendering a picture onto the window background colour, and masked drawing.
#include "package/zrs.h"

CZrsImage::CZrsImage(IImage* image)
    : m_image(image), m_width(0), m_height(0), m_physicalWidth(0), m_physicalHeight(0)
{
    ImageInfo info;
    if (m_image && SUCCEEDED(m_image->GetImageInfo(&info)))
    {
        m_width = int(info.Width);
        m_height = int(info.Height);
    }
    SIZE physical;
    if (m_image && SUCCEEDED(m_image->GetPhysicalDimension(&physical)))
    {
        m_physicalWidth = physical.cx;
        m_physicalHeight = physical.cy;
    }
}

CZrsImage::~CZrsImage()
{
    Release();
}

bool CZrsImage::Draw(HDC dc, int left, int top, int right, int bottom)
{
    if (!m_image)
        return false;
    RECT target = {left, top, right, bottom};
    return SUCCEEDED(m_image->Draw(dc, &target, nullptr));
}

void CZrsImage::Release()
{
    if (m_image)
        m_image->Release();
    m_image = nullptr;
}

HBITMAP RenderOnWindowColour(IImage* image, int width, int height)
{
    if (!image || width <= 0 || height <= 0)
        return nullptr;
    COLORREF background = GetSysColor(COLOR_WINDOW);
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory)
        return nullptr;

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = WORD(GetDeviceCaps(memory, BITSPIXEL) * GetDeviceCaps(memory, PLANES));
    bi.bmiHeader.biCompression = BI_RGB;
    // Palette depths would need a colour table; draw those screens' pictures at 24 bits instead.
    if (bi.bmiHeader.biBitCount < 16)
        bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
    {
        DeleteDC(memory);
        return nullptr;
    }

    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT whole = {0, 0, width, height};
    COLORREF previousBackground = SetBkColor(memory, background);
    ExtTextOutW(memory, 0, 0, ETO_OPAQUE, &whole, nullptr, 0, nullptr);
    SetBkColor(memory, previousBackground);
    bool drawn = SUCCEEDED(image->Draw(memory, &whole, nullptr));
    SelectObject(memory, previous);
    DeleteDC(memory);
    if (!drawn)
    {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

void DrawMasked(HDC dc, int x, int y, int width, int height, HDC memory, HBITMAP picture, HBITMAP mask)
{
    if (!picture)
        return;
    // Without its mask a picture is still better shown whole than not at all.
    if (!mask)
    {
        HGDIOBJ previous = SelectObject(memory, picture);
        BitBlt(dc, x, y, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        return;
    }
    HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(dc, x, y, width, height, memory, 0, 0, SRCINVERT);
    SelectObject(memory, mask);
    BitBlt(dc, x, y, width, height, memory, 0, 0, SRCAND);
    SelectObject(memory, picture);
    BitBlt(dc, x, y, width, height, memory, 0, 0, SRCINVERT);
    SelectObject(memory, previous);
}
