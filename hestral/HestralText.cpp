#include "HestralText.h"
#include "ThisModule.h"

std::string HestralText(UINT id)
{
    char text[256] = {};
    LoadStringA(ThisModule(), id, text, sizeof text);
    return text;
}
