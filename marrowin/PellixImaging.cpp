#include "PellixImaging.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

inline BYTE Clamp255(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

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
    for (int x = 1; x < w - 1; ++x, out += step) {
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

void PellixApplySaturation(BYTE *bgr, size_t pixels, const int *t, const int *m)
{
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
