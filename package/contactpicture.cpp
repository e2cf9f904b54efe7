// Contact pictures: decoded from the store's stream, fitted into the caller's box, rendered.
#include "package/contactpicture.h"

#include "package/zrs.h"

void FitIntoBox(int imageWidth, int imageHeight, int boxWidth, int boxHeight, int& width, int& height)
{
    long long w = (long long)imageWidth * boxHeight / imageHeight;
    long long h = boxHeight;
    if (w > boxWidth)
    {
        w = boxWidth;
        h = (long long)imageHeight * boxWidth / imageWidth;
    }
    width = w < 1 ? 1 : int(w);
    height = h < 1 ? 1 : int(h);
}

HBITMAP LoadContactPicture(IStream* stream, int boxWidth, int boxHeight, int& width, int& height)
{
    width = 0;
    height = 0;
    if (!stream || boxWidth <= 0 || boxHeight <= 0)
        return nullptr;
    IImagingFactory* factory = nullptr;
    if (FAILED(CreateImagingFactory(&factory)))
        return nullptr;
    IImage* image = nullptr;
    IImage* thumbnail = nullptr;
    HBITMAP bitmap = nullptr;
    ImageInfo info;
    int w = 0, h = 0;
    if (SUCCEEDED(factory->CreateImageFromStream(stream, &image)) && SUCCEEDED(image->GetImageInfo(&info)))
    {
        FitIntoBox(int(info.Width), int(info.Height), boxWidth, boxHeight, w, h);
        if (SUCCEEDED(image->GetThumbnail(UINT(w), UINT(h), &thumbnail)))
            bitmap = RenderOnWindowColour(thumbnail, w, h);
    }
    if (thumbnail)
        thumbnail->Release();
    if (image)
        image->Release();
    factory->Release();
    if (bitmap)
    {
        width = w;
        height = h;
    }
    return bitmap;
}
