#include "PellixCamera.h"

#include "PellixImaging.h"

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Whether every page of the range is committed memory with one of the given
// protections. Asked of VirtualQuery rather than probed by touching
// (IsBadWritePtr): a probe turns a guard page into an ordinary one, races
// with a thread freeing the memory, and relies on the fault being reported
// as an access violation, which a 32-bit emulator does not always do.
bool RangeAllows(const void *p, size_t size, DWORD protections)
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

bool Writable(const void *p, size_t size) { return RangeAllows(p, size, kWritable); }
bool Readable(const void *p, size_t size) { return RangeAllows(p, size, kReadable); }

const DWORD kFrameWait = 1000;
const DWORD kFlatFieldWait = 5000;

// Sensor registers.
const BYTE kChipVersion = 0x00, kRowStart = 0x01, kColumnStart = 0x02, kHeight = 0x03, kWidth = 0x04;
const BYTE kHorizontalBlank = 0x05, kVerticalBlank = 0x06, kShutterHigh = 0x08, kShutterLow = 0x09;
const BYTE kReset = 0x0D, kRowMode = 0x22, kColumnMode = 0x23;
const BYTE kGreenGain = 0x2B, kBlueGain = 0x2C, kRedGain = 0x2D, kGreen2Gain = 0x2E;

// Exposure timing terms, indexed by bin or skip 1 to 4.
const int kRowTermA[5] = {0, 331, 673, 999, 0};
const int kColumnTermA[5] = {0, 38, 22, 14, 0};
const int kColumnBinB[5] = {0, 80, 40, 0, 20};
const int kRowBinB[5] = {0, 520, 320, 0, 20};
const int kSkipB[5] = {0, 0, -300, 0, -470};

struct Timing {
    bool variantB;
    double t;  // row time in counts
    int r;     // variant A row term
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

Timing TimingOf(const PellixFrameFormat &f, bool variantB)
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

class Lock {
public:
    explicit Lock(CRITICAL_SECTION &cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    CRITICAL_SECTION &m_cs;
};

} // namespace

CPellixCamera &CPellixCamera::Instance()
{
    static CPellixCamera camera;
    return camera;
}

// ---- initialisation -------------------------------------------------------

DWORD WINAPI CPellixCamera::MutexOwner(void *self)
{
    CPellixCamera *cam = static_cast<CPellixCamera *>(self);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "EzUsbApi");
    if (!mutex) {
        cam->m_mutexResult = PELLIX_E_FAILED;
        SetEvent(cam->m_mutexAcquired);
        return 0;
    }
    // An abandoned mutex (its last owner died) is ours all the same.
    const DWORD wait = WaitForSingleObject(mutex, 1000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        CloseHandle(mutex);
        cam->m_mutexResult = PELLIX_E_BUSY;
        SetEvent(cam->m_mutexAcquired);
        return 0;
    }
    cam->m_mutexResult = 0;
    SetEvent(cam->m_mutexAcquired);
    WaitForSingleObject(cam->m_mutexRelease, INFINITE);
    ::ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

bool CPellixCamera::AcquireMutex()
{
    m_mutexAcquired = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_mutexRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (m_mutexAcquired && m_mutexRelease)
        m_mutexThread = CreateThread(nullptr, 0, MutexOwner, this, 0, nullptr);
    if (!m_mutexThread) {
        m_mutexResult = PELLIX_E_FAILED;
    } else {
        WaitForSingleObject(m_mutexAcquired, INFINITE);
        if (m_mutexResult == 0)
            return true;
    }
    DropMutex();
    return false;
}

void CPellixCamera::DropMutex()
{
    if (m_mutexThread) {
        SetEvent(m_mutexRelease);
        WaitForSingleObject(m_mutexThread, INFINITE);
        CloseHandle(m_mutexThread);
    }
    if (m_mutexAcquired)
        CloseHandle(m_mutexAcquired);
    if (m_mutexRelease)
        CloseHandle(m_mutexRelease);
    m_mutexThread = m_mutexAcquired = m_mutexRelease = nullptr;
}

int CPellixCamera::Initialize()
{
    if (m_initialised)
        return PELLIX_E_BUSY;
    if (!AcquireMutex())
        return m_mutexResult;
    m_initialised = true;
    m_frameEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    InitializeCriticalSection(&m_lock);
    m_lockMade = true;
    if (!m_frameEvent) {
        Uninitialize();
        return PELLIX_E_FAILED;
    }
    if (!m_device.OpenFirst()) {
        Uninitialize();
        return PELLIX_E_NO_DEVICE;
    }
    WORD chip = 0;
    if (!m_device.ReadRegister(kChipVersion, &chip) || !m_device.WriteRegister(kReset, 1) ||
        !m_device.WriteRegister(kReset, 0)) {
        Uninitialize();
        return PELLIX_E_TRANSFER;
    }
    bool written;
    if (chip == 0x1621) {
        m_variantB = false;
        m_maxW = 2048;
        m_maxH = 1536;
        written = m_device.WriteRegister(0x1E, 0x5040) && m_device.WriteRegister(0x4E, 0x0020);
    } else if (chip == 0x1801) {
        m_variantB = true;
        m_maxW = 2592;
        m_maxH = 1944;
        written = m_device.WriteRegister(0x1E, 0x4006);
    } else {
        Uninitialize();
        return PELLIX_E_SENSOR;
    }
    if (!written) {
        Uninitialize();
        return PELLIX_E_TRANSFER;
    }

    const size_t frameSize = size_t(3) * m_maxW * m_maxH + 1024;
    m_frame = AlignedAlloc<BYTE>(frameSize);
    m_curve = AlignedAlloc<int>(256);
    m_output = AlignedAlloc<int>(256);
    m_clamp = AlignedAlloc<int>(65536);
    if (!m_frame || !m_curve || !m_output || !m_clamp) {
        Uninitialize();
        return PELLIX_E_MEMORY;
    }
    // Zeroed so that a histogram before the first frame reads no garbage.
    std::memset(m_frame, 0, frameSize);
    for (int i = 0; i < 256; ++i)
        m_curve[i] = m_output[i] = i;
    for (int i = 0; i < 65536; ++i)
        m_clamp[i] = std::min(i, 255);
    m_outputOn = false;
    m_gamma = 1.0;
    m_saturation = 256;
    m_kelvin = 0;
    m_flipH = m_flipV = 0;
    m_ffcOn = false;

    if (m_variantB) {
        const float two = 2.0f;
        int rc = SetColourGain(kGreenGain, two);
        if (rc == 0)
            rc = SetColourGain(kGreen2Gain, two);
        if (rc == 0)
            rc = SetColourGain(kBlueGain, two);
        if (rc == 0)
            rc = SetColourGain(kRedGain, two);
        if (rc != 0) {
            Uninitialize();
            return rc;
        }
    }
    // The sensor wakes up at full size; the exposure read before the first
    // format is converted with that geometry.
    const PellixFrameFormat full{0, 0, WORD(m_maxW), WORD(m_maxH), 1, 1, 1, 1};
    {
        Lock lock(m_lock);
        m_format = full;
        m_frameBytes = m_maxW * m_maxH;
    }
    return SetFrameFormat(full);
}

void CPellixCamera::FreeBuffers()
{
    AlignedFree(m_frame);
    AlignedFree(m_curve);
    AlignedFree(m_output);
    AlignedFree(m_clamp);
    AlignedFree(m_satT);
    AlignedFree(m_satM);
    AlignedFree(m_ffcGains);
    AlignedFree(m_gainMap);
    AlignedFree(m_ownModel);
    m_gainMapValid = false;
}

int CPellixCamera::Uninitialize()
{
    if (!m_initialised)
        return PELLIX_E_NOT_INITIALIZED;
    if (Running())
        StopAcquisition();
    FreeBuffers();
    if (m_lockMade)
        DeleteCriticalSection(&m_lock);
    m_lockMade = false;
    if (m_frameEvent)
        CloseHandle(m_frameEvent);
    m_frameEvent = nullptr;
    m_device.Close();
    DropMutex();
    m_frameBytes = 0;
    m_format = PellixFrameFormat{};
    m_initialised = false;
    return 0;
}

// ---- frame format and acquisition ---------------------------------------

int CPellixCamera::SetFrameFormat(const PellixFrameFormat &f)
{
    if (f.columnBin > 4 || f.rowBin > 4 || f.columnSkip > 8 || f.rowSkip > 8 || !f.columnBin || !f.rowBin ||
        !f.columnSkip || !f.rowSkip)
        return PELLIX_E_RANGE;
    if (f.columnStart > m_maxW - 32 || f.rowStart > m_maxH - 32 || f.width > m_maxW || f.height > m_maxH ||
        f.width < 32 || f.height < 32)
        return PELLIX_E_RANGE;
    if ((f.rowStart & 1) || f.columnStart % (2 * f.columnBin) || f.width % (4 * f.columnSkip) ||
        f.height % (2 * f.rowSkip) || (f.columnBin > 1 && f.columnBin != f.columnSkip) ||
        (f.rowBin >= 2 && f.rowBin != f.rowSkip))
        return PELLIX_E_ARGUMENT;
    // A window running past the array would read past the sensor and the gain map.
    if (f.columnStart + f.width > m_maxW || f.rowStart + f.height > m_maxH)
        return PELLIX_E_RANGE;

    if (Running())
        StopAcquisition();
    double ms = 0, lo, hi;
    if (GetExposure(&ms, &lo, &hi) != 0)
        return PELLIX_E_TRANSFER;
    const int columnOffset = m_variantB ? 18 : (f.columnBin == 3 ? 36 : 32);
    const bool ok = m_device.WriteRegister(kRowStart, WORD(f.rowStart + (m_variantB ? 54 : 20))) &&
                    m_device.WriteRegister(kColumnStart, WORD(f.columnStart + columnOffset)) &&
                    m_device.WriteRegister(kWidth, WORD(f.width - 1)) &&
                    m_device.WriteRegister(kHeight, WORD(f.height - 1)) &&
                    m_device.WriteRegister(kVerticalBlank, 22) && m_device.WriteRegister(kHorizontalBlank, 40) &&
                    m_device.WriteRegister(kRowMode, WORD((f.rowBin - 1) * 16 + (f.rowSkip - 1))) &&
                    m_device.WriteRegister(kColumnMode, WORD((f.columnBin - 1) * 16 + (f.columnSkip - 1)));
    if (!ok)
        return PELLIX_E_TRANSFER;
    {
        Lock lock(m_lock);
        m_format = f;
        m_frameBytes = FrameW() * FrameH();
    }
    if (SetExposure(ms) != 0)
        return PELLIX_E_TRANSFER;
    Sleep(100);
    return StartAcquisition();
}

int CPellixCamera::StartAcquisition()
{
    if (Running())
        return PELLIX_E_FAILED;
    const int w = FrameW(), h = FrameH();
    const WORD halfW = WORD((w / 2 - 1) & 0xFFF);
    if (!m_variantB) {
        const BYTE geometry[6] = {BYTE(halfW), BYTE(halfW >> 8), 0, 0, 0, 0};
        if (!m_device.BulkWrite(geometry, sizeof geometry))
            return PELLIX_E_TRANSFER;
    }
    m_published = 0;
    m_fps = 0;
    m_run = true;
    ResetEvent(m_frameEvent);
    BYTE start[10] = {};
    if (!m_device.Vendor(0, 0xB3, 0, start, sizeof start)) {
        m_run = false;
        return PELLIX_E_TRANSFER;
    }
    // A failed start leaves neither the flag nor the stream on.
    BYTE stop[1] = {0};
    if (m_variantB) {
        const WORD lastRow = WORD(h - 1);
        const BYTE geometry[14] = {BYTE(halfW), BYTE(halfW >> 8), 0, 0, 0xFF, 0x01, 0xFF, 0x01,
                                   0xFF,        0x01,             0xFF, 0x01, BYTE(lastRow), BYTE(lastRow >> 8)};
        if (!m_device.BulkWrite(geometry, sizeof geometry)) {
            m_run = false;
            m_device.Vendor(0, 0xB8, 0, stop, sizeof stop);
            return PELLIX_E_TRANSFER;
        }
    }
    m_thread = CreateThread(nullptr, 0, AcquisitionThread, this, 0, nullptr);
    if (!m_thread) {
        m_run = false;
        m_device.Vendor(0, 0xB8, 0, stop, sizeof stop);
        return PELLIX_E_FAILED;
    }
    SetThreadPriority(m_thread, THREAD_PRIORITY_ABOVE_NORMAL);
    return 0;
}

int CPellixCamera::StopAcquisition()
{
    if (!Running())
        return PELLIX_E_FAILED;
    m_run = false;
    WaitForSingleObject(m_thread, INFINITE);
    BYTE stop[1] = {0};
    m_device.Vendor(0, 0xB8, 0, stop, sizeof stop);
    CloseHandle(m_thread);
    m_thread = nullptr;
    return 0;
}

DWORD WINAPI CPellixCamera::AcquisitionThread(void *self)
{
    static_cast<CPellixCamera *>(self)->Acquire();
    return 0;
}

void CPellixCamera::Acquire()
{
    // The format does not change while the thread runs.
    const int n = m_frameBytes;
    int carry = 0; // bytes of the next frame already received
    unsigned frames = 0;
    DWORD countStart = GetTickCount();
    while (m_run) {
        const int need = n - carry;
        const int pad = (512 - need % 512) % 512;
        BYTE *dst = Receive() + carry;
        int left = need + pad;
        bool ok = true;
        while (ok && left > 0) {
            const int piece = (m_variantB && left > 0x200000) ? 0x200000 : left;
            ok = m_device.BulkRead(dst, DWORD(piece));
            dst += piece;
            left -= piece;
        }
        if (!ok) {
            // The receive area is partly stale: never hand it out as a frame.
            m_run = false;
            break;
        }
        // Only a published frame is signalled: signalling one the busy lock
        // kept back would wake a consumer to the old copy, and a consumer
        // slower than the stream would then never see a new frame again.
        bool published = false;
        if (TryEnterCriticalSection(&m_lock)) {
            std::memcpy(Consumer(), Receive(), size_t(n));
            ++m_published;
            published = true;
            LeaveCriticalSection(&m_lock);
        }
        std::memmove(Receive(), Receive() + n, size_t(pad));
        carry = pad;
        if (published)
            SetEvent(m_frameEvent);
        ++frames;
        const DWORD now = GetTickCount();
        if (now - countStart > 1000) {
            m_fps = float(frames * 1000.0 / (now - countStart));
            frames = 0;
            countStart = now;
        }
    }
}

bool CPellixCamera::WaitFrame(DWORD ms)
{
    const DWORD begin = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - begin;
        if (spent >= ms || WaitForSingleObject(m_frameEvent, ms - spent) != WAIT_OBJECT_0)
            return false;
        if (m_published > 0)
            return true;
    }
}

int CPellixCamera::GetFrameFormat(PellixFrameFormat *current, PellixFrameFormat *min, PellixFrameFormat *max)
{
    {
        Lock lock(m_lock);
        *current = m_format;
    }
    if (min)
        *min = PellixFrameFormat{0, 0, 32, 32, 1, 1, 1, 1};
    if (max)
        *max = PellixFrameFormat{WORD(m_maxW - 32), WORD(m_maxH - 32), WORD(m_maxW), WORD(m_maxH), 8, 4, 8, 4};
    return 0;
}

int CPellixCamera::GetFrameRate(float *fps)
{
    if (!Running())
        return PELLIX_E_FAILED;
    *fps = m_fps;
    return 0;
}

int CPellixCamera::GetImageFlip(int *h, int *v)
{
    Lock lock(m_lock);
    if (h)
        *h = m_flipH;
    if (v)
        *v = m_flipV;
    return 0;
}

int CPellixCamera::SetImageFlip(const int *h, const int *v)
{
    Lock lock(m_lock);
    if (h)
        m_flipH = *h;
    if (v)
        m_flipV = *v;
    return 0;
}

int CPellixCamera::GetCameraID(int *id, int *a, int *b)
{
    *id = m_variantB ? 0x518 : 0x318;
    DWORD words[2] = {};
    if (!m_device.Vendor(1, 0xB9, 0, words, sizeof words))
        return PELLIX_E_TRANSFER;
    *a = int(words[1]);
    *b = int(words[0]);
    return 0;
}

void CPellixCamera::ApplyFlatField(BYTE *raw, const PellixFrameFormat &f)
{
    const int w = f.width / f.columnSkip, h = f.height / f.rowSkip;
    for (int y = 0; y < h; ++y) {
        const int r = f.rowStart + (y / 2) * 2 * f.rowSkip + (y & 1);
        const WORD *gains = m_gainMap + size_t(r) * m_maxW;
        BYTE *row = raw + size_t(y) * w;
        for (int x = 0; x < w; ++x) {
            const int c = f.columnStart + (x / 2) * 2 * f.columnSkip + (x & 1);
            row[x] = BYTE(m_clamp[(row[x] * gains[c]) >> 8]);
        }
    }
}

int CPellixCamera::GetBitmap(BITMAPINFOHEADER *header, BYTE *pixels)
{
    if (!Running())
        return PELLIX_E_FAILED;
    if (!header)
        return PELLIX_E_ARGUMENT;
    if (!Writable(header, sizeof *header))
        return PELLIX_E_NOT_WRITABLE;
    // One format for the header, the check and the demosaic: a format set by
    // another thread meanwhile must not overrun a buffer sized by the header.
    PellixFrameFormat f;
    {
        Lock lock(m_lock);
        f = m_format;
    }
    const int w = f.width / f.columnSkip, h = f.height / f.rowSkip;
    std::memset(header, 0, sizeof *header);
    header->biSize = sizeof *header;
    header->biWidth = w;
    header->biHeight = -h;
    header->biPlanes = 1;
    header->biBitCount = 24;
    if (!pixels)
        return 0;
    if (!Writable(pixels, size_t(w) * h * 3))
        return PELLIX_E_NOT_WRITABLE;
    if (!WaitFrame(kFrameWait))
        return PELLIX_E_TIMEOUT;
    Lock lock(m_lock);
    if (std::memcmp(&f, &m_format, sizeof f) != 0)
        return PELLIX_E_TIMEOUT; // no frame of the header's format yet
    BYTE *work = Work();
    std::memcpy(work, Consumer(), size_t(m_frameBytes));
    if (m_ffcOn && m_gainMapValid)
        ApplyFlatField(work, f);
    if (m_outputOn)
        PellixMapBytes(work, size_t(m_frameBytes), m_output);
    PellixDemosaic(work, w, h, pixels, m_flipH != 0, m_flipV != 0);
    if (m_saturation != 256 && m_satT)
        PellixApplySaturation(pixels, size_t(w) * h, m_satT, m_satM);
    return 0;
}

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
    *value = std::min(16.0f, 1.0f + float((reg >> 8) & 0xFF) / 8.0f);
    if (min)
        *min = 1.0f;
    if (max)
        *max = 16.0f;
    return 0;
}

int CPellixCamera::SetGlobalGain(float value)
{
    value = std::max(1.0f, std::min(16.0f, value));
    const int d = int((value - 1.0f) * 8.0f);
    Lock lock(m_lock);
    for (BYTE reg : {kGreenGain, kBlueGain, kRedGain, kGreen2Gain}) {
        WORD v = 0;
        if (!m_device.ReadRegister(reg, &v) || !m_device.WriteRegister(reg, WORD((d << 8) | (v & 0xFF))))
            return PELLIX_E_TRANSFER;
    }
    return 0;
}

int CPellixCamera::GetColourGain(BYTE reg, float *value, float *min, float *max)
{
    WORD v = 0;
    if (!m_device.ReadRegister(reg, &v))
        return PELLIX_E_TRANSFER;
    const int low = v & 0xFF;
    const bool high = (low & 0x40) != 0;
    const float lo = high ? 4.0f : 1.0f, hi = high ? 8.0f : 4.0f;
    const float g = float(low & 0x3F) / (high ? 4.0f : 8.0f);
    *value = std::max(lo, std::min(hi, g));
    if (min)
        *min = lo;
    if (max)
        *max = hi;
    return 0;
}

int CPellixCamera::SetColourGain(BYTE reg, float value)
{
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
    *value = float(m_saturation - 1) / 510.0f;
    if (min)
        *min = 0.0f;
    if (max)
        *max = 1.0f;
    return 0;
}

int CPellixCamera::SetSaturation(float value)
{
    const int code = std::max(1, std::min(511, int(value * 510.0f + 1.0f)));
    Lock lock(m_lock);
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
    *value = float(m_kelvin);
    if (min)
        *min = 3000.0f;
    if (max)
        *max = 9000.0f;
    return 0;
}

int CPellixCamera::SetKelvin(float value)
{
    if (!((value >= 3000.0f && value <= 9000.0f) || int(value) == 0))
        return PELLIX_E_RANGE;
    m_kelvin = int(value);
    return 0;
}

int CPellixCamera::GetGamma(float *value, float *min, float *max)
{
    *value = float(m_gamma);
    if (min)
        *min = 0.01f;
    if (max)
        *max = 100.0f;
    return 0;
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
    Lock lock(m_lock);
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
    Lock lock(m_lock);
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
    if (area->left < 0 || area->top < 0 || area->right > w || area->bottom > h ||
        area->right - area->left < minSpan || area->bottom - area->top < minSpan)
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
            Lock lock(m_lock);
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
        Lock lock(m_lock);
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
    int rc = GetColourGain(kRedGain, &red, nullptr, nullptr);
    if (rc == 0)
        rc = GetColourGain(kBlueGain, &blue, nullptr, nullptr);
    if (rc != 0)
        return rc;
    rc = SetColourGain(kRedGain, float(red * r * ref[0] / ref[1]));
    if (rc == 0)
        rc = SetColourGain(kBlueGain, float(blue * b * ref[2] / ref[1]));
    if (rc == 0)
        rc = GetColourGain(kGreenGain, &green, nullptr, nullptr);
    if (rc == 0)
        rc = SetColourGain(kGreenGain, green);
    if (rc == 0)
        rc = SetColourGain(kGreen2Gain, green);
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
    Lock lock(m_lock);
    PellixHistogram(Consumer(), FrameW(), FrameH(), bins);
    return 0;
}

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
        Lock lock(m_lock);
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
    Lock lock(m_lock);
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
    Lock lock(m_lock);
    if (!m_gainMapValid)
        return PELLIX_E_FAILED;
    m_ffcOn = on != 0;
    return 0;
}

int CPellixCamera::FlatFieldGet(int *on)
{
    Lock lock(m_lock);
    *on = (m_gainMapValid && m_ffcOn) ? 1 : 0;
    return 0;
}
