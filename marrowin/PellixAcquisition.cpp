// CPellixCamera: the frame format, the acquisition thread and the bitmaps.
#include "PellixCameraParts.h"

#include "PellixImaging.h"

#include <cstring>

using namespace PellixParts;

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
                    m_device.WriteRegister(kHeight, WORD(f.height - 1)) && m_device.WriteRegister(kVerticalBlank, 22) &&
                    m_device.WriteRegister(kHorizontalBlank, 40) &&
                    m_device.WriteRegister(kRowMode, WORD((f.rowBin - 1) * 16 + (f.rowSkip - 1))) &&
                    m_device.WriteRegister(kColumnMode, WORD((f.columnBin - 1) * 16 + (f.columnSkip - 1)));
    if (!ok)
        return PELLIX_E_TRANSFER;
    {
        CAutoLock lock(&m_lock);
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
        const BYTE geometry[14] = {
            BYTE(halfW),   BYTE(halfW >> 8),  0, 0, 0xFF, 0x01, 0xFF, 0x01, 0xFF, 0x01, 0xFF, 0x01,
            BYTE(lastRow), BYTE(lastRow >> 8)};
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
        CAutoLock lock(&m_lock);
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
    CAutoLock lock(&m_lock);
    if (h)
        *h = m_flipH;
    if (v)
        *v = m_flipV;
    return 0;
}

int CPellixCamera::SetImageFlip(const int *h, const int *v)
{
    CAutoLock lock(&m_lock);
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
        CAutoLock lock(&m_lock);
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
    CAutoLock lock(&m_lock);
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
