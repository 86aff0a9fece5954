#include "OverlayCache.h"

#include "GdiScope.h"
#include "OverlayMerge.h"

#include <emmintrin.h>

#include <cstring>
#include <new>

void COverlayCache::Reset()
{
    m_valid = false;
    m_mask.clear();
    m_begin.clear();
    m_end.clear();
}

// Drawn in white on black, so that every covered pixel shows whatever the
// colour; GDI covers the same pixels with a solid pen of any colour.
bool COverlayCache::Render(int width, int height, MarkerKind kind, int unit, COLORREF colour)
{
    Reset();
    ++m_renders;
    MemoryDc dc;
    if (!dc.Get())
        return false;
    BITMAPINFO info = Dib24Info(width, -height);  // top-down: rows as the picture's
    void* bits = nullptr;
    GdiObject section(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits)
        return false;
    const size_t stride = Dib24Stride(width), rowBytes = size_t(width) * 3;
    {
        GdiSelection selected(dc.Get(), section.Get());
        std::memset(bits, 0, stride * height);
        SetROP2(dc.Get(), R2_COPYPEN);
        DrawMarkerOverlay(dc.Get(), kind, width, height, RGB(255, 255, 255), unit);
        GdiFlush();
    }
    try {
        m_mask.assign(rowBytes * height, 0);
        m_begin.assign(height, 0);
        m_end.assign(height, 0);
        m_colourRow.resize(rowBytes + 16);
    } catch (const std::bad_alloc&) {
        Reset();
        return false;
    }
    const BYTE* drawn = static_cast<const BYTE*>(bits);
    for (int y = 0; y < height; ++y) {
        const BYTE* s = drawn + stride * y;
        BYTE* m = &m_mask[rowBytes * y];
        int begin = -1, end = 0;
        for (int x = 0; x < width; ++x) {
            if ((s[3 * x] | s[3 * x + 1] | s[3 * x + 2]) == 0)
                continue;
            m[3 * x] = m[3 * x + 1] = m[3 * x + 2] = 0xFF;
            if (begin < 0)
                begin = 3 * x;
            end = 3 * x + 3;
        }
        m_begin[y] = begin < 0 ? 0 : begin;
        m_end[y] = end;
    }
    for (size_t i = 0; i < m_colourRow.size(); i += 3) {
        const BYTE px[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
        for (size_t k = 0; k < 3 && i + k < m_colourRow.size(); ++k)
            m_colourRow[i + k] = px[k];
    }
    m_kind = kind;
    m_unit = unit;
    m_colour = colour;
    m_width = width;
    m_height = height;
    m_valid = true;
    return true;
}

int COverlayCache::Apply(BYTE* frame, int width, int height, int stride, bool topDown, MarkerKind kind, int unit,
                         COLORREF colour)
{
    if (!frame || width <= 0 || height <= 0 || stride / 3 < width)
        return -1;
    if (unit <= 0 || kind < kMarkerRuler || kind > kMarkerCircles)
        return 0;
    const bool same = m_valid && kind == m_kind && unit == m_unit && colour == m_colour && width == m_width &&
                      height == m_height;
    if (!same && !Render(width, height, kind, unit, colour))
        return -1;
    const size_t rowBytes = size_t(width) * 3;
    const BYTE* c = m_colourRow.data();
    for (int y = 0; y < height; ++y) {
        const int begin = m_begin[y], end = m_end[y];
        if (begin >= end)
            continue;
        const BYTE* m = &m_mask[rowBytes * y];
        BYTE* f = frame + size_t(stride) * size_t(topDown ? y : height - 1 - y);
        int i = begin;
        // Without a branch per block: a sparse overlay's blocks would
        // mispredict more than they save.
        for (; i + 16 <= end; i += 16) {
            const __m128i mv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
            __m128i* fp = reinterpret_cast<__m128i*>(f + i);
            const __m128i cv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
            _mm_storeu_si128(fp, _mm_or_si128(_mm_andnot_si128(mv, _mm_loadu_si128(fp)), _mm_and_si128(mv, cv)));
        }
        for (; i < end; ++i)
            if (m[i])
                f[i] = c[i];
    }
    return 0;
}
