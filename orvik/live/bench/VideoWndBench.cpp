// The Marrowin live frame step at 1296 x 972 (grab, filter, draw into the
// window) against its 20 ms cadence and a memcpy of the frame measured in
// the same run, over Marrowin.dll and the simulated camera sending frames as
// fast as they are read.
#include <windows.h>

#include <AfxTestScript.h>
#include <AfxWindows.h>
#include <CameraSdk.h>
#include <Globals.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "MarkerOverlay.h"
#include "OrvikDoc.h"
#include "PellixSim.h"
#include "PellixVideoWnd.h"

namespace {

const double kCadenceMs = 20.0;

class CBenchApp : public CWinApp {
public:
    CBenchApp() : CWinApp(L"VideoWndBench") {}
};

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    PellixSim sim;
    if (!sim.Open()) {
        std::printf("the simulated EZ-USB driver is not running\n");
        return 1;
    }
    sim.Reset();
    sim.Change([](PellixSimConfig& c) { c.framesPerSecond = 0; });
    CBenchApp app;
    AfxTestSetScript(L"");
    if (!AfxWinInit(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW) || !app.InitApplication() ||
        !g_PellixSdk.Bind() || g_PellixSdk.Pellix_Initialize() != 0) {
        std::printf("Marrowin.dll or the camera is missing\n");
        return 1;
    }
    CFrameWnd* frame = new CFrameWnd;
    frame->Create(nullptr, L"video window bench", WS_POPUP | WS_VISIBLE, CRect(100, 100, 1396, 1072));
    app.m_pMainWnd = frame;
    {
        COrvikDoc doc;
        doc.m_nZoomMode = 1;
        doc.m_bDrawMeasurements = false;
        CPellixVideoWnd wnd;  // never started: the steps run here, on this thread
        wnd.SetDocument(&doc);
        wnd.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 1296, 972), frame, kVideoWndId);
        const HWND hwnd = wnd.GetSafeHwnd();
        g_bPreviewRunning = 1;

        const size_t bytes = size_t(wnd.m_nFrameWidth) * wnd.m_nFrameHeight * 3;
        std::vector<BYTE> grabbed(size_t(2592) * 1944 * 3), copy(bytes);
        BITMAPINFOHEADER header = {};
        const double base = BenchTimeMs([] {}, [&] { std::memcpy(copy.data(), grabbed.data(), bytes); }, repeats);
        const double grab = BenchTimeMs([] {}, [&] { g_PellixSdk.Pellix_GetBitmap(&header, grabbed.data()); }, repeats);
        std::printf("Marrowin live frame %ld x %ld: memcpy of the frame %.3f ms\n", header.biWidth,
                    -header.biHeight, base);
        std::printf("  %-34s %9s %8s %10s\n", "step", "ms/frame", "ratio", "of 20 ms");
        auto row = [&](const char* name, double ms) {
            std::printf("  %-34s %9.3f %7.2fx %9.0f%%\n", name, ms, ms / base, 100.0 * ms / kCadenceMs);
        };
        row("grab (Pellix_GetBitmap)", grab);
        const struct {
            const char* name;
            int filter;
            int overlay;
            bool running;
        } steps[] = {
            {"draw only (paused)", kFilterNone, kMarkerNone, false},
            {"grab + draw", kFilterNone, kMarkerNone, true},
            {"grab + gray + draw", kFilterGray, kMarkerNone, true},
            {"grab + equalize + draw", kFilterEqualize, kMarkerNone, true},
            {"grab + gray + draw + ruler", kFilterGray, kMarkerRuler, true},
        };
        for (const auto& s : steps) {
            doc.m_nFilterMode = s.filter;
            doc.m_nOverlayKind = s.overlay;
            g_bPreviewRunning = 1;
            wnd.DrawFrame(hwnd);  // a frame to draw when paused
            g_bPreviewRunning = s.running;
            row(s.name, BenchTimeMs([] {}, [&] { wnd.DrawFrame(hwnd); GdiFlush(); }, repeats));
        }
        // Display scaling in fit mode: the HALFTONE stretch to a smaller window.
        doc.m_nZoomMode = 0;
        doc.m_nDisplayWidth = 800;
        doc.m_nDisplayHeight = 600;
        doc.m_nFilterMode = kFilterNone;
        doc.m_nOverlayKind = kMarkerNone;
        g_bPreviewRunning = 1;
        row("grab + draw fitted to 800 x 600", BenchTimeMs([] {}, [&] { wnd.DrawFrame(hwnd); GdiFlush(); }, repeats));
        g_bPreviewRunning = 0;
    }
    frame->DestroyWindow();
    g_PellixSdk.Pellix_Uninitialize();
    sim.Reset();
    return 0;
}
