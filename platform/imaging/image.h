// CImage: the imaging component's decoded picture, with a cached scaled copy for drawing.
#pragma once

#include "platform/imaging/imaging.h"
#include "platform/imaging/scale.h"

class CImage final : public IImage
{
public:
    // Takes the decoded pixels; buffer (may be null) is disposed of as the flag says on release.
    CImage(CPixels&& pixels, double xdpi, double ydpi, const void* buffer, BufferDisposalFlag disposal);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetPhysicalDimension(SIZE* size) override;
    HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* dst, const RECT* src) override;
    HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) override;

private:
    ~CImage();
    bool PrepareScaled(const RECT& part, unsigned width, unsigned height);

    LONG m_refs;
    CPixels m_pixels;
    double m_xdpi;
    double m_ydpi;
    bool m_hasAlpha;
    const void* m_buffer;
    BufferDisposalFlag m_disposal;

    // The last scaled copy, kept because lists draw the same picture at the same size on
    // every paint.
    HBITMAP m_scaled;
    RECT m_scaledPart;
    unsigned m_scaledWidth;
    unsigned m_scaledHeight;
};
