// The picture package festivo.zrs: look-up of encoded pictures by key, decoding and drawing.
#pragma once

#include "platform/imaging/imaging.h"

#include <windows.h>
#include <cstdint>

class CFile;

// One index entry as stored in the file: 20 bytes, little-endian.
struct ZrsEntry
{
    uint32_t key;
    uint32_t offset;
    uint32_t size;
    uint32_t reserved1;
    uint32_t reserved2;
};
static_assert(sizeof(ZrsEntry) == 20, "index entries are 20 bytes in the file");

const uint32_t ZRS_VERSION = 1;
const uint32_t ZRS_HEADER_SIZE = 27;

// One decoded picture that draws itself scaled into any rectangle, alpha respected.
class CZrsImage
{
public:
    // Takes over one reference of image.
    explicit CZrsImage(IImage* image);
    ~CZrsImage();
    CZrsImage(const CZrsImage&) = delete;
    CZrsImage& operator=(const CZrsImage&) = delete;

    // Draws the whole picture scaled into the rectangle; false when it could not be drawn.
    bool Draw(HDC dc, int left, int top, int right, int bottom);
    // Lets go of the decoded picture; the caller then deletes the object. Drawing does nothing after.
    void Release();

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Physical size in hundredths of a millimetre.
    int PhysicalWidth() const { return m_physicalWidth; }
    int PhysicalHeight() const { return m_physicalHeight; }
    IImage* Image() const { return m_image; }

private:
    IImage* m_image;
    int m_width;
    int m_height;
    int m_physicalWidth;
    int m_physicalHeight;
};

// The package file, open read-only for the object's lifetime. A missing, damaged or hostile
// package never ends the process: Open returns false and look-ups return null.
class CZrsPackage
{
public:
    CZrsPackage();
    ~CZrsPackage();
    CZrsPackage(const CZrsPackage&) = delete;
    CZrsPackage& operator=(const CZrsPackage&) = delete;

    // Opens the package read-only, letting others read it too. Needs COM on the calling thread.
    bool Open(const wchar_t* path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    uint32_t GetCount() const { return m_count; }

    // A new decoded picture owned by the caller, or null when the key is missing, its bytes lie
    // outside the file or are no picture, or the package is not open.
    CZrsImage* LoadImage(uint32_t key);
    // The picture as a device bitmap of its own pixel size at the screen's colour depth,
    // transparent parts filled with the window background colour; owned by the caller, or null.
    HBITMAP LoadBitmap(uint32_t key);

private:
    const ZrsEntry* Find(uint32_t key) const;

    IImagingFactory* m_factory;
    CFile* m_file;
    uint64_t m_fileSize;
    uint32_t m_headerWords[3];
    uint32_t m_count;
    ZrsEntry* m_index;
};

// Draws a picture through its mask (black where the picture is opaque, white where it is
// transparent; same size as the picture) at (x, y) with XOR, AND, XOR copies from (0, 0) of the
// memory context, which gets its previous bitmap back afterwards. Without a picture nothing is
// drawn; without a mask the picture is copied as it is.
void DrawMasked(HDC dc, int x, int y, int width, int height, HDC memory, HBITMAP picture, HBITMAP mask);

// A new section bitmap of width x height at the screen's colour depth, filled with the window
// background colour, with image drawn into it; null on any failure.
HBITMAP RenderOnWindowColour(IImage* image, int width, int height);
