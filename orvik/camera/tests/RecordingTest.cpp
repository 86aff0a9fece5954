// Recording and the capture settings in Orvik started as a user starts it,
// against the simulated cameras: the Record dialog driven through its
// buttons with a scripted save answer, the clip read back by AVIFile (and
// listed for ffmpeg afterwards); the Capture Settings dialog's reduction
// factors and burn-in switches seen in the stills it leads to.
#include <gtest/gtest.h>
#include "OrvikDriving.h"
#include "PellixSim.h"
#include "UvcCamInstall.h"

#include <CamType.h>

#include <vfw.h>

#include <cstdio>
#include <functional>

using namespace orvik_test;

namespace {

const std::wstring kBin = ORVIK_BIN_DIR;
const UINT kVideoWndId = 12312;
const UINT kMsgHestralLowResolution = 0x480;
const WPARAM kCmdCapture = 32862, kCmdRecord = 32909, kCmdCaptureSetting = 33829, kCmdRuler = 32869;
const int kRecPath = 1053, kRecBrowse = 1054, kRecStart = 1094;
const int kSingleX = 1060, kSingleY = 1061, kSaveTime = 1073, kSaveMarker = 1074;

std::wstring Settings(const std::wstring& camera, const std::wstring& more = L"")
{
    return L"[Camera]\r\nbTolmira=0\r\n" + camera + L"[Gerneral]\r\nLogoTitle=Orvik Test\r\n" + more;
}

// The process's visible top-level dialog that holds a control of this id.
HWND DialogWith(DWORD pid, int id)
{
    for (HWND h : TopLevelWindows(pid))
        if (IsWindowVisible(h) && GetDlgItem(h, id))
            return h;
    return nullptr;
}

LRESULT Send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, 60000, &r);
    return (LRESULT)r;
}
void Click(HWND dlg, int id)
{
    Send(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}
std::wstring TextOf(HWND h)
{
    wchar_t t[512] = {};
    Send(h, WM_GETTEXT, 512, (LPARAM)t);
    return t;
}

// What AVIFile reads of a clip's video stream.
struct Clip {
    bool ok = false;
    long frames = 0, width = 0, height = 0;
    DWORD rate = 0, scale = 0, handler = 0;
};
Clip ReadClip(const std::wstring& path)
{
    Clip c;
    AVIFileInit();
    PAVIFILE file = nullptr;
    if (AVIFileOpenW(&file, path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) == 0) {
        PAVISTREAM s = nullptr;
        if (AVIFileGetStream(file, &s, streamtypeVIDEO, 0) == 0) {
            AVISTREAMINFOW info = {};
            BITMAPINFOHEADER bih = {};
            LONG size = sizeof bih;
            if (AVIStreamInfoW(s, &info, sizeof info) == 0 && AVIStreamReadFormat(s, 0, &bih, &size) == 0) {
                c.ok = true;
                c.frames = AVIStreamLength(s);
                c.width = bih.biWidth;
                c.height = std::abs(bih.biHeight);
                c.rate = info.dwRate;
                c.scale = info.dwScale;
                c.handler = info.fccHandler;
            }
            AVIStreamRelease(s);
        }
        AVIFileRelease(file);
    }
    AVIFileExit();
    return c;
}

// The clips the ffmpeg check reads afterwards: "name width height rate frames".
void KeepClip(const std::wstring& file, const std::wstring& name, const Clip& c)
{
    const char* dir = getenv("RECORD_OUTPUT");
    if (!dir)
        return;
    const std::wstring out = Widen(dir);
    CreateDirectoryW(out.c_str(), nullptr);
    // Each run of the test lists its own clips.
    static bool cleared = false;
    if (!cleared)
        DeleteFileW((out + L"\\clips.txt").c_str());
    cleared = true;
    CopyFileW(file.c_str(), (out + L"\\" + name).c_str(), FALSE);
    std::ofstream list((out + L"\\clips.txt").c_str(), std::ios::app | std::ios::binary);
    list << Narrow(name) << " " << c.width << " " << c.height << " " << c.rate << " " << c.frames << "\n";
}

struct LiveRun {
    OrvikFolder folder{kBin};
    std::unique_ptr<OrvikRun> run;
    HWND frame = nullptr;

    bool Start(const std::wstring& settings, const std::wstring& script)
    {
        folder.WriteSettings(settings);
        run.reset(new OrvikRun(folder, script));
        frame = run->WaitMainWindow(60000);
        if (!frame)
            return false;
        return WaitFor([&] { return Video() != nullptr; }, 60000);
    }
    // The live preview's video window (not a 20 x 20 placeholder).
    HWND Video() const
    {
        for (HWND h : ChildrenWithId(frame, kVideoWndId)) {
            RECT r;
            GetWindowRect(h, &r);
            if (r.right - r.left > 20 || r.bottom - r.top > 20)
                return h;
        }
        return nullptr;
    }
    bool BoxesContain(const std::wstring& text) const
    {
        for (const std::wstring& b : run->Boxes())
            if (b.find(text) != std::wstring::npos)
                return true;
        return false;
    }
    // A modal dialog opened by a command: posted, as the click on the menu
    // would leave the frame inside the dialog's loop.
    HWND Open(WPARAM command, int controlId)
    {
        PostMessageW(frame, WM_COMMAND, command, 0);
        HWND dlg = nullptr;
        WaitFor([&] { return (dlg = DialogWith(run->Pid(), controlId)) != nullptr; }, 30000);
        return dlg;
    }
    bool WaitClosed(HWND dlg)
    {
        return WaitFor([&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); }, 60000);
    }
};

// The rate a clip declares: 8 for Marrowin and DirectShow, by the camera's
// width on the Hestral library (a width the table lacks keeps the rate before).
DWORD RateFor(int camType, long width, DWORD previous)
{
    if (camType == kCamMarrowin || camType == kCamDirectShow)
        return 8;
    switch (width) {
    case 1024: return 8;
    case 1280: return 7;
    case 1600: return 6;
    case 2048: return 3;
    case 2592: return 2;
    case 3488: return 1;
    }
    return previous;
}

// One clip through the Record dialog: Start without a path first (the
// message, nothing recorded), then a path from the save answer, recording,
// a pause longer than the recording, recording again, End (or the title
// bar's close). periodMs is the dialog's grab timer (0: the camera's own
// frame thread feeds the clip). Returns what AVIFile read.
struct RecordWay {
    bool endByClose = false;
    bool pause = true;       // or as long recorded without a pause
    DWORD previousRate = 0;  // the rate of the clip before
};
Clip RecordThroughTheDialog(LiveRun& live, int camType, DWORD periodMs, const std::wstring& clipPath,
                            const std::wstring& keepAs, RecordWay way = RecordWay())
{
    HWND dlg = live.Open(kCmdRecord, kRecStart);
    EXPECT_NE(dlg, nullptr) << "no Record dialog";
    if (!dlg)
        return Clip();
    const std::wstring idle = TextOf(GetDlgItem(dlg, kRecStart));
    Click(dlg, kRecStart);
    EXPECT_TRUE(WaitFor([&] { return live.BoxesContain(L"Please select path first"); }));
    EXPECT_EQ(TextOf(GetDlgItem(dlg, kRecStart)), idle) << "started without a path";
    EXPECT_FALSE(FileExists(clipPath));

    Click(dlg, kRecBrowse);
    EXPECT_EQ(Lower(TextOf(GetDlgItem(dlg, kRecPath))), Lower(clipPath));
    const DWORD active = 1500, paused = 4000;
    DWORD t0 = GetTickCount();
    Click(dlg, kRecStart);
    EXPECT_NE(TextOf(GetDlgItem(dlg, kRecStart)), idle) << "the button does not offer the pause";
    Sleep(active);  // the time being recorded
    DWORD recorded = 0;
    if (way.pause) {
        Click(dlg, kRecStart);
        recorded = GetTickCount() - t0;
        EXPECT_EQ(TextOf(GetDlgItem(dlg, kRecStart)), idle) << "the button does not offer the resume";
        Sleep(paused);
        t0 = GetTickCount();
        Click(dlg, kRecStart);
    }
    Sleep(active);
    if (way.endByClose)
        Send(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        Send(dlg, WM_COMMAND, IDCANCEL, 0);
    recorded += GetTickCount() - t0;
    EXPECT_TRUE(live.WaitClosed(dlg));

    EXPECT_TRUE(WaitFor([&] { return ReadClip(clipPath).ok; }, 30000)) << "no readable clip";
    const Clip c = ReadClip(clipPath);
    if (!c.ok)
        return c;
    printf("%s: %ld frames %ldx%ld at %lu/%lu in %lu ms recorded\n", Narrow(keepAs).c_str(), c.frames, c.width,
           c.height, c.rate, c.scale, recorded);
    EXPECT_EQ(c.handler, mmioFOURCC('W', 'M', 'V', '3'));
    EXPECT_EQ(c.scale, 1ul);
    EXPECT_EQ(c.rate, RateFor(camType, c.width, way.previousRate));
    EXPECT_GE(c.frames, 2) << "both recorded stretches give frames";
    // At most one frame per tick of the recorded time: the paused seconds add none.
    if (periodMs) {
        EXPECT_LE(c.frames, long(recorded / periodMs) + 2);
    }
    KeepClip(clipPath, keepAs, c);
    return c;
}

bool GreenAt(const Bmp& b, int x, int y)
{
    const DWORD p = BmpAt(b, x, y);
    return G(p) > 200 && R(p) < 60 && B(p) < 60;
}
// Marker-green pixels where the time is burned in (at the top left, in a
// font of the same size at any reduction).
int TimeTextPixels(const Bmp& b)
{
    int n = 0;
    for (int y = 20; y < std::min(62, b.h); ++y)
        for (int x = 20; x < std::min(400, b.w); ++x)
            n += GreenAt(b, x, y);
    return n;
}
// Marker-green pixels down the ruler's middle column.
int RulerPixels(const Bmp& b)
{
    int n = 0;
    for (int y = 0; y < b.h; y += 7)
        n += GreenAt(b, b.w / 2, y) || GreenAt(b, b.w / 2 - 1, y);
    return n;
}

// ---------------------------------------------------------------- Marrowin
// Also the capture settings: its stills are the ones the reduction reaches.
TEST(Recording, MarrowinRecordsThroughTheDialogAndTheCaptureSettingsShapeItsStills)
{
    PellixSim sim;
    ASSERT_TRUE(sim.Open());
    sim.Reset();
    ScopedCameras cameras(L"Camera-S3K");
    LiveRun live;
    const std::wstring clip = live.folder.Path(L"marrowin.avi"), half = live.folder.Path(L"half.bmp"),
                       quarter = live.folder.Path(L"quarter.bmp"), bare = live.folder.Path(L"bare.bmp"),
                       straightClip = live.folder.Path(L"straight.avi");
    ASSERT_TRUE(live.Start(Settings(L"CamType=0\r\n", L"[Save]\r\nSaveWithTime=1\r\nSaveWithMarker=1\r\n"),
                           L"msgbox IDOK\nsave " + clip + L"\nmsgbox IDOK\nsave " + straightClip + L"\nsave " + half +
                               L"\nsave " + quarter + L"\nsave " + bare + L"\n"));
    // The camera's own thread feeds the clip at the live rate: as long without
    // a pause gives the measure the paused clip is held to.
    const Clip c = RecordThroughTheDialog(live, kCamMarrowin, 0, clip, L"marrowin.avi");
    EXPECT_EQ(c.width, 648);
    EXPECT_EQ(c.height, 486);
    const Clip straight =
        RecordThroughTheDialog(live, kCamMarrowin, 0, straightClip, L"marrowin-straight.avi", RecordWay{false, false});
    EXPECT_LE(c.frames * 10, straight.frames * 17) << "frames came while paused";

    // Reduction: index 1 halves, index 2 (offered for the height only)
    // quarters; the switches as set.
    struct Case {
        int x, y;
        bool time, marker;
        std::wstring file;
        int w, h;
    } cases[] = {{1, 1, true, true, half, 1296, 972},
                 {0, 2, true, true, quarter, 2592, 486},
                 {1, 1, false, false, bare, 1296, 972}};
    Send(live.frame, WM_COMMAND, kCmdRuler, 0);
    for (const Case& k : cases) {
        HWND dlg = live.Open(kCmdCaptureSetting, kSingleX);
        ASSERT_NE(dlg, nullptr) << "no Capture Settings dialog";
        Send(GetDlgItem(dlg, kSingleX), CB_SETCURSEL, k.x, 0);
        Send(GetDlgItem(dlg, kSingleY), CB_SETCURSEL, k.y, 0);
        Send(GetDlgItem(dlg, kSaveTime), BM_SETCHECK, k.time ? BST_CHECKED : BST_UNCHECKED, 0);
        Send(GetDlgItem(dlg, kSaveMarker), BM_SETCHECK, k.marker ? BST_CHECKED : BST_UNCHECKED, 0);
        Send(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(live.WaitClosed(dlg));
        Send(live.frame, WM_COMMAND, kCmdCapture, 0);
        Bmp b;
        ASSERT_TRUE(WaitFor([&] { return ReadBmp(k.file, b); }, 60000))
            << Narrow(ReadTextFile(live.folder.Path(L"record.txt")));
        EXPECT_EQ(b.w, k.w);
        EXPECT_EQ(b.h, k.h);
        EXPECT_EQ(TimeTextPixels(b) > 20, k.time) << "time burned into " << Narrow(k.file) << ": " << TimeTextPixels(b);
        EXPECT_EQ(RulerPixels(b) > b.h / 7 / 2, k.marker)
            << "ruler burned into " << Narrow(k.file) << ": " << RulerPixels(b);
    }
    EXPECT_EQ(live.run->Close(60000), 0ul);
}

// ---------------------------------------------------------------- Hestral
struct FreshHestralSettings {
    FreshHestralSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin"); }
};

class HestralRecording : public ::testing::TestWithParam<std::pair<int, const wchar_t*>> {};

TEST_P(HestralRecording, RecordsThroughTheDialogAtTheRateOfItsWidth)
{
    FreshHestralSettings fresh;
    ScopedCameras cameras(GetParam().second);
    LiveRun live;
    const std::wstring clip = live.folder.Path(L"hestral.avi");
    ASSERT_TRUE(
        live.Start(Settings(L"CamType=" + std::to_wstring(GetParam().first) + L"\r\n"),
                   L"msgbox IDOK\nsave " + clip + L"\nmsgbox IDOK\nsave " + live.folder.Path(L"low.avi") + L"\n"));
    // One type ends the clip by the title bar's close instead of End.
    const Clip c = RecordThroughTheDialog(live, GetParam().first, 300, clip,
                                          L"hestral-" + std::to_wstring(GetParam().first) + L".avi",
                                          RecordWay{GetParam().first == kCamHestralT2W});
    EXPECT_EQ(c.width, 1280);
    EXPECT_EQ(c.height, 1024);

    // The camera's other resolution (1024 x 768; 640 x 480 on type 6, a width
    // the table lacks): the next clip takes the rate of its width.
    if (GetParam().first == kCamHestralT6M || GetParam().first == kCamHestralT8M) {
        HWND video = live.Video();
        ASSERT_NE(video, nullptr);
        Send(video, kMsgHestralLowResolution);
        const Clip l = RecordThroughTheDialog(live, GetParam().first, 300, live.folder.Path(L"low.avi"),
                                              L"hestral-" + std::to_wstring(GetParam().first) + L"-low.avi",
                                              RecordWay{false, true, c.rate});
        EXPECT_EQ(l.width, GetParam().first == kCamHestralT8M ? 640 : 1024);
    }
    EXPECT_EQ(live.run->Close(60000), 0ul);
}

INSTANTIATE_TEST_SUITE_P(Types, HestralRecording,
                         ::testing::Values(std::make_pair(3, L"Vantor-T6M"), std::make_pair(4, L"Vantor-T4M"),
                                           std::make_pair(5, L"Vantor-T2W"), std::make_pair(6, L"Vantor-T8M")));

// ---------------------------------------------------------------- the capture panel
const int kCapType = 1057, kCapWait = 1083, kCapInterval = 1084, kCapImages = 1085, kCapStart = 1094;

// The capture panel in the camera pane: the window that holds its Images box.
HWND CapturePanel(HWND frame)
{
    for (HWND h : ChildrenWithId(frame, kCapImages))
        if (GetDlgItem(GetParent(h), kCapStart))
            return GetParent(h);
    return nullptr;
}

// The simulated UVC camera's frame counter: 32 blocks of 8 x 8 pixels, most
// significant first, white for 1, across the picture's middle.
ULONG FrameCounter(const Bmp& b)
{
    ULONG n = 0;
    const size_t stride = ((size_t)b.w * 3 + 3) & ~(size_t)3;
    for (int i = 0; i < 32; ++i) {
        const BYTE* p = &b.bytes[(size_t)(b.h - 1 - b.h / 2) * stride + (size_t)(12 + 8 * i) * 3];
        n = (n << 1) | (p[1] > 128 ? 1 : 0);
    }
    return n;
}

// A series of three stills a second apart, as BMP and as JPEG: consecutive
// free numbers (a file already there is kept), each a frame of its own
// moment; the number boxes' checks on the way.
TEST(CaptureSeries, ThreeStillsASecondApartAsBmpAndJpeg)
{
    ScopedCameras cameras(L"Camera-R5V");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    LiveRun live;
    const std::wstring shots = live.folder.Path(L"shots");
    CreateDirectoryW(shots.c_str(), nullptr);
    // A still an earlier run left under the second number.
    {
        std::ofstream((shots + L"\\s1.bmp").c_str(), std::ios::binary) << "keep";
    }
    ASSERT_TRUE(
        live.Start(Settings(L"CamType=2\r\nCamSubType=2\r\n", L"[Save]\r\nFilePath=" + shots +
                                                                  L"\r\nPrefix=s\r\nSuffix=0\r\nFileType=.bmp\r\n"
                                                                  L"Wait=0\r\nInterval=1\r\nImages=3\r\n"),
                   L"msgbox IDOK\nmsgbox IDOK\nmsgbox IDOK\n"));
    HWND panel = nullptr;
    // The pane is built before the preview starts: no long wait for it.
    WaitFor([&] { return (panel = CapturePanel(live.frame)) != nullptr; }, 3000);
    if (!panel) {
        // Nothing for the readers either, rather than stills of an earlier build.
        if (const char* dir = getenv("RECORD_OUTPUT"))
            DeleteFileW((Widen(dir) + L"\\stills\\expected.txt").c_str());
        GTEST_SKIP() << "the camera pane shows no capture panel";
    }

    // Each box: a non-numeric entry falls back silently, an out-of-range one
    // (a digit string past int too) with the range message.
    struct Field {
        int id;
        const wchar_t* text;
        const wchar_t* shown;
        const wchar_t* message;
    } fields[] = {
        {kCapImages, L"12a", L"5", nullptr},
        {kCapImages, L"99999999999", L"5", L"between 1 and 1000000"},
        {kCapWait, L"360001", L"0", L"between 0 and 360000"},
        {kCapInterval, L"x", L"1", nullptr},
    };
    for (const Field& f : fields) {
        const size_t boxes = live.run->Boxes().size();
        Send(GetDlgItem(panel, f.id), WM_SETTEXT, 0, (LPARAM)f.text);
        EXPECT_EQ(TextOf(GetDlgItem(panel, f.id)), f.shown) << Narrow(f.text);
        if (f.message)
            EXPECT_TRUE(WaitFor([&] { return live.BoxesContain(f.message) && live.run->Boxes().size() > boxes; }))
                << Narrow(f.text);
        else
            EXPECT_EQ(live.run->Boxes().size(), boxes) << Narrow(f.text);
    }
    WIN32_FIND_DATAW fd;
    auto count = [&] {
        int n = 0;
        HANDLE h = FindFirstFileW((shots + L"\\*.*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            return 0;
        do
            n += !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (FindNextFileW(h, &fd));
        FindClose(h);
        return n;
    };
    EXPECT_EQ(count(), 1) << "a field check started something";

    for (const wchar_t* type : {L"bmp", L"jpg"}) {
        Send(GetDlgItem(panel, kCapType), CB_SETCURSEL, std::wstring(type) == L"bmp" ? 0 : 1, 0);
        Send(GetDlgItem(panel, kCapWait), WM_SETTEXT, 0, (LPARAM)L"0");
        Send(GetDlgItem(panel, kCapInterval), WM_SETTEXT, 0, (LPARAM)L"1");
        Send(GetDlgItem(panel, kCapImages), WM_SETTEXT, 0, (LPARAM)L"3");
        const int before = count();
        Click(panel, kCapStart);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, kCapStart)));
        // Three stills, then the series ends (the start button back).
        EXPECT_TRUE(
            WaitFor([&] { return count() == before + 3 && IsWindowEnabled(GetDlgItem(panel, kCapStart)); }, 60000))
            << count() - before << " stills";
    }
    // Numbers 0, 2, 3 (1 was taken) as BMP, then 4, 5, 6 as JPEG, listed for
    // the independent readers (the chart check reads the colour patches).
    std::wstring kept = Widen(getenv("RECORD_OUTPUT") ? getenv("RECORD_OUTPUT") : "");
    std::ofstream list;
    if (!kept.empty()) {
        kept += L"\\stills";
        CreateDirectoryW(kept.c_str(), nullptr);
        list.open((kept + L"\\expected.txt").c_str(), std::ios::binary);
    }
    std::vector<ULONG> counters;
    Bmp first;
    ASSERT_TRUE(ReadBmp(shots + L"\\s0.bmp", first));
    for (const wchar_t* name : {L"s0.bmp", L"s2.bmp", L"s3.bmp", L"s4.jpg", L"s5.jpg", L"s6.jpg"}) {
        const std::wstring path = shots + L"\\" + name;
        EXPECT_TRUE(FileExists(path)) << Narrow(name);
        if (!kept.empty()) {
            CopyFileW(path.c_str(), (kept + L"\\" + name).c_str(), FALSE);
            list << Narrow(name) << " " << first.w << " " << first.h << " chart\n";
        }
        Bmp b;
        if (std::wstring(name).find(L".bmp") != std::wstring::npos && ReadBmp(path, b)) {
            EXPECT_EQ(b.w, first.w);
            EXPECT_EQ(b.h, first.h);
            counters.push_back(FrameCounter(b));
        }
    }
    printf("stills %dx%d, frame counters %lu %lu %lu\n", first.w, first.h, counters.size() > 0 ? counters[0] : 0,
           counters.size() > 1 ? counters[1] : 0, counters.size() > 2 ? counters[2] : 0);
    ASSERT_EQ(counters.size(), 3u);
    EXPECT_LT(counters[0], counters[1]);
    EXPECT_LT(counters[1], counters[2]);
    EXPECT_EQ(Narrow(ReadTextFile(shots + L"\\s1.bmp")), "keep");

    // The live preview closed while a series waits for its next still: the
    // series ends with the message, and no still comes after.
    Send(GetDlgItem(panel, kCapInterval), WM_SETTEXT, 0, (LPARAM)L"2");
    Send(GetDlgItem(panel, kCapImages), WM_SETTEXT, 0, (LPARAM)L"50");
    const size_t boxes = live.run->Boxes().size();
    const int before = count();
    Click(panel, kCapStart);
    ASSERT_TRUE(WaitFor([&] { return count() > before; }, 30000));
    HWND mdi = FindWindowExW(live.frame, nullptr, L"MDIClient", nullptr);
    for (HWND c = GetWindow(mdi, GW_CHILD); c; c = GetWindow(mdi, GW_CHILD))
        Send(c, WM_CLOSE);
    EXPECT_TRUE(WaitFor([&] { return live.run->Boxes().size() > boxes; }, 30000)) << "no message";
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(panel, kCapStart)) != FALSE; }));
    const int after = count();
    EXPECT_LE(after, before + 2);
    ASSERT_TRUE(live.run->Running());
    EXPECT_EQ(live.run->Close(60000), 0ul);
}

// ---------------------------------------------------------------- DirectShow
// The camera, its model number and the clip's size: a 1600 x 1200 picture
// is recorded at half its size, smaller ones as they come.
struct GraphCase {
    const wchar_t* camera;
    int subType;
    long width, height;
};
class GraphRecording : public ::testing::TestWithParam<GraphCase> {};

TEST_P(GraphRecording, RecordsThroughTheDialog)
{
    ScopedCameras cameras(GetParam().camera);
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    LiveRun live;
    const std::wstring clip = live.folder.Path(L"graph.avi");
    ASSERT_TRUE(live.Start(Settings(L"CamType=2\r\nCamSubType=" + std::to_wstring(GetParam().subType) + L"\r\n"),
                           L"msgbox IDOK\nsave " + clip + L"\n"));
    const Clip c = RecordThroughTheDialog(live, kCamDirectShow, 200, clip,
                                          L"graph-" + std::to_wstring(GetParam().subType) + L".avi");
    EXPECT_EQ(c.width, GetParam().width);
    EXPECT_EQ(c.height, GetParam().height);
    EXPECT_EQ(live.run->Close(60000), 0ul);
}

INSTANTIATE_TEST_SUITE_P(Models, GraphRecording,
                         ::testing::Values(GraphCase{L"Camera-R5V", 2, 800, 600},
                                           GraphCase{L"Vantor-Q7L", 0, 1280, 1024},
                                           GraphCase{L"Camera-J60", 7, 1024, 768}));

}  // namespace
