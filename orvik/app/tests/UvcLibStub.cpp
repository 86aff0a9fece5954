// A UVC property library whose first device name fills the caller's buffer
// to the last byte with no terminating NUL; the second is "Camera-J40".
// Attach logs the index it was given to the file ORVIK_UVCSTUB_LOG names.
#include <windows.h>
#include <cstdio>
#include <cstring>

extern "C" {

__declspec(dllexport) int __stdcall DetachUVCDeviceALL(void) { return 1; }

__declspec(dllexport) int __stdcall GetVMCUVCDevCount(void) { return 2; }

__declspec(dllexport) int __stdcall GetDevFriendlyNameByIndex(int index, char* name, int size) {
    if (!name || size <= 0) return 0;
    if (index == 0) {
        std::memset(name, 'X', (size_t)size);
        return 1;
    }
    if (index == 1) {
        lstrcpynA(name, "Camera-J40", size);
        return 1;
    }
    return 0;
}

__declspec(dllexport) int __stdcall AttachUVCDeviceByIndex(int index) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("ORVIK_UVCSTUB_LOG", path, sizeof path);
    if (n > 0 && n < sizeof path) {
        if (FILE* f = std::fopen(path, "ab")) {
            std::fprintf(f, "attach %d\n", index);
            std::fclose(f);
        }
    }
    return 1;
}
}
