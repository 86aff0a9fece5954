// The vector paths of the per-pixel steps against the plain loops, byte for
// byte: row ends, widths that leave partial blocks, both flips, saturated
// values and every saturation code's extremes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "PellixImaging.h"

namespace {

std::vector<BYTE> Noise(size_t n, uint32_t seed)
{
    std::vector<BYTE> v(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        v[i] = BYTE(seed >> 24);
    }
    return v;
}

// Runs fn once plainly and once on the vector path over copies of `input`.
template <typename Fn> void ExpectSamePaths(const std::vector<BYTE> &input, Fn fn, const char *what)
{
    std::vector<BYTE> plain = input, fast = input;
    PellixForcePlain(true);
    fn(plain);
    PellixForcePlain(false);
    fn(fast);
    EXPECT_TRUE(plain == fast) << what;
}

// The path the program started on, before any test chose one.
const bool kStartedPlain = PellixPlainForced();

struct RestorePath {
    ~RestorePath() { PellixForcePlain(kStartedPlain); }
};

TEST(ImagingPaths, DemosaicMatchesThePlainLoops)
{
    RestorePath restore;
    const int sizes[][2] = {{2, 2}, {4, 2}, {16, 4}, {18, 4}, {20, 6}, {34, 4}, {36, 2}, {50, 8}, {130, 6}};
    for (auto &size : sizes) {
        const int w = size[0], h = size[1];
        // Noise, then a frame of full-scale and zero bytes in stripes: the
        // sums of four 255s must not wrap.
        std::vector<BYTE> stripes(size_t(w) * h);
        for (size_t i = 0; i < stripes.size(); ++i)
            stripes[i] = (i / 3) % 2 ? 255 : 0;
        for (const std::vector<BYTE> &raw : {Noise(size_t(w) * h, uint32_t(w * 31 + h)), stripes})
            for (int flips = 0; flips < 4; ++flips) {
                SCOPED_TRACE(testing::Message() << w << " x " << h << ", flips " << flips);
                // A guard byte beyond the bitmap shows a block that overruns.
                std::vector<BYTE> out(size_t(w) * h * 3 + 1, 0xA5);
                ExpectSamePaths(out, [&](std::vector<BYTE> &bgr) {
                    PellixDemosaic(raw.data(), w, h, bgr.data(), (flips & 1) != 0, (flips & 2) != 0);
                }, "demosaic");
                std::vector<BYTE> fast = out;
                PellixDemosaic(raw.data(), w, h, fast.data(), (flips & 1) != 0, (flips & 2) != 0);
                EXPECT_EQ(fast.back(), 0xA5);
            }
    }
}

TEST(ImagingPaths, SaturationMatchesThePlainLoopsForEveryCode)
{
    RestorePath restore;
    // Greys, primaries and full white take the limits of the grey part and
    // the clamps at both ends; noise the rest.
    std::vector<BYTE> pixels = Noise(3 * 203, 7);
    const BYTE extremes[][3] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                                {255, 255, 0}, {1, 2, 3}, {128, 128, 128}, {254, 255, 253}};
    for (auto &e : extremes)
        pixels.insert(pixels.begin(), e, e + 3);
    int t[256], m[768];
    for (int code = 1; code <= 511; ++code) {
        PellixSaturationTables(code, t, m);
        for (size_t count : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(17), pixels.size() / 3}) {
            std::vector<BYTE> part(pixels.begin(), pixels.begin() + 3 * count);
            part.push_back(0x5A); // guard
            ExpectSamePaths(part, [&](std::vector<BYTE> &bgr) { PellixApplySaturation(bgr.data(), count, t, m); },
                            "saturation");
            if (HasFailure())
                FAIL() << "code " << code << ", " << count << " pixels";
        }
    }
}

TEST(ImagingPaths, TablesOfAnotherMakeAreAppliedAsGiven)
{
    RestorePath restore;
    // Not the tables of any code: the rule is the tables' own.
    int t[256], m[768];
    for (int i = 0; i < 256; ++i)
        t[i] = 300 - 2 * i;
    for (int k = 0; k < 768; ++k)
        m[k] = (k % 7) * 20 - 60;
    const std::vector<BYTE> pixels = Noise(3 * 64, 11);
    std::vector<BYTE> fast = pixels;
    PellixApplySaturation(fast.data(), 64, t, m);
    for (size_t i = 0; i < 64; ++i) {
        const BYTE *p = &pixels[3 * i];
        const int grey = m[p[0] + p[1] + p[2]];
        for (int c = 0; c < 3; ++c) {
            const int v = grey + t[p[c]];
            ASSERT_EQ(fast[3 * i + c], v < 0 ? 0 : v > 255 ? 255 : v) << "pixel " << i << ", channel " << c;
        }
    }
}

TEST(ImagingPaths, OutputTableMatchesThePlainLoops)
{
    RestorePath restore;
    int table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = 3 * i - 200; // below 0 and above 255 both
    for (size_t n : {size_t(0), size_t(3), size_t(4), size_t(31), size_t(32), size_t(33), size_t(1027)})
        ExpectSamePaths(Noise(n, uint32_t(n)), [&](std::vector<BYTE> &raw) {
            PellixMapBytes(raw.data(), raw.size(), table);
        }, "output table");
}

// The run with VELTRANE_PLAIN_PATHS=1 must really start on the plain loops.
TEST(ImagingPaths, EnvironmentChoosesThePath)
{
    char value[4] = "";
    const bool wanted = GetEnvironmentVariableA("VELTRANE_PLAIN_PATHS", value, sizeof value) == 1 && value[0] == '1';
    EXPECT_EQ(kStartedPlain, wanted);
}

} // namespace
