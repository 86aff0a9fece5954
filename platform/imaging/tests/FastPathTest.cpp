// The processing commands against straightforward definitions written here,
// on pictures tall enough to be cut into several bands, with odd widths (row
// padding, vector tails), noise and saturated values.
#include "Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

namespace {

// Rows without padding, top first, three bytes a pixel.
struct Plain {
    int w = 0, h = 0;
    std::vector<BYTE> p;
    int At(int x, int y, int k) const { return p[(size_t(std::clamp(y, 0, h - 1)) * w + std::clamp(x, 0, w - 1)) * 3 + k]; }
};

Plain Noise(int w, int h, unsigned seed)
{
    Plain pic{w, h, std::vector<BYTE>(size_t(w) * h * 3)};
    for (size_t i = 0; i < pic.p.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        const int r = int((seed >> 16) & 255);
        // A fifth of the values at the ends of the range, where results clamp.
        pic.p[i] = BYTE(r < 26 ? 0 : r > 229 ? 255 : (seed >> 8) & 255);
    }
    return pic;
}

void Load(LBitmap& bmp, const Plain& pic)
{
    const int stride = ((pic.w * 24 + 31) / 32) * 4;
    std::vector<BYTE> rows(size_t(stride) * pic.h);
    for (int y = 0; y < pic.h; ++y)
        std::memcpy(&rows[size_t(y) * stride], &pic.p[size_t(y) * pic.w * 3], size_t(pic.w) * 3);
    BITMAPINFO info = {};
    info.bmiHeader = Header(pic.w, -pic.h, 24);
    ASSERT_EQ(bmp.ConvertFromDIB(&info, rows.data()), SUCCESS);
}

BYTE Clamp(int v) { return BYTE(std::clamp(v, 0, 255)); }
int DivRound(int num, int den) { return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den); }
int Luma(const Plain& s, int x, int y)
{
    return (s.At(x, y, 2) * 299 + s.At(x, y, 1) * 587 + s.At(x, y, 0) * 114 + 500) / 1000;
}

Plain Each(const Plain& s, const std::function<BYTE(int x, int y, int k)>& value)
{
    Plain out{s.w, s.h, std::vector<BYTE>(s.p.size())};
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            for (int k = 0; k < 3; ++k)
                out.p[(size_t(y) * s.w + x) * 3 + k] = value(x, y, k);
    return out;
}

// The box mean by plain sums, the rows' sums first.
Plain Average(const Plain& s, int dim)
{
    const int lo = (dim - 1) / 2, hi = dim / 2;
    std::vector<long long> across(s.p.size());
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            for (int k = 0; k < 3; ++k) {
                long long sum = 0;
                for (int dx = -lo; dx <= hi; ++dx)
                    sum += s.At(x + dx, y, k);
                across[(size_t(y) * s.w + x) * 3 + k] = sum;
            }
    const double inv = 1.0 / (double(dim) * dim);
    return Each(s, [&](int x, int y, int k) {
        long long sum = 0;
        for (int dy = -lo; dy <= hi; ++dy)
            sum += across[(size_t(std::clamp(y + dy, 0, s.h - 1)) * s.w + x) * 3 + k];
        return BYTE(int(double(sum) * inv + 0.5));
    });
}

Plain Median(const Plain& s, int dim)
{
    const int lo = (dim - 1) / 2, hi = dim / 2;
    std::vector<int> v;
    return Each(s, [&](int x, int y, int k) {
        v.clear();
        for (int dy = -lo; dy <= hi; ++dy)
            for (int dx = -lo; dx <= hi; ++dx)
                v.push_back(s.At(x + dx, y + dy, k));
        std::nth_element(v.begin(), v.begin() + (v.size() + 1) / 2 - 1, v.end());
        return BYTE(v[(v.size() + 1) / 2 - 1]);
    });
}

std::vector<BYTE> Apply(const Plain& pic, const std::function<L_INT(LBitmap&)>& op)
{
    LBitmap bmp;
    Load(bmp, pic);
    EXPECT_EQ(op(bmp), SUCCESS);
    return Pixels(bmp);
}

// Tall enough for several bands even where the box is taller than a band,
// and pictures smaller than a box.
const std::pair<int, int> kSizes[] = {{1, 300}, {6, 300}, {37, 300}, {37, 1}, {5, 2}, {40, 33}};

TEST(FastPaths, AverageIsTheRoundedBoxMean)
{
    for (const auto& [w, h] : kSizes)
        for (int dim : {2, 3, 5, 16, 17, 64, 255}) {
            const Plain pic = Noise(w, h, unsigned(w * 1000 + dim));
            EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.AverageFilter(dim); }), Average(pic, dim).p)
                << w << " x " << h << ", box " << dim;
        }
}

TEST(FastPaths, MedianIsTheLowerMiddleValue)
{
    for (const auto& [w, h] : kSizes)
        for (int dim : {2, 3, 4, 7, 20}) {
            const Plain pic = Noise(w, h, unsigned(w * 1000 + dim));
            EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.MedianFilter(dim); }), Median(pic, dim).p)
                << w << " x " << h << ", box " << dim;
        }
}

// Levels changing every few columns and rows, with noise, so that the
// median moves between value ranges along a row, now back and forth, now
// far away.
Plain Blocks(int w, int h, unsigned seed)
{
    Plain pic{w, h, std::vector<BYTE>(size_t(w) * h * 3)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) {
                seed = seed * 1103515245u + 12345u;
                pic.p[(size_t(y) * w + x) * 3 + k] = BYTE((x / 9) * 71 + (y / 5) * 23 + k * 85 + int((seed >> 16) % 48));
            }
    return pic;
}

// Pictures wider than the 256 columns the median works at a time: a last
// strip narrower than the box's margin, of one column, as wide as the others.
TEST(FastPaths, MedianAcrossColumnStrips)
{
    for (int w : {515, 257, 512})
        for (int dim : {2, 4, 19, 20}) {
            const Plain pic = dim == 4 ? Noise(w, 70, unsigned(w + dim)) : Blocks(w, 70, unsigned(w + dim));
            EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.MedianFilter(dim); }), Median(pic, dim).p)
                << w << " x 70, box " << dim;
        }
}

TEST(FastPaths, SharpenIsUnsharpMaskingAgainstTheMean)
{
    for (const auto& [w, h] : kSizes)
        for (int amount : {-1000, -999, -500, -1, 1, 333, 500, 1000}) {
            const Plain pic = Noise(w, h, unsigned(w + amount * 7));
            const Plain want = Each(pic, [&](int x, int y, int k) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += pic.At(x + dx, y + dy, k);
                const int v = pic.At(x, y, k);
                return Clamp(v + DivRound((9 * v - sum) * amount, 9000));
            });
            EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.Sharpen(amount); }), want.p)
                << w << " x " << h << ", amount " << amount;
        }
}

TEST(FastPaths, EmbossIsTheScaledLumaDifference)
{
    static const int kOffsets[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    for (const auto& [w, h] : kSizes)
        for (int direction : {0, 22, 23, 90, 135, 180, 225, 270, 337, 359})
            for (int depth : {0, 37, 1000}) {
                const Plain pic = Noise(w, h, unsigned(w + direction * 13 + depth));
                const int* o = kOffsets[((direction + 22) / 45) % 8];
                const Plain want = Each(pic, [&](int x, int y, int) {
                    const int diff = Luma(pic, x + o[0], y + o[1]) - Luma(pic, x - o[0], y - o[1]);
                    return Clamp(128 + DivRound(diff * (100 + depth), 100));
                });
                EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.Emboss(direction, depth); }), want.p)
                    << w << " x " << h << ", direction " << direction << ", depth " << depth;
            }
}

TEST(FastPaths, PointOperationsFollowTheirFormulas)
{
    for (const auto& [w, h] : kSizes)
        for (int amount : {-1000, -1, 1, 300, 1000}) {
            const Plain pic = Noise(w, h, unsigned(w * 31 + amount));
            const Plain saturated = Each(pic, [&](int x, int y, int k) {
                const int grey = Luma(pic, x, y);
                return Clamp(grey + DivRound((pic.At(x, y, k) - grey) * (1000 + amount), 1000));
            });
            EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.ChangeSaturation(amount); }), saturated.p)
                << w << " x " << h << ", saturation " << amount;
            const int shift = int(std::lround(amount * 255.0 / 1000.0));
            const Plain brighter = Each(pic, [&](int x, int y, int k) { return Clamp(pic.At(x, y, k) + shift); });
            EXPECT_EQ(Apply(pic, [&](LBitmap& b) { return b.ChangeIntensity(amount); }), brighter.p)
                << w << " x " << h << ", intensity " << amount;
        }
    const Plain pic = Noise(37, 300, 5);
    EXPECT_EQ(Apply(pic, [](LBitmap& b) { return b.Invert(); }),
              Each(pic, [&](int x, int y, int k) { return BYTE(255 - pic.At(x, y, k)); }).p);
}

// Free rotation as a walk over the output, each point tested and
// interpolated in two steps (the plain form of the turn's definition).
Plain Turned(const Plain& s, int hundredths, bool resize, COLORREF fill)
{
    const int angle = ((hundredths % 36000) + 36000) % 36000;
    const double rad = angle * 3.14159265358979323846 / 18000.0, c = std::cos(rad), sn = std::sin(rad);
    int ow = s.w, oh = s.h;
    if (resize) {
        ow = std::max(1, int(std::ceil(std::fabs(s.w * c) + std::fabs(s.h * sn) - 1e-6)));
        oh = std::max(1, int(std::ceil(std::fabs(s.w * sn) + std::fabs(s.h * c) - 1e-6)));
    }
    Plain out{ow, oh, std::vector<BYTE>(size_t(ow) * oh * 3)};
    const double one = 4294967296.0;
    const long long stepX = std::llround(c * one), stepY = std::llround(-sn * one);
    const long long maxX = (long long)((s.w - 0.5) * one), maxY = (long long)((s.h - 0.5) * one);
    for (int y = 0; y < oh; ++y) {
        const double dy = y + 0.5 - oh / 2.0, dx = 0.5 - ow / 2.0;
        long long px = std::llround((dx * c + dy * sn + s.w / 2.0 - 0.5) * one);
        long long py = std::llround((-dx * sn + dy * c + s.h / 2.0 - 0.5) * one);
        for (int x = 0; x < ow; ++x, px += stepX, py += stepY) {
            BYTE* d = &out.p[(size_t(y) * ow + x) * 3];
            if (px < -(1ll << 31) || py < -(1ll << 31) || px > maxX || py > maxY) {
                d[0] = GetBValue(fill); d[1] = GetGValue(fill); d[2] = GetRValue(fill);
                continue;
            }
            const int x0 = int(px >> 32), y0 = int(py >> 32), wx = int((px >> 24) & 255), wy = int((py >> 24) & 255);
            for (int k = 0; k < 3; ++k) {
                const int top = s.At(x0, y0, k) * (256 - wx) + s.At(x0 + 1, y0, k) * wx;
                const int bot = s.At(x0, y0 + 1, k) * (256 - wx) + s.At(x0 + 1, y0 + 1, k) * wx;
                d[k] = BYTE((top * (256 - wy) + bot * wy + 32768) >> 16);
            }
        }
    }
    return out;
}

TEST(FastPaths, FreeRotationIsTheBilinearWalk)
{
    for (int w : {1, 37, 300})
        for (int angle : {1, 3330, 4500, 9001, 13500, 27050, 35999, -1000})
            for (bool resize : {false, true}) {
                const Plain pic = Noise(w, 337 - w, unsigned(w + angle));
                const COLORREF fill = RGB(1, 2, 3);
                const Plain want = Turned(pic, angle, resize, fill);
                LBitmap bmp;
                Load(bmp, pic);
                ASSERT_EQ(bmp.Rotate(angle, resize ? UINT(ROTATE_RESIZE) : 0u, fill), SUCCESS);
                ASSERT_EQ(bmp.GetWidth(), want.w);
                ASSERT_EQ(bmp.GetHeight(), want.h);
                EXPECT_EQ(Pixels(bmp), want.p) << "width " << w << ", angle " << angle << (resize ? ", resized" : "");
            }
}

// A picture of any depth with scrambled pixels and palette.
void MakeDepth(LBitmap& bmp, int w, int h, int bpp, unsigned seed = 0)
{
    const int stride = ((w * bpp + 31) / 32) * 4;
    std::vector<BYTE> rows(size_t(stride) * h);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = BYTE((i + seed) * 2654435761u >> 13);
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[256];
    } info = {};
    info.h = Header(w, -h, bpp);
    for (int i = 0; i < 256; ++i)
        info.colours[i] = RGBQUAD{BYTE(i + seed), BYTE(255 - i), BYTE(i * 7), 0};
    ASSERT_EQ(bmp.ConvertFromDIB(reinterpret_cast<BITMAPINFO*>(&info), rows.data()), SUCCESS);
}

// Pixel (x, y) as an integer, at any depth.
unsigned Value(const LBitmap& bmp, int x, int y)
{
    std::vector<BYTE> row(bmp.GetBytesPerLine());
    bmp.GetRow(row.data(), y, DWORD(row.size()));
    const int bpp = bmp.GetBitsPerPixel();
    if (bpp < 8)
        return (row[x * bpp / 8] >> (8 - bpp - (x * bpp) % 8)) & ((1u << bpp) - 1);
    unsigned v = 0;
    for (int b = 0; b < bpp / 8; ++b)
        v |= unsigned(row[x * (bpp / 8) + b]) << (8 * b);
    return v;
}

TEST(FastPaths, QuarterTurnsAndReverseMovePixelsExactlyAtEveryDepth)
{
    for (int bpp : {1, 4, 8, 16, 24, 32})
        for (int w : {1, 7, 41}) {
            const int h = 203;
            LBitmap source;
            MakeDepth(source, w, h, bpp);
            for (int turns = 1; turns <= 3; ++turns) {
                LBitmap turned;
                ASSERT_EQ(turned.Copy(source), SUCCESS);
                ASSERT_EQ(turned.Rotate(turns * 9000, ROTATE_RESIZE, 0), SUCCESS);
                bool same = turned.GetWidth() == (turns == 2 ? w : h) && turned.GetHeight() == (turns == 2 ? h : w);
                for (int y = 0; same && y < h; ++y)
                    for (int x = 0; same && x < w; ++x) {
                        const int nx = turns == 1 ? h - 1 - y : turns == 2 ? w - 1 - x : y;
                        const int ny = turns == 1 ? x : turns == 2 ? h - 1 - y : w - 1 - x;
                        same = Value(turned, nx, ny) == Value(source, x, y);
                    }
                EXPECT_TRUE(same) << bpp << " bits, width " << w << ", " << turns << " quarter turns";
            }
            LBitmap reversed;
            ASSERT_EQ(reversed.Copy(source), SUCCESS);
            ASSERT_EQ(reversed.Reverse(), SUCCESS);
            bool same = true;
            for (int y = 0; same && y < h; ++y)
                for (int x = 0; same && x < w; ++x)
                    same = Value(reversed, w - 1 - x, y) == Value(source, x, y);
            EXPECT_TRUE(same) << bpp << " bits, width " << w << ", reversed";
        }
}

TEST(FastPaths, CopyOverAPictureOfTheSameSizeTakesPixelsAndPalette)
{
    LBitmap source, target;
    MakeDepth(source, 9, 5, 8, 1);
    MakeDepth(target, 9, 5, 8, 77);
    ASSERT_EQ(target.Copy(source), SUCCESS);
    EXPECT_EQ(Pixels(target), Pixels(source));
    ASSERT_EQ(source.ChangeBitsPerPixel(24), SUCCESS);
    ASSERT_EQ(target.ChangeBitsPerPixel(24), SUCCESS);
    EXPECT_EQ(Pixels(target), Pixels(source));
}

TEST(FastPaths, APictureMadeWhereALargeOneWasLetGoStartsClear)
{
    // Large enough for its rows to be kept when let go; a width whose rows
    // carry padding, which nothing writes in a resized picture.
    const int w = 1001, h = 1500, stride = ((w * 24 + 31) / 32) * 4;
    std::vector<BYTE> full(size_t(stride) * h, 0xFF);
    BITMAPINFO info = {};
    info.bmiHeader = Header(w, -h, 24);
    {
        LBitmap large;
        ASSERT_EQ(large.ConvertFromDIB(&info, full.data()), SUCCESS);
    }
    LBitmap small;
    MakeFlat(small, 3, 2, 10, 20, 30);
    ASSERT_EQ(small.Size(w, h, 0), SUCCESS);
    std::vector<BYTE> row(stride);
    bool clear = true;
    for (int y = 0; clear && y < h; y += 7) {
        small.GetRow(row.data(), y, DWORD(row.size()));
        clear = row[w * 3] == 0 && row[stride - 1] == 0 && row[0] == 10 && row[w * 3 - 1] == 30;
    }
    EXPECT_TRUE(clear);
}

}  // namespace
