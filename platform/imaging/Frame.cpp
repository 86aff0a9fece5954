#include "Frame.h"

#include "Bands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace imaging {

Frame& Frame::operator=(Frame&& other) noexcept
{
    if (this != &other) {
        Free();
        bits = other.bits;
        width = other.width;
        height = other.height;
        bpp = other.bpp;
        stride = other.stride;
        colors = other.colors;
        std::memcpy(palette, other.palette, sizeof palette);
        other.bits = nullptr;
        other.width = other.height = other.bpp = other.stride = other.colors = 0;
    }
    return *this;
}

namespace {

// The rows of the last large picture let go, kept for the next picture of
// the same size: a fresh block's pages cost far more to touch the first time
// than to clear. Given back when memory runs short.
constexpr size_t kKeptFrom = size_t(4) << 20;
// Never destroyed: pictures may still be let go while statics are.
std::mutex& KeptLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}
BYTE* g_kept = nullptr;
size_t g_keptBytes = 0;

BYTE* TakeKept(size_t bytes)
{
    std::lock_guard<std::mutex> lock(KeptLock());
    if (!g_kept || g_keptBytes != bytes)
        return nullptr;
    BYTE* p = g_kept;
    g_kept = nullptr;
    return p;
}

void DropKept()
{
    std::lock_guard<std::mutex> lock(KeptLock());
    std::free(g_kept);
    g_kept = nullptr;
}

BYTE* AllocateRows(size_t bytes)
{
    if (bytes >= kKeptFrom) {
        if (BYTE* p = TakeKept(bytes)) {
            ForBands(64, BandCount(64, 1), [&](int, int a, int b) {
                std::memset(p + bytes * a / 64, 0, bytes * b / 64 - bytes * a / 64);
            });
            return p;
        }
    }
    BYTE* p = static_cast<BYTE*>(std::calloc(bytes, 1));
    if (!p) {
        DropKept();
        p = static_cast<BYTE*>(std::calloc(bytes, 1));
    }
    return p;
}

void FreeRows(BYTE* p, size_t bytes)
{
    if (p && bytes >= kKeptFrom) {
        std::lock_guard<std::mutex> lock(KeptLock());
        std::swap(p, g_kept);
        g_keptBytes = bytes;
    }
    std::free(p);
}

}  // namespace

bool SizeAllowed(long long width, long long height, int bpp)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;
    // Every depth may be brought to 24 bits for processing.
    const unsigned long long stride24 = ((unsigned long long)width * 24 + 31) / 32 * 4;
    const unsigned long long strideOwn = ((unsigned long long)width * bpp + 31) / 32 * 4;
    return std::max(stride24, strideOwn) * (unsigned long long)height <= kMaxBytes;
}

L_INT Frame::Allocate(int w, int h, int depth)
{
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return LERR_BITS_PER_PIXEL;
    if (!SizeAllowed(w, h, depth))
        return LERR_IMAGE_TOO_LARGE;
    const int s = Stride(w, depth);
    BYTE* p = AllocateRows(size_t(s) * h);
    if (!p)
        return LERR_NO_MEMORY;
    Free();
    bits = p;
    width = w;
    height = h;
    bpp = depth;
    stride = s;
    colors = depth <= 8 ? 1 << depth : 0;
    std::memset(palette, 0, sizeof palette);
    return SUCCESS;
}

void Frame::Free()
{
    FreeRows(bits, Bytes());
    bits = nullptr;
    width = height = bpp = stride = colors = 0;
}

L_INT Frame::CopyFrom(const Frame& other)
{
    if (this == &other)
        return SUCCESS;
    if (other.Empty()) {
        Free();
        return SUCCESS;
    }
    Frame copy;
    const L_INT rc = copy.Allocate(other.width, other.height, other.bpp);
    if (rc != SUCCESS)
        return rc;
    std::memcpy(copy.bits, other.bits, other.Bytes());
    copy.colors = other.colors;
    std::memcpy(copy.palette, other.palette, sizeof palette);
    *this = static_cast<Frame&&>(copy);
    return SUCCESS;
}

void GreyPalette(Frame& f)
{
    const int n = 1 << f.bpp;
    for (int i = 0; i < n; ++i) {
        const BYTE v = BYTE(i * 255 / (n - 1));
        f.palette[i] = RGBQUAD{v, v, v, 0};
    }
    f.colors = n;
}

bool IsGreyPalette(const Frame& f)
{
    if (f.bpp != 8)
        return false;
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = f.palette[i];
        if (q.rgbBlue != i || q.rgbGreen != i || q.rgbRed != i)
            return false;
    }
    return true;
}

namespace {

// Palette index of pixel x in a 1, 4 or 8-bit row.
inline int Index(const BYTE* row, int x, int bpp)
{
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
    }
}

inline void SetIndex(BYTE* row, int x, int bpp, int v)
{
    switch (bpp) {
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = BYTE((row[x >> 3] & ~(1 << shift)) | ((v & 1) << shift));
        break;
    }
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = BYTE((row[x >> 1] & ~(15 << shift)) | ((v & 15) << shift));
        break;
    }
    default: row[x] = BYTE(v);
    }
}

// 5-bit channel to 8 bits, rounded to nearest.
inline BYTE Expand5(int v) { return BYTE((v * 255 + 15) / 31); }

// One row of any depth as blue-green-red triples.
void RowTo24(const Frame& f, int y, BYTE* out)
{
    const BYTE* row = f.Row(y);
    switch (f.bpp) {
    case 24:
        std::memcpy(out, row, size_t(f.width) * 3);
        break;
    case 32:
        for (int x = 0; x < f.width; ++x, row += 4, out += 3) {
            out[0] = row[0];
            out[1] = row[1];
            out[2] = row[2];
        }
        break;
    case 16:
        for (int x = 0; x < f.width; ++x, row += 2, out += 3) {
            const int v = row[0] | (row[1] << 8);
            out[0] = Expand5(v & 31);
            out[1] = Expand5((v >> 5) & 31);
            out[2] = Expand5((v >> 10) & 31);
        }
        break;
    default:
        for (int x = 0; x < f.width; ++x, out += 3) {
            const RGBQUAD& q = f.palette[Index(row, x, f.bpp)];
            out[0] = q.rgbBlue;
            out[1] = q.rgbGreen;
            out[2] = q.rgbRed;
        }
    }
}

}  // namespace

L_INT Convert(const Frame& src, int bpp, Frame& dst)
{
    if (src.Empty())
        return LERR_NO_BITMAP;
    if (bpp == src.bpp)
        return dst.CopyFrom(src);
    Frame out;
    if (bpp == 24 || bpp == 32) {
        L_INT rc = out.Allocate(src.width, src.height, bpp);
        if (rc != SUCCESS)
            return rc;
        for (int y = 0; y < src.height; ++y) {
            if (bpp == 24) {
                RowTo24(src, y, out.Row(y));
            } else {
                BYTE* o = out.Row(y);
                // Converted to 24 bits in the row itself, then widened from
                // the right end so that no pixel is overwritten before it is read.
                RowTo24(src, y, o);
                for (int x = src.width - 1; x >= 0; --x) {
                    o[x * 4 + 3] = 0;
                    o[x * 4 + 2] = o[x * 3 + 2];
                    o[x * 4 + 1] = o[x * 3 + 1];
                    o[x * 4 + 0] = o[x * 3 + 0];
                }
            }
        }
    } else if (src.bpp <= 8 && (bpp == 4 || bpp == 8) && bpp > src.bpp) {
        L_INT rc = out.Allocate(src.width, src.height, bpp);
        if (rc != SUCCESS)
            return rc;
        std::memcpy(out.palette, src.palette, sizeof out.palette);
        out.colors = src.colors;
        for (int y = 0; y < src.height; ++y)
            for (int x = 0; x < src.width; ++x)
                SetIndex(out.Row(y), x, bpp, Index(src.Row(y), x, src.bpp));
    } else {
        return LERR_BITS_PER_PIXEL;
    }
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

L_INT To24(Frame& f)
{
    if (f.Empty())
        return LERR_NO_BITMAP;
    if (f.bpp == 24)
        return SUCCESS;
    Frame out;
    const L_INT rc = Convert(f, 24, out);
    if (rc == SUCCESS)
        f = static_cast<Frame&&>(out);
    return rc;
}

void FlipRows(Frame& f)
{
    for (int top = 0, bottom = f.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(f.Row(top), f.Row(top) + f.stride, f.Row(bottom));
}

namespace {

template <int kBytes>
void MirrorRow(BYTE* row, int width)
{
    for (BYTE *l = row, *r = row + (width - 1) * kBytes; l < r; l += kBytes, r -= kBytes)
        for (int b = 0; b < kBytes; ++b) {
            const BYTE t = l[b];
            l[b] = r[b];
            r[b] = t;
        }
}

// Rows per band below which a thread costs more than it saves.
constexpr int kBandRows = 64;

}  // namespace

L_INT Mirror(Frame& f)
{
    if (f.Empty())
        return LERR_NO_BITMAP;
    ForBands(f.height, BandCount(f.height, kBandRows), [&f](int, int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            BYTE* row = f.Row(y);
            switch (f.bpp) {
            case 8: MirrorRow<1>(row, f.width); break;
            case 16: MirrorRow<2>(row, f.width); break;
            case 24: MirrorRow<3>(row, f.width); break;
            case 32: MirrorRow<4>(row, f.width); break;
            default:
                for (int l = 0, r = f.width - 1; l < r; ++l, --r) {
                    const int a = Index(row, l, f.bpp), b = Index(row, r, f.bpp);
                    SetIndex(row, l, f.bpp, b);
                    SetIndex(row, r, f.bpp, a);
                }
            }
        }
    });
    return SUCCESS;
}

namespace {

// Pixel x of row a changes places with pixel w-1-x of row b.
template <int kBytes>
void SwapTurned(BYTE* a, BYTE* b, int width)
{
    BYTE* r = b + (width - 1) * kBytes;
    for (int x = 0; x < width; ++x, a += kBytes, r -= kBytes)
        for (int k = 0; k < kBytes; ++k) {
            const BYTE t = a[k];
            a[k] = r[k];
            r[k] = t;
        }
}

}  // namespace

L_INT Turn180(Frame& f)
{
    if (f.Empty())
        return LERR_NO_BITMAP;
    if (f.bpp < 8)
        return LERR_BITS_PER_PIXEL;
    const int pairs = f.height / 2;
    ForBands(pairs, BandCount(pairs, kBandRows), [&f](int, int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            BYTE* a = f.Row(y);
            BYTE* b = f.Row(f.height - 1 - y);
            switch (f.bpp) {
            case 8: SwapTurned<1>(a, b, f.width); break;
            case 16: SwapTurned<2>(a, b, f.width); break;
            case 24: SwapTurned<3>(a, b, f.width); break;
            default: SwapTurned<4>(a, b, f.width); break;
            }
        }
    });
    if (f.height % 2) {
        BYTE* middle = f.Row(pairs);
        switch (f.bpp) {
        case 8: MirrorRow<1>(middle, f.width); break;
        case 16: MirrorRow<2>(middle, f.width); break;
        case 24: MirrorRow<3>(middle, f.width); break;
        default: MirrorRow<4>(middle, f.width); break;
        }
    }
    return SUCCESS;
}

namespace {

// Output rows y0 to y1 of a quarter turn, whole-byte pixels. Source pixel
// (x, y) lands at: 90: (h-1-y, x); 180: (w-1-x, h-1-y); 270: (y, w-1-x).
// The quarter turns write a strip of output rows together, so that each
// source row is read a cache line at a time.
template <int kBytes>
void TurnRows(const Frame& src, int quarterTurns, Frame& out, int y0, int y1)
{
    const int w = src.width, h = src.height;
    if (quarterTurns == 2) {
        for (int y = y0; y < y1; ++y) {
            const BYTE* s = src.Row(h - 1 - y) + (w - 1) * kBytes;
            BYTE* d = out.Row(y);
            for (int x = 0; x < w; ++x, d += kBytes, s -= kBytes)
                for (int b = 0; b < kBytes; ++b)
                    d[b] = s[b];
        }
        return;
    }
    constexpr int kStrip = 32;
    for (int top = y0; top < y1; top += kStrip) {
        const int n = std::min(kStrip, y1 - top);
        BYTE* d[kStrip];
        for (int t = 0; t < n; ++t)
            d[t] = out.Row(top + t);
        // Output row ny is source column ny (90) or w-1-ny (270).
        for (int nx = 0; nx < out.width; ++nx) {
            const BYTE* s = quarterTurns == 1 ? src.Row(h - 1 - nx) + top * kBytes : src.Row(nx) + (w - 1 - top) * kBytes;
            const int step = quarterTurns == 1 ? kBytes : -kBytes;
            for (int t = 0; t < n; ++t, s += step)
                for (int b = 0; b < kBytes; ++b)
                    d[t][nx * kBytes + b] = s[b];
        }
    }
}

}  // namespace

L_INT RotateRight(const Frame& src, int quarterTurns, Frame& dst)
{
    if (src.Empty())
        return LERR_NO_BITMAP;
    quarterTurns &= 3;
    if (quarterTurns == 0)
        return dst.CopyFrom(src);
    const bool swap = quarterTurns != 2;
    Frame out;
    L_INT rc = out.Allocate(swap ? src.height : src.width, swap ? src.width : src.height, src.bpp);
    if (rc != SUCCESS)
        return rc;
    std::memcpy(out.palette, src.palette, sizeof out.palette);
    out.colors = src.colors;
    const int w = src.width, h = src.height;
    ForBands(out.height, BandCount(out.height, kBandRows), [&](int, int y0, int y1) {
        switch (src.bpp) {
        case 8: TurnRows<1>(src, quarterTurns, out, y0, y1); return;
        case 16: TurnRows<2>(src, quarterTurns, out, y0, y1); return;
        case 24: TurnRows<3>(src, quarterTurns, out, y0, y1); return;
        case 32: TurnRows<4>(src, quarterTurns, out, y0, y1); return;
        }
        for (int ny = y0; ny < y1; ++ny) {
            BYTE* d = out.Row(ny);
            for (int nx = 0; nx < out.width; ++nx) {
                int x, y;
                if (quarterTurns == 1) { x = ny; y = h - 1 - nx; }
                else if (quarterTurns == 2) { x = w - 1 - nx; y = h - 1 - ny; }
                else { x = w - 1 - ny; y = nx; }
                SetIndex(d, nx, src.bpp, Index(src.Row(y), x, src.bpp));
            }
        }
    });
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

L_INT RotateAny(const Frame& src, int hundredths, bool resize, COLORREF fill, Frame& dst)
{
    if (src.Empty())
        return LERR_NO_BITMAP;
    if (src.bpp != 24)
        return LERR_BITS_PER_PIXEL;
    int angle = hundredths % 36000;
    if (angle < 0)
        angle += 36000;
    if (angle % 9000 == 0 && (resize || angle % 18000 == 0))
        return RotateRight(src, angle / 9000, dst);

    const double rad = angle * 3.14159265358979323846 / 18000.0;
    const double c = std::cos(rad), s = std::sin(rad);
    const int w = src.width, h = src.height;
    int ow = w, oh = h;
    if (resize) {
        // Bounding box of the turned picture; the small slack keeps exact
        // products from rounding up a whole pixel.
        ow = int(std::ceil(std::fabs(w * c) + std::fabs(h * s) - 1e-6));
        oh = int(std::ceil(std::fabs(w * s) + std::fabs(h * c) - 1e-6));
        ow = std::max(ow, 1);
        oh = std::max(oh, 1);
    }
    Frame out;
    L_INT rc = out.Allocate(ow, oh, 24);
    if (rc != SUCCESS)
        return rc;
    const BYTE fb = GetBValue(fill), fg = GetGValue(fill), fr = GetRValue(fill);
    // Output pixel centre, relative to the output centre, turned back
    // anticlockwise, gives the source point; rows run downwards, so the usual
    // matrix turns clockwise on screen. Along a row the source point moves by
    // (cos, -sin): fixed point with 32 fraction bits keeps the walk exact to
    // far below a pixel, and 8-bit weights keep a flat picture flat.
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(c * kOne), stepY = std::llround(-s * kOne);
    const long long minPos = -(1ll << 31);
    const long long maxX = (long long)((w - 0.5) * kOne), maxY = (long long)((h - 0.5) * kOne);
    ForBands(oh, BandCount(oh, kBandRows), [&](int, int yBegin, int yEnd) {
        for (int y = yBegin; y < yEnd; ++y) {
            BYTE* d = out.Row(y);
            const double dy = y + 0.5 - oh / 2.0, dx = 0.5 - ow / 2.0;
            long long px = std::llround((dx * c + dy * s + w / 2.0 - 0.5) * kOne);
            long long py = std::llround((-dx * s + dy * c + h / 2.0 - 0.5) * kOne);
            auto inside = [&](int x) {
                const long long qx = px + stepX * x, qy = py + stepY * x;
                return qx >= minPos && qy >= minPos && qx <= maxX && qy <= maxY;
            };
            auto fillPixel = [&](int x) { d[x * 3] = fb; d[x * 3 + 1] = fg; d[x * 3 + 2] = fr; };
            // The source points inside form one run: the fill on either
            // side of it, then the run without a test per pixel.
            int first = 0, last = ow - 1;
            for (; first < ow && !inside(first); ++first)
                fillPixel(first);
            for (; last >= first && !inside(last); --last)
                fillPixel(last);
            long long qx = px + stepX * first, qy = py + stepY * first;
            for (int x = first; x <= last; ++x, qx += stepX, qy += stepY) {
                const int x0 = int(qx >> 32), y0 = int(qy >> 32);
                const int wx = int((qx >> 24) & 0xFF), wy = int((qy >> 24) & 0xFF);
                const int xa = std::max(x0, 0) * 3, xb = std::min(x0 + 1, w - 1) * 3;
                const BYTE* r0 = src.Row(std::max(y0, 0));
                const BYTE* r1 = src.Row(std::min(y0 + 1, h - 1));
                // The two-step interpolation expanded: the same exact sum.
                const int w11 = wx * wy, w10 = (wx << 8) - w11, w01 = (wy << 8) - w11, w00 = 65536 - w10 - w01 - w11;
                BYTE* o = d + x * 3;
                for (int k = 0; k < 3; ++k)
                    o[k] = BYTE((r0[xa + k] * w00 + r0[xb + k] * w10 + r1[xa + k] * w01 + r1[xb + k] * w11 + 32768) >> 16);
            }
        }
    });
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

namespace {

struct Taps {
    int first = 0;
    std::vector<float> w;
};

// Triangle filter, one source pixel wide when enlarging and as wide as the
// reduction when shrinking, so that shrinking averages every source pixel.
bool MakeTaps(int from, int to, std::vector<Taps>& taps)
{
    try {
        taps.resize(to);
        const double scale = double(from) / to;
        const double radius = std::max(1.0, scale);
        for (int i = 0; i < to; ++i) {
            const double centre = (i + 0.5) * scale - 0.5;
            const int lo = int(std::ceil(centre - radius)), hi = int(std::floor(centre + radius));
            Taps& t = taps[i];
            t.first = lo;
            t.w.assign(hi - lo + 1, 0.0f);
            double sum = 0;
            for (int j = lo; j <= hi; ++j)
                sum += t.w[j - lo] = float(std::max(0.0, 1.0 - std::fabs(j - centre) / radius));
            for (float& v : t.w)
                v = float(v / sum);
        }
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace

L_INT Resample(const Frame& src, int width, int height, bool smooth, Frame& dst)
{
    if (src.Empty())
        return LERR_NO_BITMAP;
    if (src.bpp != 24)
        return LERR_BITS_PER_PIXEL;
    if (width <= 0 || height <= 0)
        return LERR_INV_PARAMETER;
    if (width == src.width && height == src.height)
        return dst.CopyFrom(src);
    Frame out;
    L_INT rc = out.Allocate(width, height, 24);
    if (rc != SUCCESS)
        return rc;
    if (!smooth) {
        for (int y = 0; y < height; ++y) {
            const BYTE* s = src.Row(int((long long)y * src.height / height));
            BYTE* d = out.Row(y);
            for (int x = 0; x < width; ++x) {
                const BYTE* p = s + (long long)x * src.width / width * 3;
                d[x * 3] = p[0]; d[x * 3 + 1] = p[1]; d[x * 3 + 2] = p[2];
            }
        }
        dst = static_cast<Frame&&>(out);
        return SUCCESS;
    }
    std::vector<Taps> tx, ty;
    std::vector<float> column;
    try {
        column.resize(size_t(src.width) * 3);
    } catch (...) {
        return LERR_NO_MEMORY;
    }
    if (!MakeTaps(src.width, width, tx) || !MakeTaps(src.height, height, ty))
        return LERR_NO_MEMORY;
    for (int y = 0; y < height; ++y) {
        // Vertical pass into one row of floats, then the horizontal pass.
        std::fill(column.begin(), column.end(), 0.0f);
        const Taps& t = ty[y];
        for (size_t k = 0; k < t.w.size(); ++k) {
            const float wk = t.w[k];
            if (wk == 0.0f)
                continue;
            const BYTE* s = src.Row(std::clamp(t.first + int(k), 0, src.height - 1));
            for (int i = 0; i < src.width * 3; ++i)
                column[i] += wk * s[i];
        }
        BYTE* d = out.Row(y);
        for (int x = 0; x < width; ++x) {
            const Taps& u = tx[x];
            float acc[3] = {0, 0, 0};
            for (size_t k = 0; k < u.w.size(); ++k) {
                const float* c = &column[size_t(std::clamp(u.first + int(k), 0, src.width - 1)) * 3];
                acc[0] += u.w[k] * c[0];
                acc[1] += u.w[k] * c[1];
                acc[2] += u.w[k] * c[2];
            }
            for (int k = 0; k < 3; ++k)
                d[x * 3 + k] = BYTE(std::lround(std::clamp(acc[k], 0.0f, 255.0f)));
        }
    }
    dst = static_cast<Frame&&>(out);
    return SUCCESS;
}

}  // namespace imaging
