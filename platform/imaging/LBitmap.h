// A bitmap with the processing commands. Each works on 24 bits per pixel
// (other depths are brought to 24 first) and answers SUCCESS, LERR_NO_BITMAP,
// LERR_INV_PARAMETER for a value out of range, or LERR_NO_MEMORY.
#pragma once

#include "LBitmapBase.h"

class LBitmap : public LBitmapBase {
public:
    LBitmap() = default;
    // Built from a DIB; an unusable DIB leaves the bitmap empty.
    LBitmap(const BITMAPINFO* info, const BYTE* bits);

    L_INT Invert();
    // dim x dim box mean, dim 1..255.
    L_INT AverageFilter(L_INT dim);
    // dim x dim median, dim 1..20.
    L_INT MedianFilter(L_INT dim);
    // -1000..1000; negative values soften.
    L_INT Sharpen(L_INT amount);
    // direction 0..359 degrees (0 lit from the top, clockwise), depth 0..1000.
    L_INT Emboss(L_INT direction, L_INT depth);
    // -1000..1000 each; 0 leaves the picture as it is.
    L_INT ChangeIntensity(L_INT change);
    L_INT ChangeContrast(L_INT change);
    L_INT ChangeSaturation(L_INT change);

private:
    // Brings the picture to 24 bits and lets filter work on it in place; on
    // failure the picture stays as it was.
    template <class Filter>
    L_INT ApplyFilter(Filter filter)
    {
        L_INT rc = Prepare24();
        if (rc != SUCCESS)
            return rc;
        rc = filter(m_frame);
        if (rc != SUCCESS)
            return Fail(rc);
        Changed();
        return SUCCESS;
    }
};
