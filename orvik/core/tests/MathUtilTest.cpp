// Rounding of the camera dialogs' values and the resolution combo's texts.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "MathUtil.h"

TEST(RoundFloat, RoundsHalvesAwayFromZero) {
    const struct { float in; int decimals; float out; } cases[] = {
        {1.25f, 1, 1.3f},  {-1.25f, 1, -1.3f}, {1.24f, 1, 1.2f},   {-1.24f, 1, -1.2f}, {0.5f, 0, 1.0f},
        {-0.5f, 0, -1.0f}, {2.4f, 0, 2.0f},    {0.125f, 2, 0.13f}, {3.14159f, 3, 3.142f}, {0.0f, 2, 0.0f},
    };
    for (const auto& c : cases) {
        float v = c.in;
        RoundFloat(v, c.decimals);
        EXPECT_FLOAT_EQ(v, c.out) << c.in << " to " << c.decimals;
    }
}

TEST(RoundFloat, LeavesWhatItCannotRoundAsItIs) {
    const struct { float in; int decimals; } cases[] = {
        {3.0e9f, 0}, {-3.0e9f, 0}, {1.0e8f, 2}, {FLT_MAX, 1}, {1.5f, -1}, {1.5f, 10}, {INFINITY, 1},
    };
    for (const auto& c : cases) {
        float v = c.in;
        RoundFloat(v, c.decimals);
        EXPECT_EQ(v, c.in) << c.in << " to " << c.decimals;
    }
    float nan = NAN;
    RoundFloat(nan, 1);
    EXPECT_TRUE(std::isnan(nan));
}

TEST(ResolutionIndex, ExactTextsOnly) {
    const struct { const wchar_t* text; int index; } cases[] = {
        {L"640 X 480", 0},   {L"800 X 600", 1},   {L"1024 X 768", 2}, {L"1280 X 1024", 3},
        {L"2048 X 1536", 4}, {L"2592 X 1944", 5}, {L"2048 x 1536", 1}, {L"", 1}, {nullptr, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(OrvikResolutionIndex(c.text, 1), c.index);
}
