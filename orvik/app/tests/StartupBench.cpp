// Orvik's start-up time: from process start to the main window shown, with
// the default camera, beside the same for the auto-focus program (a plain
// one-window program started the same way) as the baseline.
#include "OrvikHarness.h"

#include <cstdio>

using namespace orvik_test;

namespace {

// Milliseconds from CreateProcess until a visible top-level window of the
// process exists (with a menu when asked), or -1.
double TimeToWindow(const std::wstring& exe, const std::wstring& dir, bool needMenu) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) return -1;
    HWND shown = nullptr;
    for (DWORD start = GetTickCount(); !shown && GetTickCount() - start < 30000;) {
        for (HWND h : TopLevelWindows(pi.dwProcessId))
            if (IsWindowVisible(h) && (!needMenu || GetMenu(h))) shown = h;
        if (!shown) Sleep(1);
    }
    QueryPerformanceCounter(&t1);
    double ms = shown ? 1000.0 * double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart) : -1;
    if (shown) PostMessageW(shown, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int wmain() {
    OrvikFolder folder(ORVIK_BIN_DIR);
    folder.WriteSettings(L"[Camera]\r\nbTolmira=0\r\n[Gerneral]\r\nLogoTitle=Orvik Bench\r\n");
    // Unanswered message boxes end at once instead of waiting for a user.
    std::ofstream(folder.Path(L"script.txt").c_str()) << "";
    SetEnvironmentVariableW(L"VELTRANE_AFX_SCRIPT", folder.Path(L"script.txt").c_str());
    SetEnvironmentVariableW(L"TOLMIRA_LOG", folder.Path(L"tolmira.log").c_str());
    const int runs = 5;
    std::vector<double> orvik, plain;
    for (int i = 0; i < runs; ++i) {
        plain.push_back(TimeToWindow(folder.Path(L"Tolmira.exe"), folder.Dir(), false));
        orvik.push_back(TimeToWindow(folder.Path(L"Orvik.exe"), folder.Dir(), true));
    }
    double o = Median(orvik), p = Median(plain);
    std::printf("Orvik start-up (process start to main window shown, camera Camera-R5V): %.0f ms, median of %d\n",
                o, runs);
    std::printf("plain window program (Tolmira.exe) started the same way: %.0f ms\n", p);
    if (o > 0 && p > 0) std::printf("ratio Orvik / plain program: %.2f\n", o / p);
    return 0;
}
