// Burning the measurements into a 24-bit picture: RenderOverlay draws on
// grey 128, MergeOverlay lays that over the frame. Whole buffers are
// compared, row padding included.
#include <array>
#include <cstring>

#include "ColorTable.h"
#include "MeasureHarness.h"
#include "OverlayMerge.h"

namespace {

typedef std::array<BYTE, 3> Bgr;

struct Picture {
    int w, h, stride;
    std::vector<BYTE> bytes;
    Picture(int width, int height, BYTE fill)
        : w(width), h(height), stride(Dib24Stride(width)), bytes(size_t(stride) * height, fill) {}
    // Device coordinates: row 0 is the top, stored last (bottom-up).
    BYTE* At(int x, int y) { return &bytes[size_t(stride) * (h - 1 - y) + 3 * x]; }
    Bgr Pixel(int x, int y) {
        BYTE* p = At(x, y);
        return {p[0], p[1], p[2]};
    }
};

Bgr ToBgr(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c)}; }
const Bgr kGrey = {128, 128, 128};

bool IsTableColour(const Bgr& p) {
    for (int i = 0; i < kColorCount; ++i)
        if (p == ToBgr(MeasureColorTable[i].color)) return true;
    return false;
}

BOOL Render(CMeasureLayer& layer, Picture& overlay, int shapes, int bar, int date, int text, LPCWSTR what) {
    CDC mem;
    mem.Attach(::CreateCompatibleDC(nullptr));
    return layer.RenderOverlay(&mem, overlay.bytes.data(), overlay.w, overlay.h, shapes, bar, date, text, what);
}

// A frame with a different value in every byte, padding included.
Picture Frame(int w, int h) {
    Picture f(w, h, 0);
    for (size_t i = 0; i < f.bytes.size(); ++i) f.bytes[i] = static_cast<BYTE>((i * 7 + 3) % 251);
    return f;
}

// A finished line with its length text over a 101 x 20 picture (rows of
// 304 bytes): the overlay holds grey and whole table colours only (no
// blended text edges), and the merged frame takes exactly those pixels.
TEST(BurnIn, LineAndTextOverAFrame) {
    CMeasureLayer layer;
    layer.CreateShape(kShapeScaleBar);
    CMeasureShape* line = layer.CreateShape(kShapeLine);
    line->AddOneCoord(90, 5);
    line->AddOneCoord(10, 5);
    Picture overlay(101, 20, 0);
    ASSERT_EQ(304, overlay.stride);
    ASSERT_TRUE(Render(layer, overlay, 1, 0, 0, 0, nullptr));

    int green = 0, white = 0;
    for (int y = 0; y < overlay.h; ++y)
        for (int x = 0; x < overlay.w; ++x) {
            const Bgr p = overlay.Pixel(x, y);
            EXPECT_TRUE(p == kGrey || IsTableColour(p)) << x << "," << y;
            green += p == ToBgr(RGB(0, 255, 0));
            white += p == ToBgr(RGB(255, 255, 255));
        }
    EXPECT_EQ(ToBgr(RGB(0, 255, 0)), overlay.Pixel(30, 5));
    EXPECT_EQ(kGrey, overlay.Pixel(30, 15));
    EXPECT_GT(green, 100);   // 2 rows across the line, less the handles
    EXPECT_GT(white, 20);    // the top of "L=16.000um" in rows 0 to 8

    Picture frame = Frame(101, 20);
    Picture want = frame;
    for (int y = 0; y < overlay.h; ++y)
        for (int x = 0; x < overlay.w; ++x)
            if (overlay.Pixel(x, y) != kGrey) std::memcpy(want.At(x, y), overlay.At(x, y), 3);
    ASSERT_EQ(0, layer.MergeOverlay(frame.bytes.data(), overlay.bytes.data(), 101, 20));
    EXPECT_EQ(want.bytes, frame.bytes);
}

// Each byte is decided alone: a channel that is 128 keeps the picture's.
TEST(BurnIn, MergeDecidesPerByte) {
    CMeasureLayer layer;
    Picture overlay(3, 2, 128), frame(3, 2, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            BYTE* f = frame.At(x, y);
            f[0] = 10, f[1] = 20, f[2] = 30;
        }
    BYTE* o = overlay.At(1, 0);
    o[1] = 0, o[2] = 255;
    ASSERT_EQ(0, layer.MergeOverlay(frame.bytes.data(), overlay.bytes.data(), 3, 2));
    EXPECT_EQ((Bgr{10, 0, 255}), frame.Pixel(1, 0));
    EXPECT_EQ((Bgr{10, 20, 30}), frame.Pixel(0, 0));
    EXPECT_EQ((Bgr{10, 20, 30}), frame.Pixel(2, 1));
    EXPECT_EQ(-1, layer.MergeOverlay(nullptr, overlay.bytes.data(), 3, 2));
}

// The scale bar burns in only when asked, whatever the shapes flag.
TEST(BurnIn, ScaleBarOnlyWhenAsked) {
    CMeasureLayer layer;
    layer.CreateShape(kShapeScaleBar);
    layer.SetShowScaleBar(1);
    Picture overlay(201, 150, 0);
    ASSERT_TRUE(Render(layer, overlay, 1, 0, 0, 0, nullptr));
    EXPECT_EQ(Picture(201, 150, 128).bytes, overlay.bytes);
    ASSERT_TRUE(Render(layer, overlay, 0, 1, 0, 0, nullptr));
    EXPECT_EQ(ToBgr(RGB(0, 255, 0)), overlay.Pixel(75, 50));   // the X arm
    EXPECT_EQ(ToBgr(RGB(0, 255, 0)), overlay.Pixel(50, 75));   // the Y arm
}

// The burned-in text and date in the text colour, in their corner.
TEST(BurnIn, TextAndDateInTheirCorner) {
    CMeasureLayer layer;
    layer.SetColors(kColorRed, kColorGreen, kColorBlue, kColorYellow);
    for (int which = 0; which < 2; ++which) {
        Picture overlay(300, 200, 0);
        ASSERT_TRUE(Render(layer, overlay, 1, 1, which == 1, which == 0, L"Sample 12"));
        const int top = which == 0 ? 140 : 160;   // height - 60 or height - 40
        int inked = 0;
        for (int y = 0; y < overlay.h; ++y)
            for (int x = 0; x < overlay.w; ++x) {
                const Bgr p = overlay.Pixel(x, y);
                if (p == kGrey) continue;
                ++inked;
                EXPECT_EQ(ToBgr(RGB(255, 255, 0)), p) << x << "," << y;
                EXPECT_TRUE(x >= 200 && y >= top && y < top + 12) << x << "," << y;
            }
        EXPECT_GT(inked, 20) << which;
    }
}

TEST(BurnIn, RefusesWhatItCannotRender) {
    CMeasureLayer layer;
    Picture overlay(10, 10, 0);
    EXPECT_FALSE(layer.RenderOverlay(nullptr, nullptr, 10, 10, 1, 1, 0, 0, nullptr));
    EXPECT_FALSE(layer.RenderOverlay(nullptr, overlay.bytes.data(), 0, 10, 1, 1, 0, 0, nullptr));
    EXPECT_FALSE(layer.RenderOverlay(nullptr, overlay.bytes.data(), 10, -1, 1, 1, 0, 0, nullptr));
    // Without a memory context of the caller's the layer uses its own.
    EXPECT_TRUE(layer.RenderOverlay(nullptr, overlay.bytes.data(), 10, 10, 1, 1, 0, 0, nullptr));
    EXPECT_EQ(Picture(10, 10, 128).bytes, overlay.bytes);
}

}  // namespace
