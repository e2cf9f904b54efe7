// The imaging factory: decodes pictures from memory or streams with WIC into CImage objects.
#include "platform/imaging/image.h"

#include <wincodec.h>

#include <new>

// The handheld's identifier of the factory interface.
const IID IID_IImagingFactory = {0x327abda7, 0x072b, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

namespace {

void Premultiply(CPixels& pixels)
{
    for (uint32_t& p : pixels.data)
    {
        uint32_t a = p >> 24;
        if (a == 0xFF)
            continue;
        uint32_t b = (p & 0xFF) * a / 255;
        uint32_t g = ((p >> 8) & 0xFF) * a / 255;
        uint32_t r = ((p >> 16) & 0xFF) * a / 255;
        p = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

class CImagingFactory final : public IImagingFactory
{
public:
    explicit CImagingFactory(IWICImagingFactory* wic) : m_refs(1), m_wic(wic) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IImagingFactory))
        {
            *object = static_cast<IImagingFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return ULONG(refs);
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) override
    {
        if (!image)
            return E_POINTER;
        *image = nullptr;
        if (!stream)
            return E_POINTER;
        return Decode(stream, nullptr, BufferDisposalFlagNone, image);
    }

    HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size, BufferDisposalFlag disposal,
                                                    IImage** image) override
    {
        if (!image)
            return E_POINTER;
        *image = nullptr;
        if (!buffer || size == 0)
            return E_INVALIDARG;
        IWICStream* stream = nullptr;
        HRESULT hr = m_wic->CreateStream(&stream);
        if (SUCCEEDED(hr))
            hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(buffer)), size);
        if (SUCCEEDED(hr))
            hr = Decode(stream, buffer, disposal, image);
        if (stream)
            stream->Release();
        return hr;
    }

private:
    ~CImagingFactory() { m_wic->Release(); }

    HRESULT Decode(IStream* stream, const void* buffer, BufferDisposalFlag disposal, IImage** image)
    {
        IWICBitmapDecoder* decoder = nullptr;
        IWICBitmapFrameDecode* frame = nullptr;
        IWICFormatConverter* converter = nullptr;
        CPixels pixels;
        double xdpi = 0, ydpi = 0;
        HRESULT hr = m_wic->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
        if (SUCCEEDED(hr))
            hr = decoder->GetFrame(0, &frame);
        if (SUCCEEDED(hr))
            hr = frame->GetSize(&pixels.width, &pixels.height);
        if (SUCCEEDED(hr) && (pixels.width == 0 || pixels.height == 0 || pixels.width > IMAGING_MAX_SIDE ||
                              pixels.height > IMAGING_MAX_SIDE ||
                              UINT64(pixels.width) * pixels.height > IMAGING_MAX_PIXELS))
            hr = E_INVALIDARG;
        if (SUCCEEDED(hr) && FAILED(frame->GetResolution(&xdpi, &ydpi)))
            xdpi = ydpi = 0;
        if (SUCCEEDED(hr))
            hr = m_wic->CreateFormatConverter(&converter);
        if (SUCCEEDED(hr))
            hr = converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom);
        if (SUCCEEDED(hr))
        {
            pixels.data.resize(size_t(pixels.width) * pixels.height);
            hr = converter->CopyPixels(nullptr, pixels.width * 4, UINT(pixels.data.size() * 4),
                                       reinterpret_cast<BYTE*>(pixels.data.data()));
        }
        if (converter)
            converter->Release();
        if (frame)
            frame->Release();
        if (decoder)
            decoder->Release();
        if (FAILED(hr))
            return hr;

        // Pictures without a usable resolution are taken as screen pictures of 96 dots per inch.
        if (!(xdpi >= 1.0 && xdpi <= 100000.0))
            xdpi = 96.0;
        if (!(ydpi >= 1.0 && ydpi <= 100000.0))
            ydpi = 96.0;
        Premultiply(pixels);
        CImage* created = new (std::nothrow) CImage(std::move(pixels), xdpi, ydpi, buffer, disposal);
        if (!created)
            return E_OUTOFMEMORY;
        *image = created;
        return S_OK;
    }

    LONG m_refs;
    IWICImagingFactory* m_wic;
};

} // namespace

HRESULT CreateImagingFactory(IImagingFactory** factory)
{
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    IWICImagingFactory* wic = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&wic));
    if (FAILED(hr))
        return hr;
    CImagingFactory* created = new (std::nothrow) CImagingFactory(wic);
    if (!created)
    {
        wic->Release();
        return E_OUTOFMEMORY;
    }
    *factory = created;
    return S_OK;
}
