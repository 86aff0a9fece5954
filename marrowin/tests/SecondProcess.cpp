// A second process for the camera mutex: prints Pellix_Initialize's result
// and how long it took, then holds the camera for the given milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    HMODULE lib = LoadLibraryW(L"Marrowin.dll");
    if (!lib)
        return 2;
    typedef int(WINAPI * Fn)(void);
    Fn init = reinterpret_cast<Fn>(GetProcAddress(lib, "_Pellix_Initialize@0"));
    Fn uninit = reinterpret_cast<Fn>(GetProcAddress(lib, "_Pellix_Uninitialize@0"));
    if (!init || !uninit)
        return 3;
    const DWORD begin = GetTickCount();
    const int rc = init();
    std::printf("%08x %lu\n", unsigned(rc), GetTickCount() - begin);
    std::fflush(stdout);
    if (rc == 0 && argc > 1)
        Sleep(DWORD(std::atoi(argv[1])));
    if (rc == 0)
        uninit();
    return 0;
}
