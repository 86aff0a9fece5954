// CPellixCamera: exposure, gains, colour and tone, auto exposure and white balance.
#include "PellixCameraParts.h"

#include "PellixImaging.h"

#include <cstring>

using namespace PellixParts;

// ---- properties ------------------------------------------------------------

int CPellixCamera::GetExposure(double *ms, double *min, double *max)
{
    WORD high = 0, low = 0;
    if (!m_device.ReadRegister(kShutterHigh, &high) || !m_device.ReadRegister(kShutterLow, &low))
        return PELLIX_E_TRANSFER;
    const Timing tm = TimingOf(m_format, m_variantB);
    const double s = std::max(1.0, double(high) * 65536 + low);
    *ms = std::min(tm.Exposure(s), tm.Max());
    *min = tm.Min();
    *max = tm.Max();
    return 0;
}

int CPellixCamera::SetExposure(double ms)
{
    const Timing tm = TimingOf(m_format, m_variantB);
    ms = std::min(ms, tm.Max());
    double s = tm.Shutter(ms);
    if (!(s >= 1))
        s = 1;
    const unsigned count = unsigned(std::min(s, 4294967295.0));
    if (!m_device.WriteRegister(kShutterLow, WORD(count)) || !m_device.WriteRegister(kShutterHigh, WORD(count >> 16)))
        return PELLIX_E_TRANSFER;
    return 0;
}

int CPellixCamera::GetGlobalGain(float *value, float *min, float *max)
{
    WORD reg = 0;
    if (!m_device.ReadRegister(kGreenGain, &reg))
        return PELLIX_E_TRANSFER;
    return PropertyOut(std::min(16.0f, 1.0f + float((reg >> 8) & 0xFF) / 8.0f), 1.0f, 16.0f, value, min, max);
}

int CPellixCamera::SetGlobalGain(float value)
{
    value = std::max(1.0f, std::min(16.0f, value));
    const int d = int((value - 1.0f) * 8.0f);
    CAutoLock lock(&m_lock);
    for (BYTE reg : {kGreenGain, kBlueGain, kRedGain, kGreen2Gain}) {
        WORD v = 0;
        if (!m_device.ReadRegister(reg, &v) || !m_device.WriteRegister(reg, WORD((d << 8) | (v & 0xFF))))
            return PELLIX_E_TRANSFER;
    }
    return 0;
}

int CPellixCamera::GetColourGain(PellixGain gain, float *value, float *min, float *max)
{
    const BYTE reg = GainRegister(gain);
    WORD v = 0;
    if (!m_device.ReadRegister(reg, &v))
        return PELLIX_E_TRANSFER;
    const int low = v & 0xFF;
    const bool high = (low & 0x40) != 0;
    const float lo = high ? 4.0f : 1.0f, hi = high ? 8.0f : 4.0f;
    const float g = float(low & 0x3F) / (high ? 4.0f : 8.0f);
    return PropertyOut(std::max(lo, std::min(hi, g)), lo, hi, value, min, max);
}

int CPellixCamera::SetColourGain(PellixGain gain, float value)
{
    const BYTE reg = GainRegister(gain);
    WORD v = 0;
    if (!m_device.ReadRegister(reg, &v))
        return PELLIX_E_TRANSFER;
    int low;
    if (v & 0x40) {
        value = std::max(4.0f, std::min(8.0f, value));
        low = int(value * 4.0f + 0.5f) | 0x40;
    } else {
        value = std::max(1.0f, std::min(4.0f, value));
        low = int(value * 8.0f + 0.5f);
    }
    if (!m_device.WriteRegister(reg, WORD((v & 0xFF00) | low)))
        return PELLIX_E_TRANSFER;
    return 0;
}

int CPellixCamera::GetSaturation(float *value, float *min, float *max)
{
    CAutoLock lock(&m_lock);
    return PropertyOut(float(m_saturation - 1) / 510.0f, 0.0f, 1.0f, value, min, max);
}

int CPellixCamera::SetSaturation(float value)
{
    const int code = std::max(1, std::min(511, int(value * 510.0f + 1.0f)));
    CAutoLock lock(&m_lock);
    if (!m_satT) {
        m_satT = AlignedAlloc<int>(256);
        m_satM = AlignedAlloc<int>(768);
        if (!m_satT || !m_satM) {
            AlignedFree(m_satT);
            AlignedFree(m_satM);
            return PELLIX_E_MEMORY;
        }
    }
    PellixSaturationTables(code, m_satT, m_satM);
    m_saturation = code;
    return 0;
}

int CPellixCamera::GetKelvin(float *value, float *min, float *max)
{
    CAutoLock lock(&m_lock);
    return PropertyOut(float(m_kelvin), 3000.0f, 9000.0f, value, min, max);
}

int CPellixCamera::SetKelvin(float value)
{
    if (!((value >= 3000.0f && value <= 9000.0f) || int(value) == 0))
        return PELLIX_E_RANGE;
    CAutoLock lock(&m_lock);
    m_kelvin = int(value);
    return 0;
}

int CPellixCamera::GetGamma(float *value, float *min, float *max)
{
    CAutoLock lock(&m_lock);
    return PropertyOut(float(m_gamma), 0.01f, 100.0f, value, min, max);
}

void CPellixCamera::RebuildOutputTable()
{
    m_outputOn = true;
    PellixOutputTable(m_curve, m_gamma, m_output);
}

int CPellixCamera::SetGamma(float value)
{
    // Single-precision on purpose: 0.005 is accepted because 0.005f x 100
    // rounds to 0.5f.
    const float scaled = value * 100.0f + 0.5f;
    if (!(scaled >= 1.0f) || !(value <= 100.0f))
        return PELLIX_E_RANGE;
    CAutoLock lock(&m_lock);
    m_gamma = value;
    RebuildOutputTable();
    return 0;
}

int CPellixCamera::SetCurve(float xa, float ya, float xb, float yb)
{
    if (!(xb - xa >= 0.01f))
        return PELLIX_E_ARGUMENT;
    const int pa = int(xa * 255.0f), qa = int(ya * 255.0f), pb = int(xb * 255.0f), qb = int(yb * 255.0f);
    for (int v : {pa, qa, pb, qb})
        if (v < 0 || v > 255)
            return PELLIX_E_RANGE;
    CAutoLock lock(&m_lock);
    PellixCurve(pa, qa, pb, qb, m_curve);
    RebuildOutputTable();
    return 0;
}

// ---- auto exposure, white balance, histogram ------------------------------

bool CPellixCamera::CheckArea(const RECT *area, int minSpan, RECT *out) const
{
    const int w = FrameW(), h = FrameH();
    if (!area) {
        *out = RECT{0, 0, w, h};
        return true;
    }
    if (area->left < 0 || area->top < 0 || area->right > w || area->bottom > h || area->right - area->left < minSpan ||
        area->bottom - area->top < minSpan)
        return false;
    *out = *area;
    return true;
}

int CPellixCamera::AutoExposure(int target, const RECT *area)
{
    RECT a;
    if (target < 1 || target > 100 || !CheckArea(area, 4, &a))
        return PELLIX_E_RANGE;
    const int aim = target * 250 / 100;
    const double pixels = double(a.right - a.left) * (a.bottom - a.top);
    for (int pass = 0; pass < 6; ++pass) {
        double current, lo, hi;
        if (GetExposure(&current, &lo, &hi) != 0)
            return 0;
        double sums[4] = {};
        {
            CAutoLock lock(&m_lock);
            const int w = FrameW();
            BYTE *work = Work();
            std::memcpy(work, Consumer(), size_t(m_frameBytes));
            for (int y = a.top; y < a.bottom; ++y) {
                const BYTE *row = work + size_t(y) * w;
                unsigned s[2] = {0, 0};
                for (int x = a.left; x < a.right; ++x)
                    s[(x - a.left) & 1] += row[x];
                sums[(y & 1) * 2] += s[0];
                sums[(y & 1) * 2 + 1] += s[1];
            }
        }
        const double largest = *std::max_element(sums, sums + 4);
        double mean = largest * 4 / pixels - 10;
        if (mean < 1)
            mean = 1;
        else if (mean > 240)
            mean = 500; // a saturated scene is cut harder than its mean says
        const double next = aim / mean * current;
        SetExposure(next);
        if (next >= hi - 0.1 || next <= lo + 0.1 || std::fabs(next - current) < 6)
            break;
        Sleep(1000);
    }
    return 0;
}

int CPellixCamera::WhiteBalance(const RECT *area)
{
    RECT a;
    if (!CheckArea(area, 4, &a))
        return PELLIX_E_RANGE;
    double sums[4] = {}; // green, red, blue, second green
    {
        CAutoLock lock(&m_lock);
        const int w = FrameW();
        BYTE *work = Work();
        std::memcpy(work, Consumer(), size_t(m_frameBytes));
        for (int y = a.top; y < a.bottom; ++y) {
            const BYTE *row = work + size_t(y) * w;
            for (int x = a.left; x < a.right; ++x)
                sums[(y & 1) * 2 + (x & 1)] += row[x];
        }
    }
    // Class order by position: even/even green, even/odd red, odd/even blue, odd/odd green.
    const double quarter = double(a.right - a.left) * (a.bottom - a.top) / 4;
    double means[4];
    for (int k = 0; k < 4; ++k) {
        means[k] = sums[k] / quarter;
        if (means[k] < 1)
            return PELLIX_E_ARGUMENT;
    }
    const double average = (means[0] + means[1] + means[2] + means[3]) / 4;
    const double g = (average / means[0] + average / means[3]) / 2;
    const double r = average / means[1] / g, b = average / means[2] / g;

    double ref[3] = {1, 1, 1}; // red, green, blue
    if (m_kelvin != 0) {
        // Row K / 100 - 20 holds the colour of K - 1000: the row index is
        // (T - 1000) / 100. Kept as the camera has always done it.
        const PellixColourRow *table = PellixColourTable();
        const int n = m_kelvin / 100 - 20, m = m_kelvin % 100;
        const PellixColourRow &row = table[n];
        const PellixColourRow &next = table[std::min(n + 1, kPellixColourRows - 1)];
        const BYTE own[3] = {row.r, row.g, row.b}, nxt[3] = {next.r, next.g, next.b};
        for (int c = 0; c < 3; ++c)
            ref[c] = m == 0 ? own[c] : ((100 - m) * own[c] + m * nxt[c]) / 100.0;
    }
    float red, blue, green;
    int rc = GetColourGain(PellixGain::Red, &red, nullptr, nullptr);
    if (rc == 0)
        rc = GetColourGain(PellixGain::Blue, &blue, nullptr, nullptr);
    if (rc != 0)
        return rc;
    rc = SetColourGain(PellixGain::Red, float(red * r * ref[0] / ref[1]));
    if (rc == 0)
        rc = SetColourGain(PellixGain::Blue, float(blue * b * ref[2] / ref[1]));
    if (rc == 0)
        rc = GetColourGain(PellixGain::Green, &green, nullptr, nullptr);
    if (rc == 0)
        rc = SetColourGain(PellixGain::Green, green);
    if (rc == 0)
        rc = SetColourGain(PellixGain::Green2, green);
    return rc;
}

int CPellixCamera::GetHistogram(int *bins, int *bytes)
{
    if (bytes)
        *bytes = 768 * sizeof(int);
    if (!bins)
        return 0;
    if (!Writable(bins, 768 * sizeof(int)))
        return PELLIX_E_NOT_WRITABLE;
    CAutoLock lock(&m_lock);
    PellixHistogram(Consumer(), FrameW(), FrameH(), bins);
    return 0;
}
