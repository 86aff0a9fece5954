#include "PixelOps.h"

#include <emmintrin.h>

#include <cstdlib>
#include <cstring>

namespace {

bool BadFrame(const BYTE* frame, int width, int height)
{
    return frame == nullptr || width <= 0 || height <= 0;
}

size_t FrameBytes(int width, int height)
{
    return static_cast<size_t>(DibStride(width)) * static_cast<size_t>(height);
}

BYTE Clamp(int v)
{
    return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Entry k is the single-precision sum of k steps, not k * step: the two differ
// in the last bit for most k, and that difference shows in the luma of greys.
struct LumaTables {
    float red[256];
    float green[256];
    float blue[256];

    LumaTables()
    {
        red[0] = green[0] = blue[0] = 0.0f;
        for (int k = 1; k < 256; ++k) {
            red[k] = red[k - 1] + 0.3f;
            green[k] = green[k - 1] + 0.59f;
            blue[k] = blue[k - 1] + 0.11f;
        }
    }

    int Luma(const BYTE* pixel) const
    {
        float sum = red[pixel[2]] + green[pixel[1]];
        sum += blue[pixel[0]];
        return static_cast<int>(sum);
    }
};

const LumaTables& Luma()
{
    static const LumaTables tables;
    return tables;
}

// Applies a byte table to the three colour bytes of every pixel; padding stays.
void MapPixelBytes(BYTE* frame, int width, int height, const BYTE table[256])
{
    const int stride = DibStride(width);
    const int rowBytes = width * 3;
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        for (int i = 0; i < rowBytes; ++i)
            p[i] = table[p[i]];
    }
}

}  // namespace

int ImgFlip(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const size_t stride = DibStride(width);
    const size_t bytes = FrameBytes(width, height);
    BYTE* scratch = static_cast<BYTE*>(std::malloc(bytes));
    if (scratch == nullptr)
        return -1;
    std::memcpy(scratch, frame, bytes);
    for (int y = 0; y < height; ++y)
        std::memcpy(frame + y * stride, scratch + (height - 1 - y) * stride, stride);
    std::free(scratch);
    return 0;
}

int ImgMirror(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const size_t stride = DibStride(width);
    const size_t bytes = FrameBytes(width, height);
    BYTE* scratch = static_cast<BYTE*>(std::calloc(bytes, 1));
    if (scratch == nullptr)
        return -1;
    for (int y = 0; y < height; ++y) {
        const BYTE* src = frame + y * stride;
        BYTE* dst = scratch + y * stride + static_cast<size_t>(width - 1) * 3;
        for (int x = 0; x < width; ++x, src += 3, dst -= 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
    std::memcpy(frame, scratch, bytes);
    std::free(scratch);
    return 0;
}

int ImgGray(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const LumaTables& luma = Luma();
    const int stride = DibStride(width);
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += 3)
            p[0] = p[1] = p[2] = static_cast<BYTE>(luma.Luma(p));
    }
    return 0;
}

int ImgInvert(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const int stride = DibStride(width);
    const int rowBytes = width * 3;
    const __m128i ones = _mm_set1_epi8(-1);
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        int i = 0;
        for (; i + 16 <= rowBytes; i += 16) {
            __m128i* q = reinterpret_cast<__m128i*>(p + i);
            _mm_storeu_si128(q, _mm_xor_si128(_mm_loadu_si128(q), ones));
        }
        for (; i < rowBytes; ++i)
            p[i] = static_cast<BYTE>(~p[i]);
    }
    return 0;
}

int ImgBinary(BYTE* frame, int width, int height, long threshold)
{
    if (BadFrame(frame, width, height))
        return -1;
    const LumaTables& luma = Luma();
    const int stride = DibStride(width);
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += 3)
            p[0] = p[1] = p[2] = luma.Luma(p) >= threshold ? 255 : 0;
    }
    return 0;
}

int ImgEmboss(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const int stride = DibStride(width);
    const int rowBytes = (width - 1) * 3;
    // Buffer order, so the neighbour one row on is read before it changes.
    for (int y = 0; y + 1 < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        const BYTE* q = p + stride + 3;
        for (int i = 0; i < rowBytes; ++i)
            p[i] = Clamp(p[i] - q[i] + 128);
    }
    return 0;
}

int ImgSharp(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const size_t stride = DibStride(width);
    const size_t bytes = FrameBytes(width, height);
    BYTE* copy = static_cast<BYTE*>(std::malloc(bytes));
    if (copy == nullptr)
        return -1;
    std::memcpy(copy, frame, bytes);
    for (int y = 1; y + 1 < height; ++y) {
        const BYTE* c = copy + y * stride;
        const BYTE* up = c - stride;
        const BYTE* down = c + stride;
        BYTE* out = frame + y * stride;
        for (int i = 3; i < (width - 1) * 3; ++i)
            out[i] = Clamp(5 * c[i] - up[i] - down[i] - c[i - 3] - c[i + 3]);
    }
    std::free(copy);
    return 0;
}

int ImgAddOne(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    // The whole buffer, padding included.
    const size_t bytes = FrameBytes(width, height);
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        __m128i* q = reinterpret_cast<__m128i*>(frame + i);
        const __m128i v = _mm_loadu_si128(q);
        _mm_storeu_si128(q, _mm_adds_epu8(v, v));
    }
    for (; i < bytes; ++i)
        frame[i] = Clamp(frame[i] * 2);
    return 0;
}

int ImgAddTwo(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const size_t bytes = FrameBytes(width, height);
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        __m128i* q = reinterpret_cast<__m128i*>(frame + i);
        const __m128i v = _mm_loadu_si128(q);
        // min(min(2v, 255) + v, 255) == min(3v, 255)
        _mm_storeu_si128(q, _mm_adds_epu8(_mm_adds_epu8(v, v), v));
    }
    for (; i < bytes; ++i)
        frame[i] = Clamp(frame[i] * 3);
    return 0;
}

int ImgMultiply(BYTE* frame, int width, int height, float factor)
{
    if (BadFrame(frame, width, height))
        return -1;
    BYTE table[256];
    for (int i = 0; i < 256; ++i) {
        // The exact product of i and the given factor: 10 * 0.7f is 6.99999988.
        const int v = static_cast<int>(i * static_cast<double>(factor));
        table[i] = Clamp(v);
    }
    MapPixelBytes(frame, width, height, table);
    return 0;
}

int ImgRgbGain(BYTE* frame, int width, int height, long r, long g, long b)
{
    if (BadFrame(frame, width, height) || (r == 0 && g == 0 && b == 0))
        return -1;
    // A negative offset darkens down to 0 rather than wrapping round to white.
    auto offset = [](long v) { return static_cast<int>(v < -255 ? -255 : (v > 255 ? 255 : v)); };
    BYTE red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i) {
        red[i] = Clamp(i + offset(r));
        green[i] = Clamp(i + offset(g));
        blue[i] = Clamp(i + offset(b));
    }
    const int stride = DibStride(width);
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = blue[p[0]];
            p[1] = green[p[1]];
            p[2] = red[p[2]];
        }
    }
    return 0;
}

int ImgMaskOverlay(BYTE* frame, int width, int height, int x0, int y0,
                   const BYTE* mask, int maskWidth, int maskHeight,
                   BYTE keyRed, BYTE keyGreen, BYTE keyBlue)
{
    if (BadFrame(frame, width, height) || BadFrame(mask, maskWidth, maskHeight))
        return -1;
    const int coveredWidth = maskWidth < width ? maskWidth : width;
    const int coveredHeight = maskHeight < height ? maskHeight : height;
    const int stride = DibStride(width);
    const int maskStride = DibStride(maskWidth);
    // Negative offsets clip at the frame's edge instead of writing before it.
    const int firstRow = y0 > 0 ? y0 : 0;
    const int firstCol = x0 > 0 ? x0 : 0;
    for (int y = firstRow; y < coveredHeight && y - y0 < maskHeight; ++y) {
        BYTE* f = frame + static_cast<size_t>(y) * stride;
        const BYTE* m = mask + static_cast<size_t>(y - y0) * maskStride;
        for (int x = firstCol; x < coveredWidth && x - x0 < maskWidth; ++x) {
            const BYTE* mp = m + static_cast<size_t>(x - x0) * 3;
            if (mp[2] == keyRed && mp[1] == keyGreen && mp[0] == keyBlue)
                continue;
            BYTE* fp = f + static_cast<size_t>(x) * 3;
            fp[0] = mp[0];
            fp[1] = mp[1];
            fp[2] = mp[2];
        }
    }
    return 0;
}
