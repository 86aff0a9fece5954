// CPellixCamera: the flat-field correction.
#include "PellixCameraParts.h"

#include "PellixImaging.h"

#include <cstring>

using namespace PellixParts;

// ---- flat-field correction -------------------------------------------------

int CPellixCamera::FlatFieldMemory(int *bytes)
{
    *bytes = m_maxH * 80 + 128;
    return 0;
}

bool CPellixCamera::AllocateFlatField()
{
    if (!m_ffcGains)
        m_ffcGains = AlignedAlloc<float>(size_t(m_maxW) * m_maxH);
    if (!m_gainMap)
        m_gainMap = AlignedAlloc<WORD>(size_t(m_maxW) * m_maxH);
    return m_ffcGains && m_gainMap;
}

namespace {

// peak / polynomial, at least 1; a dark or failed fit gives no correction
// rather than an infinite or undefined gain.
inline double GainOf(double peak, double value)
{
    if (!(peak > 0) || !(value > 0))
        return 1.0;
    return std::max(1.0, peak / value);
}

} // namespace

int CPellixCamera::FlatFieldCreate(double *model)
{
    const size_t modelBytes = size_t(m_maxH) * 80 + 128;
    if (model && !Writable(model, modelBytes))
        return PELLIX_E_NOT_WRITABLE;
    if (!model) {
        if (!m_ownModel)
            m_ownModel = AlignedAlloc<double>(modelBytes / sizeof(double));
        if (!m_ownModel)
            return PELLIX_E_MEMORY;
        model = m_ownModel;
    }
    if (!AllocateFlatField())
        return PELLIX_E_MEMORY;
    const PellixFrameFormat saved = m_format;
    const bool wasRunning = Running();
    const PellixFrameFormat full{0, 0, WORD(m_maxW), WORD(m_maxH), 1, 1, 1, 1};
    int rc = SetFrameFormat(full);
    if (rc != 0)
        return rc;
    if (!WaitFrame(kFlatFieldWait))
        return PELLIX_E_FAILED;

    bool fitted = true;
    {
        CAutoLock lock(&m_lock);
        const int w = m_maxW, h = m_maxH;
        BYTE *work = Work();
        std::memcpy(work, Consumer(), size_t(m_frameBytes));
        double xs[200], ys[200];
        // Along each row, one fit per column parity.
        for (int r = 0; r < h && fitted; ++r) {
            BYTE *row = work + size_t(r) * w;
            for (int parity = 0; parity < 2 && fitted; ++parity) {
                const int blocks = std::min(200, parity ? (w - 2) / 20 : (w - 1) / 20);
                for (int b = 0; b < blocks; ++b) {
                    const int start = 20 * b + parity;
                    int top = 0;
                    for (int j = 0; j < 10; ++j)
                        top = std::max<int>(top, row[start + 2 * j]);
                    xs[b] = start + 10;
                    ys[b] = top;
                }
                double *coef = model + size_t(r) * 10 + parity * 5;
                if (!PellixPolyFit(xs, ys, blocks, 4, coef)) {
                    fitted = false;
                    break;
                }
                double peak = 0;
                for (int x = parity; x < w; x += 2)
                    peak = std::max(peak, PellixPolyEval(coef, 4, x));
                for (int x = parity; x < w; x += 2) {
                    const double g = GainOf(peak, PellixPolyEval(coef, 4, x));
                    m_ffcGains[size_t(r) * w + x] = float(g);
                    row[x] = BYTE(std::min(255.0, row[x] * g));
                }
            }
        }
        // Down the centre column, one fit per Bayer phase: even/even,
        // odd/even, even/odd, odd/odd (row/column).
        for (int phase = 0; phase < 4 && fitted; ++phase) {
            const int rowOdd = phase & 1, colOdd = phase >> 1;
            const int cx = w / 2 + colOdd;
            const int blocks = std::min(200, rowOdd ? (h - 2) / 20 : (h - 1) / 20);
            for (int b = 0; b < blocks; ++b) {
                const int start = 20 * b + rowOdd;
                int top = 0;
                for (int j = 0; j < 10; ++j)
                    top = std::max<int>(top, work[size_t(start + 2 * j) * w + cx]);
                xs[b] = start + 10;
                ys[b] = top;
            }
            double *coef = model + size_t(h) * 10 + phase * 4;
            if (!PellixPolyFit(xs, ys, blocks, 3, coef)) {
                fitted = false;
                break;
            }
            double peak = 0;
            for (int r = rowOdd; r < h; r += 2)
                peak = std::max(peak, PellixPolyEval(coef, 3, r));
            for (int r = rowOdd; r < h; r += 2) {
                const double vertical = GainOf(peak, PellixPolyEval(coef, 3, r));
                for (int x = colOdd; x < w; x += 2) {
                    const size_t at = size_t(r) * w + x;
                    const double g = std::max(1.0, std::min(16.0, m_ffcGains[at] * vertical));
                    m_gainMap[at] = WORD(g * 256);
                }
            }
        }
        if (fitted)
            m_gainMapValid = true;
    }
    if (!fitted)
        return PELLIX_E_FAILED;
    if (wasRunning) {
        rc = SetFrameFormat(saved);
        if (rc != 0)
            return rc;
        WaitFrame(kFlatFieldWait);
    }
    return 0;
}

int CPellixCamera::FlatFieldImport(const double *model)
{
    const size_t modelBytes = size_t(m_maxH) * 80 + 128;
    // Import only reads the model, so a read-only one will do.
    if (!Readable(model, modelBytes))
        return PELLIX_E_NOT_WRITABLE;
    if (!AllocateFlatField())
        return PELLIX_E_MEMORY;
    CAutoLock lock(&m_lock);
    const int w = m_maxW, h = m_maxH;
    for (int r = 0; r < h; ++r)
        for (int parity = 0; parity < 2; ++parity) {
            const double *coef = model + size_t(r) * 10 + parity * 5;
            double peak = 0;
            for (int x = parity; x < w; x += 2)
                peak = std::max(peak, PellixPolyEval(coef, 4, x));
            for (int x = parity; x < w; x += 2) {
                const double g = std::min(16.0, GainOf(peak, PellixPolyEval(coef, 4, x)));
                m_gainMap[size_t(r) * w + x] = WORD(g * 256);
            }
        }
    m_gainMapValid = true;
    return 0;
}

int CPellixCamera::FlatFieldSet(int on)
{
    CAutoLock lock(&m_lock);
    if (!m_gainMapValid)
        return PELLIX_E_FAILED;
    m_ffcOn = on != 0;
    return 0;
}

int CPellixCamera::FlatFieldGet(int *on)
{
    CAutoLock lock(&m_lock);
    *on = (m_gainMapValid && m_ffcOn) ? 1 : 0;
    return 0;
}
