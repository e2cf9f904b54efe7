// The handheld's imaging component: decodes encoded pictures and draws them scaled, over WIC.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <objidl.h>

// What the image knows about itself once decoded.
struct ImageInfo
{
    UINT Width;       // pixels
    UINT Height;      // pixels
    double Xdpi;      // resolution stored in the picture, 96 when it has none
    double Ydpi;
    BOOL HasAlpha;    // some pixel is not fully opaque
};

// Who frees a buffer handed to CreateImageFromBuffer once the image no longer needs it.
enum BufferDisposalFlag
{
    BufferDisposalFlagNone = 0,       // the caller keeps the buffer alive as long as the image
    BufferDisposalFlagGlobalFree = 1, // the image frees it with GlobalFree when released
    BufferDisposalFlagLocalFree = 2,  // the image frees it with LocalFree when released
};

// One decoded picture. Every pixel is decoded when the image is created, so a picture that is
// damaged anywhere is refused at creation rather than failing later while drawing.
struct IImage : public IUnknown
{
    // Size in hundredths of a millimetre, from the pixel size and the stored resolution.
    virtual HRESULT STDMETHODCALLTYPE GetPhysicalDimension(SIZE* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImageInfo(ImageInfo* info) = 0;
    // Draws the picture (or the part src, in pixels) scaled into dst, blending by its alpha.
    virtual HRESULT STDMETHODCALLTYPE Draw(HDC dc, const RECT* dst, const RECT* src) = 0;
    // A new image of exactly width x height pixels (the caller keeps the aspect ratio).
    virtual HRESULT STDMETHODCALLTYPE GetThumbnail(UINT width, UINT height, IImage** thumbnail) = 0;
};

struct IImagingFactory : public IUnknown
{
    // Decodes the picture that the stream holds.
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromStream(IStream* stream, IImage** image) = 0;
    // On success the image owns the buffer and disposes of it as the flag says; on failure the
    // caller still owns it.
    virtual HRESULT STDMETHODCALLTYPE CreateImageFromBuffer(const void* buffer, UINT size,
                                                            BufferDisposalFlag disposal,
                                                            IImage** image) = 0;
};

// Interface identifiers, so that QueryInterface works as callers of a COM server expect.
extern const IID IID_IImagingFactory;
extern const IID IID_IImage;

// Creates the factory. Fails when COM is not initialised on the calling thread or the system's
// imaging codecs are missing.
HRESULT CreateImagingFactory(IImagingFactory** factory);

// Largest picture the factory accepts, so that a forged size cannot exhaust memory.
const UINT IMAGING_MAX_SIDE = 16384;
const UINT64 IMAGING_MAX_PIXELS = 32ull * 1024 * 1024;
