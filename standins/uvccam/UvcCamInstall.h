// Installing the simulated cameras. UvcCam.ax exports InstallCameras: it
// replaces every installed camera by the cameras named in `names`
// (separated by ';', in the order the device enumerator is to list them; an
// empty string installs none), with their power-on settings. Registering the
// plug-in installs the cameras last installed, or "Camera-R5V" the first time.
#pragma once

#include <windows.h>

typedef HRESULT(STDAPICALLTYPE* InstallCamerasFn)(LPCWSTR names);
STDAPI InstallCameras(LPCWSTR names);

#ifdef UVCCAM_AX
// For programs that load the plug-in (UVCCAM_AX names it): the cameras named
// in `names` while the object lives, and the default camera the prefix is
// installed with again when it goes (which also mends a set that a crashed run
// left behind).
class ScopedCameras {
public:
    explicit ScopedCameras(LPCWSTR names)
    {
        m_module = LoadLibraryW(UVCCAM_AX);
        if (m_module)
            m_install = reinterpret_cast<InstallCamerasFn>(
                reinterpret_cast<void*>(GetProcAddress(m_module, "InstallCameras")));
        m_hr = m_install ? m_install(names) : E_FAIL;
    }
    ~ScopedCameras()
    {
        if (m_install)
            m_install(L"Camera-R5V");
        if (m_module)
            FreeLibrary(m_module);
    }
    ScopedCameras(const ScopedCameras&) = delete;
    ScopedCameras& operator=(const ScopedCameras&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HMODULE m_module = nullptr;
    InstallCamerasFn m_install = nullptr;
    HRESULT m_hr = E_FAIL;
};
#endif
