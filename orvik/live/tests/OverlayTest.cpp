// The marker overlays drawn with GDI on small frames, the cached overlay
// against a fresh drawing, and the still burn-in with its date stamp.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "MarkerOverlay.h"
#include "OverlayCache.h"
#include "OverlayMerge.h"

namespace {

// A 24-bit DIB section selected into a memory DC of its own.
class Canvas {
public:
    Canvas(int w, int h, bool topDown = true) : m_w(w), m_h(h), m_stride(Dib24Stride(w))
    {
        m_dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = topDown ? -h : h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        memset(m_bits, 0, size_t(m_stride) * h);
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    BYTE* bits() { GdiFlush(); return m_bits; }
    int stride() const { return m_stride; }
    size_t size() const { return size_t(m_stride) * m_h; }
    // Pixel (x, y) of a top-down canvas is lit.
    bool Lit(int x, int y)
    {
        const BYTE* p = bits() + size_t(y) * m_stride + 3 * x;
        return (p[0] | p[1] | p[2]) != 0;
    }

private:
    int m_w, m_h, m_stride;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    BYTE* m_bits = nullptr;
};

const COLORREF kWhite = RGB(255, 255, 255);

TEST(RulerOverlay, TicksOn640x480AtUnit5)
{
    Canvas c(640, 480);
    DrawRulerOverlay(c.dc(), 640, 480, kWhite, 5);
    // Long tick at i = 5: 240 - 11 up to (not including) 240 + 11.
    EXPECT_TRUE(c.Lit(345, 229) && c.Lit(345, 250));
    EXPECT_FALSE(c.Lit(345, 228) || c.Lit(345, 251));
    // Short tick at i = 1: half-length 5 + 5 / 4 = 6.
    EXPECT_TRUE(c.Lit(325, 234) && c.Lit(325, 245));
    EXPECT_FALSE(c.Lit(325, 233) || c.Lit(325, 246));
    // Row 236 crosses every vertical tick: x = 320 +- 5i for i = 0..64,
    // of which x = 640 lies outside, so 128 columns, all multiples of 5.
    int across = 0;
    for (int x = 0; x < 640; ++x)
        if (c.Lit(x, 236)) {
            ++across;
            EXPECT_EQ(0, x % 5) << x;
        }
    EXPECT_EQ(128, across);
    // Column 322 crosses every horizontal tick: y = 240 +- 5i for i = 0..47,
    // so 95 rows from 5 to 475, none at 0 (i = 48) or 480.
    int down = 0;
    for (int y = 0; y < 480; ++y)
        if (c.Lit(322, y)) {
            ++down;
            EXPECT_EQ(0, y % 5) << y;
            EXPECT_TRUE(y >= 5 && y <= 475) << y;
        }
    EXPECT_EQ(95, down);
    // The axes themselves.
    EXPECT_TRUE(c.Lit(320, 0) && c.Lit(320, 479) && c.Lit(0, 240) && c.Lit(639, 240));
}

TEST(MarkerOverlays, UnitZeroOrNegativeDrawsNothing)
{
    for (int unit : {0, -1, -40})
        for (MarkerKind kind : {kMarkerRuler, kMarkerGrid, kMarkerCircles}) {
            Canvas c(64, 48);
            DrawMarkerOverlay(c.dc(), kind, 64, 48, kWhite, unit);
            EXPECT_EQ(std::vector<BYTE>(c.size(), 0), std::vector<BYTE>(c.bits(), c.bits() + c.size()))
                << "kind " << kind << " unit " << unit;
        }
}

TEST(GridOverlay, StartsAtTheTopLeftCorner)
{
    Canvas c(64, 48);
    DrawGridOverlay(c.dc(), 64, 48, kWhite, 10);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 48; ++y)
            EXPECT_EQ((x % 10 == 0 && x > 0) || (y % 10 == 0 && y > 0), c.Lit(x, y)) << x << "," << y;
}

TEST(CircleOverlay, RingsAroundTheCentre)
{
    Canvas c(64, 48);
    DrawCircleOverlay(c.dc(), 64, 48, kWhite, 10);
    // Centre lines.
    EXPECT_TRUE(c.Lit(32, 0) && c.Lit(32, 47) && c.Lit(0, 24) && c.Lit(63, 24));
    // Row 19 (5 above the centre) meets the ring of radius 10 at 32 +- 8.7
    // and that of radius 20 at 32 +- 19.4; nothing lies between.
    auto any = [&](int x0, int x1) {
        for (int x = x0; x <= x1; ++x)
            if (c.Lit(x, 19))
                return true;
        return false;
    };
    EXPECT_TRUE(any(39, 42) && any(22, 25) && any(50, 53) && any(10, 14));
    EXPECT_FALSE(any(33, 38) || any(26, 31) || any(43, 49));
}

void Noise(BYTE* p, size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i)
        p[i] = BYTE(rng());
}

// The cached overlay over a frame, against GDI drawing on the same frame.
TEST(OverlayCache, IdenticalToAFreshDrawing)
{
    const COLORREF colours[] = {kWhite, RGB(255, 0, 0), RGB(128, 0, 200), RGB(0, 0, 0)};
    const int sizes[][2] = {{64, 48}, {5, 3}, {37, 21}, {300, 200}};
    COverlayCache cache;
    for (MarkerKind kind : {kMarkerRuler, kMarkerGrid, kMarkerCircles})
        for (int unit : {1, 2, 5, 37, 500})
            for (COLORREF colour : colours)
                for (auto& s : sizes)
                    for (bool topDown : {true, false}) {
                        const int w = s[0], h = s[1];
                        Canvas fresh(w, h, topDown);
                        Noise(fresh.bits(), fresh.size(), unsigned(w * unit));
                        std::vector<BYTE> cached(fresh.bits(), fresh.bits() + fresh.size());
                        DrawMarkerOverlay(fresh.dc(), kind, w, h, colour, unit);
                        ASSERT_EQ(0, cache.Apply(cached.data(), w, h, fresh.stride(), topDown, kind, unit, colour));
                        ASSERT_EQ(std::vector<BYTE>(fresh.bits(), fresh.bits() + fresh.size()), cached)
                            << "kind " << kind << " unit " << unit << " colour " << colour << " " << w << "x" << h
                            << " topDown " << topDown;
                    }
}

TEST(OverlayCache, DrawsAgainOnlyWhenTheKeyChanges)
{
    COverlayCache cache;
    std::vector<BYTE> frame(size_t(Dib24Stride(64)) * 48);
    const int stride = Dib24Stride(64);
    cache.Apply(frame.data(), 64, 48, stride, true, kMarkerGrid, 4, kWhite);
    cache.Apply(frame.data(), 64, 48, stride, false, kMarkerGrid, 4, kWhite);
    EXPECT_EQ(1, cache.Renders());
    cache.Apply(frame.data(), 64, 48, stride, true, kMarkerGrid, 5, kWhite);
    cache.Apply(frame.data(), 64, 48, stride, true, kMarkerCircles, 5, kWhite);
    cache.Apply(frame.data(), 64, 48, stride, true, kMarkerCircles, 5, RGB(1, 2, 3));
    cache.Apply(frame.data(), 63, 48, stride, true, kMarkerCircles, 5, RGB(1, 2, 3));
    EXPECT_EQ(5, cache.Renders());
    // Nothing to lay, and a frame that is none.
    const auto before = frame;
    EXPECT_EQ(0, cache.Apply(frame.data(), 64, 48, stride, true, kMarkerGrid, 0, kWhite));
    EXPECT_EQ(0, cache.Apply(frame.data(), 64, 48, stride, true, kMarkerNone, 5, kWhite));
    EXPECT_EQ(-1, cache.Apply(nullptr, 64, 48, stride, true, kMarkerGrid, 5, kWhite));
    EXPECT_EQ(-1, cache.Apply(frame.data(), 64, 48, 100, true, kMarkerGrid, 5, kWhite));
    EXPECT_EQ(before, frame);
}

TEST(TimeStamp, Format)
{
    struct Case {
        SYSTEMTIME t;
        const wchar_t* want;
    } cases[] = {
        {{2026, 1, 0, 2, 3, 4, 5, 0}, L"2026-1-2 3:4:5"},
        {{2026, 12, 0, 31, 23, 59, 59, 999}, L"2026-12-31 23:59:59"},
        {{2027, 10, 0, 10, 0, 0, 0, 0}, L"2027-10-10 0:0:0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.want), FormatTimeStamp(c.t));
}

struct Still {
    int w, h, stride;
    std::vector<BYTE> bytes;
    Still(int width, int height) : w(width), h(height), stride(Dib24Stride(width)), bytes(size_t(stride) * height)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                BYTE* p = &bytes[size_t(y) * stride + 3 * x];
                p[0] = 10, p[1] = 20, p[2] = 30;
            }
    }
    const BYTE* at(int x, int y) const { return &bytes[size_t(y) * stride + 3 * x]; }
    // Bounding box of the pixels that differ from the fill.
    RECT Changed() const
    {
        RECT r = {w, h, -1, -1};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const BYTE* p = at(x, y);
                if (p[0] == 10 && p[1] == 20 && p[2] == 30)
                    continue;
                r.left = std::min<LONG>(r.left, x), r.right = std::max<LONG>(r.right, x + 1);
                r.top = std::min<LONG>(r.top, y), r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
        return r;
    }
};

// A grid drawn in (red 128, green 0, blue 255): the red channel of every grid
// pixel is transparent and keeps the picture's value; rows run top-down.
TEST(BurnIn, EachChannelOf128IsTransparent)
{
    Still s(64, 48);
    ASSERT_EQ(0, BurnInStill(s.bytes.data(), 64, 48, RGB(128, 0, 255), 10, kMarkerGrid, true, false));
    const BYTE* line = s.at(10, 3);
    EXPECT_EQ(255, line[0]);
    EXPECT_EQ(0, line[1]);
    EXPECT_EQ(30, line[2]);
    EXPECT_EQ(30, s.at(3, 3)[2]);
    EXPECT_EQ(10, s.at(3, 3)[0]);
    // The grid's first row line lies 10 rows from the picture's top.
    EXPECT_EQ(255, s.at(3, 10)[0]);
    EXPECT_EQ(10, s.at(3, 9)[0]);
    EXPECT_EQ(10, s.at(3, 47)[0]);
}

TEST(BurnIn, TimeStampAtTheTopLeftInAFontBySize)
{
    Still small(2000, 80), large(2001, 80);
    ASSERT_EQ(0, BurnInStill(small.bytes.data(), 2000, 80, kWhite, 5, kMarkerRuler, false, true));
    ASSERT_EQ(0, BurnInStill(large.bytes.data(), 2001, 80, kWhite, 5, kMarkerRuler, false, true));
    const RECT a = small.Changed(), b = large.Changed();
    // The text starts at (20, 20) from the picture's top (rows top-down).
    EXPECT_GE(a.left, 20);
    EXPECT_GE(a.top, 20);
    EXPECT_LT(a.left, 30);
    EXPECT_LE(a.bottom, 20 + 20);
    EXPECT_GT(a.bottom - a.top, 8);
    // Twice the font from 2001 up.
    EXPECT_LE(b.bottom, 20 + 40);
    EXPECT_GT(b.bottom - b.top, (a.bottom - a.top) * 3 / 2);
    EXPECT_GT(b.right - b.left, (a.right - a.left) * 3 / 2);
}

TEST(BurnIn, NothingAskedOrNothingToDrawOn)
{
    Still s(16, 8);
    const auto before = s.bytes;
    EXPECT_EQ(0, BurnInStill(s.bytes.data(), 16, 8, kWhite, 5, kMarkerGrid, false, false));
    EXPECT_EQ(0, BurnInStill(s.bytes.data(), 16, 8, kWhite, 0, kMarkerGrid, true, false));
    EXPECT_EQ(0, BurnInStill(s.bytes.data(), 16, 8, kWhite, 5, kMarkerNone, true, false));
    EXPECT_EQ(before, s.bytes);
    EXPECT_EQ(-1, BurnInStill(nullptr, 16, 8, kWhite, 5, kMarkerGrid, true, true));
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(-1, DrawTimeStamp(dc, nullptr, 16, 8, kWhite, 5, kMarkerGrid, true, true));
    EXPECT_EQ(-1, DrawTimeStamp(dc, s.bytes.data(), 0, 8, kWhite, 5, kMarkerGrid, true, true));
    EXPECT_EQ(-1, DrawTimeStamp(nullptr, s.bytes.data(), 16, 8, kWhite, 5, kMarkerGrid, true, true));
    DeleteDC(dc);
}

}  // namespace
