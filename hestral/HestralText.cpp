#include "HestralText.h"

std::string HestralText(UINT id)
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&HestralText), &self);
    char text[256] = {};
    LoadStringA(self, id, text, sizeof text);
    return text;
}
