#include "MathUtil.h"

#include <cmath>
#include <cwchar>

void RoundFloat(float& value, int decimals) {
    if (decimals < 0 || decimals > 9) return;
    int p = 1;
    for (int i = 0; i < decimals; ++i) p *= 10;
    const float twice = 2.0f * (float)p;
    const float scaled = twice * value;
    // Past the integer range a float has no fraction left to round (and the
    // truncation would be undefined); NaN fails the test too.
    if (!(std::fabs(scaled) < 2147483520.0f)) return;
    const int t = (int)scaled;
    value = (float)(t + t % 2) / twice;
}

namespace {
const wchar_t* const kResolutionTexts[] = {L"640 X 480",   L"800 X 600",   L"1024 X 768",
                                           L"1280 X 1024", L"2048 X 1536", L"2592 X 1944"};
}  // namespace

int OrvikResolutionIndex(const wchar_t* text, int current) {
    if (!text) return current;
    for (int i = 0; i < (int)(sizeof kResolutionTexts / sizeof kResolutionTexts[0]); ++i)
        if (std::wcscmp(text, kResolutionTexts[i]) == 0) return i;
    return current;
}
