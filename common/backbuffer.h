// CBackBuffer: an off-screen bitmap of a window's size, painted into and copied to the screen in one go.
#pragma once

#include <windows.h>

class CBackBuffer
{
public:
    CBackBuffer() = default;
    ~CBackBuffer() { Release(); }
    CBackBuffer(const CBackBuffer&) = delete;
    CBackBuffer& operator=(const CBackBuffer&) = delete;

    // Made anew, compatible with the window's screen, when there is none or its size differs; a side
    // of 0 gets a bitmap of one pixel.
    void Fit(HWND window, int width, int height);
    void Release();

    // The buffer's device context; null when there is none.
    HDC& DC() { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HBITMAP m_previous = nullptr;
    int m_width = 0;
    int m_height = 0;
};
