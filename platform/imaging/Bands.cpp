#include "Bands.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace imaging {

namespace {

int Processors()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    // More threads than this only add start-up cost at the sizes we handle.
    return std::clamp(int(info.dwNumberOfProcessors), 1, 8);
}

}  // namespace

int BandCount(int rows, int minRows)
{
    static const int processors = Processors();
    return std::clamp(rows / std::max(minRows, 1), 1, processors);
}

void ForBands(int rows, int bands, const std::function<void(int, int, int)>& body)
{
    bands = std::clamp(bands, 1, std::max(rows, 1));
    auto start = [&](int b) { return int((long long)rows * b / bands); };
    std::vector<std::thread> workers;
    std::vector<int> left;
    for (int b = 1; b < bands; ++b) {
        try {
            workers.emplace_back(body, b, start(b), start(b + 1));
        } catch (...) {
            left.push_back(b);
        }
    }
    body(0, 0, start(1));
    for (int b : left)
        body(b, start(b), start(b + 1));
    for (std::thread& t : workers)
        t.join();
}

L_INT BandRows::Init(Frame& f, int y0, int y1, int lo, int hi, size_t scratch)
{
    m_f = &f;
    m_y0 = y0;
    m_y1 = y1;
    m_lo = lo;
    m_top = std::max(y0 - lo, 0);
    const int bottom = std::min(y1 + hi, f.height);
    try {
        m_above.assign(f.Row(m_top), f.Row(y0));
        m_below.assign(f.Row(y1), f.Row(y1) + size_t(std::max(bottom - y1, 0)) * f.stride);
        m_ring.resize(size_t(std::min(lo + 1, y1 - y0)) * f.stride);
        m_scratch.resize(scratch);
    } catch (...) {
        return LERR_NO_MEMORY;
    }
    return SUCCESS;
}

const BYTE* BandRows::Src(int y) const
{
    y = std::clamp(y, 0, m_f->height - 1);
    if (y < m_y0)
        return &m_above[size_t(y - m_top) * m_f->stride];
    if (y >= m_y1)
        return &m_below[size_t(y - m_y1) * m_f->stride];
    return m_f->Row(y);
}

void BandRows::Done(int y)
{
    // Source row y - lo is last read by output row y.
    const int back = y - m_lo;
    if (back >= m_y0)
        std::memcpy(m_f->Row(back), Out(back), size_t(m_f->width) * 3);
}

void BandRows::Finish()
{
    for (int y = std::max(m_y0, m_y1 - m_lo); y < m_y1; ++y)
        std::memcpy(m_f->Row(y), Out(y), size_t(m_f->width) * 3);
}

L_INT FilterInPlace(Frame& f, int lo, int hi, int minRows, size_t scratch,
                    const std::function<void(BandRows&, int, int)>& kernel)
{
    const int bands = BandCount(f.height, minRows);
    std::vector<BandRows> rows;
    try {
        rows.resize(bands);
    } catch (...) {
        return LERR_NO_MEMORY;
    }
    // Every copy is taken before any band writes.
    for (int b = 0; b < bands; ++b) {
        const L_INT rc = rows[b].Init(f, int((long long)f.height * b / bands), int((long long)f.height * (b + 1) / bands),
                                      lo, hi, scratch);
        if (rc != SUCCESS)
            return rc;
    }
    ForBands(f.height, bands, [&](int b, int y0, int y1) {
        kernel(rows[b], y0, y1);
        rows[b].Finish();
    });
    return SUCCESS;
}

}  // namespace imaging
