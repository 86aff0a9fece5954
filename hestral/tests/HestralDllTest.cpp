// Hestral.dll as a caller program sees it: loaded by name, bound by name and
// by ordinal, driven against the simulated Zentu driver; frames by callback
// and in a window, registers, registry teams and still files read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "BoxCatcher.h"
#include "Hestral.h"
#include "ZentuScene.h"
#include "ZentuSimControl.h"
#include <jpeglib.h>

namespace {

// The names in ordinal order; ordinal 3 has none.
const char* const kExports[] = {
    "CameraCaptureFile", "CameraCaptureToBuf", nullptr, "CameraEnableDeadPixelCorrection",
    "CameraGetAWBState", "CameraGetAeState", "CameraGetAeTarget", "CameraGetAnalogGain", "CameraGetB2RGBMode",
    "CameraGetColorEnhancement", "CameraGetContrast", "CameraGetCurrentParameterTeam", "CameraGetExposureTime",
    "CameraGetFrameSpeed", "CameraGetGain", "CameraGetGamma", "CameraGetImageSize", "CameraGetLightFrquency",
    "CameraGetMaxExposureTime", "CameraGetMirror", "CameraGetMonochrome", "CameraGetMultiCameraNumber",
    "CameraGetROI", "CameraGetRowTime", "CameraGetSaturation", "CameraGetSnapMode", "CameraImageProcess",
    "CameraInit", "CameraLoadDefault", "CameraPlay", "CameraReadBN", "CameraReadGpio", "CameraReadParameter",
    "CameraSaveCurrentImage", "CameraSaveParameter", "CameraSetAWBState", "CameraSetAeState", "CameraSetAeTarget",
    "CameraSetAnalogGain", "CameraSetB2RGBMode", "CameraSetColorEnhancement", "CameraSetContrast",
    "CameraSetDisplayWindow", "CameraSetExposureTime", "CameraSetFrameSpeed", "CameraSetGain", "CameraSetGamma",
    "CameraSetGpio", "CameraSetLightFrquency", "CameraSetMirror", "CameraSetMonochrome", "CameraSetROI",
    "CameraSetSaturation", "CameraSetSnapMode", "CameraSetVideoMessage", "CameraSetWBWindow", "CameraSnap",
    "CameraStop", "CameraUnInit", "CameraWriteGpio", "CameraWriteLotDate"};

HMODULE Lib()
{
    static HMODULE h = LoadLibraryA("Hestral.dll");
    return h;
}

template <class F> F* Fn(const char* name)
{
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(Lib(), name)));
}
#define H(name) (Fn<decltype(name)>(#name))

const UINT kVideoMessage = WM_APP + 7;
std::atomic<int> g_callbacks{0};
std::vector<BYTE> g_callbackFrame;
std::atomic<bool> g_keepFrame{false};
int g_frameBytes = 0;

void __stdcall OnFrame(BYTE* bgr)
{
    g_callbacks++;
    if (g_keepFrame.exchange(false)) g_callbackFrame.assign(bgr, bgr + g_frameBytes);
}

// Counts the frame notices by their lParam.
struct Notices {
    int ok = 0, none = 0, failed = 0;
};
Notices g_notices;

LRESULT CALLBACK NotifyProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == kVideoMessage) {
        if (l == 1) g_notices.ok++;
        else if (l == 0) g_notices.none++;
        else if (l == -1) g_notices.failed++;
        return 0;
    }
    return DefWindowProcA(h, msg, w, l);
}

HWND MakeWindow(int w, int h, bool visible)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = NotifyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HestralTestWindow";
        wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        RegisterClassA(&wc);
        registered = true;
    }
    RECT r = {0, 0, w, h};
    AdjustWindowRect(&r, WS_POPUP, FALSE);
    // Away from the top-left corner, where other test programs' windows open.
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "HestralTestWindow", "hestral", WS_POPUP, 900, 680, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (visible) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    return hwnd;
}

void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG m;
    while ((LONG)(end - GetTickCount()) > 0) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(5);
    }
}

int ThreadCount()
{
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

std::vector<BYTE> ReadFile(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(f), {});
}

bool Exists(const std::string& name) { return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Scene bytes the driver renders, but for the frame stamp and its hot pixels.
int SceneMismatches(const std::vector<BYTE>& raw, int w, int h, int skip, CZentuSimControl& sim,
                    int exposure = -1)
{
    std::vector<unsigned short> regs = sim.Registers();
    const unsigned long long f = zentu_scene_factor(exposure >= 0 ? exposure : regs[9], regs[53]);
    int bad = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const size_t i = (size_t)y * w + x;
            if (i < ZENTU_SCENE_STAMP_BYTES || raw[i] == 255) continue;
            if (raw[i] != zentu_scene_raw(0, x, y, skip, skip, f)) bad++;
        }
    return bad;
}

struct Dll : ::testing::Test {
    CZentuSimControl sim;
    CBoxCatcher boxes;
    HWND notify = nullptr;

    void SetUp() override
    {
        ASSERT_NE(Lib(), nullptr);
        ASSERT_TRUE(sim.IsOpen());
        ASSERT_TRUE(sim.Reset());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin");
        notify = MakeWindow(64, 64, false);
        g_notices = Notices();
        g_callbacks = 0;
        H(CameraSetVideoMessage)(kVideoMessage);
    }
    void TearDown() override
    {
        H(CameraStop)();
        H(CameraUnInit)();
        DestroyWindow(notify);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin");
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        sim.Reset();
    }
    // Init with auto exposure off and a short exposure, so frames come quickly.
    int Init(int mode, HWND display = nullptr, int device = 1)
    {
        int r = H(CameraInit)(OnFrame, mode, display, device, notify);
        if (r == 1) {
            H(CameraSetAeState)(0);
            H(CameraSetExposureTime)(200);
            int w, h;
            H(CameraGetImageSize)(&w, &h);
            g_frameBytes = w * h * 3;
        }
        return r;
    }
};

TEST_F(Dll, EveryNameAndOrdinalResolvesAndOrdinalImportsBind)
{
    for (int ord = 1; ord <= 61; ord++) {
        FARPROC byOrdinal = GetProcAddress(Lib(), MAKEINTRESOURCEA(ord));
        const char* name = kExports[ord - 1];
        if (!name) {
            EXPECT_EQ(byOrdinal, nullptr) << ord;
            continue;
        }
        FARPROC byName = GetProcAddress(Lib(), name);
        EXPECT_NE(byName, nullptr) << name;
        EXPECT_EQ(byOrdinal, byName) << ord << " " << name;
    }
    EXPECT_EQ(GetProcAddress(Lib(), MAKEINTRESOURCEA(62)), nullptr);
    // Orvik's import library names ordinals 1, 20, 30, 58 and 59 only.
    EXPECT_EQ(reinterpret_cast<void*>(&CameraCaptureFile), reinterpret_cast<void*>(GetProcAddress(Lib(), "CameraCaptureFile")));
    EXPECT_EQ(reinterpret_cast<void*>(&CameraGetMirror), reinterpret_cast<void*>(GetProcAddress(Lib(), "CameraGetMirror")));
    EXPECT_EQ(reinterpret_cast<void*>(&CameraPlay), reinterpret_cast<void*>(GetProcAddress(Lib(), "CameraPlay")));
    EXPECT_EQ(reinterpret_cast<void*>(&CameraStop), reinterpret_cast<void*>(GetProcAddress(Lib(), "CameraStop")));
    EXPECT_EQ(reinterpret_cast<void*>(&CameraUnInit), reinterpret_cast<void*>(GetProcAddress(Lib(), "CameraUnInit")));
    EXPECT_EQ(CameraStop(), 0);
}

TEST_F(Dll, StatusCodesWithoutAndWithACamera)
{
    int i = 7;
    BYTE b = 7;
    WORD w = 7;
    short s = 0;
    EXPECT_EQ(H(CameraPlay)(), 0);
    EXPECT_EQ(H(CameraGetAeState)(&i), 0);
    EXPECT_EQ(H(CameraSetGamma)(50), 0);
    EXPECT_EQ(H(CameraGetAnalogGain)(&w), 0);
    EXPECT_EQ(H(CameraSetWBWindow)(0, 0, 10, 10), 0);
    EXPECT_EQ(H(CameraImageProcess)(nullptr, nullptr), 0);
    EXPECT_EQ(H(CameraWriteLotDate)(), 0);
    EXPECT_EQ(H(CameraGetROI)(&s, &s, &s, &s), 0);
    EXPECT_EQ(H(CameraSetROI)(360, 272, 640, 480), 1);
    EXPECT_EQ(H(CameraSetVideoMessage)(kVideoMessage), 1);
    EXPECT_EQ(H(CameraGetSnapMode)(&b), 1);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(H(CameraSetSnapMode)(1), -4);

    ASSERT_EQ(Init(2), 1);
    EXPECT_EQ(H(CameraPlay)(), 1);
    EXPECT_EQ(H(CameraPlay)(), 0);
    EXPECT_EQ(H(CameraStop)(), 1);
    EXPECT_EQ(H(CameraStop)(), 0);
    i = 5;
    EXPECT_EQ(H(CameraGetMirror)(2, &i), -4);
    EXPECT_EQ(i, 5);
    EXPECT_EQ(H(CameraSetMirror)(2, 1), -4);
    EXPECT_EQ(H(CameraSetMonochrome)(1), -4);
    EXPECT_EQ(H(CameraGetMonochrome)(&i), -4);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(H(CameraSetWBWindow)(600, 0, 41, 10), 0);
    EXPECT_EQ(H(CameraSetDisplayWindow)(0, 0, 640, 481), 0);
    EXPECT_EQ(H(CameraSetDisplayWindow)(0, 0, 320, 240), 1);
    EXPECT_EQ(H(CameraUnInit)(), 1);
    EXPECT_EQ(H(CameraGetAeState)(&i), 0);
    EXPECT_TRUE(boxes.Take().empty());
}

TEST_F(Dll, InitFailures)
{
    // No camera, or fewer than asked for: -1 without boxes.
    ASSERT_TRUE(sim.SetPresent(0));
    EXPECT_EQ(H(CameraInit)(OnFrame, 1, nullptr, 1, notify), -1);
    ASSERT_TRUE(sim.SetPresent(0x5));
    EXPECT_EQ(H(CameraInit)(OnFrame, 1, nullptr, 3, notify), -1);
    EXPECT_TRUE(boxes.Take().empty());
    // Camera 2 of devices 0 and 2 is zentu-2.
    sim.ClearLog();
    ASSERT_EQ(Init(1, nullptr, 2), 1);
    int onTwo = 0, onZero = 0;
    for (auto& e : sim.VendorLog()) (e.camera == 2 ? onTwo : onZero)++;
    EXPECT_GT(onTwo, 20);
    EXPECT_EQ(onZero, 0);
    EXPECT_EQ(H(CameraUnInit)(), 1);

    // A sensor of another chip: the sensor's box, the library's, and a quit message.
    ASSERT_TRUE(sim.SetPresent(1));
    ASSERT_TRUE(sim.SetRegister(0, 0x1500));
    EXPECT_EQ(H(CameraInit)(OnFrame, 1, nullptr, 1, notify), -1);
    std::vector<CaughtBox> b = boxes.Take();
    std::string seen;
    for (auto& x : b) {
        char hw[16];
        std::snprintf(hw, sizeof hw, "%p", (void*)x.window);
        seen += "[" + x.caption + "|" + x.text + "|" + hw + "]";
    }
    ASSERT_EQ(b.size(), 2u) << seen;
    EXPECT_EQ(b[0].text, "Sensor Init Failed!");
    EXPECT_EQ(b[1].text, "Init Camera failed!");
    EXPECT_EQ(b[1].caption, "Error");
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 1u);

    // A chip-version reply whose status is not 8 fails like a wrong chip.
    ASSERT_TRUE(sim.Reset());
    ASSERT_TRUE(sim.SetFault(ZSIM_FAULT_STATUS, 3, 3));
    EXPECT_EQ(H(CameraInit)(OnFrame, 1, nullptr, 1, notify), -1);
    b = boxes.Take();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].text, "Sensor Init Failed!");
    EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Dll, BringUpAndTheSensorWindowOfEachMode)
{
    struct Case {
        int mode, w, h, chunk;
        std::vector<std::pair<int, int>> window;
    };
    const Case cases[] = {
        {0, 1280, 1024, 262144, {{1, 21}, {2, 33}, {4, 2047}, {3, 1535}, {34, 0}, {35, 0}, {5, 336}}},
        {1, 1024, 768, 131072, {{1, 21}, {2, 33}, {4, 2047}, {3, 1535}, {34, 17}, {35, 17}, {5, 336}}},
        {2, 640, 480, 81920, {{1, 21}, {2, 36}, {4, 1919}, {3, 1439}, {34, 34}, {35, 34}, {5, 336}}},
        {3, 640, 480, 81920, {{4, 639}, {3, 479}, {1, 293}, {2, 393}, {34, 0}, {35, 0}}},
    };
    const std::vector<std::pair<int, int>> bringUp = {
        {7, 2}, {10, 0x8000}, {13, 1}, {13, 0}, {1, 21}, {2, 33}, {32, 0}, {30, 0x8040}, {78, 32}, {4, 2047},
        {3, 1535}, {43, 96}, {44, 96}, {45, 96}, {46, 96}, {10, 0x8001}, {73, 128}, {34, 0}, {35, 0}, {8, 0},
        {96, 0}, {97, 127}, {98, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        sim.ClearLog();
        H(CameraSetROI)(360, 272, 640, 480);
        ASSERT_EQ(H(CameraInit)(OnFrame, c.mode, nullptr, 1, notify), 1);
        std::vector<std::pair<int, int>> writes;
        bool readChip = false;
        for (auto& e : sim.VendorLog()) {
            if (e.request == 9) writes.emplace_back(e.index, e.value);
            if (e.request == 8 && e.index == 0) readChip = writes.size() == 1;
        }
        EXPECT_TRUE(readChip);
        std::vector<std::pair<int, int>> want = bringUp;
        want.insert(want.end(), c.window.begin(), c.window.end());
        ASSERT_GE(writes.size(), want.size());
        EXPECT_EQ((std::vector<std::pair<int, int>>(writes.begin(), writes.begin() + want.size())), want);
        // Start exposure: the stored 50 s clamped to the longest exposure, whole flicker steps.
        int rows = 0, rowTime = 0;
        WORD longest = 0;
        H(CameraGetExposureTime)(&rows);
        H(CameraGetRowTime)(&rowTime);
        H(CameraGetMaxExposureTime)(&longest);
        EXPECT_GT(rows, 0);
        EXPECT_LE(rows, longest);
        EXPECT_EQ(sim.Registers()[9], rows);
        int w = 0, h = 0;
        H(CameraGetImageSize)(&w, &h);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
        // Reads of width x 128 bytes.
        H(CameraSetExposureTime)(200);
        sim.ClearLog();
        std::vector<BYTE> raw(2048 * 1536 + 512);
        EXPECT_EQ(H(CameraPlay)(), 1);
        EXPECT_EQ(H(CameraSnap)(raw.data(), 0), 1);
        H(CameraStop)();
        int reads = 0, wrong = 0;
        for (auto& e : sim.Log())
            if (e.kind == ZSIM_LOG_READ) (e.length == (unsigned)c.chunk ? reads : wrong)++;
        EXPECT_GT(reads, 0);
        EXPECT_EQ(wrong, 0);
        ZentuSimStatus st = sim.Status();
        EXPECT_EQ(st.frameWidth * st.frameHeight, (unsigned)c.chunk / 128 * (c.mode == 0 ? 1536 : c.h));
        EXPECT_EQ(H(CameraUnInit)(), 1);
    }
}

TEST_F(Dll, EverySetterReachesTheSensorOrTheGetter)
{
    ASSERT_EQ(Init(1), 1);
    auto reg = [&](int r) { return (int)sim.Registers()[r]; };
    WORD w;
    BYTE b;
    int i, r, g, bl;
    EXPECT_EQ(H(CameraSetAnalogGain)(41), 1);
    EXPECT_EQ(reg(53), 352);
    H(CameraGetAnalogGain)(&w);
    EXPECT_EQ(w, 41);
    EXPECT_EQ(H(CameraSetAnalogGain)(100), 1);
    H(CameraGetAnalogGain)(&w);
    EXPECT_EQ(w, 86);
    EXPECT_EQ(reg(53), 0x2D60);
    EXPECT_EQ(H(CameraSetExposureTime)(450), 1);
    EXPECT_EQ(reg(9), 450);
    EXPECT_EQ(reg(8), 0);
    H(CameraGetExposureTime)(&i);
    EXPECT_EQ(i, 450);
    EXPECT_EQ(H(CameraSetFrameSpeed)(1), 1);
    EXPECT_EQ(reg(10), 0x8000);
    H(CameraGetRowTime)(&i);
    EXPECT_EQ(i, 42);
    H(CameraGetFrameSpeed)(&b);
    EXPECT_EQ(b, 1);
    H(CameraSetFrameSpeed)(0);
    EXPECT_EQ(reg(10), 0x8001);
    EXPECT_EQ(H(CameraSetLightFrquency)(1), 1);
    H(CameraGetLightFrquency)(&b);
    EXPECT_EQ(b, 1);
    H(CameraGetExposureTime)(&i);
    EXPECT_EQ(i % 97, 0); // whole 60 Hz steps
    H(CameraSetGain)(70, 60, 90);
    H(CameraGetGain)(&r, &g, &bl);
    EXPECT_EQ(r * 10000 + g * 100 + bl, 70 * 10000 + 60 * 100 + 90);
    const struct { int (*set)(BYTE); int (*get)(BYTE*); BYTE v; } bytes[] = {
        {H(CameraSetAeTarget), H(CameraGetAeTarget), 150}, {H(CameraSetB2RGBMode), H(CameraGetB2RGBMode), 2},
        {H(CameraSetContrast), H(CameraGetContrast), 33}, {H(CameraSetGamma), H(CameraGetGamma), 140},
        {H(CameraSetSaturation), H(CameraGetSaturation), 90}};
    for (auto& c : bytes) {
        EXPECT_EQ(c.set(c.v), 1);
        b = 0;
        EXPECT_EQ(c.get(&b), 1);
        EXPECT_EQ(b, c.v);
    }
    const struct { int (*set)(int); int (*get)(int*); } flags[] = {
        {H(CameraSetAeState), H(CameraGetAeState)}, {H(CameraSetColorEnhancement), H(CameraGetColorEnhancement)}};
    for (auto& c : flags)
        for (int v : {1, 0}) {
            c.set(v);
            c.get(&i);
            EXPECT_EQ(i, v);
        }
    for (int dir : {0, 1}) {
        EXPECT_EQ(H(CameraSetMirror)(dir, 1), 1);
        EXPECT_EQ(H(CameraGetMirror)(dir, &i), 1);
        EXPECT_EQ(i, 1);
    }
    // White balance on request: the flag clears once a frame went through.
    EXPECT_EQ(H(CameraPlay)(), 1);
    EXPECT_EQ(H(CameraSetAWBState)(1), 1);
    for (int k = 0; k < 100; k++) {
        H(CameraGetAWBState)(&i);
        if (!i) break;
        Sleep(50);
    }
    EXPECT_EQ(i, 0);
    H(CameraStop)();
    // Port bytes: write, read back, set.
    sim.ClearLog();
    EXPECT_EQ(H(CameraWriteGpio)(0x5A), 1);
    b = 0;
    EXPECT_EQ(H(CameraReadGpio)(&b), 1);
    EXPECT_EQ(b, 0x5A);
    EXPECT_EQ(H(CameraSetGpio)(3), 1);
    std::vector<int> indexes;
    for (auto& e : sim.VendorLog())
        if (e.request == 6) indexes.push_back(e.index);
    EXPECT_EQ(indexes, (std::vector<int>{0xFE00, 0, 0xFF00}));
    // Region.
    short x, y, rw, rh;
    EXPECT_EQ(H(CameraGetROI)(&x, &y, &rw, &rh), 1);
    EXPECT_EQ(x * 1000 + y, 360272);
    EXPECT_EQ(H(CameraLoadDefault)(), 1);
    H(CameraGetGamma)(&b);
    EXPECT_EQ(b, 100);
    H(CameraGetGain)(&r, &g, &bl);
    EXPECT_EQ(r, 74);
}

TEST_F(Dll, FramesReachTheCallbackTheNoticesAndTheWindow)
{
    HWND display = MakeWindow(640, 480, true);
    ASSERT_EQ(Init(2, display), 1);
    ASSERT_EQ(H(CameraPlay)(), 1);
    Pump(300);
    const int c0 = g_callbacks, n0 = g_notices.ok;
    const DWORD t0 = GetTickCount();
    Pump(1500);
    const int frames = g_callbacks - c0;
    const double seconds = (GetTickCount() - t0) / 1000.0;
    const double sensorRate = 1e6 / sim.Status().periodUs;
    EXPECT_NEAR(frames / seconds, sensorRate, sensorRate * 0.35) << frames;
    EXPECT_GE(g_notices.ok - n0, frames - 2);
    // The callback's rows are top-down: the scene's marker is at its top left.
    g_keepFrame = true;
    Pump(400);
    ASSERT_EQ(g_callbackFrame.size(), (size_t)640 * 480 * 3);
    auto cb = [&](int x, int y) { return (int)g_callbackFrame[((size_t)y * 640 + x) * 3 + 1]; };
    EXPECT_GT(cb(40, 40), cb(40, 200) + 40);
    EXPECT_GT(cb(40, 40), cb(40, 440) + 40);
    ASSERT_EQ(H(CameraStop)(), 1);
    // The window shows the last frame, which CameraCaptureToBuf processes again.
    std::vector<BYTE> buf((size_t)640 * 480 * 3);
    ASSERT_EQ(H(CameraCaptureToBuf)(buf.data(), 1), 1);
    HDC wdc = GetDC(display);
    HDC mem = CreateCompatibleDC(wdc);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 640;
    bi.bmiHeader.biHeight = -480;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, 640, 480, wdc, 0, 0, SRCCOPY);
    GdiFlush();
    int bad = 0, checked = 0;
    for (int y = 5; y < 480; y += 37)
        for (int x = 5; x < 640; x += 41) {
            const BYTE* s = (const BYTE*)bits + ((size_t)y * 640 + x) * 4;
            const BYTE* p = &buf[((size_t)(479 - y) * 640 + x) * 3];
            checked++;
            for (int k = 0; k < 3; k++)
                if (std::abs(s[k] - p[k]) > 2) {
                    bad++;
                    break;
                }
        }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(display, wdc);
    EXPECT_EQ(bad, 0) << "of " << checked;
    EXPECT_EQ(H(CameraUnInit)(), 1);
    DestroyWindow(display);
}

TEST_F(Dll, SnapCaptureToBufAndImageProcessAgree)
{
    ASSERT_EQ(Init(1), 1);
    ASSERT_EQ(H(CameraPlay)(), 1);
    Pump(500);
    const int w = 1024, h = 768;
    std::vector<BYTE> raw((size_t)w * h + 512), snapped((size_t)w * h * 3), processed((size_t)w * h * 3);
    ASSERT_EQ(H(CameraSnap)(raw.data(), 0), 1);
    EXPECT_EQ(SceneMismatches(raw, w, h, 2, sim), 0);
    ASSERT_EQ(H(CameraSnap)(snapped.data(), 1), 1);
    ASSERT_EQ(H(CameraImageProcess)(raw.data(), processed.data()), 1);
    // Rows apart from the top (the frame stamp) match; rows are bottom-up.
    EXPECT_TRUE(std::equal(snapped.begin(), snapped.begin() + (size_t)(h - 4) * w * 3, processed.begin()));
    // The threads run again: notices keep coming.
    const int n = g_notices.ok;
    Pump(600);
    EXPECT_GT(g_notices.ok, n);
    ASSERT_EQ(H(CameraStop)(), 1);
    std::vector<BYTE> last((size_t)w * h), viaBuf((size_t)w * h * 3);
    ASSERT_EQ(H(CameraCaptureToBuf)(last.data(), 0), 1);
    EXPECT_EQ(SceneMismatches(last, w, h, 2, sim), 0);
    ASSERT_EQ(H(CameraCaptureToBuf)(viaBuf.data(), 1), 1);
    last.resize(last.size() + 512);
    H(CameraImageProcess)(last.data(), processed.data());
    EXPECT_EQ(viaBuf, processed);
}

struct Jpeg {
    int width = 0, height = 0;
    std::vector<BYTE> rgb;
    std::vector<int> luminanceTable;
};

Jpeg Decode(const std::string& name)
{
    Jpeg j;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return j;
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    if (d.quant_tbl_ptrs[0])
        for (int k = 0; k < 64; k++) j.luminanceTable.push_back(d.quant_tbl_ptrs[0]->quantval[k]);
    jpeg_start_decompress(&d);
    j.width = (int)d.output_width;
    j.height = (int)d.output_height;
    j.rgb.resize((size_t)j.width * j.height * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = j.rgb.data() + (size_t)d.output_scanline * j.width * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(f);
    return j;
}

TEST_F(Dll, StillFilesReadBack)
{
    const std::string base = "hestral_still";
    for (const char* ext : {".raw", ".bmp", ".jpg"}) DeleteFileA((base + ext).c_str());
    // Stopped: the box, 0 and no files.
    ASSERT_EQ(Init(2), 1);
    EXPECT_EQ(H(CameraCaptureFile)(base.c_str(), 7, 90, 2), 0);
    std::vector<CaughtBox> b = boxes.Take();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].text, "Camera is closed!\r\nPlease Open it.");
    EXPECT_FALSE(Exists(base + ".bmp"));

    ASSERT_EQ(H(CameraPlay)(), 1);
    // Captured in mode 1 while the camera runs in mode 2: files of mode 1.
    ASSERT_EQ(H(CameraCaptureFile)(base.c_str(), 7, 0, 1), 1);
    const int w = 1024, h = 768;
    std::vector<BYTE> raw = ReadFile(base + ".raw");
    ASSERT_EQ(raw.size(), (size_t)w * h);
    // 200 rows of mode 2 are 200 x 1989 / 2055 = 193 rows of mode 1, whole
    // 116-row steps: 116.
    EXPECT_EQ(SceneMismatches(raw, w, h, 2, sim, 116), 0);
    std::vector<BYTE> bmp = ReadFile(base + ".bmp");
    ASSERT_EQ(bmp.size(), (size_t)54 + w * h * 3);
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    std::memcpy(&fh, bmp.data(), 14);
    std::memcpy(&ih, bmp.data() + 14, 40);
    EXPECT_EQ(fh.bfType, 0x4D42);
    EXPECT_EQ(fh.bfSize, bmp.size());
    EXPECT_EQ(fh.bfOffBits, 54u);
    EXPECT_EQ(ih.biWidth, w);
    EXPECT_EQ(ih.biHeight, h);
    EXPECT_EQ(ih.biBitCount, 24);
    EXPECT_EQ(ih.biCompression, (DWORD)BI_RGB);
    EXPECT_EQ(ih.biSizeImage, 0u);
    Jpeg j = Decode(base + ".jpg");
    EXPECT_EQ(j.width, w);
    EXPECT_EQ(j.height, h);
    EXPECT_EQ(j.luminanceTable, std::vector<int>(64, 255)); // quality 0 written as 1
    // The camera is back in mode 2 and running.
    int cw, ch;
    H(CameraGetImageSize)(&cw, &ch);
    EXPECT_EQ(cw, 640);
    const int n = g_notices.ok;
    Pump(500);
    EXPECT_GT(g_notices.ok, n);

    // In the running mode: the BMP is the processed raw frame byte for byte,
    // the JPEG close to it.
    ASSERT_EQ(H(CameraCaptureFile)(base.c_str(), 7, 95, 2), 1);
    raw = ReadFile(base + ".raw");
    ASSERT_EQ(raw.size(), (size_t)640 * 480);
    raw.resize(raw.size() + 512);
    std::vector<BYTE> processed((size_t)640 * 480 * 3);
    H(CameraImageProcess)(raw.data(), processed.data());
    bmp = ReadFile(base + ".bmp");
    ASSERT_EQ(bmp.size(), 54 + processed.size());
    EXPECT_TRUE(std::equal(processed.begin(), processed.end(), bmp.begin() + 54));
    j = Decode(base + ".jpg");
    ASSERT_EQ(j.width, 640);
    ASSERT_EQ(j.height, 480);
    long long diff = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            for (int k = 0; k < 3; k++)
                diff += std::abs(j.rgb[((size_t)y * 640 + x) * 3 + k] - processed[((size_t)(479 - y) * 640 + x) * 3 + 2 - k]);
    EXPECT_LT(diff / (640.0 * 480 * 3), 4.0);
    EXPECT_TRUE(boxes.Take().empty());

    // A file that cannot be created.
    EXPECT_EQ(H(CameraCaptureFile)("no_such_folder\\still", 4, 90, 2), -6);
    b = boxes.Take();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].text, "can't create file");
    EXPECT_EQ(H(CameraCaptureFile)("no_such_folder\\still", 1, 90, 2), 0);
    b = boxes.Take();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].text, "JpegFile :\nCan't open no_such_folder\\still.jpg\n");

    // The current picture, at the size of the picture.
    Pump(300);
    ASSERT_EQ(H(CameraStop)(), 1);
    ASSERT_EQ(H(CameraSaveCurrentImage)(base.c_str(), 2, 90), 1);
    bmp = ReadFile(base + ".bmp");
    EXPECT_EQ(bmp.size(), (size_t)54 + 640 * 480 * 3);
    for (const char* ext : {".raw", ".bmp", ".jpg"}) DeleteFileA((base + ext).c_str());
}

TEST_F(Dll, OddRegionWidthGivesPaddedBmpRows)
{
    H(CameraSetROI)(100, 100, 642, 100);
    ASSERT_EQ(Init(3), 1);
    int w, h;
    H(CameraGetImageSize)(&w, &h);
    ASSERT_EQ(w, 642);
    ASSERT_EQ(H(CameraPlay)(), 1);
    ASSERT_EQ(H(CameraCaptureFile)("hestral_region", 2, 90, 3), 1);
    std::vector<BYTE> bmp = ReadFile("hestral_region.bmp");
    const size_t stride = (642 * 3 + 3) & ~3u;
    EXPECT_EQ(bmp.size(), 54 + stride * 100);
    DeleteFileA("hestral_region.bmp");
    H(CameraSetROI)(360, 272, 640, 480);
}

TEST_F(Dll, TeamsInTheRegistry)
{
    ASSERT_EQ(Init(1), 1);
    H(CameraSetGamma)(150);
    H(CameraSetContrast)(40);
    EXPECT_EQ(H(CameraSaveParameter)(1), 1);
    BYTE team = 9;
    H(CameraGetCurrentParameterTeam)(&team);
    EXPECT_EQ(team, 1);
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tessavin\\KX410\\setupb", 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD v = 0, size = 4, type = 0;
    EXPECT_EQ(RegQueryValueExA(k, "Gamma", nullptr, &type, (BYTE*)&v, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, (DWORD)REG_DWORD);
    EXPECT_EQ(v, 150u);
    size = 4;
    EXPECT_EQ(RegQueryValueExA(k, "Color Correct Enable ", nullptr, &type, (BYTE*)&v, &size), ERROR_SUCCESS);
    RegCloseKey(k);
    H(CameraSetGamma)(60);
    EXPECT_EQ(H(CameraReadParameter)(1), 1);
    BYTE g = 0;
    H(CameraGetGamma)(&g);
    EXPECT_EQ(g, 150);
    // UnInit saves the current team.
    H(CameraSetContrast)(77);
    EXPECT_EQ(H(CameraUnInit)(), 1);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tessavin\\KX410\\setupb", 0, KEY_READ, &k), ERROR_SUCCESS);
    size = 4;
    RegQueryValueExA(k, "Contrast", nullptr, &type, (BYTE*)&v, &size);
    RegCloseKey(k);
    EXPECT_EQ(v, 77u);
    // Counting cameras: devices 0 and 2, the team's stored resolution; a
    // live camera is left alone.
    ASSERT_TRUE(sim.SetPresent(0x5));
    ASSERT_EQ(Init(2), 1);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tessavin\\KX410\\setupa", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    v = 3;
    RegSetValueExA(k, "Resolution", 0, REG_DWORD, (const BYTE*)&v, 4);
    RegCloseKey(k);
    BYTE count = 0, resolution = 9;
    EXPECT_EQ(H(CameraGetMultiCameraNumber)(&count, &resolution), 1);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(resolution, 3);
    EXPECT_EQ(H(CameraPlay)(), 1);
    Pump(500);
    EXPECT_GT(g_notices.ok, 0);
    EXPECT_EQ(H(CameraStop)(), 1);
}

TEST_F(Dll, LotDateAndDeadPixelDetection)
{
    ASSERT_EQ(Init(1), 1);
    EXPECT_EQ(H(CameraWriteLotDate)(), 1);
    SYSTEMTIME t;
    GetLocalTime(&t);
    const unsigned word = (t.wYear - 2009) * 512 + t.wMonth * 32 + t.wDay;
    EXPECT_EQ(sim.ReadNv(0x3FF0, 1), std::vector<unsigned short>(1, (unsigned short)word));
    WORD y = 0;
    BYTE m = 0, d = 0;
    EXPECT_EQ(H(CameraReadBN)(&y, &m, &d), 1);
    EXPECT_EQ(y, t.wYear);
    EXPECT_EQ(m, t.wMonth);
    EXPECT_EQ(d, t.wDay);
    ASSERT_TRUE(sim.WriteNv(0x3FF0, {0xFFFF}));
    EXPECT_EQ(H(CameraReadBN)(&y, &m, &d), 0);

    // Five hot pixels the camera's table does not list (it was read at Init).
    const int hot[5][2] = {{101, 50}, {501, 301}, {700, 600}, {301, 400}, {901, 100}};
    ASSERT_TRUE(sim.WriteNv(0x24C6 + 4, {5}));
    for (int i = 0; i < 5; i++)
        ASSERT_TRUE(sim.WriteNv(0x2500 + 400 + 4 * i, {(unsigned short)hot[i][0], 0, (unsigned short)hot[i][1]}));
    ASSERT_TRUE(sim.SetScene(ZSIM_SCENE_FLAT));
    H(CameraSetColorEnhancement)(0);
    ASSERT_EQ(H(CameraPlay)(), 1);
    Pump(400);
    const int w = 1024, h = 768;
    std::vector<BYTE> img((size_t)w * h * 3), raw((size_t)w * h + 512);
    auto sum = [&](int x, int yy) {
        const BYTE* p = &img[((size_t)(h - 1 - yy) * w + x) * 3];
        return p[0] + p[1] + p[2];
    };
    ASSERT_EQ(H(CameraSnap)(raw.data(), 0), 1);
    ASSERT_EQ(H(CameraImageProcess)(raw.data(), img.data()), 1);
    for (auto& p : hot) {
        EXPECT_EQ(raw[(size_t)p[1] * w + p[0]], 255);
        EXPECT_GT(sum(p[0], p[1]), sum(p[0] + 10, p[1]) + 30) << p[0];
    }
    EXPECT_EQ(H(CameraEnableDeadPixelCorrection)(), 1);
    Pump(600);
    ASSERT_EQ(H(CameraStop)(), 1);
    ASSERT_EQ(H(CameraCaptureToBuf)(img.data(), 1), 1);
    for (auto& p : hot) EXPECT_NEAR(sum(p[0], p[1]), sum(p[0] + 10, p[1]), 6) << p[0];
}

// Auto exposure on live frames of the simulated sensor, whose brightness
// follows exposure and gain: from the overexposed start (the longest
// exposure) the picture's luminance comes down and settles near the target.
TEST_F(Dll, AutoExposureSettlesOnTheTarget)
{
    ASSERT_EQ(Init(2), 1);
    ASSERT_TRUE(sim.SetScene(ZSIM_SCENE_FLAT));
    H(CameraSetAeTarget)(50);
    H(CameraSetExposureTime)(960);
    H(CameraSetAeState)(1);
    ASSERT_EQ(H(CameraPlay)(), 1);
    std::vector<BYTE> img((size_t)640 * 480 * 3);
    int y = 0;
    for (int k = 0; k < 40; k++) {
        Pump(250);
        ASSERT_EQ(H(CameraCaptureToBuf)(img.data(), 1), 1);
        unsigned long long s[3] = {};
        for (size_t i = 0; i < img.size(); i += 3)
            for (int c = 0; c < 3; c++) s[c] += img[i + c];
        const int n = 640 * 480;
        y = (int)((s[1] / n * 16425 + s[2] / n * 8432 + s[0] / n * 3176) >> 15);
        if (k > 8 && std::abs(y - 50) <= 12) break;
    }
    int rows = 0;
    WORD gain = 0;
    H(CameraGetExposureTime)(&rows);
    H(CameraGetAnalogGain)(&gain);
    EXPECT_NEAR(y, 50, 12) << "exposure " << rows << " gain " << gain;
}

TEST_F(Dll, RemovedCameraEndsTheThreads)
{
    ASSERT_EQ(Init(2), 1);
    ASSERT_EQ(H(CameraPlay)(), 1);
    Pump(300);
    ASSERT_TRUE(sim.SetFault(ZSIM_FAULT_UNPLUG, 1));
    Pump(800);
    EXPECT_GE(g_notices.failed, 1);
    EXPECT_EQ(H(CameraStop)(), 0);
    sim.SetFault(ZSIM_FAULT_UNPLUG, 0);
    EXPECT_EQ(H(CameraUnInit)(), 1);
}

TEST_F(Dll, CyclesLeaveNoThreadBehind)
{
    const int before = ThreadCount();
    for (int k = 0; k < 20; k++) {
        SCOPED_TRACE(k);
        ASSERT_EQ(Init(2), 1);
        ASSERT_EQ(H(CameraPlay)(), 1);
        Sleep(150);
        if (k % 5 == 4) {
            // UnInit while running stops the threads first.
            ASSERT_EQ(H(CameraUnInit)(), 1);
            continue;
        }
        ASSERT_EQ(H(CameraStop)(), 1);
        ASSERT_EQ(H(CameraUnInit)(), 1);
    }
    Sleep(100);
    EXPECT_EQ(ThreadCount(), before);
    EXPECT_GT(g_callbacks.load(), 0);
}

} // namespace
