// Installing the simulated cameras. UvcCam.ax exports InstallCameras: it
// replaces every installed camera by the cameras named in `names`
// (separated by ';', in the order the device enumerator is to list them; an
// empty string installs none), with their power-on settings. Registering the
// plug-in installs the cameras last installed, or "Camera-R5V" the first time.
#pragma once

#include <windows.h>

typedef HRESULT(STDAPICALLTYPE* InstallCamerasFn)(LPCWSTR names);
STDAPI InstallCameras(LPCWSTR names);
