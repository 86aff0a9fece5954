// CPellixCamera: the one camera of a process, and its initialisation.
#include "PellixCameraParts.h"

#include "PellixImaging.h"

#include <cstring>

using namespace PellixParts;

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
        int rc = SetColourGain(PellixGain::Green, two);
        if (rc == 0)
            rc = SetColourGain(PellixGain::Green2, two);
        if (rc == 0)
            rc = SetColourGain(PellixGain::Blue, two);
        if (rc == 0)
            rc = SetColourGain(PellixGain::Red, two);
        if (rc != 0) {
            Uninitialize();
            return rc;
        }
    }
    // The sensor wakes up at full size; the exposure read before the first
    // format is converted with that geometry.
    const PellixFrameFormat full{0, 0, WORD(m_maxW), WORD(m_maxH), 1, 1, 1, 1};
    {
        CAutoLock lock(&m_lock);
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
