// What the video window tests host their windows in: the framework started,
// a top-level test frame that stands for the main frame (ILiveFrame) and
// records what the live preview asks of it, a live-preview document made
// directly, and bounded waits that pump messages.
#pragma once

#include <AfxTestScript.h>
#include <AfxWindows.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <functional>
#include <vector>

#include "LiveFrame.h"
#include "OrvikDoc.h"
#include "VideoWnd.h"

namespace videownd_test {

inline void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) continue;  // the Hestral library posts one when its init fails
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// Pumps until `done` holds or `ms` pass; the result of the last check.
inline bool WaitFor(const std::function<bool()>& done, DWORD ms = 20000) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        Pump();
        if (done()) return true;
        if (LONG(end - GetTickCount()) <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline int ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te;
    std::memset(&te, 0, sizeof te);
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) n++;
    CloseHandle(snap);
    return n;
}

inline DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

// The main frame as the live preview sees it.
class CTestFrame : public CFrameWnd, public ILiveFrame {
public:
    int fullScreenToggles = 0;
    int closes = 0;
    // WM_SETCURSOR a child passed up (default processing): answered with the
    // wait cursor, so the tests tell it from a child's own choice.
    int cursorAsks = 0;
    std::vector<UINT> videoBoxMessages;

    void LockCameraDialog(LiveDialog, BOOL) override {}
    void UpdateFlipChecks() override {}
    BOOL GetFlipCheck(UINT) override { return FALSE; }
    void OnHorizontalFlip() override {}
    void OnVerticalFlip() override {}
    void PostToVideoBox(UINT message) override { videoBoxMessages.push_back(message); }
    void RunPellixAutoExposure() override {}
    void StartUvcPanel(CVideoWnd*) override {}
    void StartHestralAdjust() override {}
    int GetResolutionFlag() override { return 0; }
    void ToggleFullScreen() override { ++fullScreenToggles; }
    INT_PTR DoRecordDialog(COrvikDoc*) override { return IDCANCEL; }
    INT_PTR DoCaptureSettingsDialog(COrvikDoc*) override { return IDCANCEL; }

protected:
    // Counted, not obeyed: the tests go on after a window asked to end the program.
    afx_msg void OnClose() { ++closes; }
    afx_msg BOOL OnSetCursor(CWnd*, UINT, UINT) {
        ++cursorAsks;
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

// One test program includes this header once.
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CLOSE()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"VideoWndTest") {}
};

inline CTestApp& App() {
    static CTestApp app;
    return app;
}

inline CTestFrame*& Frame() {
    static CTestFrame* frame = nullptr;
    return frame;
}

// Started once for the program: the framework, and the frame at a place of
// its own on the virtual screen, large enough for a 1296 x 972 picture.
class HostEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        AfxTestSetScript(L"");  // nothing may wait on a real box
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CTestApp& app = App();
        ASSERT_TRUE(AfxWinInit(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
        ASSERT_TRUE(app.InitApplication());
        CTestFrame* frame = new CTestFrame;
        // Away from the corner where other test programs open their windows.
        ASSERT_TRUE(frame->Create(nullptr, L"video window test", WS_POPUP | WS_VISIBLE, CRect(200, 150, 1520, 1150),
                                  nullptr, nullptr, WS_EX_TOPMOST));
        app.m_pMainWnd = frame;
        Frame() = frame;
        frame->UpdateWindow();
        Pump();
    }
};

// Created as the view creates it (document first), on the test frame.
inline bool CreateOnFrame(CVideoWnd* wnd, COrvikDoc* doc, const RECT& rect) {
    wnd->SetDocument(doc);
    if (!wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, Frame(), kVideoWndId)) return false;
    return true;
}

// One pixel of the screen as the window shows it (client coordinates).
inline COLORREF WindowPixel(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

// The window's client area as top-down 24-bit rows of w x 3 bytes (w a
// multiple of 4 keeps them packed), read from the window's DC.
inline std::vector<BYTE> WindowPixels(HWND hwnd, int w, int h) {
    std::vector<BYTE> out(size_t(w) * h * 3);
    HDC dc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, section);
    BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const int stride = (w * 3 + 3) & ~3;
    for (int y = 0; y < h; ++y)
        std::memcpy(&out[size_t(y) * w * 3], static_cast<BYTE*>(bits) + size_t(y) * stride, size_t(w) * 3);
    SelectObject(mem, old);
    DeleteObject(section);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
    return out;
}

}  // namespace videownd_test
