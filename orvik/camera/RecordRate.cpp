#include "RecordRate.h"

#include <CamType.h>

int HestralRecordRate(int width) {
    static const struct {
        int width, rate;
    } kRates[] = {{1024, 8}, {1280, 7}, {1600, 6}, {2048, 3}, {2592, 2}, {3488, 1}};
    for (const auto& r : kRates)
        if (r.width == width) return r.rate;
    return 0;
}

int ChooseRecordRate(int camType, int hestralWidth, int previous) {
    if (camType == kCamMarrowin || camType == kCamDirectShow) return 8;
    if (camType >= kCamHestralT6M && camType <= kCamHestralT8M)
        if (int rate = HestralRecordRate(hestralWidth)) return rate;
    return previous;
}
