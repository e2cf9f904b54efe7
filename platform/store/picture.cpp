// The contact's picture for the card window, decoded by the Windows Imaging Component and fitted into a box.
#include "platform/store/cardui.h"

#include "platform/store/addressbook.h"

#include <shlwapi.h>
#include <wincodec.h>

namespace {

// Pictures larger than this on a side are not decoded (a card picture is a few hundred pixels).
const UINT MAX_PICTURE_SIDE = 8192;

template <class T> void Release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// Premultiplied BGRA pixels laid over the background colour, which fills transparent parts.
void Flatten(BYTE* pixels, size_t count, COLORREF background)
{
    const int bg[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    for (size_t i = 0; i < count; ++i)
    {
        BYTE* p = pixels + i * 4;
        int alpha = p[3];
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<BYTE>(p[c] + bg[c] * (255 - alpha) / 255);
        p[3] = 0;
    }
}

HBITMAP Decode(IWICImagingFactory* factory, IStream* stream, int boxWidth, int boxHeight, COLORREF background)
{
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    IWICFormatConverter* converter = nullptr;
    HBITMAP bitmap = nullptr;
    UINT width = 0, height = 0;
    HRESULT hr = factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr))
        hr = frame->GetSize(&width, &height);
    if (SUCCEEDED(hr) && (width == 0 || height == 0 || width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE))
        hr = E_FAIL;
    // Fitted into the box with its aspect kept.
    UINT fitWidth = 0, fitHeight = 0;
    if (SUCCEEDED(hr))
    {
        fitWidth = static_cast<UINT>(boxWidth);
        fitHeight = static_cast<UINT>(static_cast<ULONGLONG>(height) * fitWidth / width);
        if (fitHeight > static_cast<UINT>(boxHeight))
        {
            fitHeight = static_cast<UINT>(boxHeight);
            fitWidth = static_cast<UINT>(static_cast<ULONGLONG>(width) * fitHeight / height);
        }
        if (fitWidth == 0 || fitHeight == 0)
            hr = E_FAIL;
    }
    if (SUCCEEDED(hr))
        hr = factory->CreateBitmapScaler(&scaler);
    if (SUCCEEDED(hr))
        hr = scaler->Initialize(frame, fitWidth, fitHeight, WICBitmapInterpolationModeFant);
    if (SUCCEEDED(hr))
        hr = factory->CreateFormatConverter(&converter);
    if (SUCCEEDED(hr))
        hr = converter->Initialize(scaler, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = static_cast<LONG>(fitWidth);
        info.bmiHeader.biHeight = -static_cast<LONG>(fitHeight);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        UINT stride = fitWidth * 4;
        if (bitmap && SUCCEEDED(converter->CopyPixels(nullptr, stride, stride * fitHeight, static_cast<BYTE*>(bits))))
            Flatten(static_cast<BYTE*>(bits), static_cast<size_t>(fitWidth) * fitHeight, background);
        else if (bitmap)
        {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    Release(converter);
    Release(scaler);
    Release(frame);
    Release(decoder);
    return bitmap;
}

} // namespace

HBITMAP LoadContactPicture(LONG oid, int width, int height, COLORREF background)
{
    std::string bytes;
    if (width <= 0 || height <= 0 || !TheAddressBook().ReadPhoto(oid, bytes))
        return nullptr;
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (!stream)
        return nullptr;
    IWICImagingFactory* factory = nullptr;
    HBITMAP bitmap = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))))
    {
        bitmap = Decode(factory, stream, width, height, background);
        factory->Release();
    }
    stream->Release();
    return bitmap;
}
