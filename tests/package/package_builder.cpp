// Test helpers: PNG encoding with WIC, package layout, pixel read-back.
#include "tests/package/package_builder.h"

#include <wincodec.h>

std::string EncodePng(unsigned width, unsigned height, const std::vector<uint32_t>& argb, double dpi)
{
    std::string result;
    IWICImagingFactory* wic = nullptr;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (SUCCEEDED(hr))
        hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (SUCCEEDED(hr))
        hr = wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(width, height);
    if (SUCCEEDED(hr))
        hr = frame->SetResolution(dpi, dpi);
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(height, width * 4, UINT(argb.size() * 4),
                                reinterpret_cast<BYTE*>(const_cast<uint32_t*>(argb.data())));
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    if (SUCCEEDED(hr))
    {
        STATSTG stat = {};
        stream->Stat(&stat, STATFLAG_NONAME);
        result.resize(size_t(stat.cbSize.QuadPart));
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stream->Read(&result[0], ULONG(result.size()), &read);
    }
    if (frame)
        frame->Release();
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    if (wic)
        wic->Release();
    EXPECT_TRUE(SUCCEEDED(hr)) << "PNG encoding failed: " << std::hex << hr;
    return result;
}

std::string SolidPng(unsigned width, unsigned height, uint32_t argb)
{
    return EncodePng(width, height, std::vector<uint32_t>(size_t(width) * height, argb));
}

void PutWord(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

uint32_t GetWord(const std::string& bytes, size_t offset)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | uint8_t(bytes[offset + i]);
    return v;
}

std::string BuildPackage(const std::vector<CTestEntry>& entries, uint32_t version)
{
    std::string bytes("QV_ZRS\0", 7);
    bytes.resize(27 + 20 * entries.size());
    PutWord(bytes, 7, version);
    PutWord(bytes, 11, 0);
    PutWord(bytes, 15, 0);
    PutWord(bytes, 19, 0);
    PutWord(bytes, 23, uint32_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i)
    {
        size_t at = 27 + 20 * i;
        PutWord(bytes, at, entries[i].key);
        PutWord(bytes, at + 4, uint32_t(bytes.size()));
        PutWord(bytes, at + 8, uint32_t(entries[i].data.size()));
        PutWord(bytes, at + 12, 0);
        PutWord(bytes, at + 16, 0);
        bytes += entries[i].data;
    }
    return bytes;
}

uint32_t PixelAt(HBITMAP bitmap, int x, int y)
{
    BITMAP info = {};
    GetObjectW(bitmap, sizeof(info), &info);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(size_t(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, UINT(info.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return pixels[size_t(y) * info.bmWidth + x] & 0xFFFFFF;
}

CCanvas::CCanvas(int w, int h, COLORREF fill) : width(w), height(h), bits(nullptr)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    previous = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

CCanvas::~CCanvas()
{
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

CWindowColour::CWindowColour(COLORREF colour) : m_saved(GetSysColor(COLOR_WINDOW))
{
    INT element = COLOR_WINDOW;
    SetSysColors(1, &element, &colour);
}

CWindowColour::~CWindowColour()
{
    INT element = COLOR_WINDOW;
    SetSysColors(1, &element, &m_saved);
}
