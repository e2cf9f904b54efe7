// Area-averaging resampler: one horizontal and one vertical pass over float channels.
#include "platform/imaging/scale.h"

#include "platform/imaging/imaging.h"

namespace {

// For every target index, the source indexes it covers and how much of each.
struct CSpan
{
    unsigned first;
    std::vector<float> weights;
};

std::vector<CSpan> MakeSpans(unsigned srcCount, unsigned dstCount)
{
    std::vector<CSpan> spans(dstCount);
    const double step = double(srcCount) / dstCount;
    for (unsigned d = 0; d < dstCount; ++d)
    {
        double from = d * step;
        double to = from + step;
        unsigned first = unsigned(from);
        unsigned last = unsigned(to);
        if (last >= srcCount || double(last) == to)
            last = (last == 0) ? 0 : last - 1;
        if (last < first)
            last = first;
        CSpan& span = spans[d];
        span.first = first;
        double total = 0;
        for (unsigned s = first; s <= last; ++s)
        {
            double lo = s < from ? from : s;
            double hi = s + 1.0 > to ? to : s + 1.0;
            double w = hi > lo ? hi - lo : 0;
            span.weights.push_back(float(w));
            total += w;
        }
        for (float& w : span.weights)
            w = total > 0 ? float(w / total) : 1.0f / span.weights.size();
    }
    return spans;
}

uint32_t Pack(const float* c)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
    {
        float x = c[i] + 0.5f;
        unsigned byte = x <= 0 ? 0 : x >= 255 ? 255 : unsigned(x);
        v = (v << 8) | byte;
    }
    return v;
}

} // namespace

bool ScaleFits(unsigned sh, unsigned dw, unsigned dh)
{
    return dw != 0 && dh != 0 && uint64_t(sh) * dw <= IMAGING_MAX_PIXELS && uint64_t(dw) * dh <= IMAGING_MAX_PIXELS;
}

CPixels ScalePixels(const CPixels& src, unsigned sx, unsigned sy, unsigned sw, unsigned sh,
                    unsigned dw, unsigned dh)
{
    CPixels out;
    out.width = dw;
    out.height = dh;
    out.data.resize(size_t(dw) * dh);
    std::vector<CSpan> cols = MakeSpans(sw, dw);
    std::vector<CSpan> rows = MakeSpans(sh, dh);

    // Horizontal pass: sh rows of dw pixels, four float channels each.
    std::vector<float> mid(size_t(sh) * dw * 4, 0.0f);
    for (unsigned y = 0; y < sh; ++y)
    {
        const uint32_t* line = &src.data[size_t(sy + y) * src.width + sx];
        float* target = &mid[size_t(y) * dw * 4];
        for (unsigned x = 0; x < dw; ++x, target += 4)
        {
            const CSpan& span = cols[x];
            for (size_t k = 0; k < span.weights.size(); ++k)
            {
                uint32_t p = line[span.first + k];
                float w = span.weights[k];
                for (int c = 0; c < 4; ++c)
                    target[c] += w * float((p >> (8 * c)) & 0xFF);
            }
        }
    }

    // Vertical pass into the result.
    for (unsigned y = 0; y < dh; ++y)
    {
        const CSpan& span = rows[y];
        for (unsigned x = 0; x < dw; ++x)
        {
            float acc[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < span.weights.size(); ++k)
            {
                const float* p = &mid[(size_t(span.first + k) * dw + x) * 4];
                float w = span.weights[k];
                for (int c = 0; c < 4; ++c)
                    acc[c] += w * p[c];
            }
            out.data[size_t(y) * dw + x] = Pack(acc);
        }
    }
    return out;
}
