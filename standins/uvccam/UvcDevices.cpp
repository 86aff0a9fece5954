#include "UvcDevices.h"

#include <strmif.h>

#include <cwchar>

namespace {

const UvcFrameSize kFullSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
const UvcFrameSize kSxgaSizes[] = {{640, 480}, {1024, 768}, {1280, 1024}};
const UvcFrameSize kJSizes[] = {{640, 480}, {800, 600}, {1024, 768}};

const UvcModel kFull = {kFullSizes, 5, false};
const UvcModel kSxga = {kSxgaSizes, 3, false};
const UvcModel kJSeries = {kJSizes, 3, true};

struct NamedModel {
    LPCWSTR name;
    const UvcModel* model;
};
const NamedModel kModels[] = {
    {L"Camera-R5V", &kFull},  {L"Vantor-R5V", &kFull},  {L"Vantor-Q7L", &kSxga}, {L"Camera-Q7L", &kSxga},
    {L"Camera-Q3N", &kSxga},  {L"Hollin W8K", &kSxga},  {L"Hollin Q7L", &kSxga}, {L"Camera-J20", &kJSeries},
    {L"Camera-J40", &kJSeries}, {L"Camera-J60", &kJSeries},
};

// Index = VideoProcAmpProperty.
const UvcRange kProcAmp[UVC_PROCAMP_COUNT] = {
    {-10, 10, 1, 0, false},      // brightness
    {0, 24, 1, 12, false},       // contrast
    {-180, 180, 1, 0, false},    // hue
    {0, 10, 1, 2, false},        // saturation
    {0, 10, 1, 5, false},        // sharpness
    {100, 300, 1, 150, false},   // gamma
    {0, 1, 1, 1, false},         // colour enable
    {2800, 6500, 1, 5200, true}, // white balance
    {0, 1, 1, 0, false},         // backlight compensation
    {0, 48, 1, 0, false},        // gain
};
// Index = CameraControlProperty.
const UvcRange kUnsupported = {1, 0, 0, 0, false};
const UvcRange kCameraControl[UVC_CAMCONTROL_COUNT] = {
    kUnsupported, kUnsupported, kUnsupported, kUnsupported,
    {-7, -1, 1, -4, true},       // exposure, log2 seconds
    kUnsupported,
    {0, 255, 1, 128, true},      // focus
};

const WCHAR kSectionName[] = L"VeltraneUvcCameras";
const WCHAR kLockName[] = L"VeltraneUvcCamerasLock";
const WCHAR kKey[] = L"Software\\Veltrane\\UvcCameras";

struct SharedTable {
    LONG initialised;
    LONG attached;
    LONG count;
    UvcDeviceState devices[UVC_MAX_DEVICES];
};

class NamedLock {
public:
    NamedLock() : m_h(CreateMutexW(nullptr, FALSE, kLockName)) { if (m_h) WaitForSingleObject(m_h, INFINITE); }
    ~NamedLock()
    {
        if (m_h) {
            ReleaseMutex(m_h);
            CloseHandle(m_h);
        }
    }
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

private:
    HANDLE m_h;
};

// Mapped once per module and kept until the process ends.
SharedTable* Table()
{
    static SharedTable* table = [] {
        NamedLock lock;
        HANDLE h = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedTable),
                                      kSectionName);
        if (!h)
            return static_cast<SharedTable*>(nullptr);
        auto* t = static_cast<SharedTable*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedTable)));
        if (t && !t->initialised) {
            t->attached = -1;
            t->count = 0;
            t->initialised = 1;
        }
        return t;
    }();
    return table;
}

void PowerOn(UvcDeviceState& d, LPCWSTR name)
{
    ZeroMemory(&d, sizeof(d));
    lstrcpynW(d.name, name, UVC_NAME_CHARS);
    for (int i = 0; i < UVC_PROCAMP_COUNT; ++i) {
        d.procAmp[i] = kProcAmp[i].def;
        d.procAmpFlags[i] = 2;
    }
    for (int i = 0; i < UVC_CAMCONTROL_COUNT; ++i) {
        d.cameraControl[i] = kCameraControl[i].def;
        d.cameraControlFlags[i] = 2;
    }
}

}  // namespace

const UvcModel& UvcModelFor(LPCWSTR name)
{
    for (const NamedModel& m : kModels) {
        if (name && wcscmp(m.name, name) == 0)
            return *m.model;
    }
    return kFull;
}

const UvcRange& UvcProcAmpRange(long property)
{
    return property >= 0 && property < UVC_PROCAMP_COUNT ? kProcAmp[property] : kUnsupported;
}

const UvcRange& UvcCameraControlRange(long property)
{
    return property >= 0 && property < UVC_CAMCONTROL_COUNT ? kCameraControl[property] : kUnsupported;
}

UvcDeviceState* UvcDevice(LPCWSTR name)
{
    SharedTable* t = Table();
    if (!t || !name)
        return nullptr;
    NamedLock lock;
    for (LONG i = 0; i < t->count; ++i) {
        if (wcsncmp(t->devices[i].name, name, UVC_NAME_CHARS) == 0)
            return &t->devices[i];
    }
    if (t->count >= UVC_MAX_DEVICES)
        return nullptr;
    UvcDeviceState& d = t->devices[t->count];
    PowerOn(d, name);
    ++t->count;
    return &d;
}

void UvcResetDevices()
{
    SharedTable* t = Table();
    if (!t)
        return;
    NamedLock lock;
    for (LONG i = 0; i < t->count; ++i) {
        WCHAR name[UVC_NAME_CHARS];
        lstrcpynW(name, t->devices[i].name, UVC_NAME_CHARS);
        const LONG version = t->devices[i].version;
        PowerOn(t->devices[i], name);
        t->devices[i].version = version + 1;
    }
    t->attached = -1;
}

void UvcTouch(UvcDeviceState* device)
{
    InterlockedIncrement(&device->version);
}

int UvcInstalledNames(WCHAR (*names)[UVC_NAME_CHARS], int max, bool* listed)
{
    if (listed)
        *listed = false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    WCHAR buffer[UVC_MAX_DEVICES * UVC_NAME_CHARS + 2] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(buffer) - 2 * sizeof(WCHAR);
    const LONG rc = RegQueryValueExW(key, L"Devices", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return 0;
    if (listed)
        *listed = true;
    int n = 0;
    for (const WCHAR* p = buffer; *p && n < max; p += wcslen(p) + 1)
        lstrcpynW(names[n++], p, UVC_NAME_CHARS);
    return n;
}

bool UvcStoreInstalledNames(LPCWSTR multiSz)
{
    size_t chars = 1;
    for (const WCHAR* p = multiSz; *p; p += wcslen(p) + 1)
        chars += wcslen(p) + 1;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    // An empty list is one terminating NUL after an empty string.
    const WCHAR empty[2] = {0, 0};
    const WCHAR* data = chars == 1 ? empty : multiSz;
    const DWORD bytes = DWORD((chars == 1 ? 2 : chars) * sizeof(WCHAR));
    const LONG rc = RegSetValueExW(key, L"Devices", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

LONG UvcAttachedIndex()
{
    SharedTable* t = Table();
    return t ? t->attached : -1;
}

void UvcSetAttachedIndex(LONG index)
{
    if (SharedTable* t = Table())
        InterlockedExchange(&t->attached, index);
}
