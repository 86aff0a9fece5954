#include "Bands.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <condition_variable>
#include <mutex>
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

namespace {

// Workers started on first use and kept: starting threads costs more than
// the work of a band. One job at a time; a caller that finds the workers
// busy (another thread's job) does all its bands itself.
class Workers {
public:
    static Workers& Get()
    {
        // Never destroyed: the workers wait to the end of the process.
        static Workers* workers = new Workers;
        return *workers;
    }

    void Run(int bands, const std::function<void(int)>& band)
    {
        std::unique_lock<std::mutex> busy(m_busy, std::try_to_lock);
        if (!busy.owns_lock() || m_threads == 0) {
            for (int b = 0; b < bands; ++b)
                band(b);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_band = &band;
            m_bands = bands;
            m_next = 0;
            m_left = bands;
        }
        m_wake.notify_all();
        Work();
        std::unique_lock<std::mutex> lock(m_lock);
        m_done.wait(lock, [this] { return m_left == 0; });
        m_band = nullptr;
    }

private:
    Workers()
    {
        const int wanted = BandCount(1 << 30, 1) - 1;
        for (int i = 0; i < wanted; ++i) {
            try {
                std::thread([this] { Loop(); }).detach();
                ++m_threads;
            } catch (...) {
                break;
            }
        }
    }

    // Takes bands of the current job until none is left.
    void Work()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        while (m_band && m_next < m_bands) {
            const int b = m_next++;
            const std::function<void(int)>& band = *m_band;
            lock.unlock();
            band(b);
            lock.lock();
            if (--m_left == 0)
                m_done.notify_all();
        }
    }

    void Loop()
    {
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(m_lock);
                m_wake.wait(lock, [this] { return m_band && m_next < m_bands; });
            }
            Work();
        }
    }

    std::mutex m_busy, m_lock;
    std::condition_variable m_wake, m_done;
    const std::function<void(int)>* m_band = nullptr;
    int m_bands = 0, m_next = 0, m_left = 0, m_threads = 0;
};

}  // namespace

void ForBands(int rows, int bands, const std::function<void(int, int, int)>& body)
{
    bands = std::clamp(bands, 1, std::max(rows, 1));
    auto start = [&](int b) { return int((long long)rows * b / bands); };
    if (bands == 1) {
        body(0, 0, rows);
        return;
    }
    Workers::Get().Run(bands, [&](int b) { body(b, start(b), start(b + 1)); });
}

L_INT BandRows::Init(Frame& f, int y0, int y1, int lo, int hi, size_t scratch, int strip)
{
    m_f = &f;
    m_strip = std::min(strip, f.width);
    m_y0 = y0;
    m_y1 = y1;
    m_lo = lo;
    m_top = std::max(y0 - lo, 0);
    const int bottom = std::min(y1 + hi, f.height);
    try {
        m_above.assign(f.Row(m_top), f.Row(y0));
        m_below.assign(f.Row(y1), f.Row(y1) + size_t(std::max(bottom - y1, 0)) * f.stride);
        if (m_strip > 0)
            m_ring.resize(size_t(2) * (y1 - y0) * m_strip * 3);
        else
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

void BandRows::PutBackStrip()
{
    const BYTE* held = &m_ring[size_t(1 - m_half) * (m_y1 - m_y0) * m_strip * 3];
    for (int y = m_y0; y < m_y1; ++y, held += size_t(m_strip) * 3)
        std::memcpy(m_f->Row(y) + size_t(m_heldX0) * 3, held, size_t(m_heldX1 - m_heldX0) * 3);
}

void BandRows::StripDone(int x0, int x1)
{
    // The strip before this one is no longer read: the next reads only as
    // far back as this one.
    PutBackStrip();
    m_heldX0 = x0;
    m_heldX1 = x1;
    m_half = 1 - m_half;
}

void BandRows::Finish()
{
    if (m_strip > 0) {
        PutBackStrip();
        m_heldX0 = m_heldX1 = 0;
        return;
    }
    for (int y = std::max(m_y0, m_y1 - m_lo); y < m_y1; ++y)
        std::memcpy(m_f->Row(y), Out(y), size_t(m_f->width) * 3);
}

L_INT FilterInPlace(Frame& f, int lo, int hi, int minRows, size_t scratch,
                    const std::function<void(BandRows&, int, int)>& kernel, int strip)
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
                                      lo, hi, scratch, strip);
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
