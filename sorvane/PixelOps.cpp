#include "PixelOps.h"

#include <emmintrin.h>
#include <immintrin.h>
#include <tmmintrin.h>

#include <atomic>
#include <cmath>
#include <cstdint>
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


__m128i ReverseBytes(__m128i v)
{
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
}

// Sixteen pixels (48 bytes) in reverse order: all bytes reversed, then the
// first and last byte of every pixel swapped back.
struct MirrorBlock {
    __m128i keep[3], fromNext[3], fromPrev[3];

    MirrorBlock()
    {
        for (int k = 0; k < 3; ++k) {
            alignas(16) BYTE a[16], b[16], c[16];
            for (int j = 0; j < 16; ++j) {
                const int g = (16 * k + j) % 3;
                a[j] = g == 1 ? 0xFF : 0;
                b[j] = g == 0 ? 0xFF : 0;
                c[j] = g == 2 ? 0xFF : 0;
            }
            keep[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(a));
            fromNext[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(b));
            fromPrev[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(c));
        }
    }

    void Run(const BYTE* src, __m128i out[3]) const
    {
        const __m128i* s = reinterpret_cast<const __m128i*>(src);
        const __m128i v[3] = {ReverseBytes(_mm_loadu_si128(s + 2)), ReverseBytes(_mm_loadu_si128(s + 1)),
                              ReverseBytes(_mm_loadu_si128(s))};
        const __m128i zero = _mm_setzero_si128();
        for (int k = 0; k < 3; ++k) {
            const __m128i next = k < 2 ? v[k + 1] : zero;
            const __m128i prev = k > 0 ? v[k - 1] : zero;
            const __m128i plus2 = _mm_or_si128(_mm_srli_si128(v[k], 2), _mm_slli_si128(next, 14));
            const __m128i minus2 = _mm_or_si128(_mm_slli_si128(v[k], 2), _mm_srli_si128(prev, 14));
            out[k] = _mm_or_si128(_mm_and_si128(v[k], keep[k]),
                                  _mm_or_si128(_mm_and_si128(plus2, fromNext[k]), _mm_and_si128(minus2, fromPrev[k])));
        }
    }
};


// Luma of sixteen pixels at once, on processors with byte shuffles. Checked
// over every colour: the float tables give exactly N / 100 for
// N = 30 R + 59 G + 11 B unless N is a multiple of 100, where they may give
// one less; for greys v that is so for v = 6, 7 and from 82 up. Any other
// colour with such an N leaves the block to the tables (returns false).
// Bytes are gathered as (blue, green) and (red, 0) pairs, so that one
// multiply-add of bytes gives each pixel's terms.
struct ShuffleMasks {
    alignas(16) BYTE pairs[2][2][2][16];  // [pixels 0-7, 8-15][bg, r0][source vector][byte]
    alignas(16) BYTE spread[3][16];       // [output vector][byte]: which pixel
    ShuffleMasks()
    {
        for (int half = 0; half < 2; ++half)
            for (int kind = 0; kind < 2; ++kind)
                for (int v = 0; v < 2; ++v)
                    for (int k = 0; k < 16; ++k) {
                        const int pixel = 8 * half + k / 2;
                        const bool red = kind == 1;
                        const int i = 3 * pixel + (red ? 2 : k % 2);
                        const bool zero = red && k % 2 == 1;
                        pairs[half][kind][v][k] = !zero && i / 16 == half + v ? BYTE(i % 16) : 0x80;
                    }
        for (int v = 0; v < 3; ++v)
            for (int k = 0; k < 16; ++k)
                spread[v][k] = BYTE((16 * v + k) / 3);
    }
};

const ShuffleMasks& Masks()
{
    static const ShuffleMasks masks;
    return masks;
}

bool HasByteShuffles()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

bool PlainByEnvironment()
{
    char value[4] = "";
    return GetEnvironmentVariableA("VELTRANE_PLAIN_PATHS", value, sizeof value) == 1 && value[0] == '1';
}

// The path is chosen once, at the first frame: byte shuffles where the
// processor has them, unless VELTRANE_PLAIN_PATHS=1 or a test forces the
// plain loops, so that both run on any machine.
std::atomic<bool>& PlainForced()
{
    static std::atomic<bool> plain{PlainByEnvironment()};
    return plain;
}

__attribute__((target("ssse3"))) __m128i LoadMask(const BYTE* m)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
}

// 16-bit luma of eight pixels from their (blue, green) and (red, 0) byte
// pairs; *odd gathers lanes the tables must settle.
__attribute__((target("ssse3"))) inline __m128i LumaLanes(__m128i bg, __m128i r0, __m128i* odd)
{
    const __m128i n = _mm_add_epi16(_mm_maddubs_epi16(bg, _mm_set1_epi16(59 << 8 | 11)),
                                    _mm_maddubs_epi16(r0, _mm_set1_epi16(30)));
    // (N * 5243) >> 19 == N / 100 for N <= 43698
    const __m128i q = _mm_srli_epi16(_mm_mulhi_epu16(n, _mm_set1_epi16(5243)), 3);
    const __m128i whole = _mm_cmpeq_epi16(n, _mm_mullo_epi16(q, _mm_set1_epi16(100)));
    // With N = 100 q, blue == green and q == blue leave red == blue too.
    const __m128i blue = _mm_and_si128(bg, _mm_set1_epi16(0xFF));
    const __m128i grey = _mm_and_si128(_mm_cmpeq_epi16(blue, _mm_srli_epi16(bg, 8)), _mm_cmpeq_epi16(blue, q));
    *odd = _mm_andnot_si128(grey, whole);
    // q > 81, or q 6 or 7
    const __m128i low = _mm_or_si128(_mm_cmpgt_epi16(q, _mm_set1_epi16(81)),
                                     _mm_cmpeq_epi16(_mm_andnot_si128(_mm_set1_epi16(1), q), _mm_set1_epi16(6)));
    return _mm_add_epi16(q, _mm_and_si128(_mm_and_si128(whole, grey), low));  // adds -1
}

inline BYTE LumaResult(const LumaTables& luma, const BYTE* pixel, bool binary, long threshold)
{
    const int l = luma.Luma(pixel);
    return binary ? (l >= threshold ? 255 : 0) : static_cast<BYTE>(l);
}

// The pixels whose bits are set, from their original bytes, by the tables.
void RedoOddPixels(const LumaTables& luma, BYTE* p, const BYTE* original, unsigned bits, bool binary, long threshold)
{
    for (; bits != 0; bits &= bits - 1) {
        const int j = __builtin_ctz(bits);
        BYTE* px = p + 3 * j;
        px[0] = px[1] = px[2] = LumaResult(luma, original + 3 * j, binary, threshold);
    }
}

// luma >= threshold as luma > the value returned, in 16-bit lanes.
short ThresholdBelow(long threshold)
{
    const long t = threshold < 0 ? 0 : (threshold > 256 ? 256 : threshold);
    return static_cast<short>(t - 1);
}

// Sixteen pixels a step; returns where the tables must go on.
__attribute__((target("ssse3"))) BYTE* LumaBlocks(BYTE* p, BYTE* end, bool binary, long threshold)
{
    const LumaTables& luma = Luma();
    const ShuffleMasks& m = Masks();
    const __m128i below = _mm_set1_epi16(ThresholdBelow(threshold));
    for (; end - p >= 48; p += 48) {
        __m128i* q = reinterpret_cast<__m128i*>(p);
        const __m128i a[3] = {_mm_loadu_si128(q), _mm_loadu_si128(q + 1), _mm_loadu_si128(q + 2)};
        __m128i lanes[2], odd[2];
        for (int half = 0; half < 2; ++half) {
            __m128i pair[2];
            for (int kind = 0; kind < 2; ++kind)
                pair[kind] = _mm_or_si128(_mm_shuffle_epi8(a[half], LoadMask(m.pairs[half][kind][0])),
                                          _mm_shuffle_epi8(a[half + 1], LoadMask(m.pairs[half][kind][1])));
            lanes[half] = LumaLanes(pair[0], pair[1], &odd[half]);
            if (binary)
                lanes[half] = _mm_srli_epi16(_mm_cmpgt_epi16(lanes[half], below), 8);  // 255 or 0
        }
        const __m128i result = _mm_packus_epi16(lanes[0], lanes[1]);
        // Pixels the shortcut cannot settle, one bit each: the tables redo
        // them from the original bytes once the block is written.
        const int oddPixels = _mm_movemask_epi8(_mm_packs_epi16(odd[0], odd[1]));
        alignas(16) BYTE original[48];
        if (oddPixels != 0)
            for (int v = 0; v < 3; ++v)
                _mm_store_si128(reinterpret_cast<__m128i*>(original + 16 * v), a[v]);
        for (int v = 0; v < 3; ++v)
            _mm_storeu_si128(q + v, _mm_shuffle_epi8(result, LoadMask(m.spread[v])));
        RedoOddPixels(luma, p, original, static_cast<unsigned>(oddPixels), binary, threshold);
    }
    return p;
}

// The same, thirty-two pixels a step: each 128-bit lane holds sixteen
// pixels and runs the steps of LumaBlocks.
__attribute__((target("avx2"))) __m256i LoadMask2(const BYTE* m)
{
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(m)));
}

__attribute__((target("avx2"))) inline __m256i LumaLanes2(__m256i bg, __m256i r0, __m256i* odd)
{
    const __m256i n = _mm256_add_epi16(_mm256_maddubs_epi16(bg, _mm256_set1_epi16(59 << 8 | 11)),
                                       _mm256_maddubs_epi16(r0, _mm256_set1_epi16(30)));
    const __m256i q = _mm256_srli_epi16(_mm256_mulhi_epu16(n, _mm256_set1_epi16(5243)), 3);
    const __m256i whole = _mm256_cmpeq_epi16(n, _mm256_mullo_epi16(q, _mm256_set1_epi16(100)));
    const __m256i blue = _mm256_and_si256(bg, _mm256_set1_epi16(0xFF));
    const __m256i grey =
        _mm256_and_si256(_mm256_cmpeq_epi16(blue, _mm256_srli_epi16(bg, 8)), _mm256_cmpeq_epi16(blue, q));
    *odd = _mm256_andnot_si256(grey, whole);
    const __m256i low =
        _mm256_or_si256(_mm256_cmpgt_epi16(q, _mm256_set1_epi16(81)),
                        _mm256_cmpeq_epi16(_mm256_andnot_si256(_mm256_set1_epi16(1), q), _mm256_set1_epi16(6)));
    return _mm256_add_epi16(q, _mm256_and_si256(_mm256_and_si256(whole, grey), low));
}

__attribute__((target("avx2"))) BYTE* LumaBlocks2(BYTE* p, BYTE* end, bool binary, long threshold)
{
    const LumaTables& luma = Luma();
    const ShuffleMasks& m = Masks();
    const __m256i below = _mm256_set1_epi16(ThresholdBelow(threshold));
    for (; end - p >= 96; p += 96) {
        __m128i* q = reinterpret_cast<__m128i*>(p);
        __m256i a[3];
        for (int v = 0; v < 3; ++v)
            a[v] = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(q + v)), _mm_loadu_si128(q + 3 + v),
                                           1);
        __m256i lanes[2], odd[2];
        for (int half = 0; half < 2; ++half) {
            __m256i pair[2];
            for (int kind = 0; kind < 2; ++kind)
                pair[kind] = _mm256_or_si256(_mm256_shuffle_epi8(a[half], LoadMask2(m.pairs[half][kind][0])),
                                             _mm256_shuffle_epi8(a[half + 1], LoadMask2(m.pairs[half][kind][1])));
            lanes[half] = LumaLanes2(pair[0], pair[1], &odd[half]);
            if (binary)
                lanes[half] = _mm256_srli_epi16(_mm256_cmpgt_epi16(lanes[half], below), 8);
        }
        const __m256i result = _mm256_packus_epi16(lanes[0], lanes[1]);
        const unsigned oddPixels = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_packs_epi16(odd[0], odd[1])));
        alignas(32) BYTE original[96];
        if (oddPixels != 0)
            std::memcpy(original, p, sizeof original);
        for (int v = 0; v < 3; ++v) {
            const __m256i out = _mm256_shuffle_epi8(result, LoadMask2(m.spread[v]));
            _mm_storeu_si128(q + v, _mm256_castsi256_si128(out));
            _mm_storeu_si128(q + 3 + v, _mm256_extracti128_si256(out, 1));
        }
        RedoOddPixels(luma, p, original, static_cast<unsigned>(oddPixels), binary, threshold);
    }
    return p;
}

bool HasWideVectors()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

std::atomic<bool>& NarrowForced()
{
    static std::atomic<bool> narrow{false};
    return narrow;
}

// ImgGray and ImgBinary over one row.
void LumaRow(BYTE* row, int width, bool binary, long threshold)
{
    static const bool shuffles = HasByteShuffles();
    static const bool wide = HasWideVectors();
    const LumaTables& luma = Luma();
    BYTE* p = row;
    BYTE* end = row + static_cast<size_t>(width) * 3;
    if (shuffles && !PlainForced().load(std::memory_order_relaxed)) {
        if (wide && !NarrowForced().load(std::memory_order_relaxed))
            p = LumaBlocks2(p, end, binary, threshold);
        p = LumaBlocks(p, end, binary, threshold);
    }
    for (; p < end; p += 3)
        p[0] = p[1] = p[2] = LumaResult(luma, p, binary, threshold);
}

}  // namespace

void ImgForcePlain(bool plain)
{
    PlainForced().store(plain);
}

bool ImgPlainForced()
{
    return PlainForced().load();
}

void ImgForceNarrowVectors(bool narrow)
{
    NarrowForced().store(narrow);
}

int ImgFlip(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    // Swapping rows pairwise through one row moves half the bytes a whole
    // scratch frame would, and touches no fresh pages.
    const size_t stride = DibStride(width);
    BYTE* row = static_cast<BYTE*>(std::malloc(stride));
    if (row == nullptr)
        return -1;
    for (int y = 0, z = height - 1; y < z; ++y, --z) {
        BYTE* a = frame + y * stride;
        BYTE* b = frame + z * stride;
        std::memcpy(row, a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row, stride);
    }
    std::free(row);
    return 0;
}

int ImgMirror(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const size_t stride = DibStride(width);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const MirrorBlock block;
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + y * stride;
        BYTE* q = p + rowBytes;  // one past the right end
        // Sixteen pixels from each end trade places, reversed.
        for (; q - p >= 96; p += 48, q -= 48) {
            __m128i left[3], right[3];
            block.Run(p, left);
            block.Run(q - 48, right);
            __m128i* l = reinterpret_cast<__m128i*>(p);
            __m128i* r = reinterpret_cast<__m128i*>(q - 48);
            for (int k = 0; k < 3; ++k) {
                _mm_storeu_si128(l + k, right[k]);
                _mm_storeu_si128(r + k, left[k]);
            }
        }
        for (q -= 3; p < q; p += 3, q -= 3) {
            const BYTE b = p[0], g = p[1], r = p[2];
            p[0] = q[0], p[1] = q[1], p[2] = q[2];
            q[0] = b, q[1] = g, q[2] = r;
        }
        std::memset(frame + y * stride + rowBytes, 0, stride - rowBytes);
    }
    return 0;
}

int ImgGray(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    const int stride = DibStride(width);
    for (int y = 0; y < height; ++y)
        LumaRow(frame + static_cast<size_t>(y) * stride, width, false, 0);
    return 0;
}

int ImgInvert(BYTE* frame, int width, int height)
{
    return ImgInvertRows(frame, width, height, DibStride(width));
}

int ImgInvertRows(BYTE* frame, int width, int height, int stride)
{
    if (BadFrame(frame, width, height))
        return -1;
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
    const int stride = DibStride(width);
    for (int y = 0; y < height; ++y)
        LumaRow(frame + static_cast<size_t>(y) * stride, width, true, threshold);
    return 0;
}

int ImgEmboss(BYTE* frame, int width, int height)
{
    return ImgEmbossRows(frame, width, height, DibStride(width));
}

int ImgEmbossRows(BYTE* frame, int width, int height, int stride)
{
    if (BadFrame(frame, width, height))
        return -1;
    const int rowBytes = (width - 1) * 3;
    const __m128i bias = _mm_set1_epi8(-128);
    // Buffer order, so the neighbour one row on is read before it changes.
    for (int y = 0; y + 1 < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        const BYTE* q = p + stride + 3;
        int i = 0;
        // (p - q + 128) limited to 0..255 is a signed saturating p - q on
        // bytes moved by 128.
        for (; i + 16 <= rowBytes; i += 16) {
            const __m128i a = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), bias);
            const __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + i)), bias);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_xor_si128(_mm_subs_epi8(a, b), bias));
        }
        for (; i < rowBytes; ++i)
            p[i] = Clamp(p[i] - q[i] + 128);
    }
    return 0;
}

int ImgSharp(BYTE* frame, int width, int height)
{
    if (BadFrame(frame, width, height))
        return -1;
    if (width < 3 || height < 3)
        return 0;  // no interior
    // Only the row above and the row itself must be kept as they were: the
    // row below is not written yet.
    const size_t stride = DibStride(width);
    BYTE* saved = static_cast<BYTE*>(std::malloc(2 * stride));
    if (saved == nullptr)
        return -1;
    BYTE* above = saved;
    BYTE* here = saved + stride;
    std::memcpy(above, frame, stride);
    const int last = (width - 1) * 3;
    const __m128i zero = _mm_setzero_si128();
    for (int y = 1; y + 1 < height; ++y) {
        BYTE* out = frame + y * stride;
        const BYTE* below = out + stride;
        std::memcpy(here, out, stride);
        int i = 3;
        for (; i + 16 <= last; i += 16) {
            auto load = [](const BYTE* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
            const __m128i c = load(here + i), u = load(above + i), d = load(below + i);
            const __m128i l = load(here + i - 3), r = load(here + i + 3);
            // 5 x centre - the four around it, on 16-bit lanes: low then high bytes
            const __m128i cl = _mm_unpacklo_epi8(c, zero), ch = _mm_unpackhi_epi8(c, zero);
            const __m128i al = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(u, zero), _mm_unpacklo_epi8(d, zero)),
                                             _mm_add_epi16(_mm_unpacklo_epi8(l, zero), _mm_unpacklo_epi8(r, zero)));
            const __m128i ah = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(u, zero), _mm_unpackhi_epi8(d, zero)),
                                             _mm_add_epi16(_mm_unpackhi_epi8(l, zero), _mm_unpackhi_epi8(r, zero)));
            const __m128i vl = _mm_sub_epi16(_mm_add_epi16(_mm_slli_epi16(cl, 2), cl), al);
            const __m128i vh = _mm_sub_epi16(_mm_add_epi16(_mm_slli_epi16(ch, 2), ch), ah);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(vl, vh));
        }
        for (; i < last; ++i)
            out[i] = Clamp(5 * here[i] - above[i] - below[i] - here[i - 3] - here[i + 3]);
        BYTE* t = above;
        above = here;
        here = t;
    }
    std::free(saved);
    return 0;
}

namespace {

// Every byte of the frame, padding included, times 2 or 3, saturating.
int ScaleEveryByte(BYTE* frame, int width, int height, int times)
{
    if (BadFrame(frame, width, height))
        return -1;
    const size_t bytes = FrameBytes(width, height);
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
        __m128i* q = reinterpret_cast<__m128i*>(frame + i);
        const __m128i v = _mm_loadu_si128(q);
        __m128i r = _mm_adds_epu8(v, v);
        if (times == 3)
            r = _mm_adds_epu8(r, v);  // min(min(2v, 255) + v, 255) == min(3v, 255)
        _mm_storeu_si128(q, r);
    }
    for (; i < bytes; ++i)
        frame[i] = Clamp(frame[i] * times);
    return 0;
}

}  // namespace

int ImgAddOne(BYTE* frame, int width, int height)
{
    return ScaleEveryByte(frame, width, height, 2);
}

int ImgAddTwo(BYTE* frame, int width, int height)
{
    return ScaleEveryByte(frame, width, height, 3);
}

int ImgMultiply(BYTE* frame, int width, int height, float factor)
{
    return ImgMultiplyRows(frame, width, height, DibStride(width), factor);
}

int ImgMultiplyRows(BYTE* frame, int width, int height, int stride, float factor)
{
    if (BadFrame(frame, width, height))
        return -1;
    BYTE table[256];
    for (int i = 0; i < 256; ++i) {
        // The exact product of i and the given factor: 10 * 0.7f is 6.99999988.
        const double v = i * static_cast<double>(factor);
        table[i] = v >= 255.0 ? 255 : (v > 0.0 ? static_cast<BYTE>(v) : 0);
    }
    // factor = m / 2^k with a 24-bit m, so trunc(i * factor) = (i * m) >> k
    // exactly, in 32-bit lanes.
    int exponent = 0;
    const double mantissa = std::frexp(static_cast<double>(factor), &exponent);
    const int k = 24 - exponent;
    const bool fast = factor > 0.0f && std::isfinite(factor) && k >= 1 && k <= 31;
    const unsigned m = fast ? static_cast<unsigned>(std::ldexp(mantissa, 24)) : 0;
    const __m128i mlo = _mm_set1_epi16(static_cast<short>(m & 0xFFFF));
    const __m128i mhi = _mm_set1_epi16(static_cast<short>(m >> 16));
    const __m128i shift = _mm_cvtsi32_si128(k);
    const __m128i zero = _mm_setzero_si128();
    auto times = [&](__m128i v) {
        const __m128i lo = _mm_mullo_epi16(v, mlo);
        const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(v, mhi), _mm_mulhi_epu16(v, mlo));
        const __m128i a = _mm_srl_epi32(_mm_unpacklo_epi16(lo, hi), shift);
        const __m128i b = _mm_srl_epi32(_mm_unpackhi_epi16(lo, hi), shift);
        return _mm_packs_epi32(a, b);
    };
    const int rowBytes = width * 3;
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        int i = 0;
        if (fast) {
            for (; i + 16 <= rowBytes; i += 16) {
                __m128i* q = reinterpret_cast<__m128i*>(p + i);
                const __m128i x = _mm_loadu_si128(q);
                const __m128i r = _mm_packus_epi16(times(_mm_unpacklo_epi8(x, zero)),
                                                   times(_mm_unpackhi_epi8(x, zero)));
                _mm_storeu_si128(q, r);
            }
        }
        for (; i < rowBytes; ++i)
            p[i] = table[p[i]];
    }
    return 0;
}

int ImgRgbGain(BYTE* frame, int width, int height, long r, long g, long b)
{
    if (BadFrame(frame, width, height) || (r == 0 && g == 0 && b == 0))
        return -1;
    // A negative offset darkens down to 0 rather than wrapping round to white.
    auto limit = [](long v) { return static_cast<int>(v < -255 ? -255 : (v > 255 ? 255 : v)); };
    const int offset[3] = {limit(b), limit(g), limit(r)};
    // Three vectors hold 16 whole pixels: add the positive part of each
    // channel's offset, subtract the negative part, both saturating.
    alignas(16) BYTE up[48], down[48];
    for (int i = 0; i < 48; ++i) {
        const int o = offset[i % 3];
        up[i] = static_cast<BYTE>(o > 0 ? o : 0);
        down[i] = static_cast<BYTE>(o < 0 ? -o : 0);
    }
    __m128i add[3], sub[3];
    for (int v = 0; v < 3; ++v) {
        add[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(up + 16 * v));
        sub[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(down + 16 * v));
    }
    const int stride = DibStride(width);
    const int rowBytes = width * 3;
    for (int y = 0; y < height; ++y) {
        BYTE* p = frame + static_cast<size_t>(y) * stride;
        int i = 0;
        for (; i + 48 <= rowBytes; i += 48)
            for (int v = 0; v < 3; ++v) {
                __m128i* q = reinterpret_cast<__m128i*>(p + i + 16 * v);
                _mm_storeu_si128(q, _mm_subs_epu8(_mm_adds_epu8(_mm_loadu_si128(q), add[v]), sub[v]));
            }
        for (; i < rowBytes; ++i)
            p[i] = Clamp(p[i] + offset[i % 3]);
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
    const int lastRow = coveredHeight < y0 + maskHeight ? coveredHeight : y0 + maskHeight;
    const int lastCol = coveredWidth < x0 + maskWidth ? coveredWidth : x0 + maskWidth;
    alignas(16) BYTE keyBytes[48];
    for (int i = 0; i < 48; i += 3)
        keyBytes[i] = keyBlue, keyBytes[i + 1] = keyGreen, keyBytes[i + 2] = keyRed;
    const __m128i* key = reinterpret_cast<const __m128i*>(keyBytes);
    const uint64_t allKey = (uint64_t(1) << 48) - 1;
    for (int y = firstRow; y < lastRow; ++y) {
        BYTE* f = frame + static_cast<size_t>(y) * stride;
        const BYTE* m = mask + static_cast<size_t>(y - y0) * maskStride;
        int x = firstCol;
        // Sixteen pixels at a time; one bit a byte says which bytes match the key.
        for (; x + 16 <= lastCol; x += 16) {
            const __m128i* mp = reinterpret_cast<const __m128i*>(m + static_cast<size_t>(x - x0) * 3);
            __m128i* fp = reinterpret_cast<__m128i*>(f + static_cast<size_t>(x) * 3);
            const __m128i v0 = _mm_loadu_si128(mp), v1 = _mm_loadu_si128(mp + 1), v2 = _mm_loadu_si128(mp + 2);
            const uint64_t match = uint64_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, _mm_load_si128(key)))) |
                                   uint64_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v1, _mm_load_si128(key + 1)))) << 16 |
                                   uint64_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v2, _mm_load_si128(key + 2)))) << 32;
            if (match == allKey)
                continue;
            if (match == 0) {
                _mm_storeu_si128(fp, v0);
                _mm_storeu_si128(fp + 1, v1);
                _mm_storeu_si128(fp + 2, v2);
                continue;
            }
            const BYTE* src = reinterpret_cast<const BYTE*>(mp);
            BYTE* dst = reinterpret_cast<BYTE*>(fp);
            for (int j = 0; j < 16; ++j, src += 3, dst += 3)
                if (((match >> (3 * j)) & 7) != 7)
                    dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
        }
        for (; x < lastCol; ++x) {
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
