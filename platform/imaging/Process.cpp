// Processing on 24-bit frames. The exact arithmetic is ours; each function
// says which standard definition it follows.
#include "Frame.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

inline BYTE Clamp255(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

// Integer division rounding half away from zero.
inline int DivRound(int num, int den) { return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den); }

inline int Luma(const BYTE* p) { return (p[2] * 299 + p[1] * 587 + p[0] * 114 + 500) / 1000; }

}  // namespace

void Invert(Frame& f)
{
    for (int y = 0; y < f.height; ++y) {
        BYTE* row = f.Row(y);
        for (int i = 0; i < f.width * 3; ++i)
            row[i] = BYTE(255 - row[i]);
    }
}

// Mean of the dim x dim box around each pixel (rows and columns outside the
// picture repeat its edge), rounded to nearest. Running column sums make the
// cost independent of dim.
L_INT BoxMean(const Frame& src, int dim, Frame& dst)
{
    Frame out;
    L_INT rc = out.Allocate(src.width, src.height, 24);
    if (rc != SUCCESS)
        return rc;
    const int w = src.width, h = src.height, lo = (dim - 1) / 2, hi = dim / 2;
    std::vector<unsigned> col, rowSum;
    try {
        col.assign(size_t(w) * 3, 0);
    } catch (...) {
        return LERR_NO_MEMORY;
    }
    for (int dy = -lo; dy <= hi; ++dy) {
        const BYTE* s = src.Row(std::clamp(dy, 0, h - 1));
        for (int i = 0; i < w * 3; ++i)
            col[i] += s[i];
    }
    const double inv = 1.0 / (double(dim) * dim);
    for (int y = 0; y < h; ++y) {
        unsigned sum[3] = {0, 0, 0};
        for (int dx = -lo; dx <= hi; ++dx) {
            const unsigned* c = &col[size_t(std::clamp(dx, 0, w - 1)) * 3];
            sum[0] += c[0]; sum[1] += c[1]; sum[2] += c[2];
        }
        BYTE* d = out.Row(y);
        for (int x = 0; x < w; ++x) {
            for (int k = 0; k < 3; ++k)
                d[x * 3 + k] = BYTE(int(sum[k] * inv + 0.5));
            const unsigned* add = &col[size_t(std::min(x + 1 + hi, w - 1)) * 3];
            const unsigned* sub = &col[size_t(std::max(x - lo, 0)) * 3];
            for (int k = 0; k < 3; ++k)
                sum[k] += add[k] - sub[k];
        }
        if (y + 1 < h) {
            const BYTE* a = src.Row(std::min(y + 1 + hi, h - 1));
            const BYTE* s = src.Row(std::max(y - lo, 0));
            for (int i = 0; i < w * 3; ++i)
                col[i] += a[i] - s[i];
        }
    }
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

namespace {

inline BYTE Med3(BYTE a, BYTE b, BYTE c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// The median of a 3 x 3 box is the median of: the largest of the three column
// minima, the median of the column medians and the smallest column maximum.
// Each column is sorted once for its three boxes; the loops are plain byte
// arrays, which the compiler turns into vector code.
L_INT Median3(const Frame& src, Frame& out)
{
    const int w = src.width, h = src.height, n = (w + 2) * 3;
    std::vector<BYTE> lo, mid, hi;
    try {
        lo.resize(n);
        mid.resize(n);
        hi.resize(n);
    } catch (...) {
        return LERR_NO_MEMORY;
    }
    for (int y = 0; y < h; ++y) {
        const BYTE* r0 = src.Row(std::max(y - 1, 0));
        const BYTE* r1 = src.Row(y);
        const BYTE* r2 = src.Row(std::min(y + 1, h - 1));
        BYTE* L = lo.data() + 3;
        BYTE* M = mid.data() + 3;
        BYTE* H = hi.data() + 3;
        for (int i = 0; i < w * 3; ++i) {
            const BYTE a = r0[i], b = r1[i], c = r2[i];
            const BYTE l = std::min(a, b), u = std::max(a, b);
            L[i] = std::min(l, c);
            H[i] = std::max(u, c);
            M[i] = std::max(l, std::min(u, c));
        }
        // The columns beyond the edges repeat the edge columns.
        for (int k = 0; k < 3; ++k) {
            L[-3 + k] = L[k]; M[-3 + k] = M[k]; H[-3 + k] = H[k];
            L[w * 3 + k] = L[(w - 1) * 3 + k]; M[w * 3 + k] = M[(w - 1) * 3 + k]; H[w * 3 + k] = H[(w - 1) * 3 + k];
        }
        BYTE* d = out.Row(y);
        for (int i = 0; i < w * 3; ++i) {
            const BYTE maxLo = std::max(std::max(L[i - 3], L[i]), L[i + 3]);
            const BYTE minHi = std::min(std::min(H[i - 3], H[i]), H[i + 3]);
            d[i] = Med3(maxLo, Med3(M[i - 3], M[i], M[i + 3]), minHi);
        }
    }
    return SUCCESS;
}

}  // namespace

// Median of the dim x dim box around each pixel, per channel, edges repeated;
// for an even count the lower of the two middle values. One histogram per
// channel slides along each row (Huang's method), keeping the count of
// values below the current median.
// A 3 x 3 box, the common case, goes through an exchange network instead.
L_INT Median(const Frame& src, int dim, Frame& dst)
{
    Frame out;
    L_INT rc = out.Allocate(src.width, src.height, 24);
    if (rc != SUCCESS)
        return rc;
    if (dim == 3) {
        rc = Median3(src, out);
        if (rc == SUCCESS)
            dst = static_cast<Frame&&>(out);
        return rc;
    }
    const int w = src.width, h = src.height, lo = (dim - 1) / 2, hi = dim / 2;
    const int rank = (dim * dim + 1) / 2;  // 1-based rank of the median
    std::vector<const BYTE*> rows(dim);
    for (int y = 0; y < h; ++y) {
        for (int i = 0; i < dim; ++i)
            rows[i] = src.Row(std::clamp(y - lo + i, 0, h - 1));
        int hist[3][256];
        std::memset(hist, 0, sizeof hist);
        for (int i = 0; i < dim; ++i)
            for (int dx = -lo; dx <= hi; ++dx) {
                const BYTE* p = rows[i] + std::clamp(dx, 0, w - 1) * 3;
                ++hist[0][p[0]]; ++hist[1][p[1]]; ++hist[2][p[2]];
            }
        int med[3], below[3];
        for (int k = 0; k < 3; ++k) {
            int m = 0, cum = 0;
            while (cum + hist[k][m] < rank)
                cum += hist[k][m++];
            med[k] = m;
            below[k] = cum;
        }
        BYTE* d = out.Row(y);
        for (int x = 0;; ++x) {
            d[x * 3] = BYTE(med[0]); d[x * 3 + 1] = BYTE(med[1]); d[x * 3 + 2] = BYTE(med[2]);
            if (x + 1 >= w)
                break;
            const int xo = std::max(x - lo, 0) * 3, xi = std::min(x + 1 + hi, w - 1) * 3;
            for (int k = 0; k < 3; ++k) {
                int* hk = hist[k];
                int m = med[k], b = below[k];
                for (int i = 0; i < dim; ++i) {
                    const int vo = rows[i][xo + k], vi = rows[i][xi + k];
                    --hk[vo]; b -= vo < m;
                    ++hk[vi]; b += vi < m;
                }
                while (b >= rank)
                    b -= hk[--m];
                while (b + hk[m] < rank)
                    b += hk[m++];
                med[k] = m;
                below[k] = b;
            }
        }
    }
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

// Unsharp masking against the 3 x 3 mean: out = in + amount/1000 x (in - mean).
// A negative amount moves the picture towards the mean (softens); -1000 gives
// the mean itself.
L_INT Sharpen(const Frame& src, int amount, Frame& dst)
{
    Frame out;
    L_INT rc = out.Allocate(src.width, src.height, 24);
    if (rc != SUCCESS)
        return rc;
    const int w = src.width, h = src.height;
    for (int y = 0; y < h; ++y) {
        const BYTE* r[3] = {src.Row(std::max(y - 1, 0)), src.Row(y), src.Row(std::min(y + 1, h - 1))};
        BYTE* d = out.Row(y);
        for (int x = 0; x < w; ++x) {
            const int xl = std::max(x - 1, 0) * 3, xc = x * 3, xr = std::min(x + 1, w - 1) * 3;
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int i = 0; i < 3; ++i)
                    sum += r[i][xl + k] + r[i][xc + k] + r[i][xr + k];
                const int v = r[1][xc + k];
                // 9 x in - sum is nine times (in - mean).
                d[xc + k] = Clamp255(v + DivRound((9 * v - sum) * amount, 9000));
            }
        }
    }
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

// Grey relief lit from a direction in degrees (0 from the top, 90 from the
// right, clockwise): 128 plus the luma difference between the neighbour
// towards the light and the one away from it, times 1 + depth/100.
L_INT Emboss(const Frame& src, int direction, int depth, Frame& dst)
{
    static const int kOffsets[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    Frame out;
    L_INT rc = out.Allocate(src.width, src.height, 24);
    if (rc != SUCCESS)
        return rc;
    const int ox = kOffsets[((direction + 22) / 45) % 8][0], oy = kOffsets[((direction + 22) / 45) % 8][1];
    const int w = src.width, h = src.height, gain = 100 + depth;
    for (int y = 0; y < h; ++y) {
        const BYTE* lit = src.Row(std::clamp(y + oy, 0, h - 1));
        const BYTE* dark = src.Row(std::clamp(y - oy, 0, h - 1));
        BYTE* d = out.Row(y);
        for (int x = 0; x < w; ++x, d += 3) {
            const int diff = Luma(lit + std::clamp(x + ox, 0, w - 1) * 3) - Luma(dark + std::clamp(x - ox, 0, w - 1) * 3);
            d[0] = d[1] = d[2] = Clamp255(128 + DivRound(diff * gain, 100));
        }
    }
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

void ApplyTable(Frame& f, const BYTE table[256])
{
    for (int y = 0; y < f.height; ++y) {
        BYTE* row = f.Row(y);
        for (int i = 0; i < f.width * 3; ++i)
            row[i] = table[row[i]];
    }
}

// Each channel's distance from the pixel's luma (Rec. 601 weights) is scaled
// by (1000 + amount)/1000: -1000 gives grey, 1000 doubles the colourfulness.
void Saturation(Frame& f, int amount)
{
    const int scale = 1000 + amount;
    for (int y = 0; y < f.height; ++y) {
        BYTE* p = f.Row(y);
        for (int x = 0; x < f.width; ++x, p += 3) {
            const int grey = Luma(p);
            for (int k = 0; k < 3; ++k)
                p[k] = Clamp255(grey + DivRound((p[k] - grey) * scale, 1000));
        }
    }
}

}  // namespace imaging
