#include "TestPaths.h"

#include <cstdio>

std::wstring ProgramFolder()
{
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::wstring ScratchFolder(LPCWSTR name)
{
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + found.cFileName).c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    return folder;
}

std::string ReadFileBytes(const std::wstring& path)
{
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[4096];
        size_t got;
        while ((got = fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, got);
        fclose(f);
    }
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}
