// The clock and the median timing of the benchmarks: each figure is the
// median of several runs, so one slow run on a busy machine does not count.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

inline double BenchNow()
{
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

inline double BenchMedian(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Median of `repeats` timed runs of `run`, in milliseconds; `prepare` runs
// untimed before each, and once more with one untimed run first to warm
// caches, page tables and whatever the operation keeps.
inline double BenchTimeMs(const std::function<void()>& prepare, const std::function<void()>& run, int repeats)
{
    std::vector<double> ms;
    prepare();
    run();
    for (int i = 0; i < repeats; ++i) {
        prepare();
        const double t0 = BenchNow();
        run();
        ms.push_back((BenchNow() - t0) * 1000.0);
    }
    return BenchMedian(ms);
}

// A memcpy of `bytes` at the speed of main memory: the median time of copying
// a buffer larger than any last-level cache, scaled to `bytes`. A frame that
// fits in the cache copies faster than this; a stage is judged against both,
// so that beating a cache-hot copy is not asked of a frame that streams from
// memory in the pipeline, nor a cold copy taken as the mark for one that
// stays in the cache.
// The largest data cache the system reports, or 0 when it reports none.
inline size_t BenchLargestCacheBytes()
{
    DWORD length = 0;
    GetLogicalProcessorInformation(nullptr, &length);
    std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> info(length / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION) + 1);
    length = DWORD(info.size() * sizeof info[0]);
    if (!GetLogicalProcessorInformation(info.data(), &length))
        return 0;
    size_t largest = 0;
    for (size_t i = 0; i < length / sizeof info[0]; ++i)
        if (info[i].Relationship == RelationCache && info[i].Cache.Type != CacheInstruction)
            largest = std::max(largest, size_t(info[i].Cache.Size));
    return largest;
}

inline double BenchMemoryCopyMs(size_t bytes, int repeats = 5)
{
    // Each of the two buffers four times the largest cache, from 64 MB to
    // 256 MB, which a 32-bit process can still hold.
    static const size_t big = std::min(size_t(256) << 20, std::max(size_t(64) << 20, 4 * BenchLargestCacheBytes()));
    static std::vector<unsigned char> from(big, 1), to(big, 2);
    static double msPerByte = 0.0;
    if (msPerByte == 0.0) {
        const double ms = BenchTimeMs([] {}, [] { std::memcpy(to.data(), from.data(), big); }, repeats);
        msPerByte = ms / double(big);
    }
    return msPerByte * double(bytes);
}
