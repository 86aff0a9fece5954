// The library's own message-box texts, from the string table of the module
// that holds this code.
#pragma once
#include <windows.h>
#include <string>

std::string HestralText(UINT id);
