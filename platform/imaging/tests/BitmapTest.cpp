// Bitmaps in memory: creation from DIBs, copies, DIB export, geometry and the
// processing commands, checked by properties and small hand-worked fixtures.
#include "Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

TEST(Bitmap, BuiltFromBottomUpAndTopDownDibsHoldTheSameRows)
{
    const int w = 5, h = 3;
    std::vector<BYTE> top = CodedRows(w, h);
    const int stride = 16;
    std::vector<BYTE> bottomUp(top.size());
    for (int y = 0; y < h; ++y)
        std::memcpy(&bottomUp[size_t(h - 1 - y) * stride], &top[size_t(y) * stride], stride);
    BITMAPINFO a = {}, b = {};
    a.bmiHeader = Header(w, -h, 24);
    b.bmiHeader = Header(w, h, 24);
    LBitmap topDown(&a, top.data()), upward(&b, bottomUp.data());
    ASSERT_TRUE(topDown.IsAllocated());
    EXPECT_EQ(Pixels(topDown), Pixels(upward));
    EXPECT_EQ(topDown.GetHeight(), 3);
    // Row 0 is the top row of the picture: pixel (0, 0) has green 0.
    EXPECT_EQ(At(topDown, 0, 0), (Bgr{0, 0, 0x5A}));
    EXPECT_EQ(At(topDown, 4, 2), (Bgr{28, 22, (4 * 13 + 2 * 5) ^ 0x5A}));
}

TEST(Bitmap, UnusableDibsLeaveTheBitmapEmpty)
{
    BYTE bits[64] = {};
    struct Case { int w, h, bpp; DWORD compression; } cases[] = {
        {0, 4, 24, BI_RGB}, {4, 0, 24, BI_RGB}, {-4, 4, 24, BI_RGB}, {4, 4, 7, BI_RGB},
        {4, 4, 24, BI_RLE8}, {100000, 100000, 24, BI_RGB},
    };
    for (const Case& c : cases) {
        BITMAPINFO info = {};
        info.bmiHeader = Header(c.w, c.h, c.bpp);
        info.bmiHeader.biCompression = c.compression;
        LBitmap bmp(&info, bits);
        EXPECT_FALSE(bmp.IsAllocated()) << c.w << "x" << c.h << "x" << c.bpp;
    }
    LBitmap none(nullptr, bits);
    EXPECT_FALSE(none.IsAllocated());
}

TEST(Bitmap, ConvertToDibGivesAPackedBottomUpDib)
{
    LBitmap bmp;
    MakeCoded(bmp, 101, 3);
    HGLOBAL dib = bmp.ConvertToDIB();
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(GlobalSize(dib), 40u + 304u * 3u);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(dib));
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biWidth, 101);
    EXPECT_EQ(h->biHeight, 3);
    EXPECT_EQ(h->biBitCount, 24);
    EXPECT_EQ(h->biCompression, DWORD(BI_RGB));
    // The last row in memory is the top row of the picture.
    const std::vector<BYTE> rows = CodedRows(101, 3);
    EXPECT_EQ(0, std::memcmp(p + 40, &rows[2 * 304], 304));
    EXPECT_EQ(0, std::memcmp(p + 40 + 2 * 304, &rows[0], 304));
    // And it builds the same picture again.
    LBitmap again(reinterpret_cast<const BITMAPINFO*>(p), p + 40);
    EXPECT_EQ(Pixels(again), Pixels(bmp));
    GlobalUnlock(dib);
    GlobalFree(dib);
}

TEST(Bitmap, ConvertToDibOfAPaletteBitmapCarriesTheFullColourTable)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[16];
    } info = {};
    info.h = Header(3, 2, 4);
    info.h.biClrUsed = 3;
    info.colors[0] = {10, 20, 30, 0};
    info.colors[1] = {40, 50, 60, 0};
    info.colors[2] = {70, 80, 90, 0};
    const BYTE bits[8] = {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0};  // bottom row first
    LBitmap bmp(reinterpret_cast<BITMAPINFO*>(&info), bits);
    ASSERT_EQ(bmp.GetBitsPerPixel(), 4);
    HGLOBAL dib = bmp.ConvertToDIB();
    ASSERT_NE(dib, nullptr);
    // 40-byte header, 2^4 table entries, then the rows.
    EXPECT_EQ(GlobalSize(dib), 40u + 16u * 4u + 8u);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(dib));
    EXPECT_EQ(p[40 + 4 * 2], 70);
    EXPECT_EQ(0, std::memcmp(p + 40 + 64, bits, 8));
    GlobalUnlock(dib);
    GlobalFree(dib);
    // Brought to 24 bits by a processing command, the colours are the table's.
    bmp.Invert();
    EXPECT_EQ(bmp.GetBitsPerPixel(), 24);
    EXPECT_EQ(At(bmp, 0, 0), (Bgr{255 - 70, 255 - 80, 255 - 90}));  // top row: 2, 1, 0
    EXPECT_EQ(At(bmp, 1, 1), (Bgr{255 - 40, 255 - 50, 255 - 60}));
}

TEST(Bitmap, ChangeBitsPerPixelWidensAndRefusesToNarrow)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } info = {};
    info.h = Header(10, -2, 1);
    info.colors[0] = {5, 6, 7, 0};
    info.colors[1] = {200, 100, 50, 0};
    const BYTE bits[8] = {0xA0, 0x40, 0, 0, 0xFF, 0xC0, 0, 0};  // top row: 1 0 1 0 0 0 0 0 0 1
    LBitmap bmp(reinterpret_cast<BITMAPINFO*>(&info), bits);
    ASSERT_EQ(bmp.ChangeBitsPerPixel(8), SUCCESS);
    EXPECT_EQ(Pixels(bmp), (std::vector<BYTE>{1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    ASSERT_EQ(bmp.ChangeBitsPerPixel(32), SUCCESS);
    EXPECT_EQ(bmp.GetBytesPerLine(), 40);
    ASSERT_EQ(bmp.ChangeBitsPerPixel(24), SUCCESS);
    EXPECT_EQ(At(bmp, 0, 0), (Bgr{200, 100, 50}));
    EXPECT_EQ(At(bmp, 1, 0), (Bgr{5, 6, 7}));
    EXPECT_EQ(At(bmp, 9, 1), (Bgr{200, 100, 50}));
    const std::vector<BYTE> before = Pixels(bmp);
    EXPECT_EQ(bmp.ChangeBitsPerPixel(8), LERR_BITS_PER_PIXEL);
    EXPECT_EQ(bmp.ChangeBitsPerPixel(13), LERR_BITS_PER_PIXEL);
    EXPECT_EQ(Pixels(bmp), before);
}

TEST(Bitmap, CopyIsDeepAndAFailedCopyKeepsTheTarget)
{
    LBitmap a, b, empty;
    MakeCoded(a, 9, 7);
    MakeCoded(b, 4, 4, 3);
    const std::vector<BYTE> before = Pixels(b);
    EXPECT_EQ(b.Copy(empty), LERR_NO_BITMAP);
    EXPECT_EQ(Pixels(b), before);
    ASSERT_EQ(b.Copy(a), SUCCESS);
    a.Invert();
    EXPECT_EQ(b.GetWidth(), 9);
    LBitmap c;
    MakeCoded(c, 9, 7);
    EXPECT_EQ(Pixels(b), Pixels(c));
}

TEST(Bitmap, EveryCommandOnAnEmptyBitmapSaysSo)
{
    LBitmap e;
    const std::function<L_INT()> commands[] = {
        [&] { return e.Invert(); }, [&] { return e.AverageFilter(3); }, [&] { return e.MedianFilter(3); },
        [&] { return e.Sharpen(10); }, [&] { return e.Emboss(0, 10); }, [&] { return e.ChangeIntensity(10); },
        [&] { return e.ChangeContrast(10); }, [&] { return e.ChangeSaturation(10); }, [&] { return e.Reverse(); },
        [&] { return e.Flip(); }, [&] { return e.Rotate(9000, 1, 0); }, [&] { return e.Size(5, 5, 2); },
    };
    for (const auto& command : commands)
        EXPECT_EQ(command(), LERR_NO_BITMAP);
    EXPECT_EQ(e.ConvertToDIB(), nullptr);
}

TEST(Bitmap, ParametersOutsideTheirRangesAreRefusedAndChangeNothing)
{
    LBitmap bmp;
    MakeCoded(bmp, 6, 5);
    const std::vector<BYTE> before = Pixels(bmp);
    struct Case { const char* name; std::function<L_INT(int)> run; int lowest, highest; } cases[] = {
        {"average", [&](int v) { return bmp.AverageFilter(v); }, 1, 255},
        {"median", [&](int v) { return bmp.MedianFilter(v); }, 1, 20},
        {"sharpen", [&](int v) { return bmp.Sharpen(v); }, -1000, 1000},
        {"emboss depth", [&](int v) { return bmp.Emboss(0, v); }, 0, 1000},
        {"emboss direction", [&](int v) { return bmp.Emboss(v, 0); }, 0, 359},
        {"intensity", [&](int v) { return bmp.ChangeIntensity(v); }, -1000, 1000},
        {"contrast", [&](int v) { return bmp.ChangeContrast(v); }, -1000, 1000},
        {"saturation", [&](int v) { return bmp.ChangeSaturation(v); }, -1000, 1000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.run(c.lowest - 1), LERR_INV_PARAMETER) << c.name;
        EXPECT_EQ(c.run(c.highest + 1), LERR_INV_PARAMETER) << c.name;
        EXPECT_EQ(Pixels(bmp), before) << c.name;
    }
    // The ends of each range are accepted.
    for (const Case& c : cases) {
        LBitmap fresh;
        MakeCoded(fresh, 6, 5);
        ASSERT_EQ(bmp.Copy(fresh), SUCCESS);
        EXPECT_EQ(c.run(c.lowest), SUCCESS) << c.name;
        ASSERT_EQ(bmp.Copy(fresh), SUCCESS);
        EXPECT_EQ(c.run(c.highest), SUCCESS) << c.name;
    }
    EXPECT_EQ(bmp.Size(0, 5, 2), LERR_INV_PARAMETER);
    EXPECT_EQ(bmp.Size(100000, 5, 2), LERR_IMAGE_TOO_LARGE);
}

TEST(Geometry, ReverseFlipAndInvertAreInvolutions)
{
    const std::function<L_INT(LBitmap&)> ops[] = {
        [](LBitmap& b) { return b.Reverse(); }, [](LBitmap& b) { return b.Flip(); },
        [](LBitmap& b) { return b.Invert(); },
    };
    for (const auto& op : ops) {
        LBitmap bmp, ref;
        MakeCoded(bmp, 7, 5);
        MakeCoded(ref, 7, 5);
        ASSERT_EQ(op(bmp), SUCCESS);
        EXPECT_NE(Pixels(bmp), Pixels(ref));
        ASSERT_EQ(op(bmp), SUCCESS);
        EXPECT_EQ(Pixels(bmp), Pixels(ref));
    }
}

TEST(Geometry, ReverseAndFlipMoveTheCorners)
{
    LBitmap bmp, ref;
    MakeCoded(bmp, 7, 5);
    MakeCoded(ref, 7, 5);
    bmp.Reverse();
    EXPECT_EQ(At(bmp, 0, 0), At(ref, 6, 0));
    EXPECT_EQ(At(bmp, 6, 4), At(ref, 0, 4));
    bmp.Flip();
    EXPECT_EQ(At(bmp, 0, 0), At(ref, 6, 4));
    EXPECT_EQ(At(bmp, 3, 2), At(ref, 3, 2));
}

TEST(Geometry, ReverseAndFlipWorkAtEveryDepth)
{
    // A 1-bit picture 9 wide: one set pixel at the left of the top row.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } info = {};
    info.h = Header(9, -2, 1);
    info.colors[1] = {255, 255, 255, 0};
    const BYTE bits[8] = {0x80, 0, 0, 0, 0, 0, 0, 0};
    LBitmap bmp(reinterpret_cast<BITMAPINFO*>(&info), bits);
    ASSERT_EQ(bmp.Reverse(), SUCCESS);
    ASSERT_EQ(bmp.Flip(), SUCCESS);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 1);
    BYTE row[4];
    bmp.GetRow(row, 1, 4);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[1], 0x80);  // pixel 8 of the bottom row
    bmp.GetRow(row, 0, 4);
    EXPECT_EQ(row[0] | row[1], 0);
}

TEST(Geometry, QuarterTurnsAreClockwiseExactAndSwapTheSides)
{
    LBitmap bmp, ref;
    MakeCoded(bmp, 7, 4);
    MakeCoded(ref, 7, 4);
    ASSERT_EQ(bmp.Rotate(9000, ROTATE_RESIZE, 0), SUCCESS);
    EXPECT_EQ(bmp.GetWidth(), 4);
    EXPECT_EQ(bmp.GetHeight(), 7);
    // Clockwise: the top-left corner goes to the top right, the bottom-left
    // to the top left.
    EXPECT_EQ(At(bmp, 3, 0), At(ref, 0, 0));
    EXPECT_EQ(At(bmp, 0, 0), At(ref, 0, 3));
    EXPECT_EQ(At(bmp, 0, 6), At(ref, 6, 3));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(bmp.Rotate(9000, ROTATE_RESIZE, 0), SUCCESS);
    EXPECT_EQ(Pixels(bmp), Pixels(ref));

    LBitmap half, twice;
    MakeCoded(half, 7, 4);
    half.Rotate(18000, ROTATE_RESIZE, 0);
    MakeCoded(twice, 7, 4);
    twice.Reverse();
    twice.Flip();
    EXPECT_EQ(Pixels(half), Pixels(twice));

    LBitmap three, back;
    MakeCoded(three, 7, 4);
    three.Rotate(27000, ROTATE_RESIZE, 0);
    MakeCoded(back, 7, 4);
    back.Rotate(-9000, ROTATE_RESIZE, 0);
    EXPECT_EQ(Pixels(three), Pixels(back));
    LBitmap full;
    MakeCoded(full, 7, 4);
    full.Rotate(36000, ROTATE_RESIZE, 0xFFFFFF);
    EXPECT_EQ(Pixels(full), Pixels(ref));
}

TEST(Geometry, FreeRotationGrowsTheCanvasAndFillsTheCorners)
{
    LBitmap bmp;
    MakeFlat(bmp, 40, 20, 10, 20, 30);
    ASSERT_EQ(bmp.Rotate(4500, ROTATE_RESIZE, 0xFFFFFF), SUCCESS);
    // 40 cos 45 + 20 sin 45 = 42.43 in both directions.
    EXPECT_EQ(bmp.GetWidth(), 43);
    EXPECT_EQ(bmp.GetHeight(), 43);
    EXPECT_EQ(At(bmp, 0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(At(bmp, 42, 42), (Bgr{255, 255, 255}));
    EXPECT_EQ(At(bmp, 21, 21), (Bgr{10, 20, 30}));

    LBitmap kept;
    MakeFlat(kept, 40, 20, 10, 20, 30);
    ASSERT_EQ(kept.Rotate(1000, 0, RGB(1, 2, 3)), SUCCESS);
    EXPECT_EQ(kept.GetWidth(), 40);
    EXPECT_EQ(kept.GetHeight(), 20);
    EXPECT_EQ(At(kept, 0, 0), (Bgr{3, 2, 1}));  // fill as blue, green, red
    EXPECT_EQ(At(kept, 20, 10), (Bgr{10, 20, 30}));

    // A quarter turn without resizing keeps the size and fills the sides.
    LBitmap quarter;
    MakeFlat(quarter, 40, 20, 10, 20, 30);
    ASSERT_EQ(quarter.Rotate(9000, 0, 0), SUCCESS);
    EXPECT_EQ(quarter.GetWidth(), 40);
    EXPECT_EQ(At(quarter, 0, 10), (Bgr{0, 0, 0}));
    EXPECT_EQ(At(quarter, 20, 10), (Bgr{10, 20, 30}));
}

TEST(Geometry, ResizeToTheSameSizeKeepsThePicture)
{
    LBitmap bmp, ref;
    MakeCoded(bmp, 13, 9);
    MakeCoded(ref, 13, 9);
    ASSERT_EQ(bmp.Size(13, 9, SIZE_RESAMPLE), SUCCESS);
    EXPECT_EQ(Pixels(bmp), Pixels(ref));
}

TEST(Geometry, ResampledSizesKeepFlatPicturesFlatAndFollowTheRequest)
{
    struct Case { int w, h, tw, th; } cases[] = {{400, 100, 152, 38}, {100, 400, 32, 130}, {7, 5, 30, 21}, {31, 17, 1, 1}};
    for (const Case& c : cases) {
        LBitmap bmp;
        MakeFlat(bmp, c.w, c.h, 200, 100, 50);
        ASSERT_EQ(bmp.Size(c.tw, c.th, SIZE_RESAMPLE), SUCCESS);
        EXPECT_EQ(bmp.GetWidth(), c.tw);
        EXPECT_EQ(bmp.GetHeight(), c.th);
        EXPECT_EQ(At(bmp, 0, 0), (Bgr{200, 100, 50}));
        EXPECT_EQ(At(bmp, c.tw - 1, c.th - 1), (Bgr{200, 100, 50}));
    }
    // Halving a black and white checkerboard of 2 x 2 squares averages to a
    // mid grey only when every source pixel counts.
    LBitmap board;
    MakeFlat(board, 64, 64, 0, 0, 0);
    std::vector<BYTE> rows(64 * 192);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            std::memset(&rows[y * 192 + x * 3], ((x / 2 + y / 2) & 1) ? 255 : 0, 3);
    BITMAPINFO info = {};
    info.bmiHeader = Header(64, -64, 24);
    board.ConvertFromDIB(&info, rows.data());
    ASSERT_EQ(board.Size(8, 8, SIZE_RESAMPLE), SUCCESS);
    EXPECT_NEAR(At(board, 4, 4).g, 128, 12);
}

// Pictures of a gentle ramp plus a step, for the filters.
void MakeStep(LBitmap& bmp)
{
    const int w = 24, h = 16;
    std::vector<BYTE> rows(size_t(w * 3) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = &rows[size_t(y) * w * 3 + x * 3];
            p[0] = BYTE(x < 12 ? 60 : 180);
            p[1] = BYTE(40 + x * 4);
            p[2] = BYTE(x < 12 ? 150 : 90);
        }
    BITMAPINFO info = {};
    info.bmiHeader = Header(w, -h, 24);
    bmp.ConvertFromDIB(&info, rows.data());
}

TEST(Filters, FlatPicturesStayFlat)
{
    const std::function<L_INT(LBitmap&)> ops[] = {
        [](LBitmap& b) { return b.AverageFilter(3); }, [](LBitmap& b) { return b.AverageFilter(255); },
        [](LBitmap& b) { return b.AverageFilter(4); }, [](LBitmap& b) { return b.MedianFilter(2); },
        [](LBitmap& b) { return b.MedianFilter(20); }, [](LBitmap& b) { return b.Sharpen(1000); },
        [](LBitmap& b) { return b.Sharpen(-1000); },
    };
    for (const auto& op : ops) {
        LBitmap bmp, ref;
        MakeFlat(bmp, 17, 11, 37, 140, 250);
        MakeFlat(ref, 17, 11, 37, 140, 250);
        ASSERT_EQ(op(bmp), SUCCESS);
        EXPECT_EQ(Pixels(bmp), Pixels(ref));
    }
}

TEST(Filters, NeutralStrengthsKeepThePicture)
{
    const std::function<L_INT(LBitmap&)> ops[] = {
        [](LBitmap& b) { return b.AverageFilter(1); }, [](LBitmap& b) { return b.MedianFilter(1); },
        [](LBitmap& b) { return b.Sharpen(0); }, [](LBitmap& b) { return b.ChangeIntensity(0); },
        [](LBitmap& b) { return b.ChangeContrast(0); }, [](LBitmap& b) { return b.ChangeSaturation(0); },
    };
    for (const auto& op : ops) {
        LBitmap bmp, ref;
        MakeCoded(bmp, 15, 10);
        MakeCoded(ref, 15, 10);
        ASSERT_EQ(op(bmp), SUCCESS);
        EXPECT_EQ(Pixels(bmp), Pixels(ref));
    }
}

TEST(Filters, AverageIsTheBoxMean)
{
    // One white pixel on black: a 3 x 3 mean spreads 255/9 = 28.3 over its box.
    LBitmap bmp;
    MakeFlat(bmp, 9, 9, 0, 0, 0);
    std::vector<BYTE> rows(9 * 28, 0);
    std::memset(&rows[4 * 28 + 4 * 3], 255, 3);
    BITMAPINFO info = {};
    info.bmiHeader = Header(9, -9, 24);
    bmp.ConvertFromDIB(&info, rows.data());
    ASSERT_EQ(bmp.AverageFilter(3), SUCCESS);
    EXPECT_EQ(At(bmp, 3, 3), (Bgr{28, 28, 28}));
    EXPECT_EQ(At(bmp, 5, 5), (Bgr{28, 28, 28}));
    EXPECT_EQ(At(bmp, 2, 4), (Bgr{0, 0, 0}));
    // The edge repeats: a corner's 3 x 3 box holds the corner pixel four times.
    LBitmap corner;
    std::vector<BYTE> c(9 * 28, 0);
    c[0] = 90;
    corner.ConvertFromDIB(&info, c.data());
    ASSERT_EQ(corner.AverageFilter(3), SUCCESS);
    EXPECT_EQ(At(corner, 0, 0).b, 40);
}

TEST(Filters, MedianRemovesAnImpulseAndKeepsAnEdge)
{
    LBitmap bmp;
    MakeStep(bmp);
    LBitmap ref;
    ref.Copy(bmp);
    std::vector<BYTE> rows(24 * 3 * 16);
    for (int y = 0; y < 16; ++y)
        bmp.GetRow(&rows[size_t(y) * 72], y, 72);
    std::memset(&rows[5 * 72 + 5 * 3], 255, 3);  // salt
    std::memset(&rows[9 * 72 + 17 * 3], 0, 3);   // pepper
    BITMAPINFO info = {};
    info.bmiHeader = Header(24, -16, 24);
    bmp.ConvertFromDIB(&info, rows.data());
    ASSERT_EQ(bmp.MedianFilter(3), SUCCESS);
    EXPECT_EQ(At(bmp, 5, 5).b, 60);
    EXPECT_EQ(At(bmp, 5, 5).r, 150);
    EXPECT_EQ(At(bmp, 17, 9).b, 180);
    // The step between columns 11 and 12 stays where it was.
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(At(bmp, 11, y).b, 60);
        EXPECT_EQ(At(bmp, 12, y).b, 180);
    }
}

int EdgeJump(const LBitmap& bmp)
{
    return At(bmp, 12, 8).b - At(bmp, 11, 8).b;
}

TEST(Filters, SharpenSteepensAndSoftenFlattensAnEdge)
{
    LBitmap sharp, soft, ref;
    MakeStep(sharp);
    MakeStep(soft);
    MakeStep(ref);
    ASSERT_EQ(sharp.Sharpen(500), SUCCESS);
    ASSERT_EQ(soft.Sharpen(-500), SUCCESS);
    EXPECT_GT(EdgeJump(sharp), EdgeJump(ref));
    EXPECT_LT(EdgeJump(soft), EdgeJump(ref));
    // Far from the edge nothing moves.
    EXPECT_EQ(At(sharp, 3, 8).b, 60);
    EXPECT_EQ(At(soft, 20, 8).b, 180);
}

TEST(Filters, EmbossIsGreyReliefOfTheEdges)
{
    LBitmap flat;
    MakeFlat(flat, 8, 8, 10, 200, 30);
    ASSERT_EQ(flat.Emboss(0, 500), SUCCESS);
    EXPECT_EQ(At(flat, 4, 4), (Bgr{128, 128, 128}));
    // Grey 100 left of column 12, 130 from there on.
    std::vector<BYTE> rows(24 * 3 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            std::memset(&rows[size_t(y) * 72 + x * 3], x < 12 ? 100 : 130, 3);
    BITMAPINFO info = {};
    info.bmiHeader = Header(24, -16, 24);
    struct Case { int direction, depth, x, expected; } cases[] = {
        {90, 0, 11, 158},   // lit from the right: the rise faces the light
        {90, 0, 12, 158},
        {90, 0, 3, 128},
        {90, 100, 11, 188}, // depth 100 doubles the relief
        {270, 0, 11, 98},   // lit from the left
        {0, 1000, 11, 128}, // lit from the top: a vertical edge shows nothing
    };
    for (const Case& c : cases) {
        LBitmap bmp(&info, rows.data());
        ASSERT_EQ(bmp.Emboss(c.direction, c.depth), SUCCESS);
        EXPECT_EQ(At(bmp, c.x, 8), (Bgr{c.expected, c.expected, c.expected}))
            << c.direction << " " << c.depth << " " << c.x;
    }
}

double Spread(const LBitmap& bmp)
{
    // Mean distance of the channels from mid grey.
    const std::vector<BYTE> p = Pixels(bmp);
    double s = 0;
    for (BYTE v : p)
        s += std::fabs(v - 128.0);
    return s / double(p.size());
}

double Colourfulness(const LBitmap& bmp)
{
    double s = 0;
    for (int y = 0; y < bmp.GetHeight(); ++y)
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            const Bgr p = At(bmp, x, y);
            s += std::max({p.b, p.g, p.r}) - std::min({p.b, p.g, p.r});
        }
    return s;
}

TEST(Adjustments, MoveThePictureMonotonicallyWithTheirStrength)
{
    struct Case {
        const char* name;
        std::function<L_INT(LBitmap&, int)> run;
        std::function<double(const LBitmap&)> measure;
    } cases[] = {
        {"intensity", [](LBitmap& b, int n) { return b.ChangeIntensity(n); }, MeanOf},
        {"contrast", [](LBitmap& b, int n) { return b.ChangeContrast(n); }, Spread},
        {"saturation", [](LBitmap& b, int n) { return b.ChangeSaturation(n); }, Colourfulness},
    };
    // Each step moves the picture; only at the ends may it stand still
    // (all grey, or all at full range).
    const int strengths[] = {-1000, -600, -200, -10, 0, 10, 200, 600, 990, 1000};
    for (const Case& c : cases) {
        double last = -1;
        for (int n : strengths) {
            LBitmap bmp;
            MakeCoded(bmp, 16, 16);
            ASSERT_EQ(c.run(bmp, n), SUCCESS);
            const double m = c.measure(bmp);
            if (n == -600 || n == 1000)
                EXPECT_GE(m, last) << c.name << " at " << n;
            else
                EXPECT_GT(m, last) << c.name << " at " << n;
            last = m;
        }
    }
}

TEST(Adjustments, TheirEndsAreGreyAndFullRange)
{
    LBitmap grey;
    MakeCoded(grey, 10, 10);
    ASSERT_EQ(grey.ChangeSaturation(-1000), SUCCESS);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const Bgr p = At(grey, x, y);
            ASSERT_TRUE(p.b == p.g && p.g == p.r) << x << "," << y;
        }
    LBitmap flat;
    MakeCoded(flat, 10, 10);
    ASSERT_EQ(flat.ChangeContrast(-1000), SUCCESS);
    EXPECT_EQ(At(flat, 7, 3), (Bgr{128, 128, 128}));
    LBitmap bright, dark;
    MakeCoded(bright, 10, 10);
    MakeCoded(dark, 10, 10);
    bright.ChangeIntensity(1000);
    dark.ChangeIntensity(-1000);
    EXPECT_EQ(At(bright, 3, 3), (Bgr{255, 255, 255}));
    EXPECT_EQ(At(dark, 3, 3), (Bgr{0, 0, 0}));
}

}  // namespace

namespace {

// Plain definitions of the box filters, for comparison: edges repeated,
// window from -(dim-1)/2 to dim/2, lower median for an even count.
std::vector<BYTE> PlainBox(const LBitmap& bmp, int dim, bool median)
{
    const int w = bmp.GetWidth(), h = bmp.GetHeight();
    std::vector<BYTE> out(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int k = 0; k < 3; ++k) {
                std::vector<int> v;
                for (int dy = -(dim - 1) / 2; dy <= dim / 2; ++dy)
                    for (int dx = -(dim - 1) / 2; dx <= dim / 2; ++dx) {
                        const Bgr p = At(bmp, std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
                        v.push_back(k == 0 ? p.b : k == 1 ? p.g : p.r);
                    }
                std::sort(v.begin(), v.end());
                int sum = 0;
                for (int e : v)
                    sum += e;
                const int n = int(v.size());
                out[(size_t(y) * w + x) * 3 + k] = BYTE(median ? v[(n + 1) / 2 - 1] : (sum + n / 2) / n);
            }
    return out;
}

TEST(Filters, AverageAndMedianMatchTheirPlainDefinitions)
{
    for (int dim : {2, 3, 4, 5, 8}) {
        for (bool median : {false, true}) {
            LBitmap bmp;
            MakeCoded(bmp, 13, 11, dim);
            const std::vector<BYTE> expected = PlainBox(bmp, dim, median);
            ASSERT_EQ(median ? bmp.MedianFilter(dim) : bmp.AverageFilter(dim), SUCCESS);
            EXPECT_EQ(Pixels(bmp), expected) << (median ? "median " : "average ") << dim;
        }
    }
}

}  // namespace
