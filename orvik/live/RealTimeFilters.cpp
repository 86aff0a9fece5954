#include "RealTime.h"

#include "PixelOps.h"  // Sorvane's invert, emboss and multiply: the same rules

#include <emmintrin.h>
#include <tmmintrin.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::atomic<bool> g_forcePlain{false};

bool BadFrame(const BYTE* frame, int width, int height, int stride)
{
    return !frame || width <= 0 || height <= 0 || stride / 3 < width;
}

BYTE* Row(BYTE* frame, int stride, int y)
{
    return frame + static_cast<size_t>(stride) * static_cast<size_t>(y);
}

BYTE Clamp(int v)
{
    return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

bool HasByteShuffles()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}

// ---- grey and binary ------------------------------------------------------

int GreyOf(const BYTE* p)
{
    return (30 * p[0] + 59 * p[1] + 11 * p[2] + 50) / 100;
}

void GreyPixels(BYTE* p, int count, bool binary, unsigned threshold)
{
    for (int x = 0; x < count; ++x, p += 3) {
        const int g = GreyOf(p);
        const BYTE v = binary ? (static_cast<unsigned>(g) > threshold ? 255 : 0) : static_cast<BYTE>(g);
        p[0] = p[1] = p[2] = v;
    }
}

// pshufb controls: four pixels of twelve bytes spread to 32-bit lanes of
// (b, g, r, 0), and 16 greys spread back over 48 bytes.
struct GreyShuffles {
    alignas(16) BYTE lanes[16];
    alignas(16) BYTE weights[16];
    alignas(16) BYTE spread[3][16];
    GreyShuffles()
    {
        for (int j = 0; j < 16; ++j) {
            lanes[j] = j % 4 == 3 ? 0x80 : BYTE(j / 4 * 3 + j % 4);
            weights[j] = BYTE(j % 4 == 0 ? 30 : j % 4 == 1 ? 59 : j % 4 == 2 ? 11 : 0);
        }
        for (int v = 0; v < 3; ++v)
            for (int k = 0; k < 16; ++k)
                spread[v][k] = BYTE((16 * v + k) / 3);
    }
};

// 30 b + 59 g + 11 r of four pixels in the low twelve bytes of `v`.
__attribute__((target("ssse3"))) inline __m128i WeightedSums(__m128i v, __m128i lanes, __m128i weights)
{
    const __m128i pairs = _mm_maddubs_epi16(_mm_shuffle_epi8(v, lanes), weights);
    return _mm_madd_epi16(pairs, _mm_set1_epi16(1));
}

// Whole blocks of 16 pixels; returns the pixels done. The sums stay below
// 43699, where (n x 5243) >> 19 is n / 100 exactly.
__attribute__((target("ssse3"))) int GreyBlocks(BYTE* p, int count, bool binary, unsigned threshold)
{
    static const GreyShuffles s;
    const __m128i lanes = _mm_load_si128(reinterpret_cast<const __m128i*>(s.lanes));
    const __m128i weights = _mm_load_si128(reinterpret_cast<const __m128i*>(s.weights));
    const __m128i* spread = reinterpret_cast<const __m128i*>(s.spread);
    const __m128i limit = _mm_set1_epi16(static_cast<short>(threshold > 255 ? 255 : threshold));
    const __m128i half = _mm_set1_epi16(50), magic = _mm_set1_epi16(5243);
    int done = 0;
    for (; done + 16 <= count; done += 16, p += 48) {
        __m128i* q = reinterpret_cast<__m128i*>(p);
        const __m128i v0 = _mm_loadu_si128(q), v1 = _mm_loadu_si128(q + 1), v2 = _mm_loadu_si128(q + 2);
        const __m128i lo = _mm_packs_epi32(WeightedSums(v0, lanes, weights),
                                           WeightedSums(_mm_alignr_epi8(v1, v0, 12), lanes, weights));
        const __m128i hi = _mm_packs_epi32(WeightedSums(_mm_alignr_epi8(v2, v1, 8), lanes, weights),
                                           WeightedSums(_mm_srli_si128(v2, 4), lanes, weights));
        __m128i gl = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(lo, half), magic), 3);
        __m128i gh = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(hi, half), magic), 3);
        if (binary) {
            gl = _mm_srli_epi16(_mm_cmpgt_epi16(gl, limit), 8);
            gh = _mm_srli_epi16(_mm_cmpgt_epi16(gh, limit), 8);
        }
        const __m128i grey = _mm_packus_epi16(gl, gh);
        for (int k = 0; k < 3; ++k)
            _mm_storeu_si128(q + k, _mm_shuffle_epi8(grey, _mm_load_si128(spread + k)));
    }
    return done;
}

int GreyFrame(BYTE* frame, int width, int height, int stride, bool binary, unsigned threshold)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    const bool fast = !g_forcePlain && HasByteShuffles();
    for (int y = 0; y < height; ++y) {
        BYTE* p = Row(frame, stride, y);
        const int done = fast ? GreyBlocks(p, width, binary, threshold) : 0;
        GreyPixels(p + 3 * done, width - done, binary, threshold);
    }
    return 0;
}

// ---- 3 x 3 kernels --------------------------------------------------------

enum Kernel { kSharp, kGauss, kSobelV, kSobelH };

// Taps in memory order: the first row is the row before in the buffer.
const int kTaps[4][9] = {
    {-1, -1, -1, -1, 9, -1, -1, -1, -1},
    {1, 2, 1, 2, 4, 2, 1, 2, 1},
    {-1, -2, -1, 0, 0, 0, 1, 2, 1},
    {-1, 0, 1, -2, 0, 2, -1, 0, 1},
};

BYTE PlainTap(Kernel k, const BYTE* before, const BYTE* here, const BYTE* after, int i)
{
    const BYTE* rows[3] = {before, here, after};
    int sum = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            sum += kTaps[k][3 * r + c] * rows[r][i + 3 * (c - 1)];
    return k == kGauss ? static_cast<BYTE>((sum + 7) / 16) : Clamp(sum);
}

// The fast path splits each kernel into a pass along every row, kept as
// 16-bit sums of the frame as it was, and a pass down the three rows:
//   sharp   10 c - (B(above) + B(here) + B(below)),  B = l + c + r
//   gauss   (S(above) + 2 S(here) + S(below) + 7) / 16, S = l + 2 c + r
//   sobel v S(below) - S(above)
//   sobel h D(above) + 2 D(here) + D(below),          D = r - l
// with "above" the row before in memory.
template <Kernel K>
inline __m128i AcrossLanes(__m128i l, __m128i c, __m128i r)
{
    if (K == kSharp)
        return _mm_add_epi16(_mm_add_epi16(l, c), r);
    if (K == kSobelH)
        return _mm_sub_epi16(r, l);
    return _mm_add_epi16(_mm_add_epi16(l, r), _mm_slli_epi16(c, 1));
}

template <Kernel K>
inline int AcrossOne(const BYTE* p)
{
    if (K == kSharp)
        return p[-3] + p[0] + p[3];
    if (K == kSobelH)
        return p[3] - p[-3];
    return p[-3] + 2 * p[0] + p[3];
}

// Bytes [3, end) of one row; sums[i] belongs to byte i.
template <Kernel K>
void Across(const BYTE* row, int16_t* sums, int end)
{
    const __m128i zero = _mm_setzero_si128();
    auto load = [](const BYTE* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    int i = 3;
    for (; i + 16 <= end; i += 16) {
        const __m128i l = load(row + i - 3), c = load(row + i), r = load(row + i + 3);
        __m128i* out = reinterpret_cast<__m128i*>(sums + i);
        _mm_storeu_si128(out, AcrossLanes<K>(_mm_unpacklo_epi8(l, zero), _mm_unpacklo_epi8(c, zero),
                                            _mm_unpacklo_epi8(r, zero)));
        _mm_storeu_si128(out + 1, AcrossLanes<K>(_mm_unpackhi_epi8(l, zero), _mm_unpackhi_epi8(c, zero),
                                                _mm_unpackhi_epi8(r, zero)));
    }
    for (; i < end; ++i)
        sums[i] = static_cast<int16_t>(AcrossOne<K>(row + i));
}

template <Kernel K>
inline __m128i DownLanes(__m128i a, __m128i h, __m128i b, __m128i c)
{
    if (K == kSharp)
        return _mm_sub_epi16(_mm_add_epi16(_mm_slli_epi16(c, 3), _mm_slli_epi16(c, 1)),
                             _mm_add_epi16(_mm_add_epi16(a, h), b));
    if (K == kGauss)
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(a, b), _mm_add_epi16(_mm_slli_epi16(h, 1),
                                                                             _mm_set1_epi16(7))), 4);
    if (K == kSobelV)
        return _mm_sub_epi16(b, a);
    return _mm_add_epi16(_mm_add_epi16(a, b), _mm_slli_epi16(h, 1));
}

template <Kernel K>
inline BYTE DownOne(int a, int h, int b, int c)
{
    if (K == kSharp)
        return Clamp(10 * c - a - h - b);
    if (K == kGauss)
        return static_cast<BYTE>((a + 2 * h + b + 7) / 16);
    if (K == kSobelV)
        return Clamp(b - a);
    return Clamp(a + 2 * h + b);
}

// Writes bytes [3, end) of a row from the sums of the rows around it; the
// row's own bytes are read (for sharp) just before each block is written.
template <Kernel K>
void Down(BYTE* row, const int16_t* above, const int16_t* here, const int16_t* below, int end)
{
    const __m128i zero = _mm_setzero_si128();
    auto load = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    int i = 3;
    for (; i + 16 <= end; i += 16) {
        __m128i* out = reinterpret_cast<__m128i*>(row + i);
        const __m128i c = K == kSharp ? _mm_loadu_si128(out) : zero;
        const __m128i lo = DownLanes<K>(load(above + i), load(here + i), load(below + i), _mm_unpacklo_epi8(c, zero));
        const __m128i hi =
            DownLanes<K>(load(above + i + 8), load(here + i + 8), load(below + i + 8), _mm_unpackhi_epi8(c, zero));
        _mm_storeu_si128(out, _mm_packus_epi16(lo, hi));
    }
    for (; i < end; ++i)
        row[i] = DownOne<K>(above[i], here[i], below[i], row[i]);
}

template <Kernel K>
bool KernelFast(BYTE* frame, int width, int height, int stride)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    int16_t* sums = static_cast<int16_t*>(std::malloc(3 * rowBytes * sizeof(int16_t)));
    if (!sums)
        return false;
    int16_t* ring[3] = {sums, sums + rowBytes, sums + 2 * rowBytes};
    const int end = (width - 1) * 3;
    Across<K>(Row(frame, stride, 0), ring[0], end);
    Across<K>(Row(frame, stride, 1), ring[1], end);
    for (int y = 1; y + 1 < height; ++y) {
        // Row y + 1 is not written yet: its sums are of the frame as it was.
        int16_t* above = ring[(y - 1) % 3];
        int16_t* here = ring[y % 3];
        int16_t* below = ring[(y + 1) % 3];
        Across<K>(Row(frame, stride, y + 1), below, end);
        Down<K>(Row(frame, stride, y), above, here, below, end);
    }
    std::free(sums);
    return true;
}

// The plain path: every tap of every byte, from copies of the rows as they were.
template <Kernel K>
bool KernelPlain(BYTE* frame, int width, int height, int stride)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    BYTE* saved = static_cast<BYTE*>(std::malloc(2 * rowBytes));
    if (!saved)
        return false;
    BYTE* before = saved;
    BYTE* here = saved + rowBytes;
    std::memcpy(before, frame, rowBytes);
    const int end = (width - 1) * 3;
    for (int y = 1; y + 1 < height; ++y) {
        BYTE* out = Row(frame, stride, y);
        const BYTE* after = out + stride;
        std::memcpy(here, out, rowBytes);
        for (int i = 3; i < end; ++i)
            out[i] = PlainTap(K, before, here, after, i);
        std::swap(before, here);
    }
    std::free(saved);
    return true;
}

template <Kernel K>
int ApplyKernel(BYTE* frame, int width, int height, int stride)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    if (width < 3 || height < 3)
        return 0;  // no interior
    const bool done = g_forcePlain ? KernelPlain<K>(frame, width, height, stride)
                                   : KernelFast<K>(frame, width, height, stride);
    return done ? 0 : -1;
}

// ---- equalisation ---------------------------------------------------------

struct LumaProducts {
    double b[256], g[256], r[256];
    LumaProducts()
    {
        for (int v = 0; v < 256; ++v) {
            b[v] = 0.299 * v;
            g[v] = 0.587 * v;
            r[v] = 0.114 * v;
        }
    }
};

BYTE LumaOf(const LumaProducts& t, const BYTE* p)
{
    const double l = t.b[p[0]] + t.g[p[1]] + t.r[p[2]];
    return l >= 255.0 ? 255 : (l < 0.0 ? 0 : static_cast<BYTE>(l));
}

}  // namespace

void RTForcePlain(bool plain)
{
    g_forcePlain = plain;
}

bool RTPlainForced()
{
    return g_forcePlain;
}

int RTGray(BYTE* frame, int width, int height, int stride)
{
    return GreyFrame(frame, width, height, stride, false, 0);
}

int RTBinary(BYTE* frame, int width, int height, int stride, unsigned threshold)
{
    return GreyFrame(frame, width, height, stride, true, threshold);
}

int RTInvert(BYTE* frame, int width, int height, int stride)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    return ImgInvertRows(frame, width, height, stride);
}

int RTEmboss(BYTE* frame, int width, int height, int stride)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    return ImgEmbossRows(frame, width, height, stride);
}

int RTSharp(BYTE* frame, int width, int height, int stride)
{
    return ApplyKernel<kSharp>(frame, width, height, stride);
}

int RTGaussBlur(BYTE* frame, int width, int height, int stride)
{
    return ApplyKernel<kGauss>(frame, width, height, stride);
}

int RTEdgeDetectSobelV(BYTE* frame, int width, int height, int stride)
{
    return ApplyKernel<kSobelV>(frame, width, height, stride);
}

int RTEdgeDetectSobelH(BYTE* frame, int width, int height, int stride)
{
    return ApplyKernel<kSobelH>(frame, width, height, stride);
}

int RTEqualize(BYTE* frame, int width, int height, int stride)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    static const LumaProducts products;
    const size_t w = static_cast<size_t>(width);
    BYTE* luma = static_cast<BYTE*>(std::malloc(w * static_cast<size_t>(height)));
    if (!luma)
        return -1;
    for (int y = 0; y < height; ++y) {
        const BYTE* p = Row(frame, stride, y);
        BYTE* l = luma + w * y;
        for (int x = 0; x < width; ++x, p += 3)
            l[x] = LumaOf(products, p);
    }

    // Edge strength per grey level. A sharp pattern on a full still sums to
    // more than 2^31 in one level, so the sums are 64-bit.
    // Four tables taken in turn, so that runs of one level do not wait on
    // each other's sums.
    uint64_t part[4][256] = {};
    for (int y = 1; y + 1 < height; ++y) {
        const BYTE* l = luma + w * y;
        for (int x = 1; x + 1 < width; ++x) {
            const int k = l[x - w] + l[x + w] + l[x - 1] + l[x + 1] - 4 * l[x];
            part[x & 3][l[x]] += static_cast<unsigned>(k < 0 ? -k : k);
        }
    }
    uint64_t weight[256];
    for (int v = 0; v < 256; ++v)
        weight[v] = part[0][v] + part[1][v] + part[2][v] + part[3][v];
    uint64_t lo = weight[0], hi = weight[0];
    for (uint64_t v : weight) {
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
    }
    const uint64_t third = (hi - lo) / 3;
    int cls[256], total = 0;
    for (int v = 0; v < 256; ++v) {
        cls[v] = weight[v] <= lo + third ? 1 : (weight[v] < lo + 2 * third ? 2 : 3);
        total += cls[v];
    }
    // Interior pixels move by shift[L]; border pixels stay.
    int shift[256];
    double cumulative = 0.0;
    for (int v = 0; v < 256; ++v) {
        cumulative = static_cast<double>(cls[v]) / total + cumulative;
        shift[v] = static_cast<int>(255.0 * cumulative) - v;
    }
    // byte + shift, limited to 0..255, by table: clamped[255 + v] for v in
    // -255..510.
    BYTE clamped[766];
    for (int v = -255; v <= 510; ++v)
        clamped[255 + v] = Clamp(v);
    for (int y = 1; y + 1 < height; ++y) {
        BYTE* p = Row(frame, stride, y) + 3;
        const BYTE* l = luma + w * y;
        for (int x = 1; x + 1 < width; ++x, p += 3) {
            const BYTE* c = clamped + 255 + shift[l[x]];
            p[0] = c[p[0]];
            p[1] = c[p[1]];
            p[2] = c[p[2]];
        }
    }
    std::free(luma);
    return 0;
}

int RTEqualizePlane(const BYTE* plane, BYTE* out, int width, int height, int stride)
{
    if (!plane || !out || plane == out || width <= 0 || height <= 0 || stride < width)
        return -1;
    uint64_t count[256] = {};
    for (int y = 0; y < height; ++y) {
        const BYTE* p = plane + static_cast<size_t>(stride) * y;
        for (int x = 0; x < width; ++x)
            ++count[p[x]];
    }
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    BYTE level[256];
    uint64_t sum = 0;
    for (int v = 0; v < 256; ++v) {
        sum += count[v];
        level[v] = static_cast<BYTE>(sum * 255 / pixels);
    }
    for (int y = 0; y < height; ++y) {
        const BYTE* p = plane + static_cast<size_t>(stride) * y;
        BYTE* q = out + static_cast<size_t>(stride) * (height - 1 - y);
        for (int x = 0; x < width; ++x)
            q[x] = level[p[x]];
    }
    return 0;
}

float StrToFloat(const wchar_t* text)
{
    if (!text)
        return 0.0f;
    // Sized to the text: a long entry is converted whole, never cut off
    // unterminated.
    const int need = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (need <= 0)
        return 0.0f;
    std::vector<char> ansi(static_cast<size_t>(need) + 1, '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), need, nullptr, nullptr) <= 0)
        return 0.0f;
    return static_cast<float>(std::atof(ansi.data()));
}
