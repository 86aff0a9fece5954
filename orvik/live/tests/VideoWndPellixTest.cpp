// The Marrowin video window over the real Marrowin.dll and the simulated
// EZ-USB camera: its format and exposure, the picture in the window's
// pixels, the real-time filter, mask and overlay, pause, failing grabs, the
// recorded clip read back with AVIFile, and the frame thread's life.
#include <gtest/gtest.h>
#include <windows.h>
#include <vfw.h>

#include <AviWriter.h>
#include <CameraSdk.h>
#include <Globals.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "MarkerOverlay.h"
#include "MeasureLayer.h"
#include "RealTime.h"
#include "PellixSim.h"
#include "PellixVideoWnd.h"
#include "VideoWndTestHost.h"
#include "WmvRle.h"

using namespace videownd_test;

namespace {

const int kFrameW = 1296, kFrameH = 972;

struct Rgb {
    int r, g, b;
};
Rgb ToRgb(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }
Rgb FramePixel(const std::vector<BYTE>& px, int w, int x, int y) {
    const BYTE* p = &px[(size_t(y) * w + x) * 3];
    return {p[2], p[1], p[0]};
}
bool Near(const Rgb& a, const Rgb& b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// The simulator stamps 4 x 4 grey blocks at rows 8 to 11, columns 8 + 8 i:
// 0xA5, the frame number's low and high bytes, 0x3C.
int FrameNumber(const std::vector<BYTE>& px, int w) {
    const int y = PELLIX_SIM_MARKER_ROW + 1;
    return FramePixel(px, w, PELLIX_SIM_MARKER_COL(1) + 1, y).b | (FramePixel(px, w, PELLIX_SIM_MARKER_COL(2) + 1, y).b << 8);
}

class PellixEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        PellixSim sim;
        ASSERT_TRUE(sim.Open()) << "the simulated EZ-USB driver is not running";
        sim.Reset();
        ASSERT_TRUE(g_PellixSdk.Bind()) << "Marrowin.dll is not beside the test";
        ASSERT_EQ(g_PellixSdk.Pellix_Initialize(), 0);
    }
    void TearDown() override {
        g_PellixSdk.Pellix_Uninitialize();
        PellixSim().Reset();
    }
};
const auto* g_host = ::testing::AddGlobalTestEnvironment(new HostEnvironment);
const auto* g_pellix = ::testing::AddGlobalTestEnvironment(new PellixEnvironment);

// Counts the grabs the window asks for and fails each with the library's time-out.
std::atomic<int> g_failedGrabs{0};
int WINAPI FailingGrab(BITMAPINFOHEADER*, BYTE*) {
    ++g_failedGrabs;
    return PELLIX_E_TIMEOUT;
}

class PellixWnd : public ::testing::Test {
protected:
    std::unique_ptr<COrvikDoc> doc;
    std::unique_ptr<CPellixVideoWnd> wnd;
    PFN_Pellix_GetBitmap realGrab = nullptr;

    void SetUp() override {
        g_CamType = kCamMarrowin;
        g_bPreviewRunning = 1;
        realGrab = g_PellixSdk.Pellix_GetBitmap;
        doc.reset(new COrvikDoc);
        doc->m_nZoomMode = 1;  // one frame pixel a screen pixel
        doc->m_bDrawMeasurements = false;
    }
    void TearDown() override {
        wnd.reset();
        g_PellixSdk.Pellix_GetBitmap = realGrab;
        doc.reset();
        g_bPreviewRunning = 0;
        Pump();
    }
    HWND Hwnd() const { return wnd->GetSafeHwnd(); }
    void Open(bool start = true) {
        wnd.reset(new CPellixVideoWnd);
        ASSERT_TRUE(CreateOnFrame(wnd.get(), doc.get(), CRect(0, 0, kFrameW, kFrameH)));
        if (start) wnd->Start();
    }
    bool LastFrame(std::vector<BYTE>& px) {
        BITMAPINFOHEADER h = {};
        return wnd->CopyLastFrame(h, px);
    }
    // Waits until the window shows a frame grabbed after this call.
    bool NextFrame(std::vector<BYTE>* out = nullptr) {
        std::vector<BYTE> px;
        int first = LastFrame(px) ? FrameNumber(px, kFrameW) : -1;
        int seen = 0;
        // Two later frames: the first may have been grabbed before a change.
        return WaitFor([&] {
            if (!LastFrame(px)) return false;
            const int n = FrameNumber(px, kFrameW);
            if (n != first) {
                first = n;
                ++seen;
            }
            if (seen < 2) return false;
            if (out) *out = px;
            return true;
        });
    }
    // Waits until the window's pixel at (x, y) satisfies `ok`.
    bool PixelBecomes(int x, int y, const std::function<bool(const Rgb&)>& ok) {
        return WaitFor([&] { return ok(ToRgb(WindowPixel(Hwnd(), x, y))); });
    }
};

TEST_F(PellixWnd, HalfSizeFormatExposureAndFrameSize) {
    Open(false);
    PellixFrameFormat cur = {}, lo = {}, hi = {};
    ASSERT_EQ(g_PellixSdk.Pellix_GetFrameFormat(&cur, &lo, &hi), 0);
    const PellixFrameFormat expected = {0, 0, 2592, 1944, 2, 1, 2, 1};
    EXPECT_EQ(std::memcmp(&cur, &expected, sizeof cur), 0)
        << cur.columnStart << "," << cur.rowStart << "," << cur.width << "," << cur.height << ","
        << int(cur.columnSkip) << "," << int(cur.columnBin) << "," << int(cur.rowSkip) << "," << int(cur.rowBin);
    float ms = 0, lowest = 0, highest = 0;
    ASSERT_EQ(g_PellixSdk.Pellix_GetExposureTime(&ms, &lowest, &highest), 0);
    EXPECT_NEAR(ms, 20.0f, 0.5f);
    EXPECT_EQ(wnd->m_nFrameWidth, kFrameW);
    EXPECT_EQ(wnd->m_nFrameHeight, kFrameH);
    // Not started: no frame, and the window stays as erased.
    std::vector<BYTE> px;
    EXPECT_FALSE(LastFrame(px));
}

// The window shows the grabbed frame at 1:1; filter 11 greys it, mask
// operation 21 ANDs it with the mask, overlay 1 draws the ruler's centre lines.
TEST_F(PellixWnd, PictureFilterMaskAndOverlay) {
    Open();
    std::vector<BYTE> px;
    ASSERT_TRUE(NextFrame(&px)) << "no frame reached the window";
    const Rgb background = FramePixel(px, kFrameW, 600, 700);
    ASSERT_FALSE(background.r == background.g && background.g == background.b) << "the scene is coloured";
    // The window's pixels are the frame's, the marker block at its place.
    EXPECT_TRUE(PixelBecomes(600, 700, [&](const Rgb& c) { return Near(c, background); }));
    EXPECT_TRUE(Near(FramePixel(px, kFrameW, 10, 10), {0xA5, 0xA5, 0xA5}, 0));
    EXPECT_TRUE(PixelBecomes(10, 10, [&](const Rgb& c) { return Near(c, {0xA5, 0xA5, 0xA5}); }));

    doc->m_nFilterMode = kFilterGray;
    EXPECT_TRUE(PixelBecomes(600, 700, [](const Rgb& c) { return c.r == c.g && c.g == c.b; }));
    // As RTGray makes it from the ungreyed pixel: blue 30, green 59, red 11.
    const int grey = (30 * background.b + 59 * background.g + 11 * background.r + 50) / 100;
    EXPECT_TRUE(PixelBecomes(600, 700, [&](const Rgb& c) { return Near(c, {grey, grey, grey}, 2); }));
    doc->m_nFilterMode = kFilterNone;

    // A mask black on its left half and 0x0F0F0F on its right.
    auto mask = std::make_shared<CLiveMask>();
    mask->width = kFrameW;
    mask->height = kFrameH;
    mask->stride = Dib24Stride(kFrameW);
    mask->pixels.assign(size_t(mask->stride) * kFrameH, 0);
    for (int y = 0; y < kFrameH; ++y)
        for (int x = kFrameW / 2; x < kFrameW; ++x)
            for (int k = 0; k < 3; ++k) mask->pixels[size_t(y) * mask->stride + x * 3 + k] = 0x0F;
    doc->SetMask(mask);
    mask.reset();
    doc->m_nMaskOperation = kMaskAnd;
    EXPECT_TRUE(PixelBecomes(300, 700, [](const Rgb& c) { return c.r == 0 && c.g == 0 && c.b == 0; }));
    const Rgb anded = {background.r & 0x0F, background.g & 0x0F, background.b & 0x0F};
    EXPECT_TRUE(PixelBecomes(900, 700, [&](const Rgb& c) { return Near(c, anded, 1); }));
    doc->m_nMaskOperation = kMaskNone;
    EXPECT_TRUE(PixelBecomes(300, 700, [&](const Rgb& c) { return Near(c, background); }));

    doc->m_settings.markerColor = RGB(255, 0, 255);
    doc->m_nOverlayKind = kMarkerRuler;
    const Rgb magenta = {255, 0, 255};
    EXPECT_TRUE(PixelBecomes(kFrameW / 2, 100, [&](const Rgb& c) { return Near(c, magenta, 0); }));
    EXPECT_TRUE(PixelBecomes(100, kFrameH / 2, [&](const Rgb& c) { return Near(c, magenta, 0); }));
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), kFrameW / 2 + 3, 100)), background));
    // Real-time processing switched off takes the overlay with it.
    doc->m_bRealtimeEnable = false;
    EXPECT_TRUE(PixelBecomes(kFrameW / 2, 100, [&](const Rgb& c) { return Near(c, background); }));
}

// The live measurements are drawn on the picture by the frame thread, in the
// layer's line colour (index 3, green), and go with the drawing flag.
TEST_F(PellixWnd, MeasurementsAreDrawnOnThePicture) {
    Open();
    std::vector<BYTE> px;
    ASSERT_TRUE(NextFrame(&px));
    const Rgb background = FramePixel(px, kFrameW, 300, 400);
    CMeasureLayer* layer = doc->m_pMeasureLayer;
    layer->SetZoom(1.0f);
    layer->CreateShape(kShapeScaleBar);  // index 0, as the view makes it (hidden)
    // As a user draws a line: the first move stays on the press point.
    layer->OnLButtonDown(MK_LBUTTON, 100, 400, kToolLine);
    layer->OnMouseMove(MK_LBUTTON, 100, 400, kToolLine);
    layer->OnMouseMove(MK_LBUTTON, 500, 400, kToolLine);
    layer->OnLButtonUp(0, 500, 400, kToolLine);
    layer->DeselectAll();
    doc->m_bDrawMeasurements = true;
    const Rgb green = {0, 255, 0};
    EXPECT_TRUE(PixelBecomes(300, 400, [&](const Rgb& c) { return Near(c, green, 0); }));
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), 300, 420)), background));
    doc->m_bDrawMeasurements = false;
    EXPECT_TRUE(PixelBecomes(300, 400, [&](const Rgb& c) { return Near(c, background); }));
}

// Paused: no grab, but overlays follow at once; a filter waits for the preview.
TEST_F(PellixWnd, PausedPreviewRedrawsTheLastFrame) {
    Open();
    std::vector<BYTE> px;
    ASSERT_TRUE(NextFrame(&px));
    const Rgb background = FramePixel(px, kFrameW, 600, 700);
    g_bPreviewRunning = 0;
    // A step in progress may still grab once.
    ASSERT_TRUE(WaitFor([&] {
        std::vector<BYTE> a, b;
        LastFrame(a);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        LastFrame(b);
        return FrameNumber(a, kFrameW) == FrameNumber(b, kFrameW);
    }));
    LastFrame(px);
    const int pausedAt = FrameNumber(px, kFrameW);
    doc->m_nFilterMode = kFilterInvert;
    doc->m_settings.markerColor = RGB(0, 0, 255);
    doc->m_nOverlayKind = kMarkerRuler;
    EXPECT_TRUE(PixelBecomes(kFrameW / 2, 100, [](const Rgb& c) { return Near(c, {0, 0, 255}, 0); }));
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), 600, 700)), background)) << "the filter applied while paused";
    LastFrame(px);
    EXPECT_EQ(FrameNumber(px, kFrameW), pausedAt);

    g_bPreviewRunning = 1;
    const Rgb inverted = {255 - background.r, 255 - background.g, 255 - background.b};
    EXPECT_TRUE(PixelBecomes(600, 700, [&](const Rgb& c) { return Near(c, inverted); }));
}

// Before the first good grab nothing is drawn; a failing grab keeps the last picture.
TEST_F(PellixWnd, FailingGrabDrawsNothing) {
    g_failedGrabs = 0;
    g_PellixSdk.Pellix_GetBitmap = FailingGrab;
    doc->m_nOverlayKind = kMarkerRuler;
    doc->m_settings.markerColor = RGB(255, 0, 0);
    Open();
    ASSERT_TRUE(WaitFor([] { return g_failedGrabs >= 5; }));
    Pump();
    std::vector<BYTE> px;
    EXPECT_FALSE(LastFrame(px));
    // Still the erased window: no frame, no overlay.
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), kFrameW / 2, 100)), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), 600, 700)), {255, 255, 255}, 0));

    g_PellixSdk.Pellix_GetBitmap = realGrab;
    ASSERT_TRUE(NextFrame(&px));
    const Rgb background = FramePixel(px, kFrameW, 600, 700);
    ASSERT_TRUE(PixelBecomes(600, 700, [&](const Rgb& c) { return Near(c, background); }));
    ASSERT_TRUE(PixelBecomes(kFrameW / 2, 100, [](const Rgb& c) { return Near(c, {255, 0, 0}, 0); }));
    int before = g_failedGrabs;
    g_PellixSdk.Pellix_GetBitmap = FailingGrab;
    // Two failures: no step that grabbed before is still drawing.
    ASSERT_TRUE(WaitFor([&] { return g_failedGrabs >= before + 2; }));
    doc->m_nOverlayKind = kMarkerNone;
    before = g_failedGrabs;
    ASSERT_TRUE(WaitFor([&] { return g_failedGrabs >= before + 5; }));
    // Nor does the window flash white: a repaint erases nothing behind the picture.
    wnd->Invalidate(TRUE);
    wnd->UpdateWindow();
    // The overlay went away from the document, but no step drew since.
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), kFrameW / 2, 100)), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(ToRgb(WindowPixel(Hwnd(), 600, 700)), background));
}

// A step that waits on the user-interface thread (as a call that sends it a
// message does) while that thread destroys the window: the join answers it.
std::atomic<int> g_sendingGrabs{0};
int WINAPI SendingGrab(BITMAPINFOHEADER*, BYTE*) {
    ++g_sendingGrabs;
    SendMessageW(Frame()->GetSafeHwnd(), WM_NULL, 0, 0);
    Sleep(50);  // the window's destruction begins meanwhile
    SendMessageW(Frame()->GetSafeHwnd(), WM_NULL, 0, 0);
    return PELLIX_E_TIMEOUT;
}

TEST_F(PellixWnd, DestroyedWhileAStepWaitsOnTheInterfaceThread) {
    g_sendingGrabs = 0;
    g_PellixSdk.Pellix_GetBitmap = SendingGrab;
    Open();
    ASSERT_TRUE(WaitFor([] { return g_sendingGrabs >= 1; }));
    const DWORD t0 = GetTickCount();
    wnd.reset();
    EXPECT_LT(GetTickCount() - t0, 10000u);
}

struct ClipRead {
    bool opened = false;
    AVISTREAMINFOW info = {};
    BITMAPINFOHEADER format = {};
    std::vector<std::vector<BYTE>> frames;  // decoded, bottom-up DIB rows
};

ClipRead ReadClip(const std::wstring& path) {
    ClipRead clip;
    AVIFileInit();
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    if (AVIFileOpenW(&file, path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) == AVIERR_OK &&
        AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) == AVIERR_OK) {
        clip.opened = true;
        AVIStreamInfoW(stream, &clip.info, sizeof clip.info);
        LONG size = sizeof clip.format;
        AVIStreamReadFormat(stream, 0, &clip.format, &size);
        const int w = clip.format.biWidth, h = std::abs(clip.format.biHeight);
        for (LONG i = AVIStreamStart(stream); i < AVIStreamEnd(stream); ++i) {
            LONG bytes = 0;
            AVIStreamRead(stream, i, 1, nullptr, 0, &bytes, nullptr);
            std::vector<BYTE> sample(static_cast<size_t>(bytes));
            AVIStreamRead(stream, i, 1, sample.data(), bytes, nullptr, nullptr);
            std::vector<BYTE> dib(size_t(Dib24Stride(w)) * h);
            if (!WmvRleDecode(sample.data(), sample.size(), w, h, Dib24Stride(w), dib.data())) dib.clear();
            clip.frames.push_back(dib);
        }
    }
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    AVIFileExit();
    return clip;
}

// Pixel (x, y) counted from the top of a bottom-up clip frame.
Rgb ClipPixel(const std::vector<BYTE>& dib, int w, int h, int x, int y) {
    const BYTE* p = &dib[size_t(h - 1 - y) * Dib24Stride(w) + x * 3];
    return {p[2], p[1], p[0]};
}

bool AnyGreenText(HWND hwnd) {
    for (int y = 20; y < 44; ++y)
        for (int x = 20; x < 240; ++x)
            if (Near(ToRgb(WindowPixel(hwnd, x, y)), {0, 255, 0}, 0)) return true;
    return false;
}

// Seven frames and more into a clip that AVIFile reads: 648 x 486 frames,
// upright (the marker block in the top rows), one per recorded step, with
// the "Recording" text in the window only while recording.
TEST_F(PellixWnd, RecordingWritesAnUprightHalfSizeClip) {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"AVI_OUTPUT", dir, MAX_PATH);
    std::wstring path;
    if (n > 0 && n < MAX_PATH) {
        CreateDirectoryW(dir, nullptr);
        path = std::wstring(dir) + L"\\marrowin-live.avi";
    } else {
        GetTempPathW(MAX_PATH, dir);
        path = std::wstring(dir) + L"orvik-marrowin-live.avi";
    }
    DeleteFileW(path.c_str());
    Open();
    ASSERT_TRUE(NextFrame());
    doc->StartRecording(path.c_str());
    EXPECT_EQ(g_nRecordFrameRate, 8);
    ASSERT_TRUE(WaitFor([&] { return wnd->m_nFrameCounter >= 7; })) << "frames recorded: " << wnd->m_nFrameCounter;
    EXPECT_TRUE(WaitFor([&] { return AnyGreenText(Hwnd()); }));
    doc->StopRecording();
    EXPECT_EQ(doc->m_pAviWriter, nullptr);
    // The step that appended last has counted it once the next ones drew.
    ASSERT_TRUE(NextFrame());
    const int recorded = wnd->m_nFrameCounter;
    EXPECT_TRUE(WaitFor([&] { return !AnyGreenText(Hwnd()); }));

    const ClipRead clip = ReadClip(path);
    ASSERT_TRUE(clip.opened);
    EXPECT_EQ(clip.info.fccHandler, mmioFOURCC('W', 'M', 'V', '3'));
    EXPECT_EQ(clip.info.dwRate / clip.info.dwScale, 8u);
    EXPECT_EQ(clip.format.biWidth, 648);
    EXPECT_EQ(clip.format.biHeight, 486);
    ASSERT_EQ(int(clip.frames.size()), recorded);
    for (size_t i = 0; i < clip.frames.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(clip.frames[i].empty()) << "the frame does not decode";
        // Frame pixel (10, 10) of the 0xA5 block is clip pixel (5, 5) from the top.
        EXPECT_TRUE(Near(ClipPixel(clip.frames[i], 648, 486, 5, 5), {0xA5, 0xA5, 0xA5}, 0));
        EXPECT_TRUE(Near(ClipPixel(clip.frames[i], 648, 486, 17, 5), {0x3C, 0x3C, 0x3C}, 0));
        EXPECT_FALSE(Near(ClipPixel(clip.frames[i], 648, 486, 5, 480), {0xA5, 0xA5, 0xA5}, 0));
    }
}

// A frame whose rows are not a multiple of four bytes (the library's own
// widths always are): drawn and recorded with the rows padded as DIBs need.
const int kOddW = 1290, kOddH = 972;
int WINAPI OddWidthGrab(BITMAPINFOHEADER* header, BYTE* pixels) {
    *header = {};
    header->biSize = sizeof *header;
    header->biWidth = kOddW;
    header->biHeight = -kOddH;
    header->biPlanes = 1;
    header->biBitCount = 24;
    if (pixels)
        for (int y = 0; y < kOddH; ++y)
            for (int x = 0; x < kOddW; ++x, pixels += 3) {
                pixels[0] = BYTE(x);
                pixels[1] = BYTE(y);
                pixels[2] = 0x40;
            }
    return 0;
}
Rgb OddPixel(int x, int y) { return {0x40, y & 0xFF, x & 0xFF}; }

TEST_F(PellixWnd, RowsThatAreNotAMultipleOfFourBytesArePadded) {
    g_PellixSdk.Pellix_GetBitmap = OddWidthGrab;
    Open();
    for (POINT p : {POINT{0, 0}, POINT{301, 7}, POINT{kOddW - 1, 500}, POINT{kOddW - 2, kOddH - 1}})
        EXPECT_TRUE(PixelBecomes(p.x, p.y, [&](const Rgb& c) { return Near(c, OddPixel(p.x, p.y), 1); }))
            << p.x << "," << p.y;

    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"orvik-odd-width.avi";
    DeleteFileW(path.c_str());
    doc->StartRecording(path.c_str());
    ASSERT_TRUE(WaitFor([&] { return wnd->m_nFrameCounter >= 3; }));
    doc->StopRecording();
    const ClipRead clip = ReadClip(path);
    ASSERT_TRUE(clip.opened);
    ASSERT_EQ(clip.format.biWidth, kOddW / 2);
    ASSERT_EQ(clip.format.biHeight, kOddH / 2);
    ASSERT_GE(clip.frames.size(), 3u);
    const std::vector<BYTE>& f = clip.frames[0];
    ASSERT_FALSE(f.empty());
    for (POINT p : {POINT{0, 0}, POINT{17, 3}, POINT{kOddW / 2 - 1, 100}, POINT{kOddW / 2 - 1, kOddH / 2 - 1}})
        EXPECT_TRUE(Near(ClipPixel(f, kOddW / 2, kOddH / 2, p.x, p.y), OddPixel(2 * p.x, 2 * p.y), 0))
            << p.x << "," << p.y;
    DeleteFileW(path.c_str());
}

// Windows made and destroyed while their threads run leave no thread and no
// GDI object behind, and a long run draws without growing either.
TEST_F(PellixWnd, FiftyCyclesLeaveNoThreadOrGdiObjectBehind) {
    // Warm: the first window loads what stays (fonts, the stretch's tables).
    Open();
    ASSERT_TRUE(NextFrame());
    wnd.reset();
    Pump();
    const int threads = ThreadCount();
    const DWORD gdi = GdiObjects();
    for (int k = 0; k < 50; ++k) {
        SCOPED_TRACE(k);
        const bool started = k % 3 != 2;  // some never started
        Open(started);
        if (started && k % 10 == 0) {
            BITMAPINFOHEADER h = {};
            ASSERT_TRUE(NextFrame()) << "the library's grab answers " << std::hex << realGrab(&h, nullptr);
        }
        wnd.reset();
    }
    Pump();
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= threads; }, 5000)) << ThreadCount() << " threads, not " << threads;
    EXPECT_LE(GdiObjects(), gdi) << "GDI objects before the cycles: " << gdi;

    // A hundred camera frames drawn with an overlay and a measurement: the count
    // of GDI objects stays.
    doc->m_nOverlayKind = kMarkerCircles;
    doc->m_bDrawMeasurements = true;
    doc->m_pMeasureLayer->CreateShape(kShapeScaleBar);
    doc->m_pMeasureLayer->OnLButtonDown(MK_LBUTTON, 100, 400, kToolLine);
    doc->m_pMeasureLayer->OnMouseMove(MK_LBUTTON, 100, 400, kToolLine);
    doc->m_pMeasureLayer->OnMouseMove(MK_LBUTTON, 500, 300, kToolLine);
    doc->m_pMeasureLayer->OnLButtonUp(0, 500, 300, kToolLine);
    Open();
    ASSERT_TRUE(NextFrame());
    const DWORD running = GdiObjects();
    std::vector<BYTE> px;
    LastFrame(px);
    const int from = FrameNumber(px, kFrameW);
    ASSERT_TRUE(WaitFor([&] { return LastFrame(px) && FrameNumber(px, kFrameW) - from >= 100; }, 120000));
    EXPECT_LE(GdiObjects(), running + 2) << "GDI objects after the first frame: " << running;
}

}  // namespace
