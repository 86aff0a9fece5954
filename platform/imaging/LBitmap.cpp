#include "LBitmap.h"

#include <cmath>

using imaging::Frame;

LBitmap::LBitmap(const BITMAPINFO* info, const BYTE* bits)
{
    ConvertFromDIB(info, bits);
}

L_INT LBitmap::Invert()
{
    L_INT rc = Prepare24();
    if (rc != SUCCESS)
        return rc;
    imaging::Invert(m_frame);
    Changed();
    return SUCCESS;
}

L_INT LBitmap::AverageFilter(L_INT dim)
{
    if (dim < 1 || dim > 255)
        return Fail(LERR_INV_PARAMETER);
    return ApplyFilter([&](Frame& f) {
        return imaging::BoxMean(f, dim);
    });
}

L_INT LBitmap::MedianFilter(L_INT dim)
{
    if (dim < 1 || dim > 20)
        return Fail(LERR_INV_PARAMETER);
    return ApplyFilter([&](Frame& f) {
        return imaging::Median(f, dim);
    });
}

L_INT LBitmap::Sharpen(L_INT amount)
{
    if (amount < -1000 || amount > 1000)
        return Fail(LERR_INV_PARAMETER);
    return ApplyFilter([&](Frame& f) {
        return imaging::Sharpen(f, amount);
    });
}

L_INT LBitmap::Emboss(L_INT direction, L_INT depth)
{
    if (direction < 0 || direction > 359 || depth < 0 || depth > 1000)
        return Fail(LERR_INV_PARAMETER);
    return ApplyFilter([&](Frame& f) {
        return imaging::Emboss(f, direction, depth);
    });
}

L_INT LBitmap::ChangeIntensity(L_INT change)
{
    if (change < -1000 || change > 1000)
        return Fail(LERR_INV_PARAMETER);
    L_INT rc = Prepare24();
    if (rc != SUCCESS)
        return rc;
    // An even shift of every channel by change/1000 of the full range.
    const int shift = int(std::lround(change * 255.0 / 1000.0));
    BYTE table[256];
    for (int v = 0; v < 256; ++v)
        table[v] = BYTE(v + shift < 0 ? 0 : v + shift > 255 ? 255 : v + shift);
    imaging::ApplyTable(m_frame, table);
    Changed();
    return SUCCESS;
}

L_INT LBitmap::ChangeContrast(L_INT change)
{
    if (change < -1000 || change > 1000)
        return Fail(LERR_INV_PARAMETER);
    L_INT rc = Prepare24();
    if (rc != SUCCESS)
        return rc;
    // Distances from mid grey (128) scaled by (1000 + change)/1000 when
    // lowering, by 1000/(1000 - change) when raising; 1000 is a threshold at 128.
    BYTE table[256];
    for (int v = 0; v < 256; ++v) {
        double out;
        if (change == 1000)
            out = v < 128 ? 0 : 255;
        else if (change <= 0)
            out = 128 + (v - 128) * (1000.0 + change) / 1000.0;
        else
            out = 128 + (v - 128) * 1000.0 / (1000.0 - change);
        const long r = std::lround(out);
        table[v] = BYTE(r < 0 ? 0 : r > 255 ? 255 : r);
    }
    imaging::ApplyTable(m_frame, table);
    Changed();
    return SUCCESS;
}

L_INT LBitmap::ChangeSaturation(L_INT change)
{
    if (change < -1000 || change > 1000)
        return Fail(LERR_INV_PARAMETER);
    L_INT rc = Prepare24();
    if (rc != SUCCESS)
        return rc;
    imaging::Saturation(m_frame, change);
    Changed();
    return SUCCESS;
}
