#include "Pipeline.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include "PixelPlanes.h"
#include <windows.h>
#include <process.h>

namespace {

// Cleared by the tests to get the plain loops as the reference, and from the
// start by VELTRANE_PLAIN_PATHS=1.
bool g_fastPaths = !VeltranePlainByEnvironment();
// Lowered by the tests to run the narrower paths: 2 the widest vectors the
// processor has, 1 128-bit ones with byte shuffles, 0 SSE2 alone.
int g_vectorLevel = 2;

bool WideVectors() { return g_vectorLevel >= 2 && VeltraneHasWideVectors(); }
bool Shuffles() { return g_vectorLevel >= 1 && VeltraneHasShuffles(); }

// Camera colour correction in 1/128: rows input red, green, blue, constant.
const int32_t kBaseMatrix[16] = {
    205, -63, -34, 0,
    -65, 222, -125, 0,
    -12, -32, 286, 0,
    0, 0, 0, 0,
};

const int kLineLength[3] = {2753, 2055, 1989}; // pixel clocks per line, by size

inline uint8_t Clamp255(int v) { return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v); }

} // namespace

ZentuPipelineState::ZentuPipelineState()
{
    for (int i = 0; i < 256; i++) {
        tone[i] = (uint8_t)i;
        channel[0][i] = channel[1][i] = channel[2][i] = (uint8_t)i;
    }
    std::memcpy(baseMatrix, kBaseMatrix, sizeof baseMatrix);
}

// Coordinates come from the camera's memory: a corrupt table must not write
// outside the frame.
void FixDefectPixels(uint8_t* raw, int rowWidth, int rawHeight, const DefectList& defects)
{
    int n = std::min<int>(defects.count, 99);
    for (int k = 0; k < n; k++) {
        int x = defects.column[k], y = defects.row[k];
        if (x <= 2 || x >= rowWidth || y >= rawHeight) continue;
        uint8_t* p = raw + (size_t)y * rowWidth + x;
        p[0] = p[-2];
    }
}

namespace {

#if defined(__SSE2__)
// floor((a + b) / 2) per byte.
inline __m128i AvgFloor(__m128i a, __m128i b)
{
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

// floor((a + b) / 2) per byte, and in lost the bit the halving dropped.
inline __m128i AvgFloor(__m128i a, __m128i b, __m128i& lost)
{
    lost = _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1));
    return _mm_sub_epi8(_mm_avg_epu8(a, b), lost);
}

// floor((a + b + c + d) / 4) per byte from h1 = floor((a + b) / 2) and
// h2 = floor((c + d) / 2) with their lost bits: the two lost halves add one
// when both are there and h1 + h2 is odd.
inline __m128i Mean4FromHalves(__m128i h1, __m128i lost1, __m128i h2, __m128i lost2)
{
    __m128i odd;
    const __m128i h = AvgFloor(h1, h2, odd);
    return _mm_add_epi8(h, _mm_and_si128(_mm_and_si128(lost1, lost2), odd));
}

// Four pixels held as 32-bit 0x00RRGGBB written as 12 bytes.
inline void Store4Pixels(uint8_t* dst, __m128i px)
{
    const __m128i low24 = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
    const __m128i mid24 = _mm_set_epi32(0xFFFF, (int)0xFF000000, 0xFFFF, (int)0xFF000000);
    __m128i v = _mm_or_si128(_mm_and_si128(px, low24), _mm_and_si128(_mm_srli_epi64(px, 8), mid24));
    __m128i r = _mm_or_si128(_mm_and_si128(v, _mm_set_epi32(0, 0, 0xFFFF, -1)),
                             _mm_slli_si128(_mm_srli_si128(v, 8), 6));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), r);
    uint32_t tail = (uint32_t)_mm_cvtsi128_si32(_mm_srli_si128(r, 8));
    std::memcpy(dst + 8, &tail, 4);
}

// Sixteen inner pixels from column j (odd) on as blue, green and red planes:
// every candidate value is computed for every lane, and the colour site of
// each lane picks its own.
inline void DemosaicPlanes(const uint8_t* u, const uint8_t* c, const uint8_t* d, int j, bool blueRow, __m128i plane[3])
{
    auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const __m128i L = load(c + j - 1), C = load(c + j), Rt = load(c + j + 1);
    const __m128i UL = load(u + j - 1), U = load(u + j), UR = load(u + j + 1);
    const __m128i DL = load(d + j - 1), D = load(d + j), DR = load(d + j + 1);
    __m128i lh, lv, lu, ld;
    const __m128i h2 = AvgFloor(L, Rt, lh), v2 = AvgFloor(U, D, lv), g2 = AvgFloor(C, UR);
    const __m128i up = AvgFloor(UL, UR, lu), down = AvgFloor(DL, DR, ld);
    const __m128i four = Mean4FromHalves(h2, lh, v2, lv), x = Mean4FromHalves(up, lu, down, ld);
    const __m128i odd = _mm_set1_epi16(0x00FF); // lanes 0, 2, ...: odd columns
    auto pick = [&](__m128i a, __m128i b) { return _mm_or_si128(_mm_and_si128(odd, a), _mm_andnot_si128(odd, b)); };
    if (blueRow) {
        plane[0] = pick(h2, C);
        plane[1] = pick(g2, four);
        plane[2] = pick(v2, x);
    } else {
        plane[0] = pick(x, v2);
        plane[1] = pick(four, g2);
        plane[2] = pick(C, h2);
    }
}

// The sixteen pixels written as 24-bit pixels with SSE2 alone.
inline void DemosaicSixteen(const uint8_t* u, const uint8_t* c, const uint8_t* d, uint8_t* o, int j, bool blueRow)
{
    __m128i plane[3];
    DemosaicPlanes(u, c, d, j, blueRow, plane);
    const __m128i B = plane[0], G = plane[1], R = plane[2];
    const __m128i z = _mm_setzero_si128();
    __m128i bgLo = _mm_unpacklo_epi8(B, G), bgHi = _mm_unpackhi_epi8(B, G);
    __m128i rLo = _mm_unpacklo_epi8(R, z), rHi = _mm_unpackhi_epi8(R, z);
    uint8_t* p = o + (size_t)j * 3;
    Store4Pixels(p, _mm_unpacklo_epi16(bgLo, rLo));
    Store4Pixels(p + 12, _mm_unpackhi_epi16(bgLo, rLo));
    Store4Pixels(p + 24, _mm_unpacklo_epi16(bgHi, rHi));
    Store4Pixels(p + 36, _mm_unpackhi_epi16(bgHi, rHi));
}

// The same sixteen at a time from column j while they fit before jEnd, with
// byte shuffles for the interleaving; returns the column reached.
__attribute__((target("ssse3"))) int DemosaicRowShuffled(const uint8_t* u, const uint8_t* c, const uint8_t* d,
                                                         uint8_t* o, int j, int jEnd, bool blueRow)
{
    for (; j + 16 < jEnd; j += 16) {
        __m128i plane[3];
        DemosaicPlanes(u, c, d, j, blueRow, plane);
        VeltraneMergePlanes(plane, o + (size_t)j * 3);
    }
    return j;
}

// 16-byte lane masks of VeltranePlaneMasks in both lanes.
__attribute__((target("avx2"))) inline __m256i Wide(const uint8_t* mask)
{
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(mask)));
}

__attribute__((target("avx2"))) inline __m256i Wide(__m128i v) { return _mm256_broadcastsi128_si256(v); }

// Thirty-two pixels from their planes, sixteen in each lane, as 96 bytes;
// reversed puts them in reverse order; stream (out 16-byte aligned) writes
// past the cache.
__attribute__((target("avx2"))) inline void WideMergePlanes(const __m256i planes[3], uint8_t* out, bool reversed,
                                                            bool stream = false)
{
    const VeltranePlaneMasks& masks = VeltraneMasks();
    __m256i plane[3] = {planes[0], planes[1], planes[2]};
    if (reversed)
        for (__m256i& q : plane) q = _mm256_permute2x128_si256(_mm256_shuffle_epi8(q, Wide(masks.reverse)), q, 0x01);
    __m128i* dst = reinterpret_cast<__m128i*>(out);
    for (int v = 0; v < 3; v++) {
        const __m256i o = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(plane[0], Wide(masks.merge[v][0])),
                                                          _mm256_shuffle_epi8(plane[1], Wide(masks.merge[v][1]))),
                                          _mm256_shuffle_epi8(plane[2], Wide(masks.merge[v][2])));
        if (stream) {
            _mm_stream_si128(dst + v, _mm256_castsi256_si128(o));
            _mm_stream_si128(dst + 3 + v, _mm256_extracti128_si256(o, 1));
        } else {
            _mm_storeu_si128(dst + v, _mm256_castsi256_si128(o));
            _mm_storeu_si128(dst + 3 + v, _mm256_extracti128_si256(o, 1));
        }
    }
}

__attribute__((target("avx2"))) inline __m256i WideAvgFloor(__m256i a, __m256i b)
{
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

__attribute__((target("avx2"))) inline __m256i WideAvgFloor(__m256i a, __m256i b, __m256i& lost)
{
    lost = _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1));
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b), lost);
}

// Mean4FromHalves thirty-two bytes at a time.
__attribute__((target("avx2"))) inline __m256i WideMean4FromHalves(__m256i h1, __m256i lost1, __m256i h2,
                                                                   __m256i lost2)
{
    __m256i odd;
    const __m256i h = WideAvgFloor(h1, h2, odd);
    return _mm256_add_epi8(h, _mm256_and_si256(_mm256_and_si256(lost1, lost2), odd));
}

__attribute__((target("avx2"))) inline __m256i WideLoad(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"))) inline __m256i WidePick(__m256i odd, __m256i a, __m256i b)
{
    return _mm256_or_si256(_mm256_and_si256(odd, a), _mm256_andnot_si256(odd, b));
}

// Thirty-two pixels from column j (odd) on as planes, the rule of
// DemosaicPlanes.
__attribute__((target("avx2"))) inline void WideDemosaicPlanes(const uint8_t* u, const uint8_t* c, const uint8_t* d,
                                                               int j, bool blueRow, __m256i plane[3])
{
    const __m256i odd = _mm256_set1_epi16(0x00FF); // lanes 0, 2, ...: odd columns
    const __m256i L = WideLoad(c + j - 1), C = WideLoad(c + j), Rt = WideLoad(c + j + 1);
    const __m256i UL = WideLoad(u + j - 1), U = WideLoad(u + j), UR = WideLoad(u + j + 1);
    const __m256i DL = WideLoad(d + j - 1), D = WideLoad(d + j), DR = WideLoad(d + j + 1);
    __m256i lh, lv, lu, ld;
    const __m256i h2 = WideAvgFloor(L, Rt, lh), v2 = WideAvgFloor(U, D, lv), g2 = WideAvgFloor(C, UR);
    const __m256i up = WideAvgFloor(UL, UR, lu), down = WideAvgFloor(DL, DR, ld);
    const __m256i four = WideMean4FromHalves(h2, lh, v2, lv), x = WideMean4FromHalves(up, lu, down, ld);
    if (blueRow) {
        plane[0] = WidePick(odd, h2, C);
        plane[1] = WidePick(odd, g2, four);
        plane[2] = WidePick(odd, v2, x);
    } else {
        plane[0] = WidePick(odd, x, v2);
        plane[1] = WidePick(odd, four, g2);
        plane[2] = WidePick(odd, C, h2);
    }
}

// DemosaicRowShuffled thirty-two pixels a step.
__attribute__((target("avx2"))) int DemosaicRowWide(const uint8_t* u, const uint8_t* c, const uint8_t* d, uint8_t* o,
                                                    int j, int jEnd, bool blueRow)
{
    for (; j + 32 < jEnd; j += 32) {
        __m256i plane[3];
        WideDemosaicPlanes(u, c, d, j, blueRow, plane);
        WideMergePlanes(plane, o + (size_t)j * 3, false);
    }
    return j;
}

// Size 0 on planes: a work row is three planes of 2048 bytes (blue, green,
// red by column), an output row three planes of 1280.
constexpr int kWorkPlane = 2048, kOutPlane = 1280;

// Row i of the work image as planes over columns 63 to 2014, the down-scaling's
// 64 to 1984 among them; rows 0 and 1535 are black.
__attribute__((target("avx2"))) void DemosaicRowPlanes(const uint8_t* raw, uint8_t* planes, int i)
{
    if (i == 0 || i == 1535) {
        std::memset(planes, 0, 3 * kWorkPlane);
        return;
    }
    const uint8_t* u = raw + (size_t)(i - 1) * 2048;
    const uint8_t* c = u + 2048;
    const uint8_t* d = c + 2048;
    for (int j = 63; j < 1985; j += 32) {
        __m256i plane[3];
        WideDemosaicPlanes(u, c, d, j, (i & 1) != 0, plane);
        for (int k = 0; k < 3; k++)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(planes + k * kWorkPlane + j), plane[k]);
    }
}
#endif

// One output row of the demosaic (rows 0 and height - 1 are black), over the
// inner columns jBegin (odd) to jEnd - 1; the whole row unless narrowed.
void DemosaicRow(const uint8_t* raw, uint8_t* o, int width, int height, int i, int jBegin = 1, int jEnd = 0)
{
    if (jEnd <= 0) jEnd = width - 1;
    const size_t stride = (size_t)width * 3;
    if (i == 0 || i == height - 1) {
        std::memset(o, 0, stride);
        return;
    }
    const uint8_t* u = raw + (size_t)(i - 1) * width;
    const uint8_t* c = u + width;
    const uint8_t* d = c + width;
    o[0] = o[1] = o[2] = 0;
    int j = jBegin;
#if defined(__SSE2__)
    if (g_fastPaths && Shuffles()) {
        if (WideVectors()) j = DemosaicRowWide(u, c, d, o, j, jEnd, (i & 1) != 0);
        j = DemosaicRowShuffled(u, c, d, o, j, jEnd, (i & 1) != 0);
    }
    else if (g_fastPaths)
        for (; j + 16 < jEnd; j += 16) DemosaicSixteen(u, c, d, o, j, (i & 1) != 0);
#endif
    if (i & 1) {
        // Blue row: green at odd columns, blue at even ones.
        for (; j + 1 < jEnd; j += 2) {
            uint8_t* p = o + j * 3;
            p[0] = (uint8_t)((c[j - 1] + c[j + 1]) >> 1);
            p[1] = (uint8_t)((c[j] + u[j + 1]) >> 1);
            p[2] = (uint8_t)((u[j] + d[j]) >> 1);
            int k = j + 1;
            p[3] = c[k];
            p[4] = (uint8_t)((c[k - 1] + c[k + 1] + u[k] + d[k]) >> 2);
            p[5] = (uint8_t)((u[k - 1] + u[k + 1] + d[k - 1] + d[k + 1]) >> 2);
        }
        if (j < jEnd) {
            uint8_t* p = o + j * 3;
            p[0] = (uint8_t)((c[j - 1] + c[j + 1]) >> 1);
            p[1] = (uint8_t)((c[j] + u[j + 1]) >> 1);
            p[2] = (uint8_t)((u[j] + d[j]) >> 1);
        }
    } else {
        // Red row: red at odd columns, green at even ones.
        for (; j + 1 < jEnd; j += 2) {
            uint8_t* p = o + j * 3;
            p[0] = (uint8_t)((u[j - 1] + u[j + 1] + d[j - 1] + d[j + 1]) >> 2);
            p[1] = (uint8_t)((c[j - 1] + c[j + 1] + u[j] + d[j]) >> 2);
            p[2] = c[j];
            int k = j + 1;
            p[3] = (uint8_t)((u[k] + d[k]) >> 1);
            p[4] = (uint8_t)((c[k] + u[k + 1]) >> 1);
            p[5] = (uint8_t)((c[k - 1] + c[k + 1]) >> 1);
        }
        if (j < jEnd) {
            uint8_t* p = o + j * 3;
            p[0] = (uint8_t)((u[j - 1] + u[j + 1] + d[j - 1] + d[j + 1]) >> 2);
            p[1] = (uint8_t)((c[j - 1] + c[j + 1] + u[j] + d[j]) >> 2);
            p[2] = c[j];
        }
    }
    uint8_t* last = o + (size_t)(width - 1) * 3;
    last[0] = last[1] = last[2] = 0;
}

// One row block of the size 0 down-scaling: three work rows to two output rows.
void ResampleBlockPlain(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2, uint8_t* o0, uint8_t* o1)
{
    r0 += 64 * 3;
    r1 += 64 * 3;
    r2 += 64 * 3;
    for (int cb = 0; cb < 640; cb++) {
        const int a = cb * 9;
        for (int ch = 0; ch < 3; ch++) {
            int c0 = a + ch, c1 = c0 + 3, c2 = c1 + 3;
            int m0 = r0[c0] + r1[c0], m1 = r0[c1] + r1[c1], m2 = r0[c2] + r1[c2];
            int n0 = r1[c0] + r2[c0], n1 = r1[c1] + r2[c1], n2 = r1[c2] + r2[c2];
            o0[cb * 6 + ch] = (uint8_t)((m0 + m1) >> 2);
            o0[cb * 6 + 3 + ch] = (uint8_t)((m1 + m2) >> 2);
            o1[cb * 6 + ch] = (uint8_t)((n0 + n1) >> 2);
            o1[cb * 6 + 3 + ch] = (uint8_t)((n1 + n2) >> 2);
        }
    }
}

#if defined(__SSE2__)
// The means of the fast resample: for each byte x of the 1920 pixels used, the
// 2 x 2 window of it and the byte three places on, over rows 0 and 1 (hm) and
// rows 1 and 2 (hn); returns the bytes done.
int ResampleMeansNarrow(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2, uint8_t* hm, uint8_t* hn, int span)
{
    auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    int x = 0;
    for (; x + 16 <= span; x += 16) {
        __m128i l01, l12, m01, m12;
        const __m128i a1 = load(r1 + x), b1 = load(r1 + x + 3);
        const __m128i a01 = AvgFloor(load(r0 + x), a1, l01), a12 = AvgFloor(a1, load(r2 + x), l12);
        const __m128i b01 = AvgFloor(load(r0 + x + 3), b1, m01), b12 = AvgFloor(b1, load(r2 + x + 3), m12);
        _mm_store_si128(reinterpret_cast<__m128i*>(hm + x), Mean4FromHalves(a01, l01, b01, m01));
        _mm_store_si128(reinterpret_cast<__m128i*>(hn + x), Mean4FromHalves(a12, l12, b12, m12));
    }
    return x;
}

// next: the distance of the window's second column, 3 bytes interleaved, 1 on planes.
__attribute__((target("avx2"))) int ResampleMeansWide(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2,
                                                      uint8_t* hm, uint8_t* hn, int span, int next)
{
    int x = 0;
    for (; x + 32 <= span; x += 32) {
        __m256i l01, l12, m01, m12;
        const __m256i a1 = WideLoad(r1 + x), b1 = WideLoad(r1 + x + next);
        const __m256i a01 = WideAvgFloor(WideLoad(r0 + x), a1, l01), a12 = WideAvgFloor(a1, WideLoad(r2 + x), l12);
        const __m256i b01 = WideAvgFloor(WideLoad(r0 + x + next), b1, m01);
        const __m256i b12 = WideAvgFloor(b1, WideLoad(r2 + x + next), m12);
        _mm256_store_si256(reinterpret_cast<__m256i*>(hm + x), WideMean4FromHalves(a01, l01, b01, m01));
        _mm256_store_si256(reinterpret_cast<__m256i*>(hn + x), WideMean4FromHalves(a12, l12, b12, m12));
    }
    return x;
}

// Six of every nine bytes kept, two blocks of nine a shuffle; returns the
// blocks done (the last ones are left to the caller, so that no store runs
// past the row).
__attribute__((target("ssse3"))) int KeepSixOfNine(const uint8_t* h, uint8_t* o, int blocks)
{
    const __m128i keep = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 9, 10, 11, 12, 13, 14, -1, -1, -1, -1);
    int cb = 0;
    for (; cb + 4 <= blocks; cb += 2) // each store writes four bytes the next one covers
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + cb * 6),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + cb * 9)), keep));
    return cb;
}

// The same: first the mean of every 2 x 2 window along the row (for each
// byte, with the byte three places on), then six of every nine kept.
void ResampleBlockFast(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2, uint8_t* o0, uint8_t* o1)
{
    const int span = 1920 * 3;
    alignas(32) uint8_t hm[1920 * 3 + 32], hn[1920 * 3 + 32];
    r0 += 64 * 3;
    r1 += 64 * 3;
    r2 += 64 * 3;
    const int done = Shuffles() && WideVectors() ? ResampleMeansWide(r0, r1, r2, hm, hn, span, 3) : 0;
    ResampleMeansNarrow(r0 + done, r1 + done, r2 + done, hm + done, hn + done, span - done);
    int cb = 0;
    if (Shuffles()) {
        KeepSixOfNine(hm, o0, 640);
        cb = KeepSixOfNine(hn, o1, 640);
    }
    for (; cb < 639; cb++) {
        std::memcpy(o0 + cb * 6, hm + cb * 9, 8); // the two extra bytes are overwritten next
        std::memcpy(o1 + cb * 6, hn + cb * 9, 8);
    }
    std::memcpy(o0 + 639 * 6, hm + 639 * 9, 6);
    std::memcpy(o1 + 639 * 6, hn + 639 * 9, 6);
}
#endif

#if defined(__SSE2__)
// Two of every three bytes kept, 48 to 32 a step.
__attribute__((target("ssse3"))) void KeepTwoOfThree(const uint8_t* h, uint8_t* o, int outBytes)
{
    auto mask = [](int first, int vector) {
        alignas(16) int8_t m[16];
        for (int j = 0; j < 16; j++) {
            const int i = ((first + j) / 2) * 3 + (first + j) % 2 - 16 * vector;
            m[j] = (int8_t)(i >= 0 && i < 16 ? i : -1);
        }
        return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
    };
    static const __m128i k00 = mask(0, 0), k01 = mask(0, 1), k11 = mask(16, 1), k12 = mask(16, 2);
    for (int j = 0; j < outBytes; j += 32, h += 48) {
        const __m128i v0 = VeltraneLoad(h), v1 = VeltraneLoad(h + 16), v2 = VeltraneLoad(h + 32);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + j),
                         _mm_or_si128(_mm_shuffle_epi8(v0, k00), _mm_shuffle_epi8(v1, k01)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + j + 16),
                         _mm_or_si128(_mm_shuffle_epi8(v1, k11), _mm_shuffle_epi8(v2, k12)));
    }
}

// ResampleBlockFast on planes: the mean of each 2 x 2 window of a plane (with
// the column after), then two of every three columns kept.
__attribute__((target("avx2"))) void ResamplePlanes(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2,
                                                    uint8_t* o0, uint8_t* o1)
{
    alignas(32) uint8_t hm[1920], hn[1920];
    for (int k = 0; k < 3; k++) {
        const int at = k * kWorkPlane + 64;
        ResampleMeansWide(r0 + at, r1 + at, r2 + at, hm, hn, 1920, 1);
        KeepTwoOfThree(hm, o0 + k * kOutPlane, kOutPlane);
        KeepTwoOfThree(hn, o1 + k * kOutPlane, kOutPlane);
    }
}
#endif

void ResampleBlock(const uint8_t* r0, const uint8_t* r1, const uint8_t* r2, uint8_t* o0, uint8_t* o1)
{
#if defined(__SSE2__)
    if (g_fastPaths) {
        ResampleBlockFast(r0, r1, r2, o0, o1);
        return;
    }
#endif
    ResampleBlockPlain(r0, r1, r2, o0, o1);
}

} // namespace

void SetPipelineFastPaths(bool on)
{
    g_fastPaths = on;
}

void SetPipelineVectorLevel(int level)
{
    g_vectorLevel = level;
}

void DemosaicBilinear(const uint8_t* raw, uint8_t* out, int width, int height)
{
    for (int i = 0; i < height; i++) DemosaicRow(raw, out + (size_t)i * width * 3, width, height, i);
}

// 2048 x 1536 work image to 1280 x 1024: each 3 x 3 block of columns 64 to
// 1983 gives 2 x 2 output pixels, each the mean of a 2 x 2 window.
void ResampleToOutput(uint8_t* out, const uint8_t* work)
{
    const size_t ws = 2048 * 3, os = 1280 * 3;
    for (int rb = 0; rb < 512; rb++) {
        const uint8_t* r0 = work + (size_t)(3 * rb) * ws;
        uint8_t* o0 = out + (size_t)(2 * rb) * os;
        ResampleBlock(r0, r0 + ws, r0 + 2 * ws, o0, o0 + os);
    }
}

namespace {

// Channel sums of the centre quarter of a picture, added a row at a time.
struct CentreSums {
    uint64_t b = 0, g = 0, r = 0;
};

bool InCentreRows(int y, int height)
{
    return y >= height / 4 && y < 3 * height / 4;
}

void AddCentreRow(const uint8_t* row, int width, CentreSums& s)
{
    int x = width / 4;
    const int x1 = 3 * width / 4;
    const uint8_t* p = row + (size_t)x * 3;
#if defined(__SSE2__)
    if (g_fastPaths) {
        // Byte k of each 48 belongs to channel k % 3: three masks a vector,
        // byte sums by psadbw.
        const __m128i z = _mm_setzero_si128();
        const __m128i m0 = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1);
        const __m128i m1 = _mm_slli_si128(m0, 1), m2 = _mm_slli_si128(m0, 2);
        const __m128i* mask[3][3] = {{&m0, &m1, &m2}, {&m2, &m0, &m1}, {&m1, &m2, &m0}}; // [vector][channel]
        __m128i acc[3] = {z, z, z};
        for (; x + 16 <= x1; x += 16, p += 48)
            for (int v = 0; v < 3; v++) {
                const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v));
                for (int c = 0; c < 3; c++)
                    acc[c] = _mm_add_epi64(acc[c], _mm_sad_epu8(_mm_and_si128(d, *mask[v][c]), z));
            }
        uint64_t sum[3];
        for (int c = 0; c < 3; c++)
            sum[c] = (uint64_t)_mm_cvtsi128_si32(acc[c]) + (uint64_t)_mm_cvtsi128_si32(_mm_srli_si128(acc[c], 8));
        s.b += sum[0];
        s.g += sum[1];
        s.r += sum[2];
    }
#endif
    for (; x < x1; x++, p += 3) {
        s.b += p[0];
        s.g += p[1];
        s.r += p[2];
    }
}

// The same from a row held as three planes of stride bytes.
void AddCentrePlanes(const uint8_t* planes, int stride, int width, CentreSums& s)
{
    uint64_t sum[3] = {};
    const int x0 = width / 4, x1 = 3 * width / 4;
    for (int k = 0; k < 3; k++) {
        const uint8_t* p = planes + (size_t)k * stride;
        int x = x0;
#if defined(__SSE2__)
        __m128i acc = _mm_setzero_si128();
        for (; x + 16 <= x1; x += 16)
            acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x)),
                                                  _mm_setzero_si128()));
        sum[k] = (uint64_t)_mm_cvtsi128_si32(acc) + (uint64_t)_mm_cvtsi128_si32(_mm_srli_si128(acc, 8));
#endif
        for (; x < x1; x++) sum[k] += p[x];
    }
    s.b += sum[0];
    s.g += sum[1];
    s.r += sum[2];
}

int CentreLuma(const CentreSums& s, int width, int height)
{
    if (height / 4 >= 3 * height / 4) return 16;
    uint64_t area = (uint64_t)width * height;
    uint32_t b = (uint8_t)(s.b * 4 / area), g = (uint8_t)(s.g * 4 / area), r = (uint8_t)(s.r * 4 / area);
    return (int)(((g * 16425 + r * 8432 + b * 3176) >> 15) + 16);
}

void AutoExposureFromLuma(int L, ZentuOwner& owner, int height);

} // namespace

int MeasureCenterLuma(int width, const uint8_t* image, int height)
{
    CentreSums s;
    for (int y = height / 4; y < 3 * height / 4; y++) AddCentreRow(image + (size_t)y * width * 3, width, s);
    return CentreLuma(s, width, height);
}

void RunAutoExposure(const uint8_t* image, ZentuOwner& owner, int width, int height)
{
    if (owner.settings.autoExposure) AutoExposureFromLuma(MeasureCenterLuma(width, image, height), owner, height);
}

namespace {

void AutoExposureFromLuma(int L, ZentuOwner& owner, int height)
{
    ZentuSettings& set = owner.settings;
    ZentuPipelineState& st = owner.pipe;
    const int T = (int)set.aeTarget & 0xFF;
    const int H = height;
    const int P = st.aeStep;
    int G = (uint16_t)set.gain;
    int E = st.aeExposure;

    if (L < std::min(T / 4, 20)) L = 0;
    if (L > std::min(2 * T, 210)) L = 255;
    int S = (L + st.aeSmoothed) / 2;
    int D = std::min(std::abs(S - T), T);
    if (D < 10) {
        st.aeSmoothed = (uint8_t)T;
        return;
    }
    int h = std::min(T / 4, D / 2);

    if (S < T) {
        S = T + h;
        if (L == 0) {
            E += E <= 3 ? 1 : E / 4;
            E = std::min(E, H);
        } else if (E < P) {
            if (E < 10) E += D < 16 ? 0 : 1;
            E += E < 30 ? 1 : D / 8;
        } else if (G > 15) {
            if (E < 2 * P) {
                E += D / 4;
            } else if (E >= 300) {
                E += D;
                if (E > H) {
                    G = std::min(G + D, 32);
                    E = H;
                }
            } else {
                E += D / 2;
            }
        } else {
            if (E < 4 * P || D > 55) {
                if (D < 16) G += 1;
                else if (D <= 111 && E < 4 * P) G += D / 16;
                else G += 6;
            } else {
                G += D / 8;
            }
        }
    } else {
        S = T - h;
        if (L == 255) {
            G -= G / 4;
            if (E != 0) E -= E > 4 * P ? E / 4 : (E < 8 ? 1 : E / 8);
        }
        const int G0 = G;
        if (G0 < 9) {
            if (E > 4 * P) {
                E -= std::min(E / 4, D);
                if (G0 > 4) G = G0 - 1;
                if (E < 4 * P) G = 2 * G + 2;
            } else if (E > 3 * P) {
                E -= std::min(E / 4, D / 2);
                if (G0 > 4) G = G0 - 1;
                if (E < 3 * P) G = 2 * G + 2;
            } else {
                const int B = E - std::min(E / 4, D / 4);
                if (E > 2 * P) {
                    E = B;
                    if (G0 > 2) G = G0 - 1;
                    if (B < 2 * P) G = 2 * G + 2;
                } else if (E > P) {
                    E = B;
                    if (G0 != 0) G = G0 - 1;
                    if (B < P) G = 4 * G + 4;
                } else if (D / 4 < G0) {
                    G = G0 - D / 8;
                } else if (G0 != 0) {
                    G = G0 - 1;
                } else if (E > 30) {
                    E -= std::min(E / 2, D / 8);
                } else if (E > 1) {
                    E -= D < 16 ? 0 : 1;
                }
            }
        } else {
            if (E >= 30 && E < P) G = D < 16 ? G0 - 1 : D >= 80 ? G0 - 4 : G0 - D / 16;
            else if (E >= 30) G = D >= 40 ? G0 - 4 : G0 - D / 8;
            else G = G0 - 1;
        }
    }

    st.aeSmoothed = (uint8_t)S;
    st.aeExposure = (uint16_t)E;
    G = (uint16_t)G;
    int lines = (P > 0 && E >= P) ? E - E % P : E;
    if (lines == 0) lines = 1;
    set.gain = (uint32_t)G;
    set.exposureTime = (uint32_t)lines;
    if (owner.sensor) {
        owner.sensor->SetGain(G);
        owner.sensor->SetExposureLines((uint16_t)lines);
    }
}

} // namespace

void RunWhiteBalanceOnce(const uint8_t* image, int height, ZentuOwner& owner, int width)
{
    uint32_t sr = 0, sg = 0, sb = 0;
    const size_t n = (size_t)width * height;
    for (size_t i = 0; i < n; i++, image += 3) {
        sb += image[0];
        sg += image[1];
        sr += image[2];
    }
    if (sr <= 63 || sb <= 63 || sg == 0) return;
    // 64-bit products: with almost no red or blue the ratios are large.
    uint64_t r = sg / (sr / 64), b = sg / (sb / 64);
    ZentuSettings& s = owner.settings;
    if (r <= 255 && b <= 255) {
        s.gainR = (uint32_t)r;
        s.gainG = 64;
        s.gainB = (uint32_t)b;
    } else if (r < b) {
        s.gainB = 255;
        s.gainR = (uint32_t)(r * 255 / b);
        s.gainG = (uint32_t)(16320 / b);
    } else {
        s.gainR = 255;
        s.gainG = (uint32_t)(16320 / r);
        s.gainB = (uint32_t)(b * 255 / r);
    }
}

namespace {
enum class ColourStep { Gray, Tables, Matrix };
// The whole sixteen-pixel blocks of one colour step done in place on the
// vector path where it gives the same bytes; returns the pixels done.
int ColourBlocksInPlace(ColourStep step, const ZentuPipelineState& st, const int32_t* matrix, uint8_t* image,
                        int pixels);
} // namespace

void ConvertToGray(uint8_t* image, int pixels)
{
    const int done = ColourBlocksInPlace(ColourStep::Gray, ZentuPipelineState(), nullptr, image, pixels);
    image += (size_t)done * 3;
    pixels -= done;
    for (int i = 0; i < pixels; i++, image += 3) {
        uint8_t y = (uint8_t)((11 * image[0] + 30 * image[2] + 59 * image[1]) / 100);
        image[0] = image[1] = image[2] = y;
    }
}

void BuildSaturationMatrix(int s, int32_t m[16])
{
    const int32_t wr = (40320 - 315 * s) >> 10;
    const int32_t wg = (79872 - 624 * s) >> 10;
    const int32_t wb = (10752 - 84 * s) >> 10;
    const int32_t a[16] = {
        s + wr, wr, wr, 0,
        wg, s + wg, wg, 0,
        wb, wb, s + wb, 0,
        0, 0, 0, 1,
    };
    std::memcpy(m, a, sizeof a);
}

void MultiplyMatrix4x4(const int32_t a[16], const int32_t b[16], int32_t out[16])
{
    int32_t t[16];
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++) {
            int32_t v = 0;
            for (int k = 0; k < 4; k++) v += a[r * 4 + k] * b[k * 4 + c];
            t[r * 4 + c] = v;
        }
    std::memcpy(out, t, sizeof t);
}

void ApplyColorMatrix(const int32_t m[16], const ZentuOwner& owner, uint8_t* image, int pixels)
{
    const uint8_t* tr = owner.pipe.channel[0];
    const uint8_t* tg = owner.pipe.channel[1];
    const uint8_t* tb = owner.pipe.channel[2];
    // Output byte order blue, green, red: matrix columns 2, 1, 0.
    const int32_t rb = m[2], gb = m[6], bb = m[10], kb = m[14];
    const int32_t rg = m[1], gg = m[5], bg = m[9], kg = m[13];
    const int32_t rr = m[0], gr = m[4], br = m[8], kr = m[12];
    auto out = [](int32_t v) -> uint8_t {
        return v < 0 ? 0 : v >= 0x400000 ? 255 : (uint8_t)(v >> 14);
    };
    const int done = ColourBlocksInPlace(ColourStep::Matrix, owner.pipe, m, image, pixels);
    image += (size_t)done * 3;
    pixels -= done;
    for (int i = 0; i < pixels; i++, image += 3) {
        int32_t R = tr[image[2]], G = tg[image[1]], B = tb[image[0]];
        image[0] = out(R * rb + G * gb + B * bb + kb);
        image[1] = out(R * rg + G * gg + B * bg + kg);
        image[2] = out(R * rr + G * gr + B * br + kr);
    }
}

void ApplySaturation(ZentuOwner& owner, uint8_t* image, int pixels)
{
    int32_t a[16], m[16];
    BuildSaturationMatrix((int)(owner.settings.saturation & 0xFF), a);
    MultiplyMatrix4x4(owner.pipe.baseMatrix, a, m);
    ApplyColorMatrix(m, owner, image, pixels);
}

void ApplyChannelTables(const ZentuOwner& owner, uint8_t* image, int pixels)
{
    const uint8_t* tr = owner.pipe.channel[0];
    const uint8_t* tg = owner.pipe.channel[1];
    const uint8_t* tb = owner.pipe.channel[2];
    const int done = ColourBlocksInPlace(ColourStep::Tables, owner.pipe, nullptr, image, pixels);
    image += (size_t)done * 3;
    pixels -= done;
    for (int i = 0; i < pixels; i++, image += 3) {
        image[0] = tb[image[0]];
        image[1] = tg[image[1]];
        image[2] = tr[image[2]];
    }
}

namespace {

// The bytes VeltraneLookupBlocks may take on this processor and path.
size_t ToneBlocksIfFast(const uint8_t* table, const uint8_t* in, uint8_t* out, size_t n)
{
    return g_fastPaths && WideVectors() ? VeltraneLookupBlocks(table, in, out, n) : 0;
}

} // namespace

void ApplyToneTable(ZentuOwner& owner, uint8_t* image, int pixels)
{
    // A rebuild from a control call must not tear the table mid-frame.
    uint8_t t[256];
    if (owner.sensor) owner.sensor->LockDevice();
    std::memcpy(t, owner.pipe.tone, sizeof t);
    if (owner.sensor) owner.sensor->UnlockDevice();
    const size_t n = (size_t)pixels * 3;
    for (size_t i = ToneBlocksIfFast(t, image, image, n); i < n; i++) image[i] = t[image[i]];
}

void FlipVertical(uint8_t* image, int width, int height)
{
    const size_t stride = (size_t)width * 3;
    uint8_t scratch[4096]; // rows are swapped piece by piece: nothing to allocate
    for (int k = 0; k < height / 2; k++) {
        uint8_t* a = image + (size_t)k * stride;
        uint8_t* b = image + (size_t)(height - 1 - k) * stride;
        for (size_t off = 0; off < stride; off += sizeof scratch) {
            size_t n = std::min(sizeof scratch, stride - off);
            std::memcpy(scratch, a + off, n);
            std::memcpy(a + off, b + off, n);
            std::memcpy(b + off, scratch, n);
        }
    }
}

namespace {

// Sixteen pixels from each end of the row trade places, reversed, while two
// whole blocks fit; returns the pixels done at each end.
__attribute__((target("ssse3"))) int MirrorRowShuffled(uint8_t* row, int width)
{
    int k = 0;
    for (; 2 * (k + 16) <= width; k += 16) {
        uint8_t* a = row + (size_t)k * 3;
        uint8_t* b = row + (size_t)(width - k - 16) * 3;
        __m128i left[3], right[3];
        VeltraneSplitPlanes(a, left);
        VeltraneSplitPlanes(b, right);
        VeltraneMergePlanes(right, a, true);
        VeltraneMergePlanes(left, b, true);
    }
    return k;
}

} // namespace

void MirrorHorizontal(uint8_t* image, int width, int height)
{
    const bool shuffled = g_fastPaths && Shuffles();
    for (int y = 0; y < height; y++) {
        uint8_t* row = image + (size_t)y * width * 3;
        for (int k = shuffled ? MirrorRowShuffled(row, width) : 0; k < width / 2; k++) {
            uint8_t* a = row + k * 3;
            uint8_t* b = row + (width - 1 - k) * 3;
            std::swap(a[0], b[0]);
            std::swap(a[1], b[1]);
            std::swap(a[2], b[2]);
        }
    }
}

void BuildToneTable(uint32_t gamma, ZentuOwner& owner, uint32_t contrast)
{
    uint8_t t[256];
    for (int i = 0; i < 256; i++) {
        int d = (int)(std::pow(i / 255.0, gamma / 100.0) * 255);
        d = std::clamp(d, 0, 255);
        int e = std::abs(d - 128) * (int)contrast / 128;
        t[i] = d >= 128 ? (uint8_t)std::min(d + e, 255) : (uint8_t)std::max(d - e, 0);
    }
    if (owner.sensor) owner.sensor->LockDevice();
    std::memcpy(owner.pipe.tone, t, sizeof t);
    if (owner.sensor) owner.sensor->UnlockDevice();
}

void UpdateChannelTables(ZentuOwner& owner)
{
    const uint32_t g[3] = {owner.settings.gainR & 0xFF, owner.settings.gainG & 0xFF, owner.settings.gainB & 0xFF};
    for (int c = 0; c < 3; c++)
        for (uint32_t i = 0; i < 256; i++)
            owner.pipe.channel[c][i] = (uint8_t)std::min<uint32_t>(255, (i * g[c]) >> 6);
}

void ComputeExposureLimits(ZentuOwner& owner)
{
    const ZentuSettings& s = owner.settings;
    const int line = kLineLength[s.sizeIndex <= 2 ? s.sizeIndex : 1];
    const int clock = s.speed == 1 ? 48 : 24; // MHz
    int p = s.hz == 1 ? clock * 10000 / line : clock * 100000 / (line * 12);
    owner.pipe.aeStep = (uint16_t)p;
    owner.pipe.aeExposure = (uint16_t)s.exposureTime;
    owner.pipe.exposureUnit = (uint16_t)(line / clock);
}

namespace {

// Steps 6 to 8 in one pass over the picture: colour, tone and the mirror,
// byte for byte what the separate steps give.
struct GrayPixel {
    void operator()(const uint8_t* in, const uint8_t* tone, uint8_t* out) const
    {
        uint8_t y = tone[(11 * in[0] + 30 * in[2] + 59 * in[1]) / 100];
        out[0] = out[1] = out[2] = y;
    }
};

struct TablePixel {
    const uint8_t *tr, *tg, *tb;
    void operator()(const uint8_t* in, const uint8_t* tone, uint8_t* out) const
    {
        uint8_t b = tb[in[0]], g = tg[in[1]], r = tr[in[2]];
        out[0] = tone[b];
        out[1] = tone[g];
        out[2] = tone[r];
    }
};

// The matrix with the channel tables folded in: one product table per input
// channel and output channel.
struct MatrixPixel {
    int32_t t[3][3][256]; // [input r, g, b][output b, g, r][value]
    int32_t k[3];
    MatrixPixel(const int32_t m[16], const ZentuPipelineState& st)
    {
        const int outCol[3] = {2, 1, 0};
        for (int in = 0; in < 3; in++)
            for (int o = 0; o < 3; o++)
                for (int v = 0; v < 256; v++) t[in][o][v] = st.channel[in][v] * m[in * 4 + outCol[o]];
        for (int o = 0; o < 3; o++) k[o] = m[12 + outCol[o]];
    }
    // 0 below 0, 255 from 0x400000 up, without branches.
    static uint8_t Clip(int32_t v) { return (uint8_t)(std::min(std::max(v, 0), 0x3FFFFF) >> 14); }
    void operator()(const uint8_t* in, const uint8_t* tone, uint8_t* out) const
    {
        const int b = in[0], g = in[1], r = in[2];
        uint8_t ob = Clip(t[0][0][r] + t[1][0][g] + t[2][0][b] + k[0]);
        uint8_t og = Clip(t[0][1][r] + t[1][1][g] + t[2][1][b] + k[1]);
        uint8_t orr = Clip(t[0][2][r] + t[1][2][g] + t[2][2][b] + k[2]);
        out[0] = tone[ob];
        out[1] = tone[og];
        out[2] = tone[orr];
    }
};

#if defined(__SSE2__)
// The colour steps sixteen pixels at a time, before the tone table, where
// integer lanes give exactly what the tables and the matrix give: channel
// tables that are the gains they were made from, and matrix entries whose
// high parts (m >> 8) fit the 16-bit factors of madd.
struct VectorColour {
    enum Mode { Gray, Tables, Matrix } mode = Gray;
    int16_t gain[3] = {};                          // input r, g, b
    // Entries beyond 16 bits are split: m = hi x 256 + lo, lo in 0..255.
    bool wide = false;
    int32_t lo[3][3] = {}, hi[3][3] = {}, k[3] = {}; // [output b, g, r][input r, g, b]

    // The gain a channel table was made from, or -1.
    static int GainOf(const uint8_t* t)
    {
        for (int g = 0; g < 256; g++) {
            if ((63 * g) >> 6 != t[63]) continue; // leaves one or two gains to check in full
            bool same = true;
            for (int i = 0; i < 256 && same; i++) same = t[i] == std::min(255, (i * g) >> 6);
            if (same) return g;
        }
        return -1;
    }

    bool Prepare(Mode m, const ZentuPipelineState& st, const int32_t* matrix)
    {
        mode = m;
        if (mode == Gray) return true;
        for (int c = 0; c < 3; c++) {
            const int g = GainOf(st.channel[c]);
            if (g < 0) return false;
            gain[c] = (int16_t)g;
        }
        if (mode == Tables) return true;
        const int outCol[3] = {2, 1, 0};
        wide = false;
        for (int o = 0; o < 3; o++)
            for (int in = 0; in < 3; in++) {
                const int32_t v = matrix[in * 4 + outCol[o]];
                wide = wide || v < -32768 || v > 32767;
            }
        for (int o = 0; o < 3; o++) {
            for (int in = 0; in < 3; in++) {
                const int32_t v = matrix[in * 4 + outCol[o]];
                if ((v >> 8) < -32768 || (v >> 8) > 32767) return false;
                lo[o][in] = wide ? v & 0xFF : v;
                hi[o][in] = wide ? v >> 8 : 0;
            }
            k[o] = matrix[12 + outCol[o]];
        }
        for (int o = 0; o < 3; o++) {
            factors[o][0] = Pair(lo[o][0], lo[o][1]);
            factors[o][1] = Pair(lo[o][2], 0);
            factors[o][2] = Pair(hi[o][0], hi[o][1]);
            factors[o][3] = Pair(hi[o][2], 0);
            constant[o] = _mm_set1_epi32(k[o]);
        }
        return true;
    }

    // madd factors for the pairs (r, g) and (b, 0) of 32-bit lanes.
    static __m128i Pair(int32_t a, int32_t b)
    {
        return _mm_set1_epi32((int32_t)((uint32_t)(a & 0xFFFF) | ((uint32_t)b << 16)));
    }

    // [output][low (r, g), low (b, 0), high (r, g), high (b, 0)], made once a frame
    __m128i factors[3][4];
    __m128i constant[3];
};

// One output channel of four pixels: the matrix rule of MatrixPixel, shifted
// but not yet limited. The packs to 16 and then 8 bits that follow saturate,
// which limits exactly as MatrixPixel::Clip does: below 0 to 0, from
// 0x400000 (256 after the shift) to 255.
inline __m128i MatrixLanes(__m128i rg, __m128i b0, const VectorColour& vc, int o)
{
    const __m128i* f = vc.factors[o];
    __m128i v = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(rg, f[0]), _mm_madd_epi16(b0, f[1])), vc.constant[o]);
    if (vc.wide) {
        const __m128i high = _mm_add_epi32(_mm_madd_epi16(rg, f[2]), _mm_madd_epi16(b0, f[3]));
        v = _mm_add_epi32(v, _mm_slli_epi32(high, 8));
    }
    return _mm_srai_epi32(v, 14);
}

// Sixteen pixels from in to out (reversed for the mirror), before the tone.
__attribute__((target("ssse3"))) void ColourSixteen(const VectorColour& vc, const uint8_t* in, uint8_t* out, bool reversed)
{
    __m128i plane[3]; // b, g, r
    VeltraneSplitPlanes(in, plane);
    const __m128i z = _mm_setzero_si128();
    __m128i lo[3], hi[3];
    for (int c = 0; c < 3; c++) {
        lo[c] = _mm_unpacklo_epi8(plane[c], z);
        hi[c] = _mm_unpackhi_epi8(plane[c], z);
    }
    if (vc.mode == VectorColour::Gray) {
        // (N x 5243) >> 19 == N / 100 for N up to 43698
        auto luma = [](const __m128i* ch) {
            const __m128i n = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(ch[0], _mm_set1_epi16(11)),
                                                          _mm_mullo_epi16(ch[1], _mm_set1_epi16(59))),
                                            _mm_mullo_epi16(ch[2], _mm_set1_epi16(30)));
            return _mm_srli_epi16(_mm_mulhi_epu16(n, _mm_set1_epi16(5243)), 3);
        };
        plane[0] = plane[1] = plane[2] = _mm_packus_epi16(luma(lo), luma(hi));
        VeltraneMergePlanes(plane, out, reversed);
        return;
    }
    // The channel tables: min(255, (v x gain) >> 6); table c is r, g, b.
    const __m128i limit = _mm_set1_epi16(255);
    for (int c = 0; c < 3; c++) {
        const __m128i g = _mm_set1_epi16(vc.gain[2 - c]);
        lo[c] = _mm_min_epi16(_mm_srli_epi16(_mm_mullo_epi16(lo[c], g), 6), limit);
        hi[c] = _mm_min_epi16(_mm_srli_epi16(_mm_mullo_epi16(hi[c], g), 6), limit);
    }
    if (vc.mode == VectorColour::Matrix) {
        __m128i res[3][4]; // [output][four pixels]
        const __m128i* half[2] = {lo, hi};
        for (int hlf = 0; hlf < 2; hlf++) {
            const __m128i* ch = half[hlf];
            const __m128i rg[2] = {_mm_unpacklo_epi16(ch[2], ch[1]), _mm_unpackhi_epi16(ch[2], ch[1])};
            const __m128i b0[2] = {_mm_unpacklo_epi16(ch[0], z), _mm_unpackhi_epi16(ch[0], z)};
            for (int q = 0; q < 2; q++)
                for (int o = 0; o < 3; o++) res[o][2 * hlf + q] = MatrixLanes(rg[q], b0[q], vc, o);
        }
        for (int o = 0; o < 3; o++) {
            lo[o] = _mm_packs_epi32(res[o][0], res[o][1]);
            hi[o] = _mm_packs_epi32(res[o][2], res[o][3]);
        }
    }
    for (int c = 0; c < 3; c++) plane[c] = _mm_packus_epi16(lo[c], hi[c]);
    VeltraneMergePlanes(plane, out, reversed);
}


// (N x 5243) >> 19 == N / 100 for N up to 43698
__attribute__((target("avx2"))) inline __m256i WideLuma(const __m256i* ch)
{
    const __m256i n = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(ch[0], _mm256_set1_epi16(11)),
                                                        _mm256_mullo_epi16(ch[1], _mm256_set1_epi16(59))),
                                       _mm256_mullo_epi16(ch[2], _mm256_set1_epi16(30)));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(n, _mm256_set1_epi16(5243)), 3);
}

// The rules of ColourSixteen thirty-two pixels at a time, sixteen in each
// 128-bit lane.
// The colour rules of ColourSixteen on thirty-two pixels as planes, sixteen
// in each 128-bit lane: load fills the planes, store takes the results. A
// template, so that each caller's loads and stores are compiled in with the
// arithmetic (the planes stay in registers).
template <class Load, class Store>
__attribute__((target("avx2"), always_inline)) inline void WideColour(const VectorColour& vc, Load load, Store store)
{
    __m256i plane[3]; // b, g, r
    load(plane);
    const __m256i z = _mm256_setzero_si256();
    __m256i lo[3], hi[3];
    for (int c = 0; c < 3; c++) {
        lo[c] = _mm256_unpacklo_epi8(plane[c], z);
        hi[c] = _mm256_unpackhi_epi8(plane[c], z);
    }
    if (vc.mode == VectorColour::Gray) {
        plane[0] = plane[1] = plane[2] = _mm256_packus_epi16(WideLuma(lo), WideLuma(hi));
    } else {
        const __m256i limit = _mm256_set1_epi16(255);
        for (int c = 0; c < 3; c++) {
            const __m256i g = _mm256_set1_epi16(vc.gain[2 - c]);
            lo[c] = _mm256_min_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(lo[c], g), 6), limit);
            hi[c] = _mm256_min_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(hi[c], g), 6), limit);
        }
        if (vc.mode == VectorColour::Matrix) {
            __m256i* half[2] = {lo, hi};
            for (__m256i* ch : half) {
                const __m256i rg[2] = {_mm256_unpacklo_epi16(ch[2], ch[1]), _mm256_unpackhi_epi16(ch[2], ch[1])};
                const __m256i b0[2] = {_mm256_unpacklo_epi16(ch[0], z), _mm256_unpackhi_epi16(ch[0], z)};
                __m256i res[3][2];
                for (int q = 0; q < 2; q++)
                    for (int o = 0; o < 3; o++) {
                        const __m128i* f = vc.factors[o];
                        __m256i v = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(rg[q], Wide(f[0])),
                                                                      _mm256_madd_epi16(b0[q], Wide(f[1]))),
                                                     Wide(vc.constant[o]));
                        if (vc.wide) {
                            const __m256i high = _mm256_add_epi32(_mm256_madd_epi16(rg[q], Wide(f[2])),
                                                                  _mm256_madd_epi16(b0[q], Wide(f[3])));
                            v = _mm256_add_epi32(v, _mm256_slli_epi32(high, 8));
                        }
                        res[o][q] = _mm256_srai_epi32(v, 14); // limited by the packs, as in MatrixLanes
                    }
                for (int o = 0; o < 3; o++) ch[o] = _mm256_packs_epi32(res[o][0], res[o][1]);
            }
        }
        for (int c = 0; c < 3; c++) plane[c] = _mm256_packus_epi16(lo[c], hi[c]);
    }
    store(plane);
}

__attribute__((target("avx2"))) void ColourThirtyTwo(const VectorColour& vc, const uint8_t* in, uint8_t* out,
                                                     bool reversed)
{
    auto split = [in](__m256i* plane) __attribute__((target("avx2"))) {
        const VeltranePlaneMasks& masks = VeltraneMasks();
        const __m128i* src = reinterpret_cast<const __m128i*>(in);
        __m256i a[3];
        for (int v = 0; v < 3; v++)
            a[v] = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(src + v)),
                                           _mm_loadu_si128(src + 3 + v), 1);
        for (int c = 0; c < 3; c++)
            plane[c] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a[0], Wide(masks.split[c][0])),
                                                       _mm256_shuffle_epi8(a[1], Wide(masks.split[c][1]))),
                                       _mm256_shuffle_epi8(a[2], Wide(masks.split[c][2])));
    };
    WideColour(vc, split, [out, reversed](const __m256i* plane) __attribute__((target("avx2"))) {
        WideMergePlanes(plane, out, reversed);
    });
}

// Thirty-two pixels on planes (blue, green, red) from size 0's planar rows,
// through colour and tone into their place in the output row. The output is
// a frame the cache no longer holds (a graph cycles more frames than it has
// room for): streaming stores spare reading each line of it before writing
// it. The caller fences them before the frame is handed on.
__attribute__((target("avx2"))) void FinishPlanesRow(const VectorColour& vc, const uint8_t* tone, const uint8_t* planes,
                                                     uint8_t* dst, int w, bool mirror)
{
    __m256i rows[16];
    VeltraneLoadTable(tone, rows);
    const bool stream = ((uintptr_t)dst & 15) == 0; // rows of 32-pixel blocks stay aligned
    for (int x = 0; x < w; x += 32) {
        WideColour(
            vc,
            [at = planes + x](__m256i* plane) __attribute__((target("avx2"))) {
                for (int k = 0; k < 3; k++) plane[k] = WideLoad(at + k * kOutPlane);
            },
            [&rows, to = dst + (size_t)(mirror ? w - 32 - x : x) * 3, mirror, stream](__m256i* plane)
                __attribute__((target("avx2"))) {
                    for (int k = 0; k < 3; k++) plane[k] = VeltraneLookup(rows, plane[k]);
                    WideMergePlanes(plane, to, mirror, stream);
                });
    }
}

bool VectorRowsUsable(int w)
{
    return g_fastPaths && Shuffles() && w % 16 == 0 && w <= 2048;
}

// One row on the vector path: its colour into scratch, mirrored on the way,
// then through the tone table into dst (which may be src).
void FinishRowVector(const VectorColour& vc, const uint8_t* tone, const uint8_t* src, uint8_t* dst, int w,
                     bool mirror)
{
    uint8_t colour[2048 * 3];
    const size_t stride = (size_t)w * 3;
    if (WideVectors() && w % 32 == 0)
        for (int x = 0; x < w; x += 32)
            ColourThirtyTwo(vc, src + (size_t)x * 3, colour + (size_t)(mirror ? w - 32 - x : x) * 3, mirror);
    else
        for (int x = 0; x < w; x += 16)
            ColourSixteen(vc, src + (size_t)x * 3, colour + (size_t)(mirror ? w - 16 - x : x) * 3, mirror);
    // Four bytes a word: the stores cannot alias the loads this way.
    for (size_t i = ToneBlocksIfFast(tone, colour, dst, stride); i + 4 <= stride; i += 4) {
        uint32_t c;
        std::memcpy(&c, colour + i, 4);
        const uint32_t t = (uint32_t)tone[c & 0xFF] | (uint32_t)tone[(c >> 8) & 0xFF] << 8 |
                           (uint32_t)tone[(c >> 16) & 0xFF] << 16 | (uint32_t)tone[c >> 24] << 24;
        std::memcpy(dst + i, &t, 4);
    }
}

// FinishRows on the vector path.
bool FinishRowsVector(const VectorColour& vc, const uint8_t* tone, uint8_t* image, int w, int h, bool mirror)
{
    if (!VectorRowsUsable(w)) return false;
    for (int y = 0; y < h; y++) {
        uint8_t* row = image + (size_t)y * w * 3;
        FinishRowVector(vc, tone, row, row, w, mirror);
    }
    return true;
}

// The whole frame row by row: each output row is demosaiced (and down-scaled)
// into scratch, measured for the exposure, and finished straight into its
// place in the output, flipped or not; nothing passes through the output twice.
struct FusedRows {
    const uint8_t* raw;
    uint8_t* out;
    const VectorColour* vc;
    const uint8_t* tone;
    int size, w, h;
    bool mirror, flip, measure;
    bool planes; // size 0 on planes (the widest vectors)

    // Units are row blocks (two output rows) at size 0, rows otherwise.
    int Units() const { return size == 0 ? 512 : h; }

    void Run(int from, int to, uint8_t* work, CentreSums& sums) const
    {
        const size_t os = (size_t)w * 3;
        auto finish = [&](const uint8_t* row, int y) {
            if (measure && InCentreRows(y, h)) AddCentreRow(row, w, sums);
            FinishRowVector(*vc, tone, row, out + (size_t)(flip ? h - 1 - y : y) * os, w, mirror);
        };
        if (planes) {
            const size_t ws = 3 * kWorkPlane;
            uint8_t pair[2][3 * kOutPlane];
            for (int rb = from; rb < to; rb++) {
                for (int k = 0; k < 3; k++) DemosaicRowPlanes(raw, work + k * ws, 3 * rb + k);
                ResamplePlanes(work, work + ws, work + 2 * ws, pair[0], pair[1]);
                for (int k = 0; k < 2; k++) {
                    const int y = 2 * rb + k;
                    if (measure && InCentreRows(y, h)) AddCentrePlanes(pair[k], kOutPlane, w, sums);
                    FinishPlanesRow(*vc, tone, pair[k], out + (size_t)(flip ? h - 1 - y : y) * os, w, mirror);
                }
            }
            _mm_sfence(); // the streaming stores, before this thread says it is done
        } else if (size == 0) {
            const size_t ws = 2048 * 3;
            uint8_t pair[2][1280 * 3];
            for (int rb = from; rb < to; rb++) {
                // Only columns 64 to 1983 reach the output.
                for (int k = 0; k < 3; k++) DemosaicRow(raw, work + k * ws, 2048, 1536, 3 * rb + k, 63, 1985);
                ResampleBlock(work, work + ws, work + 2 * ws, pair[0], pair[1]);
                finish(pair[0], 2 * rb);
                finish(pair[1], 2 * rb + 1);
            }
        } else {
            for (int y = from; y < to; y++) {
                DemosaicRow(raw, work, w, h, y);
                finish(work, y);
            }
        }
    }
};

// A white balance measurement needs the whole picture before its colour, so a
// frame that asks for one takes the step-wise route (false).
bool RunRowsFused(ZentuOwner& owner, const uint8_t* raw, uint8_t* out, const VectorColour& vc, const uint8_t* tone)
{
    ZentuSettings& s = owner.settings;
    const uint32_t size = s.sizeIndex <= 2 ? s.sizeIndex : 1;
    const ZentuFrameSize fs = ZentuSizeOf(size);
    if (s.whiteBalanceRequest || !VectorRowsUsable(fs.outWidth)) return false;
    const FusedRows rows{raw, out, &vc, tone, (int)size, fs.outWidth, fs.outHeight,
                         s.hFlip == 1, s.vFlip == 0, s.autoExposure != 0, size == 0 && WideVectors()};
    CentreSums sums;
    ZentuRowHelper* helper = owner.rowHelper;
    if (helper && helper->Running()) {
        // Both threads take the next few units while any are left: the helper
        // may wake late, and neither waits long for the other.
        struct Shared {
            const FusedRows* rows;
            std::atomic<int> next{0};
            void Take(uint8_t* work, CentreSums& sums)
            {
                const int units = rows->Units(), step = 8;
                for (int from; (from = next.fetch_add(step)) < units;)
                    rows->Run(from, std::min(from + step, units), work, sums);
            }
        } shared{&rows};
        struct Job {
            Shared* shared;
            uint8_t* work;
            CentreSums sums;
        } job{&shared, helper->workRows, {}};
        helper->Post([](void* p) {
            Job* j = static_cast<Job*>(p);
            j->shared->Take(j->work, j->sums);
        }, &job);
        shared.Take(owner.pipe.workRows, sums);
        helper->Wait();
        sums.b += job.sums.b;
        sums.g += job.sums.g;
        sums.r += job.sums.r;
    } else {
        rows.Run(0, rows.Units(), owner.pipe.workRows, sums);
    }
    if (rows.measure) AutoExposureFromLuma(CentreLuma(sums, rows.w, rows.h), owner, rows.h);
    return true;
}

#endif

int ColourBlocksInPlace(ColourStep step, const ZentuPipelineState& st, const int32_t* matrix, uint8_t* image,
                        int pixels)
{
#if defined(__SSE2__)
    VectorColour vc;
    const VectorColour::Mode mode = step == ColourStep::Gray     ? VectorColour::Gray
                                    : step == ColourStep::Tables ? VectorColour::Tables
                                                                 : VectorColour::Matrix;
    if (!g_fastPaths || !Shuffles() || !vc.Prepare(mode, st, matrix)) return 0;
    int done = 0;
    // In place: each block is read whole before it is written.
    if (WideVectors())
        for (; done + 32 <= pixels; done += 32) {
            uint8_t* p = image + (size_t)done * 3;
            ColourThirtyTwo(vc, p, p, false);
        }
    for (; done + 16 <= pixels; done += 16) {
        uint8_t* p = image + (size_t)done * 3;
        ColourSixteen(vc, p, p, false);
    }
    return done;
#else
    (void)step, (void)st, (void)matrix, (void)image, (void)pixels;
    return 0;
#endif
}

template <class Pixel>
void FinishRows(const Pixel& px, const uint8_t* tone, uint8_t* image, int w, int h, bool mirror)
{
    for (int y = 0; y < h; y++) {
        uint8_t* row = image + (size_t)y * w * 3;
        if (!mirror) {
            for (int x = 0; x < w; x++) px(row + x * 3, tone, row + x * 3);
            continue;
        }
        for (int x = 0; x < w / 2; x++) {
            uint8_t* a = row + x * 3;
            uint8_t* b = row + (w - 1 - x) * 3;
            uint8_t pa[3], pb[3];
            px(a, tone, pa);
            px(b, tone, pb);
            a[0] = pb[0]; a[1] = pb[1]; a[2] = pb[2];
            b[0] = pa[0]; b[1] = pa[1]; b[2] = pa[2];
        }
        if (w & 1) px(row + (w / 2) * 3, tone, row + (w / 2) * 3);
    }
}

} // namespace

void RunPipeline(ZentuOwner& owner, uint8_t* raw, uint8_t* out, ReleaseRawFn releaseRaw, void* context)
{
    ZentuSettings& s = owner.settings;
    ZentuPipelineState& st = owner.pipe;
    const uint32_t size = s.sizeIndex <= 2 ? s.sizeIndex : 1;
    const ZentuFrameSize fs = ZentuSizeOf(size);
    const int w = fs.outWidth, h = fs.outHeight;

    if (st.defects.count) FixDefectPixels(raw, fs.rawWidth, fs.rawHeight, st.defects);
    // Exposure and white balance change neither the tone table nor the
    // matrix of this frame: both can be taken first.
    uint8_t tone[256];
    if (owner.sensor) owner.sensor->LockDevice();
    std::memcpy(tone, st.tone, sizeof tone);
    if (owner.sensor) owner.sensor->UnlockDevice();
    const bool mirror = s.hFlip == 1;
    int32_t a[16], m[16];
    BuildSaturationMatrix((int)(s.saturation & 0xFF), a);
    MultiplyMatrix4x4(st.baseMatrix, a, m);
#if defined(__SSE2__)
    VectorColour vc;
    const VectorColour::Mode mode = s.mono ? VectorColour::Gray
                                    : s.enableSaturation ? VectorColour::Matrix : VectorColour::Tables;
    bool vector = vc.Prepare(mode, st, m);
    if (vector && RunRowsFused(owner, raw, out, vc, tone)) {
        if (releaseRaw) releaseRaw(context);
        return;
    }
#endif
    if (size == 0) {
        // Demosaic and down-scaling row block by row block: the three work
        // rows stay in cache instead of passing through a 9 MB image.
        const size_t ws = 2048 * 3, os = 1280 * 3;
        uint8_t* r = st.workRows;
        for (int rb = 0; rb < 512; rb++) {
            // Only columns 64 to 1983 reach the output.
            for (int k = 0; k < 3; k++) DemosaicRow(raw, r + k * ws, 2048, 1536, 3 * rb + k, 63, 1985);
            ResampleBlock(r, r + ws, r + 2 * ws, out + (size_t)(2 * rb) * os, out + (size_t)(2 * rb + 1) * os);
        }
    } else {
        DemosaicBilinear(raw, out, w, h);
    }
    RunAutoExposure(out, owner, w, h);
    if (s.whiteBalanceRequest) {
        RunWhiteBalanceOnce(out, h, owner, w);
        s.whiteBalanceRequest = 0;
        UpdateChannelTables(owner);
#if defined(__SSE2__)
        // The new gains are this frame's.
        vector = vc.Prepare(mode, st, m);
#endif
    }
    if (releaseRaw) releaseRaw(context);
#if defined(__SSE2__)
    if (vector && FinishRowsVector(vc, tone, out, w, h, mirror)) {
        if (s.vFlip == 0) FlipVertical(out, w, h);
        return;
    }
#endif
    if (s.mono) {
        FinishRows(GrayPixel{}, tone, out, w, h, mirror);
    } else if (s.enableSaturation) {
        const MatrixPixel px(m, st); // 9 KB of tables, built per frame
        FinishRows(px, tone, out, w, h, mirror);
    } else {
        FinishRows(TablePixel{st.channel[0], st.channel[1], st.channel[2]}, tone, out, w, h, mirror);
    }
    if (s.vFlip == 0) FlipVertical(out, w, h);
}

// The same frame through the separate steps, one pass each.
void RunPipelineByStages(ZentuOwner& owner, uint8_t* raw, uint8_t* out)
{
    ZentuSettings& s = owner.settings;
    ZentuPipelineState& st = owner.pipe;
    const uint32_t size = s.sizeIndex <= 2 ? s.sizeIndex : 1;
    const ZentuFrameSize fs = ZentuSizeOf(size);
    const int w = fs.outWidth, h = fs.outHeight, pixels = w * h;

    if (st.defects.count) FixDefectPixels(raw, fs.rawWidth, fs.rawHeight, st.defects);
    if (size == 0) {
        std::vector<uint8_t> work((size_t)2048 * 1536 * 3);
        DemosaicBilinear(raw, work.data(), 2048, 1536);
        ResampleToOutput(out, work.data());
    } else {
        DemosaicBilinear(raw, out, w, h);
    }
    RunAutoExposure(out, owner, w, h);
    if (s.whiteBalanceRequest) {
        RunWhiteBalanceOnce(out, h, owner, w);
        s.whiteBalanceRequest = 0;
        UpdateChannelTables(owner);
    }
    if (s.mono) ConvertToGray(out, pixels);
    else if (s.enableSaturation) ApplySaturation(owner, out, pixels);
    else ApplyChannelTables(owner, out, pixels);
    ApplyToneTable(owner, out, pixels);
    if (s.vFlip == 0) FlipVertical(out, w, h);
    if (s.hFlip == 1) MirrorHorizontal(out, w, h);
}

bool ZentuRowHelper::Start()
{
    if (m_thread) return true;
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    if (si.dwNumberOfProcessors < 2) return false; // it would only take turns with the caller
    m_go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_quit = false;
    m_state = Idle;
    m_waiting = 0;
    if (m_go && m_done)
        m_thread = reinterpret_cast<void*>(_beginthreadex(nullptr, 0, Loop, this, 0, nullptr));
    if (!m_thread) {
        Stop();
        return false;
    }
    return true;
}

void ZentuRowHelper::Stop()
{
    if (m_thread) {
        m_quit = true;
        SetEvent(m_go);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_go) CloseHandle(m_go);
    if (m_done) CloseHandle(m_done);
    m_go = m_done = nullptr;
}

void ZentuRowHelper::Post(void (*job)(void*), void* context)
{
    m_job = job;
    m_context = context;
    m_state = Posted;
    SetEvent(m_go);
}

// A helper that has not woken yet is not waited for: the caller withdraws the
// job (the caller's share took it all). One that runs ends soon after the
// caller, so a short spin spares a round trip through the system; a stale
// wake-up only costs a look at the state.
void ZentuRowHelper::Wait()
{
    int posted = Posted;
    if (m_state.compare_exchange_strong(posted, Withdrawn)) return;
    for (int spin = 0; spin < 4000; spin++) {
        if (m_state.load() == Done) return;
        _mm_pause();
    }
    m_waiting = 1;
    while (m_state.load() != Done) WaitForSingleObject(m_done, INFINITE);
    m_waiting = 0;
}

unsigned __stdcall ZentuRowHelper::Loop(void* self)
{
    ZentuRowHelper* h = static_cast<ZentuRowHelper*>(self);
    for (;;) {
        WaitForSingleObject(h->m_go, INFINITE);
        if (h->m_quit) return 0;
        int posted = Posted;
        if (!h->m_state.compare_exchange_strong(posted, Working)) continue; // withdrawn, or a stale wake-up
        h->m_job(h->m_context);
        h->m_state = Done;
        if (h->m_waiting.load()) SetEvent(h->m_done);
    }
}
