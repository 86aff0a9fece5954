#include "Tolmira.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

void LogPath(WCHAR (&path)[MAX_PATH])
{
    const DWORD n = GetEnvironmentVariableW(TOLMIRA_LOG_VARIABLE, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return;
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    WCHAR* slash = wcsrchr(path, L'\\');
    WCHAR* name = slash ? slash + 1 : path;
    lstrcpynW(name, L"Tolmira.log", int(MAX_PATH - (name - path)));
}

// Appends one line; several copies may write, so each write is one append.
void Log(const char* what)
{
    WCHAR path[MAX_PATH];
    LogPath(path);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char line[64];
    const int n = snprintf(line, sizeof line, "%s %lu\r\n", what, GetCurrentProcessId());
    DWORD written = 0;
    if (n > 0)
        WriteFile(file, line, DWORD(n), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Log("close");
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    Log("start");
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = TOLMIRA_WINDOW_CLASS;
    if (!RegisterClassW(&wc))
        return 1;
    HWND window = CreateWindowExW(0, TOLMIRA_WINDOW_CLASS, TOLMIRA_WINDOW_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
