// The live filters and mask operations on hand-worked fixtures, and their
// fast paths against the plain loops over noise frames.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MarkerOverlay.h"
#include "RealTime.h"

namespace {

const BYTE kPad = 0xA5;  // what row padding holds in every fixture

// A 24-bit frame whose rows may lie further apart than a DIB's.
struct Frame {
    int w, h, stride;
    std::vector<BYTE> bytes;
    Frame(int width, int height, int extra = 0)
        : w(width), h(height), stride(Dib24Stride(width) + extra), bytes(size_t(stride) * height, kPad)
    {
    }
    BYTE* data() { return bytes.data(); }
    BYTE* at(int x, int y) { return &bytes[size_t(y) * stride + 3 * x]; }
    void Fill(BYTE b, BYTE g, BYTE r)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                Set(x, y, b, g, r);
    }
    void Set(int x, int y, BYTE b, BYTE g, BYTE r)
    {
        BYTE* p = at(x, y);
        p[0] = b, p[1] = g, p[2] = r;
    }
    void Noise(unsigned seed)
    {
        std::mt19937 rng(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 3 * w; ++x)
                bytes[size_t(y) * stride + x] = BYTE(rng());
    }
    bool PaddingIntact() const
    {
        for (int y = 0; y < h; ++y)
            for (int i = 3 * w; i < stride; ++i)
                if (bytes[size_t(y) * stride + i] != kPad)
                    return false;
        return true;
    }
};

struct Plain {
    explicit Plain(bool p) { RTForcePlain(p); }
    ~Plain() { RTForcePlain(false); }
};

using FrameOp = std::function<int(BYTE*, int, int, int)>;

TEST(PointFilters, HandWorkedPixels)
{
    struct Case {
        const char* name;
        FrameOp op;
        BYTE in[3], out[3];
    } cases[] = {
        {"gray of blue", RTGray, {255, 0, 0}, {77, 77, 77}},
        {"gray of red", RTGray, {0, 0, 255}, {28, 28, 28}},
        {"gray rounds", RTGray, {1, 1, 0}, {1, 1, 1}},  // (30 + 59 + 50) / 100
        {"binary at 128 of 128", [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 128); },
         {128, 128, 128}, {0, 0, 0}},
        {"binary at 128 of 129", [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 128); },
         {129, 129, 129}, {255, 255, 255}},
        {"binary at 255", [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 255); },
         {255, 255, 255}, {0, 0, 0}},
        {"invert", RTInvert, {0, 100, 255}, {255, 155, 0}},
    };
    for (bool plain : {true, false}) {
        Plain mode(plain);
        for (const Case& c : cases) {
            // 5 x 2 with a wider stride than a DIB's, 21 pixels for the blocks
            for (int w : {5, 21}) {
                Frame f(w, 2, 4);
                f.Fill(c.in[0], c.in[1], c.in[2]);
                ASSERT_EQ(0, c.op(f.data(), f.w, f.h, f.stride)) << c.name;
                for (int y = 0; y < f.h; ++y)
                    for (int x = 0; x < f.w; ++x)
                        for (int k = 0; k < 3; ++k)
                            ASSERT_EQ(c.out[k], f.at(x, y)[k]) << c.name << " x " << x << " y " << y;
                EXPECT_TRUE(f.PaddingIntact()) << c.name;
            }
        }
    }
}

TEST(PointFilters, InvertTwiceIsIdentity)
{
    Frame f(5, 3);
    f.Noise(1);
    const auto before = f.bytes;
    RTInvert(f.data(), f.w, f.h, f.stride);
    EXPECT_NE(before, f.bytes);
    RTInvert(f.data(), f.w, f.h, f.stride);
    EXPECT_EQ(before, f.bytes);
}

// Every routine refuses what is not a frame and leaves the buffer alone.
TEST(AllRoutines, RefuseBadFramesUntouched)
{
    BYTE mask[64] = {};
    const FrameOp ops[] = {
        RTGray, RTInvert, RTSharp, RTEmboss, RTGaussBlur, RTEqualize, RTEdgeDetectSobelV, RTEdgeDetectSobelH,
        [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 10); },
        [](BYTE* f, int w, int h, int s) { return RTMultiply(f, w, h, s, 2.0f); },
        [&](BYTE* f, int w, int h, int s) { return RTMaskAnd(f, w, h, s, mask, 2, 2, 8); },
        [&](BYTE* f, int w, int h, int s) { return RTMaskDivide(f, w, h, s, mask, 2, 2, 8); },
        [](BYTE* f, int w, int h, int s) { return RTGridPixels(f, w, h, s, 0xFFFFFF); },
        [](BYTE* f, int w, int h, int s) { return RTRulerPixels(f, w, h, s, 0xFFFFFF); },
        [](BYTE* f, int w, int h, int s) { return RTCirclePixels(f, w, h, s, 0xFFFFFF); },
    };
    struct Bad {
        bool null;
        int w, h, stride;
    } bad[] = {{true, 3, 3, 12}, {false, 0, 3, 12}, {false, 3, 0, 12}, {false, -3, 3, 12}, {false, 4, 3, 11}};
    for (size_t i = 0; i < sizeof ops / sizeof ops[0]; ++i)
        for (const Bad& b : bad) {
            std::vector<BYTE> buf(64, 7);
            EXPECT_EQ(-1, ops[i](b.null ? nullptr : buf.data(), b.w, b.h, b.stride)) << "routine " << i;
            EXPECT_EQ(std::vector<BYTE>(64, 7), buf) << "routine " << i;
        }
    // A good frame with a bad mask.
    std::vector<BYTE> buf(64, 7);
    EXPECT_EQ(-1, RTMaskOr(buf.data(), 2, 2, 8, nullptr, 2, 2, 8));
    EXPECT_EQ(-1, RTMaskXor(buf.data(), 2, 2, 8, mask, 0, 2, 8));
    EXPECT_EQ(-1, RTMaskSub(buf.data(), 2, 2, 8, mask, 2, 2, 5));
    EXPECT_EQ(std::vector<BYTE>(64, 7), buf);
}

// The kernels' taps as documented, read in memory order, as an independent
// reference for noise frames.
struct KernelCase {
    const char* name;
    FrameOp op;
    int taps[9];
    bool blur;
    bool flatStays;
};
const KernelCase kKernels[] = {
    {"sharp", RTSharp, {-1, -1, -1, -1, 9, -1, -1, -1, -1}, false, true},
    {"gauss", RTGaussBlur, {1, 2, 1, 2, 4, 2, 1, 2, 1}, true, true},
    {"sobel v", RTEdgeDetectSobelV, {-1, -2, -1, 0, 0, 0, 1, 2, 1}, false, false},
    {"sobel h", RTEdgeDetectSobelH, {-1, 0, 1, -2, 0, 2, -1, 0, 1}, false, false},
};

Frame Reference(const KernelCase& k, Frame in)
{
    Frame out = in;
    for (int y = 1; y + 1 < in.h; ++y)
        for (int x = 1; x + 1 < in.w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int r = 0; r < 3; ++r)
                    for (int q = 0; q < 3; ++q)
                        sum += k.taps[3 * r + q] * in.at(x - 1 + q, y - 1 + r)[c];
                out.at(x, y)[c] = BYTE(k.blur ? (sum + 7) / 16 : std::min(255, std::max(0, sum)));
            }
    return out;
}

// One pixel of value `hi` on `lo`, at (2, 2) of a 5 x 5 frame; the expected
// channel-0 values of rows 1 to 3, columns 1 to 3 (the rest stays `lo`).
TEST(Kernels, ImpulseShowsEachKernelTheRightWayRound)
{
    struct Case {
        const char* name;
        FrameOp op;
        BYTE lo, hi;
        BYTE want[3][3];  // [row in memory][column]
        bool emboss;
    } cases[] = {
        {"sharp", RTSharp, 50, 70, {{30, 30, 30}, {30, 230, 30}, {30, 30, 30}}, false},
        {"gauss", RTGaussBlur, 0, 160, {{10, 20, 10}, {20, 40, 20}, {10, 20, 10}}, false},
        // The row before the impulse in memory answers positively.
        {"sobel v", RTEdgeDetectSobelV, 0, 50, {{50, 100, 50}, {0, 0, 0}, {0, 0, 0}}, false},
        // The column left of the impulse answers positively.
        {"sobel h", RTEdgeDetectSobelH, 0, 50, {{50, 0, 0}, {100, 0, 0}, {50, 0, 0}}, false},
        // Each pixel less its neighbour one row on and one to the right.
        {"emboss", RTEmboss, 100, 150, {{78, 128, 128}, {128, 178, 128}, {128, 128, 128}}, true},
    };
    for (bool plain : {true, false}) {
        Plain mode(plain);
        for (const Case& c : cases) {
            Frame f(5, 5);
            f.Fill(c.lo, c.lo, c.lo);
            f.Set(2, 2, c.hi, c.hi, c.hi);
            ASSERT_EQ(0, c.op(f.data(), f.w, f.h, f.stride));
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool inner = x >= 1 && x <= 3 && y >= 1 && y <= 3;
                    // Emboss moves everything but the last row and column.
                    BYTE want = inner ? c.want[y - 1][x - 1] : c.lo;
                    if (c.emboss && !inner && x < 4 && y < 4)
                        want = 128;
                    for (int k = 0; k < 3; ++k)
                        EXPECT_EQ(want, f.at(x, y)[k]) << c.name << " x " << x << " y " << y;
                }
            EXPECT_TRUE(f.PaddingIntact()) << c.name;
        }
    }
}

TEST(Kernels, FlatImages)
{
    for (int w : {1, 2, 3, 5, 17}) {
        for (const KernelCase& k : kKernels) {
            if (!k.flatStays)
                continue;
            Frame f(w, 4);
            f.Fill(201, 7, 99);
            const auto before = f.bytes;
            ASSERT_EQ(0, k.op(f.data(), f.w, f.h, f.stride));
            EXPECT_EQ(before, f.bytes) << k.name << " width " << w;
        }
        Frame f(w, 3);
        f.Fill(201, 7, 99);
        ASSERT_EQ(0, RTEmboss(f.data(), f.w, f.h, f.stride));
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                const bool last = x == w - 1 || y == f.h - 1;
                EXPECT_EQ(last ? 201 : 128, f.at(x, y)[0]) << "emboss width " << w;
                EXPECT_EQ(last ? 99 : 128, f.at(x, y)[2]) << "emboss width " << w;
            }
    }
}

// Noise frames of widths that end every way a block can: the fast path, the
// plain path and the reference agree, borders and padding stay.
TEST(Kernels, FastAndPlainMatchTheTapsOverNoise)
{
    for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 33, 101}) {
        for (const KernelCase& k : kKernels) {
            Frame in(w, 6, w % 3);
            in.Noise(w);
            const Frame want = Reference(k, in);
            for (bool plain : {true, false}) {
                Plain mode(plain);
                Frame f = in;
                ASSERT_EQ(0, k.op(f.data(), f.w, f.h, f.stride));
                EXPECT_EQ(want.bytes, f.bytes) << k.name << " width " << w << " plain " << plain;
            }
        }
    }
}

TEST(PointFilters, FastAndPlainMatchOverNoise)
{
    const FrameOp ops[] = {
        RTGray,
        [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 0); },
        [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 127); },
        [](BYTE* f, int w, int h, int s) { return RTBinary(f, w, h, s, 300); },
    };
    for (int w : {1, 5, 15, 16, 17, 32, 33, 47, 48, 49, 100}) {
        Frame in(w, 3, 8);
        in.Noise(100 + w);
        for (size_t i = 0; i < sizeof ops / sizeof ops[0]; ++i) {
            Frame plain = in, fast = in;
            {
                Plain mode(true);
                ops[i](plain.data(), w, 3, plain.stride);
            }
            ops[i](fast.data(), w, 3, fast.stride);
            EXPECT_EQ(plain.bytes, fast.bytes) << "op " << i << " width " << w;
            // Every grey against the formula.
            if (i == 0)
                for (int x = 0; x < w; ++x) {
                    const BYTE* s = in.at(x, 1);
                    EXPECT_EQ((30 * s[0] + 59 * s[1] + 11 * s[2] + 50) / 100, fast.at(x, 1)[1]);
                }
        }
    }
}

TEST(Equalize, FlatFrameUnchanged)
{
    for (BYTE v : {0, 1, 77, 128, 254, 255}) {
        Frame f(5, 4);
        f.Fill(v, v, v);
        const auto before = f.bytes;
        ASSERT_EQ(0, RTEqualize(f.data(), f.w, f.h, f.stride));
        EXPECT_EQ(before, f.bytes) << int(v);
    }
}

// Two levels side by side, 4 x 4: luma 59 (100, 50, 0) left, 159 (200, 150,
// 100) right. The four interior pixels each see k = 100, so levels 59 and 159
// weigh 200, every other 0: min 0, third 66, both in class 3, the 254 others
// in class 1, total 260. E(59) = trunc(255 x 62 / 260) = 60 and E(159) =
// trunc(255 x 164 / 260) = 160: both move up by one, the border stays.
TEST(Equalize, TwoLevelStepByHand)
{
    Frame f(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            x < 2 ? f.Set(x, y, 100, 50, 0) : f.Set(x, y, 200, 150, 100);
    Frame want = f;
    for (int y = 1; y <= 2; ++y) {
        want.Set(1, y, 101, 51, 1);
        want.Set(2, y, 201, 151, 101);
    }
    ASSERT_EQ(0, RTEqualize(f.data(), f.w, f.h, f.stride));
    EXPECT_EQ(want.bytes, f.bytes);
}

// A full still's checkerboard of black and luma 253 (255, 255, 240): each
// level weighs about 2.55e9, past a 32-bit sum. Summed soundly both are class
// 3 and the rest class 1 (total 260): black moves to trunc(255 x 3 / 260) = 2,
// 253 stays (trunc(255 x 258 / 260) = 253).
TEST(Equalize, FullStillCheckerboardNeedsWideSums)
{
    Frame f(2592, 1944);
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x)
            (x + y) % 2 ? f.Set(x, y, 255, 255, 240) : f.Set(x, y, 0, 0, 0);
    ASSERT_EQ(0, RTEqualize(f.data(), f.w, f.h, f.stride));
    EXPECT_EQ(2, f.at(10, 10)[0]);
    EXPECT_EQ(2, f.at(11, 11)[2]);
    EXPECT_EQ(255, f.at(11, 10)[1]);
    EXPECT_EQ(240, f.at(11, 10)[2]);
    EXPECT_EQ(0, f.at(0, 0)[0]);  // border
}

using MaskOp = int (*)(BYTE*, int, int, int, const BYTE*, int, int, int);

TEST(Masks, ByteRulesByHand)
{
    struct Case {
        const char* name;
        MaskOp op;
        BYTE f, m, want;
    } cases[] = {
        {"and", RTMaskAnd, 0xF0, 0x3C, 0x30},      {"or", RTMaskOr, 0xF0, 0x0F, 0xFF},
        {"xor", RTMaskXor, 0xFF, 0x0F, 0xF0},      {"add", RTMaskAdd, 100, 55, 155},
        {"add saturates", RTMaskAdd, 200, 56, 255}, {"sub", RTMaskSub, 10, 30, 20},
        {"sub", RTMaskSub, 30, 10, 20},            {"divide", RTMaskDivide, 200, 3, 66},
        {"divide by black", RTMaskDivide, 7, 0, 255}, {"divide zero", RTMaskDivide, 0, 9, 0},
    };
    for (bool plain : {true, false}) {
        Plain mode(plain);
        for (const Case& c : cases) {
            Frame f(21, 2), m(21, 2);
            f.Fill(c.f, c.f, c.f);
            m.Fill(c.m, c.m, c.m);
            ASSERT_EQ(0, c.op(f.data(), f.w, f.h, f.stride, m.data(), m.w, m.h, m.stride));
            EXPECT_EQ(c.want, f.at(20, 1)[2]) << c.name;
            EXPECT_EQ(c.want, f.at(0, 0)[0]) << c.name;
            EXPECT_TRUE(f.PaddingIntact());
        }
    }
}

// A smaller mask changes only its own rows and columns; a larger one lends
// only the part that overlaps, each read with its own stride.
TEST(Masks, OnlyTheSharedRectangle)
{
    for (bool plain : {true, false}) {
        Plain mode(plain);
        Frame f(5, 4);
        f.Fill(1, 1, 1);
        Frame small(3, 2, 8);
        small.Fill(2, 2, 2);
        ASSERT_EQ(0, RTMaskAdd(f.data(), f.w, f.h, f.stride, small.data(), small.w, small.h, small.stride));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(x < 3 && y < 2 ? 3 : 1, f.at(x, y)[1]) << x << "," << y;
        EXPECT_TRUE(f.PaddingIntact());

        Frame g(3, 2);
        g.Fill(1, 1, 1);
        Frame large(40, 9);
        large.Noise(3);
        ASSERT_EQ(0, RTMaskOr(g.data(), g.w, g.h, g.stride, large.data(), large.w, large.h, large.stride));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(large.at(x, y)[2] | 1, g.at(x, y)[2]);
        EXPECT_TRUE(g.PaddingIntact());
    }
}

TEST(Masks, FastAndPlainMatchOverNoise)
{
    const MaskOp ops[] = {RTMaskAnd, RTMaskOr, RTMaskXor, RTMaskAdd, RTMaskSub, RTMaskDivide};
    for (int w : {1, 5, 6, 16, 17, 33}) {
        Frame in(w, 3), m(w + 2, 3, 4);
        in.Noise(w);
        m.Noise(w + 50);
        for (MaskOp op : ops) {
            Frame plain = in, fast = in;
            {
                Plain mode(true);
                op(plain.data(), w, 3, plain.stride, m.data(), m.w, m.h, m.stride);
            }
            op(fast.data(), w, 3, fast.stride, m.data(), m.w, m.h, m.stride);
            EXPECT_EQ(plain.bytes, fast.bytes) << "width " << w;
        }
    }
}

// Every pair of bytes, through the fast path.
TEST(Masks, DivideEveryPair)
{
    Frame f(21846, 1), m(21846, 1);
    for (int i = 0; i < 65536; ++i) {
        f.bytes[i] = BYTE(i % 256);
        m.bytes[i] = BYTE(i / 256);
    }
    ASSERT_EQ(0, RTMaskDivide(f.data(), f.w, 1, f.stride, m.data(), m.w, 1, m.stride));
    for (int i = 0; i < 65536; ++i) {
        const int a = i % 256, b = i / 256;
        ASSERT_EQ(b == 0 ? 255 : a / b, f.bytes[i]) << a << " / " << b;
    }
}

TEST(Masks, MultiplyByRatio)
{
    struct Case {
        float ratio;
        BYTE in, want;
    } cases[] = {{2.0f, 127, 254}, {2.0f, 128, 255}, {0.5f, 255, 127}, {1.5f, 170, 255}, {0.0f, 200, 0}};
    for (const Case& c : cases) {
        Frame f(21, 2, 3);
        f.Fill(c.in, c.in, c.in);
        ASSERT_EQ(0, RTMultiply(f.data(), f.w, f.h, f.stride, c.ratio));
        EXPECT_EQ(c.want, f.at(0, 0)[0]) << c.ratio << " x " << int(c.in);
        EXPECT_EQ(c.want, f.at(20, 1)[2]) << c.ratio << " x " << int(c.in);
        EXPECT_TRUE(f.PaddingIntact());
    }
}

// Levels 0, 0, 10, 20: 2, 3 and 4 of 4 pixels at or below, so 127, 191 and
// 255; the rows come out in reverse order.
TEST(EqualizePlane, CumulativeLevelsRowsReversed)
{
    const BYTE plane[2 * 4] = {0, 10, 9, 9, 20, 0, 9, 9};  // width 2, stride 4
    BYTE out[8];
    std::fill(out, out + 8, 9);
    ASSERT_EQ(0, RTEqualizePlane(plane, out, 2, 2, 4));
    const BYTE want[8] = {255, 127, 9, 9, 127, 191, 9, 9};
    EXPECT_EQ(std::vector<BYTE>(want, want + 8), std::vector<BYTE>(out, out + 8));
    EXPECT_EQ(-1, RTEqualizePlane(plane, out, 5, 2, 4));
    EXPECT_EQ(-1, RTEqualizePlane(nullptr, out, 2, 2, 4));
    EXPECT_EQ(-1, RTEqualizePlane(plane, const_cast<BYTE*>(plane), 2, 2, 4));
}

TEST(StrToFloat, EditTexts)
{
    EXPECT_FLOAT_EQ(1.5f, StrToFloat(L"1.5"));
    EXPECT_FLOAT_EQ(-2.25f, StrToFloat(L"  -2.25"));
    EXPECT_FLOAT_EQ(0.0f, StrToFloat(L"abc"));
    EXPECT_FLOAT_EQ(0.0f, StrToFloat(L""));
    EXPECT_FLOAT_EQ(0.0f, StrToFloat(nullptr));
    // Far longer than any fixed buffer: read whole, not past an end.
    std::wstring longText = L"0." + std::wstring(5000, L'0') + L"1";
    EXPECT_FLOAT_EQ(0.0f, StrToFloat(longText.c_str()));
    longText = L"37.5" + std::wstring(5000, L' ');
    EXPECT_FLOAT_EQ(37.5f, StrToFloat(longText.c_str()));
}

// Frames inside a guard band: the marker routines write only their own pixels.
struct Guarded {
    Frame f;
    std::vector<BYTE> buf;
    static const size_t kGuard = 4096;
    Guarded(int w, int h) : f(w, h), buf(f.bytes.size() + 2 * kGuard, 0x5A)
    {
        std::fill(buf.begin() + kGuard, buf.end() - kGuard, 0);
        for (int y = 0; y < h; ++y)
            for (int i = 3 * w; i < f.stride; ++i)
                buf[kGuard + size_t(y) * f.stride + i] = kPad;
    }
    BYTE* data() { return buf.data() + kGuard; }
    bool Drawn(int x, int y) { return data()[size_t(y) * f.stride + 3 * x] == 0x30; }
    bool GuardsAndPaddingIntact()
    {
        for (size_t i = 0; i < kGuard; ++i)
            if (buf[i] != 0x5A || buf[buf.size() - 1 - i] != 0x5A)
                return false;
        for (int y = 0; y < f.h; ++y)
            for (int i = 3 * f.w; i < f.stride; ++i)
                if (buf[kGuard + size_t(y) * f.stride + i] != kPad)
                    return false;
        return true;
    }
};

TEST(MarkerPixels, ClippedToSmallFrames)
{
    using Op = int (*)(BYTE*, int, int, int, COLORREF);
    for (Op op : {RTRulerPixels, RTGridPixels, RTCirclePixels})
        for (auto size : {std::pair<int, int>{1, 1}, {3, 2}, {5, 3}, {13, 40}, {90, 7}, {200, 30}}) {
            Guarded g(size.first, size.second);
            ASSERT_EQ(0, op(g.data(), g.f.w, g.f.h, g.f.stride, RGB(0x10, 0x20, 0x30)));
            EXPECT_TRUE(g.GuardsAndPaddingIntact()) << size.first << " x " << size.second;
        }
}

TEST(MarkerPixels, WhereTheyDraw)
{
    const COLORREF c = RGB(0x10, 0x20, 0x30);  // blue byte 0x30 first
    {
        Guarded g(101, 51);
        RTGridPixels(g.data(), 101, 51, g.f.stride, c);
        EXPECT_TRUE(g.Drawn(37, 0) && g.Drawn(37, 50) && g.Drawn(0, 20) && g.Drawn(50, 20) && g.Drawn(100, 20));
        EXPECT_FALSE(g.Drawn(37, 1) || g.Drawn(37, 49) || g.Drawn(49, 20) || g.Drawn(99, 20));
        EXPECT_EQ(0x10, g.data()[2]);  // red last
    }
    {
        // 40 x 40: centre (20, 20), three ticks each way, all short (7 each side).
        Guarded g(40, 40);
        RTRulerPixels(g.data(), 40, 40, g.f.stride, c);
        EXPECT_TRUE(g.Drawn(0, 20) && g.Drawn(39, 20) && g.Drawn(20, 0) && g.Drawn(20, 39));
        EXPECT_TRUE(g.Drawn(26, 13) && g.Drawn(26, 27) && g.Drawn(2, 13) && g.Drawn(13, 38) && g.Drawn(27, 2));
        EXPECT_FALSE(g.Drawn(26, 12) || g.Drawn(26, 28) || g.Drawn(25, 13) || g.Drawn(33, 19));
    }
    {
        // 80 x 80: the fifth tick (30 from the centre) is the long one.
        Guarded g(80, 80);
        RTRulerPixels(g.data(), 80, 80, g.f.stride, c);
        EXPECT_TRUE(g.Drawn(70, 25) && g.Drawn(70, 55) && g.Drawn(10, 25));
        EXPECT_FALSE(g.Drawn(70, 24) || g.Drawn(64, 25));
    }
    {
        // 100 x 100: radii 0 and 40 round (50, 50).
        Guarded g(100, 100);
        RTCirclePixels(g.data(), 100, 100, g.f.stride, c);
        EXPECT_TRUE(g.Drawn(90, 50) && g.Drawn(10, 50) && g.Drawn(50, 90) && g.Drawn(50, 10));
        EXPECT_TRUE(g.Drawn(78, 78) || g.Drawn(79, 78) || g.Drawn(78, 79));  // on the diagonal, r / sqrt 2
        EXPECT_FALSE(g.Drawn(60, 60) || g.Drawn(91, 49));
    }
}

}  // namespace
