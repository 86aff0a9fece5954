// What the parts of CPellixCamera share: the buffer checks, the waits,
// the exposure timing and the aligned tables. Included by those files only.
#ifndef PELLIX_CAMERA_PARTS_H
#define PELLIX_CAMERA_PARTS_H

#include "PellixCamera.h"

#include "CritSec.h"

#include <malloc.h>

#include <algorithm>
#include <cmath>

namespace PellixParts {

using namespace PellixRegister;

// Whether every page of the range is committed memory with one of the given
// protections. Asked of VirtualQuery rather than probed by touching
// (IsBadWritePtr): a probe turns a guard page into an ordinary one, races
// with a thread freeing the memory, and relies on the fault being reported
// as an access violation, which a 32-bit emulator does not always do.
inline bool RangeAllows(const void *p, size_t size, DWORD protections)
{
    if (!size)
        return true;
    uintptr_t at = reinterpret_cast<uintptr_t>(p);
    const uintptr_t end = at + size;
    if (!p || end < at)
        return false;
    while (at < end) {
        MEMORY_BASIC_INFORMATION mbi;
        if (!VirtualQuery(reinterpret_cast<const void *>(at), &mbi, sizeof mbi))
            return false;
        if (mbi.State != MEM_COMMIT || (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS)) || !(mbi.Protect & protections))
            return false;
        at = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    }
    return true;
}

const DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
const DWORD kReadable = kWritable | PAGE_READONLY | PAGE_EXECUTE_READ;

inline bool Writable(const void *p, size_t size)
{
    return RangeAllows(p, size, kWritable);
}
inline bool Readable(const void *p, size_t size)
{
    return RangeAllows(p, size, kReadable);
}

const DWORD kFrameWait = 1000;
const DWORD kFlatFieldWait = 5000;

inline BYTE GainRegister(PellixGain gain)
{
    switch (gain) {
    case PellixGain::Blue: return kBlueGain;
    case PellixGain::Red: return kRedGain;
    case PellixGain::Green2: return kGreen2Gain;
    default: return kGreenGain;
    }
}

// Exposure timing terms, indexed by bin or skip 1 to 4.
const int kRowTermA[5] = {0, 331, 673, 999, 0};
const int kColumnTermA[5] = {0, 38, 22, 14, 0};
const int kColumnBinB[5] = {0, 80, 40, 0, 20};
const int kRowBinB[5] = {0, 520, 320, 0, 20};
const int kSkipB[5] = {0, 0, -300, 0, -470};

struct Timing {
    bool variantB;
    double t; // row time in counts
    int r;    // variant A row term
    int rowBin;
    int h;

    double Exposure(double s) const
    {
        if (variantB)
            return (2 * s * t - (rowBin * 1392 + 796)) / 24000;
        return (s * t - r + 132) / 24000;
    }
    double Min() const { return variantB ? t / 12000 : Exposure(1); }
    double Max() const { return variantB ? t * (h + 22) / 12000 : Exposure(h + 22); }
    double Shutter(double ms) const
    {
        if (variantB)
            return std::trunc((rowBin * 1392 + 796 + ms * 24000) / (2 * t));
        return std::trunc((ms * 24000 - 132 + r) / t);
    }
};

inline Timing TimingOf(const PellixFrameFormat &f, bool variantB)
{
    Timing tm{};
    const int w = f.width / f.columnSkip;
    tm.variantB = variantB;
    tm.h = f.height / f.rowSkip;
    tm.rowBin = f.rowBin;
    const int cb = std::min<int>(f.columnBin, 4), rb = std::min<int>(f.rowBin, 4);
    if (variantB) {
        // Skips 5 to 8 take the term of skip 4, the nearest the table gives.
        const int skip = std::min<int>(f.columnSkip, 4);
        const int l = kColumnBinB[cb] / 2 + kRowBinB[rb] + rb * 696 + 46;
        tm.t = double(std::max(41, l) + kSkipB[skip] + w / 2);
    } else {
        tm.r = kRowTermA[rb];
        tm.t = double(std::max(cb * 316 + tm.r, tm.r + w + kColumnTermA[cb] + 40));
    }
    return tm;
}

template <typename T> T *AlignedAlloc(size_t count)
{
    return static_cast<T *>(_aligned_malloc(count * sizeof(T), 32));
}

template <typename T> void AlignedFree(T *&p)
{
    _aligned_free(p);
    p = nullptr;
}

// A property's value and its range; each end only where the caller asks.
inline int PropertyOut(float v, float lo, float hi, float *value, float *min, float *max)
{
    *value = v;
    if (min)
        *min = lo;
    if (max)
        *max = hi;
    return 0;
}

} // namespace PellixParts

#endif
