#include "MeasureTypes.h"

#include <cmath>

const wchar_t* const MeasureUnitNames[kMeasureUnitCount] = {L"um", L"mm", L"cm", L"dm", L"inch"};

const wchar_t* MeasureUnitName(int unit) {
    return unit >= 0 && unit < kMeasureUnitCount ? MeasureUnitNames[unit] : L"";
}

namespace {
bool Positive(double v) { return std::isfinite(v) && v > 0; }
}

bool IsValidCalibration(const MeasureCalibration& cal) {
    return cal.unit >= 0 && cal.unit < kMeasureUnitCount && Positive(cal.unitsPerPixelX) &&
           Positive(cal.unitsPerPixelY) && Positive(cal.knownLengthX) && Positive(cal.knownLengthY);
}

bool IsValidZoom(float zoom) { return std::isfinite(zoom) && zoom > 0; }

// Truncation toward zero both ways, in single precision as the zoom is kept.
void MeasureImageToView(const MeasureViewSettings& view, POINT& pt) {
    pt.x = static_cast<int>(pt.x * view.zoom - view.scroll.x);
    pt.y = static_cast<int>(pt.y * view.zoom - view.scroll.y);
}

void MeasureViewToImage(const MeasureViewSettings& view, POINT& pt) {
    pt.x = static_cast<int>((pt.x + view.scroll.x) / view.zoom);
    pt.y = static_cast<int>((pt.y + view.scroll.y) / view.zoom);
}
