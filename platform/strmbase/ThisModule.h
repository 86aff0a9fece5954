// The module (DLL or program) whose code calls it: its resources, its file.
#pragma once

#include <windows.h>

// The linker places __ImageBase at the start of each module's own image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

inline HMODULE ThisModule()
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}
