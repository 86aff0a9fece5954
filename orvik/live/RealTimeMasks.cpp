// Two-image arithmetic of the live view: the frame with a loaded mask image.
#include "RealTime.h"

#include "PixelOps.h"  // Sorvane's multiply: the same rule

#include <emmintrin.h>

namespace {

enum MaskOp { kAnd, kOr, kXor, kAdd, kSub, kDivide };

bool BadImage(const BYTE* image, int width, int height, int stride)
{
    return !image || width <= 0 || height <= 0 || stride / 3 < width;
}

// f / m, 255 for m = 0, 16 bytes a step; returns the bytes done. Single
// precision division of two bytes truncates to the integer quotient exactly:
// a quotient that is not whole lies at least 1 / 255 from the next integer.
int DivideBlocks(BYTE* f, const BYTE* m, int n)
{
    const __m128i zero = _mm_setzero_si128();
    auto quarter = [](__m128i f16, __m128i m16, bool high) {
        const __m128i z = _mm_setzero_si128();
        const __m128 a = _mm_cvtepi32_ps(high ? _mm_unpackhi_epi16(f16, z) : _mm_unpacklo_epi16(f16, z));
        const __m128 b = _mm_cvtepi32_ps(high ? _mm_unpackhi_epi16(m16, z) : _mm_unpacklo_epi16(m16, z));
        return _mm_cvttps_epi32(_mm_div_ps(a, b));
    };
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i* p = reinterpret_cast<__m128i*>(f + i);
        const __m128i fv = _mm_loadu_si128(p);
        const __m128i mv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
        const __m128i fl = _mm_unpacklo_epi8(fv, zero), fh = _mm_unpackhi_epi8(fv, zero);
        const __m128i ml = _mm_unpacklo_epi8(mv, zero), mh = _mm_unpackhi_epi8(mv, zero);
        const __m128i lo = _mm_packs_epi32(quarter(fl, ml, false), quarter(fl, ml, true));
        const __m128i hi = _mm_packs_epi32(quarter(fh, mh, false), quarter(fh, mh, true));
        const __m128i byZero = _mm_cmpeq_epi8(mv, zero);  // 0 / 0 and f / 0 become 255
        _mm_storeu_si128(p, _mm_or_si128(_mm_packus_epi16(lo, hi), byZero));
    }
    return i;
}

BYTE PlainByte(MaskOp op, BYTE f, BYTE m)
{
    switch (op) {
    case kAnd: return f & m;
    case kOr: return f | m;
    case kXor: return f ^ m;
    case kAdd: return f + m > 255 ? 255 : static_cast<BYTE>(f + m);
    case kSub: return static_cast<BYTE>(f > m ? f - m : m - f);
    case kDivide: return m == 0 ? 255 : static_cast<BYTE>(f / m);
    }
    return f;
}

__m128i Block(MaskOp op, __m128i f, __m128i m)
{
    switch (op) {
    case kAnd: return _mm_and_si128(f, m);
    case kOr: return _mm_or_si128(f, m);
    case kXor: return _mm_xor_si128(f, m);
    case kAdd: return _mm_adds_epu8(f, m);
    default: return _mm_or_si128(_mm_subs_epu8(f, m), _mm_subs_epu8(m, f));  // kSub
    }
}

template <MaskOp Op>
void Bytes(BYTE* f, const BYTE* m, int n, bool plain)
{
    int i = 0;
    if (Op == kDivide) {
        if (!plain)
            i = DivideBlocks(f, m, n);
    } else if (!plain) {
        for (; i + 16 <= n; i += 16) {
            __m128i* p = reinterpret_cast<__m128i*>(f + i);
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
            _mm_storeu_si128(p, Block(Op, _mm_loadu_si128(p), v));
        }
    }
    for (; i < n; ++i)
        f[i] = PlainByte(Op, f[i], m[i]);
}

template <MaskOp Op>
int Combine(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
            int maskStride)
{
    if (BadImage(frame, width, height, stride) || BadImage(mask, maskWidth, maskHeight, maskStride))
        return -1;
    const int rows = height < maskHeight ? height : maskHeight;
    const int bytes = 3 * (width < maskWidth ? width : maskWidth);
    const bool plain = RTPlainForced();
    for (int y = 0; y < rows; ++y)
        Bytes<Op>(frame + static_cast<size_t>(stride) * y, mask + static_cast<size_t>(maskStride) * y, bytes,
                  plain);
    return 0;
}

}  // namespace

int RTMaskAnd(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
              int maskStride)
{
    return Combine<kAnd>(frame, width, height, stride, mask, maskWidth, maskHeight, maskStride);
}

int RTMaskOr(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
             int maskStride)
{
    return Combine<kOr>(frame, width, height, stride, mask, maskWidth, maskHeight, maskStride);
}

int RTMaskXor(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
              int maskStride)
{
    return Combine<kXor>(frame, width, height, stride, mask, maskWidth, maskHeight, maskStride);
}

int RTMaskAdd(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
              int maskStride)
{
    return Combine<kAdd>(frame, width, height, stride, mask, maskWidth, maskHeight, maskStride);
}

int RTMaskSub(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
              int maskStride)
{
    return Combine<kSub>(frame, width, height, stride, mask, maskWidth, maskHeight, maskStride);
}

int RTMaskDivide(BYTE* frame, int width, int height, int stride, const BYTE* mask, int maskWidth, int maskHeight,
                 int maskStride)
{
    return Combine<kDivide>(frame, width, height, stride, mask, maskWidth, maskHeight, maskStride);
}

int RTMultiply(BYTE* frame, int width, int height, int stride, float ratio)
{
    if (BadImage(frame, width, height, stride))
        return -1;
    return ImgMultiplyRows(frame, width, height, stride, ratio);
}
