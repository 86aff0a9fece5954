// Runs Orvik.exe as a user starts it: from a copy of its folder with a
// prepared setting.ini, as a separate process, observed from outside through
// its windows, loaded modules, message-box record and the files beside it.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orvik_test {

inline std::wstring Lower(std::wstring s) {
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return (wchar_t)std::towlower(c); });
    return s;
}

inline std::string Narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    if (n) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], n, nullptr, nullptr);
    return s;
}

inline std::wstring Widen(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), (int)s.size(), nullptr, 0);
    std::wstring w(n, L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), (int)s.size(), &w[0], n);
    return w;
}

inline std::wstring ReadTextFile(const std::wstring& path) {
    std::ifstream f(path.c_str(), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return Widen(ss.str());
}

// The header of a 32-bit top-down DIB of width x height.
inline BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
}

// Part of the screen as 0xRRGGBB pixels, top down, read at once.
struct Shot {
    int width = 0, height = 0;
    std::vector<DWORD> px;
    DWORD At(int x, int y) const { return px[(size_t)y * width + x] & 0xFFFFFF; }
};

// A w x h rectangle of a device context as 0xRRGGBB pixels, top down.
inline std::vector<DWORD> GrabPixels(HDC from, int x, int y, int w, int h) {
    std::vector<DWORD> px;
    if (w <= 0 || h <= 0) return px;
    HDC mem = CreateCompatibleDC(from);
    BITMAPINFO bi = TopDownInfo(w, h);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(from, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, from, x, y, SRCCOPY);
    GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    px.assign(p, p + (size_t)w * h);
    for (DWORD& v : px) v &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    return px;
}

inline Shot CaptureScreen(const RECT& r) {
    Shot s;
    if (r.right <= r.left || r.bottom <= r.top) return s;
    s.width = r.right - r.left;
    s.height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    s.px = GrabPixels(screen, r.left, r.top, s.width, s.height);
    ReleaseDC(nullptr, screen);
    return s;
}

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A private copy of the program folder, removed again at the end.
class OrvikFolder {
public:
    explicit OrvikFolder(const std::wstring& binDir) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        // A folder no earlier run left behind (process ids repeat under Wine).
        static int serial = 0;
        do {
            m_dir = std::wstring(temp) + L"orvik-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++serial) + L"\\";
        } while (!CreateDirectoryW(m_dir.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
        std::wstring from = binDir;
        if (!from.empty() && from.back() != L'\\' && from.back() != L'/') from += L'\\';
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((from + L"*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            // The program and what it loads; no settings or logs of earlier runs.
            std::wstring name = Lower(fd.cFileName);
            std::wstring ext = name.size() > 4 ? name.substr(name.size() - 4) : L"";
            if (ext != L".exe" && ext != L".dll" && ext != L".mdb") continue;
            CopyFileW((from + fd.cFileName).c_str(), (m_dir + fd.cFileName).c_str(), FALSE);
            ++m_copied;
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    ~OrvikFolder() {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((m_dir + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((m_dir + fd.cFileName).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(m_dir.c_str());
    }
    const std::wstring& Dir() const { return m_dir; }
    std::wstring Path(const std::wstring& name) const { return m_dir + name; }
    int Copied() const { return m_copied; }
    // setting.ini in UTF-16 with a byte-order mark, so any title survives.
    void WriteSettings(const std::wstring& text) const {
        std::wstring body = L"\xFEFF" + text;
        HANDLE f = CreateFileW(Path(L"setting.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, body.data(), (DWORD)(body.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(f);
    }
    void Remove(const std::wstring& name) const { DeleteFileW(Path(name).c_str()); }
private:
    std::wstring m_dir;
    int m_copied = 0;
};

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindows(HWND hwnd, LPARAM lp) {
    WindowSearch* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->pid) s->found.push_back(hwnd);
    return TRUE;
}

// Every top-level window of a process.
inline std::vector<HWND> TopLevelWindows(DWORD pid) {
    WindowSearch s{pid, {}};
    EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The visible top-level window with a menu: the main frame.
inline HWND MainWindowOf(DWORD pid) {
    for (HWND h : TopLevelWindows(pid))
        if (IsWindowVisible(h) && GetMenu(h)) return h;
    return nullptr;
}

// Ends every running copy of a program found by its window title.
inline void EndProgramsTitled(LPCWSTR title) {
    while (HWND w = FindWindowW(nullptr, title)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!p) break;
        TerminateProcess(p, 0);
        WaitForSingleObject(p, 5000);
        CloseHandle(p);
    }
}

inline std::vector<std::wstring> ModulesOf(DWORD pid) {
    std::vector<std::wstring> names;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snap == INVALID_HANDLE_VALUE) return names;
    MODULEENTRY32W me;
    me.dwSize = sizeof me;
    for (BOOL ok = Module32FirstW(snap, &me); ok; ok = Module32NextW(snap, &me)) names.push_back(Lower(me.szModule));
    CloseHandle(snap);
    return names;
}

inline bool HasModule(const std::vector<std::wstring>& modules, const std::wstring& name) {
    return std::find(modules.begin(), modules.end(), Lower(name)) != modules.end();
}

// One started Orvik.exe: its process, its windows, its end.
class OrvikRun {
public:
    // Started in its folder, or in the working directory cwd when given.
    OrvikRun(const OrvikFolder& folder, const std::wstring& script = L"", const std::wstring& cwd = L"")
        : m_folder(folder) {
        std::ofstream(folder.Path(L"script.txt").c_str(), std::ios::binary) << Narrow(script);
        SetEnvironmentVariableW(L"VELTRANE_AFX_SCRIPT", folder.Path(L"script.txt").c_str());
        SetEnvironmentVariableW(L"VELTRANE_AFX_RECORD", folder.Path(L"record.txt").c_str());
        SetEnvironmentVariableW(L"TOLMIRA_LOG", folder.Path(L"tolmira.log").c_str());
        SetEnvironmentVariableW(L"VELTRANE_UVCLIB_LOG", folder.Path(L"uvclib.log").c_str());
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring exe = folder.Path(L"Orvik.exe");
        std::wstring cmd = L"\"" + exe + L"\"";
        std::wstring dir = cwd.empty() ? folder.Dir() : cwd;
        m_started = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &m_pi) !=
                    FALSE;
        m_startTick = GetTickCount();
    }
    ~OrvikRun() {
        if (!m_started) return;
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (HWND w = MainWindowOf(m_pi.dwProcessId)) PostMessageW(w, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(m_pi.hProcess, 15000) == WAIT_TIMEOUT) TerminateProcess(m_pi.hProcess, 99);
        }
        CloseHandle(m_pi.hThread);
        CloseHandle(m_pi.hProcess);
    }
    bool Started() const { return m_started; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }
    bool Running() const { return m_started && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

    // The main frame once start-up has finished (the frame is shown before the
    // first preview opens), or null when the process ended or time ran out.
    HWND WaitMainWindow(DWORD timeoutMs = 30000) const {
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
            if (HWND w = MainWindowOf(m_pi.dwProcessId)) {
                DWORD_PTR r;
                SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &r);
                return w;
            }
            if (!Running()) return nullptr;
            Sleep(20);
        }
        return nullptr;
    }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitExit(DWORD timeoutMs = 30000) const {
        if (WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_TIMEOUT) return STILL_ACTIVE;
        DWORD code = 0;
        GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }
    DWORD Close(DWORD timeoutMs = 30000) const {
        if (HWND w = MainWindowOf(m_pi.dwProcessId)) PostMessageW(w, WM_CLOSE, 0, 0);
        return WaitExit(timeoutMs);
    }
    // The message boxes the program asked for: "msgbox|caption|text|flags".
    std::vector<std::wstring> Boxes() const {
        std::vector<std::wstring> lines;
        std::wstringstream in(ReadTextFile(m_folder.Path(L"record.txt")));
        std::wstring line;
        while (std::getline(in, line))
            if (line.rfind(L"msgbox|", 0) == 0) lines.push_back(line);
        return lines;
    }
    DWORD StartTick() const { return m_startTick; }
private:
    const OrvikFolder& m_folder;
    PROCESS_INFORMATION m_pi = {};
    bool m_started = false;
    DWORD m_startTick = 0;
};

}  // namespace orvik_test
