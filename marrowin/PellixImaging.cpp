#include "PellixImaging.h"

#include "PixelPlanes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

inline BYTE Clamp255(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

std::atomic<bool> &PlainForced()
{
    static std::atomic<bool> plain{VeltranePlainByEnvironment()};
    return plain;
}

bool VectorPaths()
{
    return VeltraneHasShuffles() && !PlainForced().load(std::memory_order_relaxed);
}

__attribute__((target("ssse3"))) inline __m128i Load(const BYTE *p)
{
    return VeltraneLoad(p);
}

// floor((a + b) / 2) and floor((a + b + c + d) / 4) per byte.
__attribute__((target("ssse3"))) inline __m128i Mean2(__m128i a, __m128i b)
{
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

__attribute__((target("ssse3"))) inline __m128i Mean4(__m128i a, __m128i b, __m128i c, __m128i d)
{
    const __m128i z = _mm_setzero_si128();
    const __m128i lo = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, z), _mm_unpacklo_epi8(b, z)),
                                     _mm_add_epi16(_mm_unpacklo_epi8(c, z), _mm_unpacklo_epi8(d, z)));
    const __m128i hi = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(a, z), _mm_unpackhi_epi8(b, z)),
                                     _mm_add_epi16(_mm_unpackhi_epi8(c, z), _mm_unpackhi_epi8(d, z)));
    return _mm_packus_epi16(_mm_srli_epi16(lo, 2), _mm_srli_epi16(hi, 2));
}

// Sixteen interior pixels from column x on, the rule of DemosaicInterior;
// out is where pixel x goes, step -3 writes them right to left.
__attribute__((target("ssse3"))) void DemosaicSixteen(const BYTE *up, const BYTE *row, const BYTE *down, bool even,
                                                      int x, BYTE *out, int step)
{
    const __m128i L = Load(row + x - 1), C = Load(row + x), R = Load(row + x + 1);
    const __m128i U = Load(up + x), D = Load(down + x);
    const __m128i diag = Mean4(Load(up + x - 1), Load(up + x + 1), Load(down + x - 1), Load(down + x + 1));
    const __m128i h = Mean2(L, R), v = Mean2(U, D), edge = Mean4(L, R, U, D);
    const __m128i green = Mean2(C, diag);
    // Lanes whose column is green: even columns on even rows, odd on odd.
    const __m128i evenLanes = _mm_set1_epi16(0x00FF);
    const __m128i greenLanes = ((x & 1) == 0) == even ? evenLanes : _mm_xor_si128(evenLanes, _mm_set1_epi8(-1));
    auto pick = [&](__m128i g, __m128i other) {
        return _mm_or_si128(_mm_and_si128(greenLanes, g), _mm_andnot_si128(greenLanes, other));
    };
    const __m128i plane[3] = {pick(even ? v : h, even ? diag : C), pick(green, edge), pick(even ? h : v, even ? C : diag)};
    // Right to left, the block's leftmost pixel is x + 15.
    VeltraneMergePlanes(plane, step < 0 ? out - 45 : out, step < 0);
}

// One output pixel at column x, border columns included. up and down are the
// neighbour rows (the row itself mirrored at the top and bottom); even is
// true for the green-red rows. Missing columns are left out of the means.
void DemosaicPixel(const BYTE *up, const BYTE *row, const BYTE *down, int w, bool even, int x, BYTE *out)
{
    const bool first = x == 0, last = x == w - 1;
    const int l = first ? 0 : row[x - 1], r = last ? 0 : row[x + 1];
    const int ul = first ? 0 : up[x - 1], ur = last ? 0 : up[x + 1];
    const int dl = first ? 0 : down[x - 1], dr = last ? 0 : down[x + 1];
    const int sides = int(!first) + int(!last);
    const int edge = (l + r + up[x] + down[x]) / (sides + 2);
    const int diag = (ul + ur + dl + dr) / (2 * sides);
    const int vertical = (up[x] + down[x]) / 2;
    const int horizontal = (l + r) / sides;
    const int own = row[x];
    if (even == ((x & 1) == 0)) { // green
        out[1] = BYTE((own + diag) / 2);
        out[0] = BYTE(even ? vertical : horizontal);
        out[2] = BYTE(even ? horizontal : vertical);
    } else { // red on even rows, blue on odd rows
        out[1] = BYTE(edge);
        out[even ? 2 : 0] = BYTE(own);
        out[even ? 0 : 2] = BYTE(diag);
    }
}

// Interior pixels of a row without the border cases of DemosaicPixel.
void DemosaicInterior(const BYTE *up, const BYTE *row, const BYTE *down, int w, bool even, BYTE *out, int step)
{
    out += step;
    int x = 1;
    if (VectorPaths())
        for (; x + 16 <= w - 1; x += 16, out += 16 * step)
            DemosaicSixteen(up, row, down, even, x, out, step);
    for (; x < w - 1; ++x, out += step) {
        const int own = row[x];
        const int diag = (up[x - 1] + up[x + 1] + down[x - 1] + down[x + 1]) / 4;
        if (even == ((x & 1) == 0)) {
            const int h = (row[x - 1] + row[x + 1]) / 2, v = (up[x] + down[x]) / 2;
            out[1] = BYTE((own + diag) / 2);
            out[0] = BYTE(even ? v : h);
            out[2] = BYTE(even ? h : v);
        } else {
            const int g = (row[x - 1] + row[x + 1] + up[x] + down[x]) / 4;
            out[1] = BYTE(g);
            out[even ? 2 : 0] = BYTE(own);
            out[even ? 0 : 2] = BYTE(diag);
        }
    }
}

} // namespace

void PellixDemosaic(const BYTE *raw, int w, int h, BYTE *bgr, bool flipH, bool flipV)
{
    const size_t stride = size_t(w) * 3;
    for (int y = 0; y < h; ++y) {
        const BYTE *row = raw + size_t(y) * w;
        const BYTE *up = raw + size_t(y == 0 ? 1 : y - 1) * w;
        const BYTE *down = raw + size_t(y == h - 1 ? h - 2 : y + 1) * w;
        BYTE *out = bgr + stride * size_t(flipV ? h - 1 - y : y);
        int step = 3;
        if (flipH) {
            out += stride - 3;
            step = -3;
        }
        const bool even = (y & 1) == 0;
        DemosaicInterior(up, row, down, w, even, out, step);
        DemosaicPixel(up, row, down, w, even, 0, out);
        DemosaicPixel(up, row, down, w, even, w - 1, out + (w - 1) * step);
    }
}

void PellixSaturationTables(int code, int *t, int *m)
{
    for (int i = 0; i < 256; ++i)
        t[i] = (code * i) >> 8;
    for (int k = 0; k < 768; ++k)
        m[k] = k / 3 - t[k / 3];
}

namespace {

// The code whose tables t and m are, or 0 when they were made some other way.
int SaturationCode(const int *t, const int *m)
{
    for (int code = 1; code <= 511; ++code) {
        if ((code * 255) >> 8 != t[255])
            continue; // t[255] leaves one or two codes to check in full
        bool same = true;
        for (int i = 0; i < 256 && same; ++i)
            same = t[i] == (code * i) >> 8;
        for (int k = 0; k < 768 && same; ++k)
            same = m[k] == k / 3 - t[k / 3];
        if (same)
            return code;
    }
    return 0;
}

// Sixteen pixels a step while whole blocks remain; returns the pixels done.
// In 16-bit lanes: sum / 3 as (sum x 43691) >> 17, exact up to 765, and
// (code x v) >> 8 as the high half of (v << 8) x code.
__attribute__((target("ssse3"))) size_t SaturationBlocks(BYTE *bgr, size_t pixels, int code)
{
    const __m128i z = _mm_setzero_si128(), third = _mm_set1_epi16(short(43691)), k = _mm_set1_epi16(short(code));
    auto scale = [&](__m128i v) { return _mm_mulhi_epu16(_mm_slli_epi16(v, 8), k); };
    size_t i = 0;
    for (; i + 16 <= pixels; i += 16, bgr += 48) {
        __m128i plane[3];
        VeltraneSplitPlanes(bgr, plane);
        __m128i lo[3], hi[3];
        for (int c = 0; c < 3; ++c) {
            lo[c] = _mm_unpacklo_epi8(plane[c], z);
            hi[c] = _mm_unpackhi_epi8(plane[c], z);
        }
        auto grey = [&](const __m128i *ch) {
            const __m128i sum = _mm_add_epi16(_mm_add_epi16(ch[0], ch[1]), ch[2]);
            const __m128i s = _mm_srli_epi16(_mm_mulhi_epu16(sum, third), 1);
            return _mm_sub_epi16(s, scale(s));
        };
        const __m128i greyLo = grey(lo), greyHi = grey(hi);
        for (int c = 0; c < 3; ++c)
            plane[c] = _mm_packus_epi16(_mm_add_epi16(greyLo, scale(lo[c])), _mm_add_epi16(greyHi, scale(hi[c])));
        VeltraneMergePlanes(plane, bgr);
    }
    return i;
}

} // namespace

void PellixForcePlain(bool plain)
{
    PlainForced().store(plain);
}

bool PellixPlainForced()
{
    return PlainForced().load();
}

void PellixApplySaturation(BYTE *bgr, size_t pixels, const int *t, const int *m)
{
    if (VectorPaths()) {
        if (const int code = SaturationCode(t, m)) {
            const size_t done = SaturationBlocks(bgr, pixels, code);
            bgr += done * 3;
            pixels -= done;
        }
    }
    for (size_t i = 0; i < pixels; ++i, bgr += 3) {
        const int grey = m[bgr[0] + bgr[1] + bgr[2]];
        bgr[0] = Clamp255(grey + t[bgr[0]]);
        bgr[1] = Clamp255(grey + t[bgr[1]]);
        bgr[2] = Clamp255(grey + t[bgr[2]]);
    }
}

void PellixCurve(int xa, int ya, int xb, int yb, int *curve)
{
    curve[0] = xa == 0 ? ya : 0;
    for (int i = 1; i < 256; ++i) {
        if (i <= xa)
            curve[i] = ya * i / xa;
        else if (i <= xb)
            curve[i] = ya + (yb - ya) * (i - xa) / (xb - xa);
        else
            curve[i] = yb + (i - xb) * (255 - yb) / (255 - xb); // here xb < 255
    }
}

void PellixOutputTable(const int *curve, double gamma, int *output)
{
    for (int i = 0; i < 256; ++i)
        output[i] = int(255.0 * std::pow(curve[i] / 255.0, gamma));
}

void PellixMapBytes(BYTE *raw, size_t bytes, const int *table)
{
    if (!PlainForced().load(std::memory_order_relaxed)) {
        // The limits taken once per value instead of once per byte.
        BYTE narrow[256];
        for (int v = 0; v < 256; ++v)
            narrow[v] = Clamp255(table[v]);
        size_t i = VeltraneHasWideVectors() ? VeltraneLookupBlocks(narrow, raw, raw, bytes) : 0;
        for (; i + 4 <= bytes; i += 4) {
            raw[i] = narrow[raw[i]];
            raw[i + 1] = narrow[raw[i + 1]];
            raw[i + 2] = narrow[raw[i + 2]];
            raw[i + 3] = narrow[raw[i + 3]];
        }
        for (; i < bytes; ++i)
            raw[i] = narrow[raw[i]];
        return;
    }
    for (size_t i = 0; i < bytes; ++i)
        raw[i] = Clamp255(table[raw[i]]);
}

void PellixHistogram(const BYTE *raw, int w, int h, int *bins)
{
    std::memset(bins, 0, 768 * sizeof(int));
    for (int y = 0; y + 1 < h; y += 2) {
        const BYTE *even = raw + size_t(y) * w, *odd = even + w;
        for (int x = 0; x + 1 < w; x += 2) {
            bins[odd[x]] += 4;                          // blue
            bins[512 + even[x + 1]] += 4;               // red
            bins[256 + (even[x] + odd[x + 1]) / 2] += 4; // green pair
        }
    }
}

namespace {

// Multi-lobe Gaussian fit of the standard colour-matching functions.
double Lobe(double l, double mu, double s1, double s2)
{
    const double t = (l - mu) / (l < mu ? s1 : s2);
    return std::exp(-0.5 * t * t);
}

double Encode(double c)
{
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

struct ColourTable {
    PellixColourRow rows[kPellixColourRows];
    ColourTable()
    {
        // Each row integrates Planck's law against the colour-matching
        // functions (380..780 nm, 5 nm), converts to linear sRGB, scales the
        // largest channel to 1 and encodes for display. The rows measured
        // with the camera's reference observer are kept as given.
        for (int i = 0; i < kPellixColourRows; ++i) {
            const double kelvin = 1000.0 + 100.0 * i;
            double X = 0, Y = 0, Z = 0;
            for (int nm = 380; nm <= 780; nm += 5) {
                const double l = nm, m = l * 1e-9;
                const double p = 1.0 / (std::pow(m, 5) * (std::exp(1.4387769e-2 / (m * kelvin)) - 1.0));
                X += p * (1.056 * Lobe(l, 599.8, 37.9, 31.0) + 0.362 * Lobe(l, 442.0, 16.0, 26.7) -
                          0.065 * Lobe(l, 501.1, 20.4, 26.2));
                Y += p * (0.821 * Lobe(l, 568.8, 46.9, 40.5) + 0.286 * Lobe(l, 530.9, 16.3, 31.1));
                Z += p * (1.217 * Lobe(l, 437.0, 11.8, 36.0) + 0.681 * Lobe(l, 459.0, 26.0, 13.8));
            }
            double c[3] = {3.2406 * X - 1.5372 * Y - 0.4986 * Z, -0.9689 * X + 1.8758 * Y + 0.0415 * Z,
                           0.0557 * X - 0.2040 * Y + 1.0570 * Z};
            const double top = std::max(c[0], std::max(c[1], c[2]));
            for (double &v : c)
                v = std::max(0.0, v / top);
            PellixColourRow &row = rows[i];
            row.kelvin = int(kelvin);
            row.filler = 0;
            row.red = c[0];
            row.green = c[1];
            row.blue = c[2];
            row.r = BYTE(std::lround(255 * Encode(c[0])));
            row.g = BYTE(std::lround(255 * Encode(c[1])));
            row.b = BYTE(std::lround(255 * Encode(c[2])));
        }
        Pin(1000, 255, 56, 0);
        Pin(2000, 255, 137, 18);
        Pin(5000, 255, 228, 206);
        Pin(8000, 227, 233, 255);
    }
    void Pin(int kelvin, BYTE r, BYTE g, BYTE b)
    {
        PellixColourRow &row = rows[(kelvin - 1000) / 100];
        row.r = r;
        row.g = g;
        row.b = b;
    }
};

} // namespace

const PellixColourRow *PellixColourTable()
{
    static const ColourTable table;
    return table.rows;
}

bool PellixPolyFit(const double *x, const double *y, int n, int degree, double *coef)
{
    const int k = degree + 1;
    if (n < k || k > 8)
        return false;
    // Centred and scaled abscissa keeps the normal equations well conditioned.
    double lo = x[0], hi = x[0];
    for (int i = 1; i < n; ++i) {
        lo = std::min(lo, x[i]);
        hi = std::max(hi, x[i]);
    }
    const double centre = (lo + hi) / 2, scale = (hi - lo) / 2;
    if (!(scale > 0))
        return false;
    double a[8][9] = {};
    for (int i = 0; i < n; ++i) {
        const double u = (x[i] - centre) / scale;
        double pu[16];
        pu[0] = 1;
        for (int j = 1; j < 2 * k; ++j)
            pu[j] = pu[j - 1] * u;
        for (int r = 0; r < k; ++r) {
            for (int c = 0; c < k; ++c)
                a[r][c] += pu[r + c];
            a[r][k] += pu[r] * y[i];
        }
    }
    // Gaussian elimination with partial pivoting.
    for (int c = 0; c < k; ++c) {
        int pivot = c;
        for (int r = c + 1; r < k; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (!(std::fabs(a[pivot][c]) > 1e-12))
            return false;
        if (pivot != c)
            for (int j = 0; j <= k; ++j)
                std::swap(a[c][j], a[pivot][j]);
        for (int r = c + 1; r < k; ++r) {
            const double f = a[r][c] / a[c][c];
            for (int j = c; j <= k; ++j)
                a[r][j] -= f * a[c][j];
        }
    }
    double b[8];
    for (int r = k - 1; r >= 0; --r) {
        double s = a[r][k];
        for (int j = r + 1; j < k; ++j)
            s -= a[r][j] * b[j];
        b[r] = s / a[r][r];
    }
    // Back to powers of x: sum b_j ((x - centre) / scale)^j.
    for (int i = 0; i < k; ++i)
        coef[i] = 0;
    for (int j = 0; j < k; ++j) {
        const double bj = b[j] / std::pow(scale, j);
        double binom = 1; // C(j, i)
        for (int i = 0; i <= j; ++i) {
            coef[i] += bj * binom * std::pow(-centre, j - i);
            binom = binom * (j - i) / (i + 1);
        }
    }
    for (int i = 0; i < k; ++i)
        if (!std::isfinite(coef[i]))
            return false;
    return true;
}

double PellixPolyEval(const double *coef, int degree, double x)
{
    double v = coef[degree];
    for (int i = degree - 1; i >= 0; --i)
        v = v * x + coef[i];
    return v;
}
