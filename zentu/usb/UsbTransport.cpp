#include "UsbTransport.h"
#include "TransportSensor.h"
#include <cstring>
#include <new>

namespace {

const char kDevicePath[] = "\\\\.\\zentu-0";

// Bytes and reads per frame, by size index (any other index reads as size 1).
struct Geometry {
    uint32_t chunk, frame;
    int32_t width, height;
};

Geometry GeometryOf(int sizeIndex)
{
    switch (sizeIndex) {
    case 0: return {0x80000, 0x300000, 2048, 1536};
    case 2: return {81920, 307200, 640, 480};
    default: return {0x20000, 0xC0000, 1024, 768};
    }
}

BOOL StreamRequest(HANDLE device, WORD value)
{
    return SendVendorRequest(device, 0, 1, value, 15, nullptr, 0, nullptr);
}

int ReadWord(HANDLE device, BYTE request, WORD index, WORD* word)
{
    BYTE reply[3] = {};
    DWORD got = 0;
    // The reply length comes from the device: fewer than three bytes is a failure.
    if (!SendVendorRequest(device, 1, request, 0, index, reply, sizeof reply, &got) || got < 3 ||
        reply[2] != kRequestStatusOk)
        return 0;
    *word = (WORD)(reply[0] << 8 | reply[1]);
    return 1;
}

int ReadMemoryWord(void* context, WORD address, WORD* word)
{
    return ReadDeviceMemory(static_cast<CUsbTransport*>(context), address, word);
}

} // namespace

BOOL SendVendorRequest(HANDLE device, BYTE direction, BYTE request, WORD value, WORD index,
                       BYTE* reply, DWORD replyBytes, DWORD* got)
{
    BYTE block[10] = {direction, 2, 0, 0, request, 0,
                      (BYTE)value, (BYTE)(value >> 8), (BYTE)index, (BYTE)(index >> 8)};
    BYTE scratch[4];
    if (!reply) {
        reply = scratch;
        replyBytes = 0;
    }
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ov.hEvent) return FALSE;
    DWORD n = 0;
    BOOL ok = DeviceIoControl(device, IOCTL_CAMERA_VENDOR_REQUEST, block, sizeof block, reply, replyBytes, &n, &ov);
    if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(device, &ov, &n, TRUE);
    CloseHandle(ov.hEvent);
    if (got) *got = ok ? n : 0;
    return ok;
}

bool CreateReadEvents(HANDLE (&events)[4])
{
    for (int s = 0; s < 4; s++) {
        events[s] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!events[s]) {
            for (int k = 0; k < s; k++) CloseHandle(events[k]);
            return false;
        }
    }
    return true;
}

void CloseReadEvents(HANDLE (&events)[4])
{
    for (HANDLE& e : events) {
        if (e) CloseHandle(e);
        e = nullptr;
    }
}

CUsbTransport* CreateTransport()
{
    CUsbTransport* t = new (std::nothrow) CUsbTransport;
    if (!t) return nullptr;
    t->chunkSize = t->frameSize = 0;
    t->rawWidth = t->rawHeight = 0;
    t->open = 0;
    t->device = INVALID_HANDLE_VALUE;
    if (!CreateReadEvents(t->readEvents)) {
        delete t;
        return nullptr;
    }
    return t;
}

int OpenTransport(CUsbTransport* t)
{
    t->device = CreateFileA(kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (t->device == INVALID_HANDLE_VALUE) return 0;
    if (!StreamRequest(t->device, 1) || !StreamRequest(t->device, 0) || !StreamRequest(t->device, 1))
        return 0;
    t->open = 1;
    return 1;
}

void GetRawFrameGeometry(CUsbTransport* t, int sizeIndex)
{
    Geometry g = GeometryOf(sizeIndex);
    t->chunkSize = g.chunk;
    t->frameSize = g.frame;
    t->rawWidth = g.width;
    t->rawHeight = g.height;
}

int WriteSensorRegister(CUsbTransport* t, WORD value, WORD reg)
{
    if (!t->open) return 0;
    BYTE reply[1] = {};
    DWORD got = 0;
    return SendVendorRequest(t->device, 1, 9, value, reg, reply, sizeof reply, &got) && got >= 1 &&
           reply[0] == kRequestStatusOk;
}

int ReadSensorRegister(CUsbTransport* t, WORD* value)
{
    if (!t->open) return 0;
    return ReadWord(t->device, 8, 0, value);
}

int ReadDeviceMemory(CUsbTransport* t, WORD address, WORD* word)
{
    return ReadWord(t->device, 17, address, word);
}

int InitSensor(CUsbTransport* t)
{
    WriteSensorRegister(t, 2, 7);
    WORD version = 0;
    if (!ReadSensorRegister(t, &version) || (version >> 8) != 0x16) return 0;
    WriteSensorRegister(t, 0x8000, 10);
    WriteSensorRegister(t, 1, 13);
    Sleep(100);
    WriteSensorRegister(t, 0, 13);
    Sleep(100);
    static const WORD block[][2] = {
        {1, 21}, {2, 33}, {32, 0}, {30, 0x8040}, {78, 32}, {4, 2047}, {3, 1535}, {43, 96}, {44, 1120},
        {45, 96}, {46, 96}, {10, 0x8001}, {73, 128}, {34, 0}, {35, 0}, {8, 0}, {9, 1561},
    };
    for (const auto& r : block) WriteSensorRegister(t, r[1], r[0]);
    return 1;
}

void ConfigureSensorWindow(int sizeIndex, CUsbTransport* t)
{
    switch (sizeIndex) {
    case 0:
        WriteSensorRegister(t, 0, 34);
        WriteSensorRegister(t, 0, 35);
        break;
    case 1:
        WriteSensorRegister(t, 0x11, 34);
        WriteSensorRegister(t, 0x11, 35);
        break;
    case 2:
        WriteSensorRegister(t, 1919, 4);
        WriteSensorRegister(t, 1439, 3);
        WriteSensorRegister(t, 0x22, 34);
        WriteSensorRegister(t, 0x22, 35);
        WriteSensorRegister(t, 36, 2);
        break;
    default:
        break;
    }
}

WORD SensorGainRegister(int gain)
{
    int g = (int16_t)gain;
    if (g >= 0 && g <= 24) return (WORD)(g + 8);
    if (g >= 25 && g <= 40) return (WORD)(g + 56);
    if (g >= 41 && g <= 85) return (WORD)((g - 40) * 256 + 96);
    return 0x2D60;
}

void SetSensorGain(CUsbTransport* t, int gain)
{
    WriteSensorRegister(t, SensorGainRegister(gain), 53);
}

void SetSensorExposure(CUsbTransport* t, WORD rows)
{
    WriteSensorRegister(t, rows, 9);
}

void SetSensorSpeed(CUsbTransport* t, bool fast)
{
    WriteSensorRegister(t, WORD(fast ? 0x8000 : 0x8001), 10);
    WriteSensorRegister(t, 336, 5);
}

void UsbStartStream(CUsbTransport* t)
{
    if (t->open) StreamRequest(t->device, 3);
}

void UsbStopStream(CUsbTransport* t)
{
    if (t->open && StreamRequest(t->device, 1)) StreamRequest(t->device, 0);
}

int ReadChunkedFrame(HANDLE device, BYTE (*chunks)[kChunkBufferBytes], DWORD chunk, DWORD frameSize, BYTE* dest,
                     const HANDLE* readEvents)
{
    if (chunk == 0 || chunk > kChunkBufferBytes) return -1;
    const DWORD reads = frameSize / chunk + 1;
    const DWORD remainder = frameSize % chunk;
    HANDLE events[4] = {};
    OVERLAPPED ov[4];
    BYTE* target[4] = {};
    bool inFlight[4] = {};
    if (readEvents) {
        std::memcpy(events, readEvents, sizeof events);
    } else if (!CreateReadEvents(events)) {
        return -1;
    }
    DWORD issued = 0, completed = 0, gathered = 0;
    bool failed = false, resynced = false;

    // A read whose whole chunk fits at its place in the frame goes straight
    // there. The last read (it may bring a full chunk from a device that runs
    // past the frame) goes to its chunk buffer, and so does every read after a
    // resync: the reads then in flight write at their old places, which new
    // reads must not reach before their bytes moved down.
    auto issue = [&](int s) {
        const DWORD offset = issued * chunk;
        target[s] = !resynced && offset + chunk <= frameSize ? dest + offset : chunks[s];
        std::memset(&ov[s], 0, sizeof ov[s]);
        ov[s].hEvent = events[s];
        issued++;
        // ReadFile clears the event as it starts the read.
        if (ReadFile(device, target[s], chunk, nullptr, &ov[s]) || GetLastError() == ERROR_IO_PENDING)
            inFlight[s] = true;
        else
            failed = true;
    };
    auto finish = [&](int result) {
        for (int s = 0; s < 4; s++) {
            DWORD n;
            if (inFlight[s]) GetOverlappedResult(device, &ov[s], &n, TRUE);
        }
        if (!readEvents) CloseReadEvents(events);
        return result;
    };
    // The bytes of a completed read at their place in the frame.
    auto place = [&](int s, DWORD n) {
        if (n && target[s] != dest + gathered) std::memmove(dest + gathered, target[s], n);
    };

    for (int s = 0; s < 4 && issued < reads; s++) issue(s);
    int idle = 0;
    for (int slot = 0;; slot = (slot + 1) & 3) {
        if (failed) return finish(-1);
        if (!inFlight[slot]) {
            if (++idle >= 4) return finish(0); // nothing left to wait for
            continue;
        }
        idle = 0;
        DWORD n = 0;
        BOOL ok = GetOverlappedResult(device, &ov[slot], &n, TRUE);
        inFlight[slot] = false;
        completed++;
        if (!ok) return finish(-1);
        if (completed >= reads) {
            // The last read of the frame must bring exactly the rest.
            if (n != remainder) return finish(0);
            place(slot, n);
            return finish(1);
        }
        if (n == chunk) {
            // A device that keeps sending full chunks must not run past the frame.
            if (gathered + chunk > frameSize) return finish(0);
            place(slot, chunk);
            gathered += chunk;
            if (issued < reads) issue(slot);
            continue;
        }
        // A short read mid-frame: the camera was mid-frame when reading began.
        if (resynced) return finish(0);
        resynced = true;
        // The reads still in flight were issued before the frame ended, so
        // they bring the start of the next frame: count them as its reads.
        gathered = 0;
        completed = 0;
        issued = 0;
        for (int s = 0; s < 4; s++) issued += inFlight[s] ? 1 : 0;
        for (int k = 1; k <= 3; k++) {
            int s = (slot + k) & 3;
            if (!inFlight[s] && issued < reads) issue(s);
        }
        if (issued < reads) issue(slot);
    }
}

int ReadRawFrame(CUsbTransport* t, BYTE* destination)
{
    if (t->device == INVALID_HANDLE_VALUE) return -1;
    return ReadChunkedFrame(t->device, t->chunks, t->chunkSize, t->frameSize, destination, t->readEvents);
}

void CancelTransportReads(CUsbTransport* t)
{
    if (t && t->device != INVALID_HANDLE_VALUE) CancelIoEx(t->device, nullptr);
}

void FreeTransport(CUsbTransport* t)
{
    if (!t) return;
    WriteSensorRegister(t, 0, 7);
    if (t->device != INVALID_HANDLE_VALUE) CloseHandle(t->device);
    t->device = INVALID_HANDLE_VALUE;
    t->open = 0;
    CloseReadEvents(t->readEvents);
    delete t;
}

int ReadDefectTableWith(ReadWordFn readWord, void* context, int sizeIndex, DefectList* list)
{
    list->count = 0;
    WORD marker = 0, tag = 0, count = 0;
    const WORD s = (WORD)sizeIndex;
    if (!readWord(context, 0x24C0, &marker) || marker != 0xAA22) return 0;
    if (!readWord(context, (WORD)(0x24C4 + 4 * s), &tag) || tag != s * 257) return 0;
    if (!readWord(context, (WORD)(0x24C6 + 4 * s), &count) || count >= 100) return 0;
    DefectList read;
    for (WORD i = 0; i < count; i++) {
        WORD base = (WORD)(0x2500 + 400 * s + 4 * i);
        if (!readWord(context, base, &read.column[i]) || !readWord(context, (WORD)(base + 2), &read.row[i]))
            return 0;
    }
    read.count = count;
    *list = read;
    return 1;
}

int ReadDefectTable(CUsbTransport* t, int sizeIndex, DefectList* list)
{
    return ReadDefectTableWith(ReadMemoryWord, t, sizeIndex, list);
}

CUsbTransport* StartCaptureSequence(ZentuOwner& owner)
{
    CUsbTransport* t = CreateTransport();
    if (!t) return nullptr;
    ZentuSettings& s = owner.settings;
    const int size = (int)s.sizeIndex;
    if (!OpenTransport(t)) {
        FreeTransport(t);
        return nullptr;
    }
    GetRawFrameGeometry(t, size);
    if (!InitSensor(t)) {
        FreeTransport(t);
        return nullptr;
    }
    ConfigureSensorWindow(size, t);
    WriteSensorRegister(t, (WORD)(0x8000 + (s.speed == 0 ? 1 : 0)), 10);
    WriteSensorRegister(t, 336, 5);
    ComputeExposureLimits(owner);
    ReadDefectTable(t, size, &owner.pipe.defects);
    Sleep(400);
    WriteSensorRegister(t, (WORD)s.exposureTime, 9);
    SetSensorGain(t, (int)s.gain);
    return t;
}

void StopCaptureSequence(CUsbTransport* t)
{
    if (!t) return;
    UsbStopStream(t);
    FreeTransport(t);
}

void CTransportSensor::SetGain(int gain)
{
    EnterCriticalSection(m_lock);
    if (m_transport) SetSensorGain(m_transport, gain);
    LeaveCriticalSection(m_lock);
}

void CTransportSensor::SetExposureLines(uint16_t lines)
{
    EnterCriticalSection(m_lock);
    if (m_transport) WriteSensorRegister(m_transport, lines, 9);
    LeaveCriticalSection(m_lock);
}
