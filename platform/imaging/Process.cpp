// Processing on 24-bit frames. The exact arithmetic is ours; each function
// says which standard definition it follows.
#include "Frame.h"

#include "Bands.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

inline BYTE Clamp255(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

// Integer division rounding half away from zero.
inline int DivRound(int num, int den) { return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den); }

inline int Luma(const BYTE* p) { return (p[2] * 299 + p[1] * 587 + p[0] * 114 + 500) / 1000; }

}  // namespace

namespace {

// Rows per band below which a thread costs more than it saves.
constexpr int kPointRows = 64, kWindowRows = 32;

// Runs op(row, bytes) over every row of f, in bands.
template <class Op>
void ForRows(Frame& f, const Op& op)
{
    ForBands(f.height, BandCount(f.height, kPointRows), [&](int, int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            op(f.Row(y), f.width * 3);
    });
}

}  // namespace

void Invert(Frame& f)
{
    ForRows(f, [](BYTE* row, int n) {
        for (int i = 0; i < n; ++i)
            row[i] = BYTE(255 - row[i]);
    });
}

namespace {

inline __m128i Load(const BYTE* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(BYTE* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Sums of each channel over three rows, with one pixel repeated past each end.
void ColumnSums3(const BYTE* r0, const BYTE* r1, const BYTE* r2, int n, unsigned short* v)
{
    for (int i = 0; i < n; ++i)
        v[i] = (unsigned short)(r0[i] + r1[i] + r2[i]);
    for (int k = 0; k < 3; ++k) {
        v[-3 + k] = v[k];
        v[n + k] = v[n - 3 + k];
    }
}

// The 3 x 3 mean, sixteen bytes at a time: nine values sum to at most 2295,
// and (sum + 4) / 9 equals the rounded mean (a ninth is never a half), taken
// as the high half of a product with 65536 / 9 rounded up, which is exact in
// that range.
L_INT Mean3(Frame& f)
{
    const int n = f.width * 3;
    return FilterInPlace(f, 1, 1, kWindowRows, size_t(n + 6 + 8) * sizeof(unsigned short), [&](BandRows& rows, int y0, int y1) {
        unsigned short* v = reinterpret_cast<unsigned short*>(rows.Scratch()) + 3;
        const __m128i four = _mm_set1_epi16(4), ninth = _mm_set1_epi16(7282);
        auto mean = [&](int i) {
            const __m128i s = _mm_add_epi16(
                _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i - 3)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i))),
                _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i + 3)), four));
            return _mm_mulhi_epu16(s, ninth);
        };
        for (int y = y0; y < y1; ++y) {
            ColumnSums3(rows.Src(y - 1), rows.Src(y), rows.Src(y + 1), n, v);
            BYTE* d = rows.Out(y);
            int i = 0;
            for (; i + 16 <= n; i += 16)
                Store(d + i, _mm_packus_epi16(mean(i), mean(i + 8)));
            for (; i < n; ++i)
                d[i] = BYTE((v[i - 3] + v[i] + v[i + 3] + 4) / 9);
            rows.Done(y);
        }
    });
}

}  // namespace

// Mean of the dim x dim box around each pixel (rows and columns outside the
// picture repeat its edge), rounded to nearest. Running column sums make the
// cost independent of dim.
L_INT BoxMean(Frame& f, int dim)
{
    if (dim <= 1)
        return SUCCESS;
    if (dim == 3)
        return Mean3(f);
    const int w = f.width, lo = (dim - 1) / 2, hi = dim / 2;
    const double inv = 1.0 / (double(dim) * dim);
    // The rounding of small boxes from a table, holding the same products.
    std::vector<BYTE> table;
    const unsigned maxSum = 255u * unsigned(dim) * unsigned(dim);
    if (dim <= 16) {
        try {
            table.resize(maxSum + 1);
        } catch (...) {
            return LERR_NO_MEMORY;
        }
        for (unsigned s = 0; s <= maxSum; ++s)
            table[s] = BYTE(int(s * inv + 0.5));
    }
    const BYTE* round = table.empty() ? nullptr : table.data();
    // Column sums with the edge columns repeated past each end, as far as the
    // box reaches, so that the walk along a row needs no clamping.
    const int padded = w + lo + hi + 1;
    return FilterInPlace(f, lo, hi, kWindowRows, size_t(padded) * 3 * sizeof(unsigned), [&](BandRows& rows, int y0, int y1) {
        unsigned* col = reinterpret_cast<unsigned*>(rows.Scratch()) + lo * 3;
        auto repeatEdges = [&] {
            for (int j = 1; j <= lo; ++j)
                for (int k = 0; k < 3; ++k)
                    col[-j * 3 + k] = col[k];
            for (int j = 0; j <= hi; ++j)
                for (int k = 0; k < 3; ++k)
                    col[(w + j) * 3 + k] = col[(w - 1) * 3 + k];
        };
        std::fill(col, col + w * 3, 0u);
        for (int dy = -lo; dy <= hi; ++dy) {
            const BYTE* s = rows.Src(y0 + dy);
            for (int i = 0; i < w * 3; ++i)
                col[i] += s[i];
        }
        repeatEdges();
        for (int y = y0; y < y1; ++y) {
            unsigned sum[3] = {0, 0, 0};
            for (int dx = -lo; dx <= hi; ++dx)
                for (int k = 0; k < 3; ++k)
                    sum[k] += col[dx * 3 + k];
            BYTE* d = rows.Out(y);
            const unsigned* add = col + (1 + hi) * 3;
            const unsigned* sub = col - lo * 3;
            if (round) {
                for (int x = 0; x < w; ++x, d += 3, add += 3, sub += 3)
                    for (int k = 0; k < 3; ++k) {
                        d[k] = round[sum[k]];
                        sum[k] += add[k] - sub[k];
                    }
            } else {
                for (int x = 0; x < w; ++x, d += 3, add += 3, sub += 3)
                    for (int k = 0; k < 3; ++k) {
                        d[k] = BYTE(int(sum[k] * inv + 0.5));
                        sum[k] += add[k] - sub[k];
                    }
            }
            // Before Done, which puts back over source row y - lo.
            if (y + 1 < y1) {
                const BYTE* a = rows.Src(y + 1 + hi);
                const BYTE* s = rows.Src(y - lo);
                for (int i = 0; i < w * 3; ++i)
                    col[i] += a[i] - s[i];
                repeatEdges();
            }
            rows.Done(y);
        }
    });
}

namespace {

inline __m128i Med3(__m128i a, __m128i b, __m128i c)
{
    return _mm_max_epu8(_mm_min_epu8(a, b), _mm_min_epu8(_mm_max_epu8(a, b), c));
}


// The median of a 3 x 3 box is the median of: the largest of the three column
// minima, the median of the column medians and the smallest column maximum.
// Each column is sorted once for its three boxes, sixteen bytes at a time.
L_INT Median3(Frame& f)
{
    const int w = f.width, n = w * 3;
    // Three sorted columns with one pixel repeated at each end, and room for
    // a whole vector past the last.
    const int span = n + 6 + 16;
    return FilterInPlace(f, 1, 1, kWindowRows, size_t(span) * 3, [&](BandRows& rows, int y0, int y1) {
        BYTE* L = rows.Scratch() + 3;
        BYTE* M = L + span;
        BYTE* H = M + span;
        for (int y = y0; y < y1; ++y) {
            const BYTE* r0 = rows.Src(y - 1);
            const BYTE* r1 = rows.Src(y);
            const BYTE* r2 = rows.Src(y + 1);
            int i = 0;
            for (; i + 16 <= n; i += 16) {
                const __m128i a = Load(r0 + i), b = Load(r1 + i), c = Load(r2 + i);
                const __m128i l = _mm_min_epu8(a, b), u = _mm_max_epu8(a, b);
                Store(L + i, _mm_min_epu8(l, c));
                Store(H + i, _mm_max_epu8(u, c));
                Store(M + i, _mm_max_epu8(l, _mm_min_epu8(u, c)));
            }
            for (; i < n; ++i) {
                const BYTE a = r0[i], b = r1[i], c = r2[i];
                const BYTE l = std::min(a, b), u = std::max(a, b);
                L[i] = std::min(l, c);
                H[i] = std::max(u, c);
                M[i] = std::max(l, std::min(u, c));
            }
            // The columns beyond the edges repeat the edge columns.
            for (int k = 0; k < 3; ++k) {
                L[-3 + k] = L[k]; M[-3 + k] = M[k]; H[-3 + k] = H[k];
                L[n + k] = L[n - 3 + k]; M[n + k] = M[n - 3 + k]; H[n + k] = H[n - 3 + k];
            }
            BYTE* d = rows.Out(y);
            for (i = 0; i + 16 <= n; i += 16) {
                const __m128i maxLo = _mm_max_epu8(_mm_max_epu8(Load(L + i - 3), Load(L + i)), Load(L + i + 3));
                const __m128i minHi = _mm_min_epu8(_mm_min_epu8(Load(H + i - 3), Load(H + i)), Load(H + i + 3));
                Store(d + i, Med3(maxLo, Med3(Load(M + i - 3), Load(M + i), Load(M + i + 3)), minHi));
            }
            for (; i < n; ++i) {
                const BYTE maxLo = std::max(std::max(L[i - 3], L[i]), L[i + 3]);
                const BYTE minHi = std::min(std::min(H[i - 3], H[i]), H[i + 3]);
                const BYTE m0 = M[i - 3], m1 = M[i], m2 = M[i + 3];
                const BYTE mm = std::max(std::min(m0, m1), std::min(std::max(m0, m1), m2));
                d[i] = std::max(std::min(maxLo, mm), std::min(std::max(maxLo, mm), minHi));
            }
            rows.Done(y);
        }
    });
}

}  // namespace

namespace {

// Columns of a strip of the median: the histograms of one channel's strip,
// with the box's margin, stay within a core's second-level cache.
constexpr int kMedianStrip = 256;

inline __m128i Aligned(const BYTE* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }

// Adds the 16 byte differences of two column counts, -20 to 20, to 16 word
// counts held in two vectors.
inline void AddDifference(__m128i& c0, __m128i& c1, const BYTE* plus, const BYTE* minus)
{
    const __m128i d = _mm_sub_epi8(Aligned(plus), Aligned(minus));
    const __m128i sign = _mm_cmpgt_epi8(_mm_setzero_si128(), d);
    c0 = _mm_add_epi16(c0, _mm_unpacklo_epi8(d, sign));
    c1 = _mm_add_epi16(c1, _mm_unpackhi_epi8(d, sign));
}

inline void AddCounts(__m128i& c0, __m128i& c1, const BYTE* counts)
{
    const __m128i c = Aligned(counts), zero = _mm_setzero_si128();
    c0 = _mm_add_epi16(c0, _mm_unpacklo_epi8(c, zero));
    c1 = _mm_add_epi16(c1, _mm_unpackhi_epi8(c, zero));
}

// How many of 16 rising word counts are below `rank`.
inline int CountBelow(__m128i c0, __m128i c1, int rank)
{
    const __m128i r = _mm_set1_epi16(short(rank));
    const int below = _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(r, c0), _mm_cmpgt_epi16(r, c1)));
    return __builtin_ctz(~unsigned(below));
}

// steps.at[b] counts one value in bin b of a running count.
struct Steps {
    alignas(16) BYTE at[16][16];
    constexpr Steps() : at()
    {
        for (int b = 0; b < 16; ++b)
            for (int i = 0; i < 16; ++i)
                at[b][i] = BYTE(i >= b);
    }
};
constexpr Steps steps{};

// The histograms of one channel's columns: 16 coarse counts a column, and
// apart, so that the coarse counts of a row stay in the first-level cache,
// 256 fine. Counts are running: each bin counts the values up to its own,
// coarse over the whole range, fine within their coarse bin, so that a
// step down a column changes a few vectors and the bin of a rank is found
// by comparing all sixteen at once. Column 0 stays empty, so that the first
// step along a row is as the others.
struct MedianColumns {
    BYTE* rough;
    BYTE* fine;

    static void Step(BYTE* counts, int bin, bool add)
    {
        __m128i* c = reinterpret_cast<__m128i*>(counts);
        const __m128i by = Aligned(steps.at[bin]);
        _mm_store_si128(c, add ? _mm_add_epi8(_mm_load_si128(c), by) : _mm_sub_epi8(_mm_load_si128(c), by));
    }

    // Calls run(j, p, count, step) for the runs of columns from column j on
    // whose picture columns, first + j - 1 clamped to [0, w), are at byte p
    // of a row and then every step bytes: before the picture, in it, past it.
    template <class Run>
    static void Runs(int first, int n, int w, const Run& run)
    {
        const int left = std::clamp(-first, 0, n), right = std::clamp(w - first, left, n);
        run(1, 0, left, 0);
        run(left + 1, (first + left) * 3, right - left, 3);
        run(right + 1, (w - 1) * 3, n - right, 0);
    }

    // Counts a row in columns 1 to n, which stand for picture columns from
    // `first`.
    void Add(const BYTE* row, int first, int n, int w)
    {
        Runs(first, n, w, [&](int j, int p, int count, int step) {
            for (int c = 0; c < count; ++c, ++j, p += step) {
                Step(rough + j * 16, row[p] >> 4, true);
                Step(fine + j * 256 + (row[p] & ~15), row[p] & 15, true);
            }
        });
    }

    // Moves the counts of `count` columns from rough and fine on, each from
    // the value in `gone` to the one `come` bytes on, the source `step`
    // bytes a column; on its own, so that the loop has the registers.
    template <int step>
    static __attribute__((noinline)) void MoveRun(BYTE* rough, BYTE* fine, const BYTE* gone, ptrdiff_t come, int count)
    {
        for (BYTE* const end = rough + count * 16; rough != end; rough += 16, fine += 256, gone += step) {
            const int a = gone[0], b = gone[come];
            __m128i* c = reinterpret_cast<__m128i*>(rough);
            _mm_store_si128(c, _mm_add_epi8(_mm_sub_epi8(_mm_load_si128(c), Aligned(steps.at[a >> 4])), Aligned(steps.at[b >> 4])));
            Step(fine + (a & ~15), a & 15, false);
            Step(fine + (b & ~15), b & 15, true);
        }
    }

    // Moves columns 1 to n from the row `gone` to the row `come`.
    void Move(const BYTE* gone, const BYTE* come, int first, int n, int w)
    {
        Runs(first, n, w, [&](int j, int p, int count, int step) {
            (step ? MoveRun<3> : MoveRun<0>)(rough + j * 16, fine + j * 256, gone + p, come - gone, count);
        });
    }

    // Writes the medians of `width` boxes of dim columns, the first box's
    // starting at column 1, to out, every third byte.
    // While the median stays in one coarse bin, only that bin's fine counts
    // and the count below the bin are carried along; the coarse counts are
    // brought up to date when it leaves, as are the fine counts of the bin
    // it enters, each from where it was last left or, where that is far,
    // from scratch.
    void Sweep(int dim, int rank, int width, BYTE* out) const
    {
        // The box's fine counts of coarse bin b hold for box updated[b], its
        // coarse counts for box counted.
        alignas(16) short box[16][16];
        alignas(16) short coarse[24];
        int updated[16];
        for (int& u : updated)
            u = -dim;
        coarse[7] = 0;
        __m128i c0 = _mm_setzero_si128(), c1 = c0;
        int counted = -dim - 1;
        int held = -1, below = 0;
        const BYTE* f = fine;
        __m128i h0 = c0, h1 = c0;
        for (int i = 0; i < width; ++i, out += 3) {
            if (held >= 0) {
                if (held > 0)
                    below += rough[(i + dim) * 16 + held - 1] - rough[i * 16 + held - 1];
                AddDifference(h0, h1, f + (i + dim) * 256, f + i * 256);
                const int t = rank - below;
                if (t > 0) {
                    const __m128i r = _mm_set1_epi16(short(t));
                    const int lower = _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpgt_epi16(r, h0), _mm_cmpgt_epi16(r, h1)));
                    if (lower != 0xFFFF) {
                        *out = BYTE(held * 16 + __builtin_ctz(~unsigned(lower)));
                        continue;
                    }
                }
                _mm_store_si128(reinterpret_cast<__m128i*>(box[held]), h0);
                _mm_store_si128(reinterpret_cast<__m128i*>(box[held]) + 1, h1);
                updated[held] = i;
            }
            if (i - counted > dim) {
                c0 = c1 = _mm_setzero_si128();
                for (int j = i + 1; j <= i + dim; ++j)
                    AddCounts(c0, c1, rough + j * 16);
            } else {
                for (int ii = counted + 1; ii <= i; ++ii)
                    AddDifference(c0, c1, rough + (ii + dim) * 16, rough + ii * 16);
            }
            counted = i;
            held = CountBelow(c0, c1, rank);
            _mm_store_si128(reinterpret_cast<__m128i*>(coarse + 8), c0);
            _mm_store_si128(reinterpret_cast<__m128i*>(coarse + 16), c1);
            below = coarse[7 + held];
            f = fine + held * 16;
            const int since = updated[held];
            if (2 * (i - since) > dim) {
                h0 = h1 = _mm_setzero_si128();
                for (const BYTE *c = f + (i + 1) * 256, *end = f + (i + 1 + dim) * 256; c != end; c += 256)
                    AddCounts(h0, h1, c);
            } else {
                h0 = _mm_load_si128(reinterpret_cast<const __m128i*>(box[held]));
                h1 = _mm_load_si128(reinterpret_cast<const __m128i*>(box[held]) + 1);
                for (int ii = since + 1; ii <= i; ++ii)
                    AddDifference(h0, h1, f + (ii + dim) * 256, f + ii * 256);
            }
            *out = BYTE(held * 16 + CountBelow(h0, h1, rank - below));
        }
    }
};

}  // namespace

// Median of the dim x dim box around each pixel, per channel, edges repeated;
// for an even count the lower of the two middle values.
// Every column keeps the histogram of its dim values (Perreault and Hébert):
// a step down a row changes two counts a column, a step along the row adds
// one column's histogram and takes off another. Histograms are in two levels,
// sixteen coarse bins of sixteen values; a fine bin range of the box is only
// brought up to date when the median falls in it.
// Bands are worked a channel and a strip of columns at a time, so that the
// histograms stay in the cache while each row step touches all of them.
// A 3 x 3 box, the common case, goes through an exchange network instead.
L_INT Median(Frame& f, int dim)
{
    if (dim <= 1)
        return SUCCESS;
    if (dim == 3)
        return Median3(f);
    const int w = f.width, lo = (dim - 1) / 2, hi = dim / 2;
    const int rank = (dim * dim + 1) / 2;  // 1-based rank of the median
    // Column j + 1 of a strip from x0 stands for picture column x0 - lo + j.
    const int strip = std::min(w, kMedianStrip), columns = strip + dim;
    const size_t roughBytes = size_t(columns) * 16, fineBytes = size_t(columns) * 256;
    return FilterInPlace(f, lo, hi, kWindowRows, roughBytes + fineBytes + 64, [&](BandRows& rows, int y0, int y1) {
        BYTE* const scratch = reinterpret_cast<BYTE*>((reinterpret_cast<uintptr_t>(rows.Scratch()) + 63) & ~uintptr_t(63));
        MedianColumns cols{scratch, scratch + roughBytes};
        for (int x0 = 0; x0 < w; x0 += strip) {
            const int x1 = std::min(x0 + strip, w), n = x1 - x0 + dim - 1;
            for (int k = 0; k < 3; ++k) {
                std::memset(scratch, 0, roughBytes + fineBytes);
                for (int dy = -lo; dy <= hi; ++dy)
                    cols.Add(rows.Src(y0 + dy) + k, x0 - lo, n, w);
                for (int y = y0; y < y1; ++y) {
                    cols.Sweep(dim, rank, x1 - x0, rows.StripOut(y) + k);
                    if (y + 1 < y1)
                        cols.Move(rows.Src(y - lo) + k, rows.Src(y + 1 + hi) + k, x0 - lo, n, w);
                }
            }
            rows.StripDone(x0, x1);
        }
    }, strip);
}

namespace {

// Rounded to nearest, halves away from zero, eight at a time. The products
// are below 2^24, exact as floats, and a correctly rounded division by 9000
// lands a ninth of a thousandth or more from any half unless it is one, far
// more than the float's error, so each rounds as the integer division does.
inline __m128i DivRound9000(__m128i product)
{
    const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(product), _mm_set1_ps(9000.0f));
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), q);
    const __m128i r = _mm_cvttps_epi32(_mm_add_ps(magnitude, _mm_set1_ps(0.5f)));
    const __m128i sign = _mm_srai_epi32(product, 31);
    return _mm_sub_epi32(_mm_xor_si128(r, sign), sign);
}

// Eight bytes of one sharpened row: in + round((9 in - box sum) x amount / 9000).
inline void SharpenEight(const BYTE* in, const unsigned short* sums, int amount, BYTE* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i v = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in)), zero);
    const __m128i sum = _mm_add_epi16(
        _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums - 3)),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 3)));
    const __m128i t = _mm_sub_epi16(_mm_add_epi16(_mm_slli_epi16(v, 3), v), sum);
    const __m128i a = _mm_set1_epi16(short(amount));
    const __m128i low = _mm_mullo_epi16(t, a), high = _mm_mulhi_epi16(t, a);
    const __m128i change = _mm_packs_epi32(DivRound9000(_mm_unpacklo_epi16(low, high)),
                                           DivRound9000(_mm_unpackhi_epi16(low, high)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(_mm_add_epi16(v, change), zero));
}

}  // namespace

// Unsharp masking against the 3 x 3 mean: out = in + amount/1000 x (in - mean).
// A negative amount moves the picture towards the mean (softens); -1000 gives
// the mean itself.
L_INT Sharpen(Frame& f, int amount)
{
    const int w = f.width, n = w * 3;
    // 9 x in - sum, nine times (in - mean), lies within +-2040.
    int change[4081];
    for (int t = -2040; t <= 2040; ++t)
        change[t + 2040] = DivRound(t * amount, 9000);
    return FilterInPlace(f, 1, 1, kWindowRows, size_t(n + 6) * sizeof(unsigned short), [&](BandRows& rows, int y0, int y1) {
        unsigned short* v = reinterpret_cast<unsigned short*>(rows.Scratch()) + 3;
        for (int y = y0; y < y1; ++y) {
            const BYTE* c = rows.Src(y);
            ColumnSums3(rows.Src(y - 1), c, rows.Src(y + 1), n, v);
            BYTE* d = rows.Out(y);
            int i = 0;
            for (; i + 8 <= n; i += 8)
                SharpenEight(c + i, v + i, amount, d + i);
            for (; i < n; ++i) {
                const int in = c[i], sum = v[i - 3] + v[i] + v[i + 3];
                d[i] = Clamp255(in + change[9 * in - sum + 2040]);
            }
            rows.Done(y);
        }
    });
}

// Grey relief lit from a direction in degrees (0 from the top, 90 from the
// right, clockwise): 128 plus the luma difference between the neighbour
// towards the light and the one away from it, times 1 + depth/100.
L_INT Emboss(Frame& f, int direction, int depth)
{
    static const int kOffsets[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    const int ox = kOffsets[((direction + 22) / 45) % 8][0], oy = kOffsets[((direction + 22) / 45) % 8][1];
    const int w = f.width, gain = 100 + depth;
    BYTE relief[511];
    for (int diff = -255; diff <= 255; ++diff)
        relief[diff + 255] = Clamp255(128 + DivRound(diff * gain, 100));
    // The lumas of the last three source rows, each with one pixel repeated
    // past its ends, so that each row's are worked out once.
    const size_t slot = size_t(w + 2);
    return FilterInPlace(f, 1, 1, kWindowRows, (slot * 3) * sizeof(int) + 3 * sizeof(int), [&](BandRows& rows, int y0, int y1) {
        int* tags = reinterpret_cast<int*>(rows.Scratch());
        int* lumas = tags + 3;
        tags[0] = tags[1] = tags[2] = -1;
        auto lumaRow = [&](int y) {
            y = std::clamp(y, 0, f.height - 1);
            int* l = lumas + size_t(y % 3) * slot + 1;
            if (tags[y % 3] != y) {
                tags[y % 3] = y;
                const BYTE* p = rows.Src(y);
                for (int x = 0; x < w; ++x, p += 3)
                    l[x] = Luma(p);
                l[-1] = l[0];
                l[w] = l[w - 1];
            }
            return l;
        };
        for (int y = y0; y < y1; ++y) {
            const int* lit = lumaRow(y + oy);
            const int* dark = lumaRow(y - oy);
            BYTE* d = rows.Out(y);
            for (int x = 0; x < w; ++x, d += 3)
                d[0] = d[1] = d[2] = relief[lit[x + ox] - dark[x - ox] + 255];
            rows.Done(y);
        }
    });
}

void ApplyTable(Frame& f, const BYTE table[256])
{
    ForRows(f, [table](BYTE* row, int n) {
        for (int i = 0; i < n; ++i)
            row[i] = table[row[i]];
    });
}

// Each channel's distance from the pixel's luma (Rec. 601 weights) is scaled
// by (1000 + amount)/1000: -1000 gives grey, 1000 doubles the colourfulness.
void Saturation(Frame& f, int amount)
{
    const int scale = 1000 + amount;
    int change[511];
    for (int d = -255; d <= 255; ++d)
        change[d + 255] = DivRound(d * scale, 1000);
    ForRows(f, [&change](BYTE* p, int n) {
        for (int i = 0; i < n; i += 3, p += 3) {
            const int grey = Luma(p);
            for (int k = 0; k < 3; ++k)
                p[k] = Clamp255(grey + change[p[k] - grey + 255]);
        }
    });
}

}  // namespace imaging
