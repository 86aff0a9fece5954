// Files and folders of the test programs.
#pragma once

#include <windows.h>

#include <string>

// The folder of the running program, with its trailing backslash.
std::wstring ProgramFolder();
// A fresh, empty scratch folder under the temporary folder.
std::wstring ScratchFolder(LPCWSTR name);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
