// Sixteen interleaved 24-bit pixels (48 bytes, three vectors) to their three
// byte planes and back, by byte shuffles (SSSE3), and the byte-mean helpers
// of the demosaics. Callers choose these at run time (VeltraneHasShuffles).
#pragma once

#include <emmintrin.h>
#include <immintrin.h>
#include <tmmintrin.h>

#include <cstdint>
#include <cstdlib>

// VELTRANE_PLAIN_PATHS=1 starts a program on the plain loops, so that both
// paths run on any machine.
inline bool VeltranePlainByEnvironment()
{
    const char *v = std::getenv("VELTRANE_PLAIN_PATHS");
    return v != nullptr && v[0] == '1' && v[1] == 0;
}

struct VeltranePlaneMasks {
    alignas(16) uint8_t split[3][3][16]; // [channel][source vector][pixel]
    alignas(16) uint8_t merge[3][3][16]; // [output vector][channel][byte]
    alignas(16) uint8_t reverse[16];
    VeltranePlaneMasks()
    {
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 3; ++v)
                for (int j = 0; j < 16; ++j) {
                    const int i = 3 * j + c;
                    split[c][v][j] = i / 16 == v ? uint8_t(i % 16) : 0x80;
                    const int k = 16 * v + j;
                    merge[v][c][j] = k % 3 == c ? uint8_t(k / 3) : 0x80;
                }
        for (int j = 0; j < 16; ++j)
            reverse[j] = uint8_t(15 - j);
    }
};

inline const VeltranePlaneMasks &VeltraneMasks()
{
    static const VeltranePlaneMasks masks;
    return masks;
}

// What the processor says it runs: an emulator that lacks the shuffles
// answers no, and gets the plain loops.
inline bool VeltraneHasShuffles()
{
    static const bool shuffles = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return shuffles;
}

__attribute__((target("ssse3"))) inline __m128i VeltraneMask(const uint8_t *m)
{
    return _mm_load_si128(reinterpret_cast<const __m128i *>(m));
}

__attribute__((target("ssse3"))) inline __m128i VeltraneLoad(const uint8_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

__attribute__((target("ssse3"))) inline void VeltraneSplitPlanes(const uint8_t *p, __m128i plane[3])
{
    const VeltranePlaneMasks &m = VeltraneMasks();
    const __m128i a0 = VeltraneLoad(p), a1 = VeltraneLoad(p + 16), a2 = VeltraneLoad(p + 32);
    for (int c = 0; c < 3; ++c)
        plane[c] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a0, VeltraneMask(m.split[c][0])),
                                             _mm_shuffle_epi8(a1, VeltraneMask(m.split[c][1]))),
                                _mm_shuffle_epi8(a2, VeltraneMask(m.split[c][2])));
}

// Writes the planes as 48 bytes; reversed puts the sixteen pixels in
// reverse order.
__attribute__((target("ssse3"))) inline void VeltraneMergePlanes(const __m128i planes[3], uint8_t *p,
                                                                 bool reversed = false)
{
    const VeltranePlaneMasks &m = VeltraneMasks();
    __m128i plane[3] = {planes[0], planes[1], planes[2]};
    if (reversed)
        for (__m128i &q : plane)
            q = _mm_shuffle_epi8(q, VeltraneMask(m.reverse));
    for (int v = 0; v < 3; ++v) {
        const __m128i out = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(plane[0], VeltraneMask(m.merge[v][0])),
                                                      _mm_shuffle_epi8(plane[1], VeltraneMask(m.merge[v][1]))),
                                         _mm_shuffle_epi8(plane[2], VeltraneMask(m.merge[v][2])));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p + 16 * v), out);
    }
}

inline bool VeltraneHasWideVectors()
{
    static const bool wide = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return wide;
}

// A 256-byte table as sixteen rows of sixteen, in both lanes, for
// VeltraneLookup.
__attribute__((target("avx2"))) inline void VeltraneLoadTable(const uint8_t *table, __m256i rows[16])
{
    for (int k = 0; k < 16; k++)
        rows[k] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(table + 16 * k)));
}

// Thirty-two bytes through the table: each byte's low half looks up all rows
// at once and its high half chooses the row.
__attribute__((target("avx2"))) inline __m256i VeltraneLookup(const __m256i rows[16], __m256i x)
{
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i lo = _mm256_and_si256(x, nibble);
    const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
    __m256i r = _mm256_setzero_si256();
    for (int k = 0; k < 16; k++)
        r = _mm256_blendv_epi8(r, _mm256_shuffle_epi8(rows[k], lo),
                               _mm256_cmpeq_epi8(hi, _mm256_set1_epi8(static_cast<char>(k))));
    return r;
}

// in[i] through the table to out[i], 32 bytes a step while they fit. Returns
// the bytes done; in and out may be the same. Callers choose it at run time
// (VeltraneHasWideVectors).
__attribute__((target("avx2"))) inline size_t VeltraneLookupBlocks(const uint8_t *table, const uint8_t *in,
                                                                   uint8_t *out, size_t n)
{
    __m256i rows[16];
    VeltraneLoadTable(table, rows);
    size_t i = 0;
    for (; i + 32 <= n; i += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i),
                            VeltraneLookup(rows, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(in + i))));
    return i;
}
