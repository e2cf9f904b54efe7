// CBackBuffer: an off-screen bitmap of a window's size, painted into and copied to the screen in one go.
#include "common/backbuffer.h"

void CBackBuffer::Fit(HWND window, int width, int height)
{
    if (m_dc && width == m_width && height == m_height)
        return;
    Release();
    m_width = width;
    m_height = height;
    HDC screen = GetDC(window);
    m_dc = CreateCompatibleDC(screen);
    m_bitmap = CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1);
    ReleaseDC(window, screen);
    // Without memory for either there is no buffer (its window paints nothing), and the half made goes.
    if (!m_dc || !m_bitmap)
    {
        if (m_bitmap)
            DeleteObject(m_bitmap);
        if (m_dc)
            DeleteDC(m_dc);
        m_dc = nullptr;
        m_bitmap = nullptr;
        return;
    }
    m_previous = static_cast<HBITMAP>(SelectObject(m_dc, m_bitmap));
}

void CBackBuffer::Release()
{
    if (m_dc)
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_previous = nullptr;
    m_width = 0;
    m_height = 0;
}
