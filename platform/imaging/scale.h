// Area-averaging resampler for premultiplied 32-bit BGRA pixels.
#pragma once

#include <cstdint>
#include <vector>

// A block of premultiplied BGRA pixels, rows top to bottom, no padding.
struct CPixels
{
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint32_t> data;
};

// Whether resampling sh source rows to dw x dh pixels stays within the factory's memory bound.
bool ScaleFits(unsigned sh, unsigned dw, unsigned dh);

// Resamples the part (sx, sy, sw, sh) of src to dw x dh pixels. Each target pixel is the
// coverage-weighted mean of the source pixels under it, so shrinking photos does not alias and
// a same-size copy is exact. The part must lie inside src; dw and dh must not be 0.
CPixels ScalePixels(const CPixels& src, unsigned sx, unsigned sy, unsigned sw, unsigned sh,
                    unsigned dw, unsigned dh);
