// The application's commands in Orvik started as a user starts it, against
// the simulated cameras: capture to view on each camera road (the still read
// back from the file it saves), File Open, the About box, auto focus, the
// update states of the camera commands and the camera pane's dialogs.
#include <gtest/gtest.h>

#include "OrvikDriving.h"
#include <commctrl.h>
#include "PellixSim.h"
#include "Tolmira.h"
#include "UvcCamInstall.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <memory>

using namespace orvik_test;

namespace {

const std::wstring kBin = ORVIK_BIN_DIR;
const UINT kVideoWndId = 12312, kPaneId = 32826, kCameraBarId = 0xE800;
const WPARAM kCmdCapture = 32862, kCmdToView = 32920, kCmdAutoFocus = 32860, kCmdRecord = 32909;
const WPARAM kCmdResolution = 32944, kCmdStatusBar = 0xE801;
const UINT kStatusBarId = 0xE801;
const WPARAM kCmdFileOpen = 0xE101, kCmdSaveAs = 0xE104, kCmdAbout = 0xE140;
const wchar_t kTitle[] = L"Orvik Test";

std::wstring Settings(const std::wstring& camera, const std::wstring& more = L"") {
    return L"[Camera]\r\n" + camera + L"[Gerneral]\r\nLogoTitle=" + kTitle + L"\r\nVersion=Version 9.8.7\r\n" + more;
}

HWND DirectChild(HWND parent, UINT id) {
    for (HWND h : ChildrenWithId(parent, id))
        if (GetParent(h) == parent) return h;
    return nullptr;
}

HWND ActiveChild(HWND frame) { return (HWND)SendMessageW(MdiClient(frame), WM_MDIGETACTIVE, 0, 0); }
std::wstring TextOf(HWND h) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

// A Camera toolbar button's state once the program has gone idle.
bool ButtonEnabled(HWND frame, WPARAM command, bool expected) {
    HWND bar = DirectChild(frame, kCameraBarId);
    bool enabled = !expected;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50))
        if ((enabled = SendMessageW(bar, TB_ISBUTTONENABLED, command, 0) != 0) == expected) break;
    return enabled;
}

// The simulated UVC chart's eight patches along the top quarter, in order or mirrored.
bool ShowsChart(const Bmp& b, bool mirrored) {
    const int h = std::abs(b.h);
    if (b.w < 16 || h < 16) return false;
    for (int i = 0; i < 8; ++i)
        if (Kind(BmpAt(b, (2 * i + 1) * b.w / 16, h / 8)) != kChartKinds[mirrored ? 7 - i : i]) return false;
    return true;
}

// A started Orvik with its live preview up.
struct AppRun {
    OrvikFolder folder{kBin};
    std::unique_ptr<OrvikRun> run;
    HWND frame = nullptr;

    bool Start(const std::wstring& settings, const std::wstring& script, bool live = true) {
        folder.WriteSettings(settings);
        run.reset(new OrvikRun(folder, script));
        frame = run->WaitMainWindow(60000);
        if (!frame) return false;
        return !live || WaitFor([&] { return LiveVideo() != nullptr; }, 60000);
    }
    HWND LiveVideo() const {
        for (HWND h : ChildrenWithId(frame, kVideoWndId)) {
            RECT r;
            GetWindowRect(h, &r);
            if (r.right - r.left > 20 || r.bottom - r.top > 20) return h;
        }
        return nullptr;
    }
    std::wstring Record() const { return ReadTextFile(folder.Path(L"record.txt")); }
    // Capture to view, then the new still saved (Save As) to `name`; false when no child came.
    bool CaptureToView(const std::wstring& name, Bmp& still, std::wstring* title = nullptr) {
        const std::vector<HWND> before = MdiChildren(frame);
        Command(frame, kCmdToView);
        // The new child, active.
        HWND added = nullptr;
        if (!WaitFor([&] {
                HWND active = ActiveChild(frame);
                added = std::find(before.begin(), before.end(), active) == before.end() ? active : nullptr;
                return added != nullptr;
            }, 60000)) {
            printf("no new active child: %zu children before, %zu now\n", before.size(), MdiChildren(frame).size());
            return false;
        }
        if (title) *title = TextOf(added);
        Command(frame, kCmdSaveAs);
        if (WaitFor([&] { return ReadBmp(folder.Path(name), still); }, 30000)) return true;
        printf("not saved; active child '%s', new child '%s'\n", Narrow(TextOf(ActiveChild(frame))).c_str(),
               Narrow(TextOf(added)).c_str());
        return false;
    }
    void ActivateLive() {
        HWND video = LiveVideo();
        for (HWND c : MdiChildren(frame))
            if (IsChild(c, video)) SendMessageW(MdiClient(frame), WM_MDIACTIVATE, (WPARAM)c, 0);
    }
};

// The visible dialogs the camera pane hosts, with their heights.
std::vector<int> HostedHeights(HWND frame) {
    std::vector<int> heights;
    HWND pane = DirectChild(frame, kPaneId);
    for (HWND c = GetWindow(pane, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        RECT r;
        GetWindowRect(c, &r);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(c)) heights.push_back(r.bottom - r.top);
    }
    return heights;
}
int HostedDialogs(HWND frame) {
    int n = 0;
    HWND pane = DirectChild(frame, kPaneId);
    for (HWND c = GetWindow(pane, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        n += std::wstring(cls) == L"#32770";
    }
    return n;
}

// The modal About box of the process, once it is up.
HWND WaitAboutBox(DWORD pid) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND h : TopLevelWindows(pid)) {
            wchar_t cls[32] = {};
            GetClassNameW(h, cls, 32);
            if (std::wstring(cls) == L"#32770" && IsWindowVisible(h) && GetDlgItem(h, 1088)) found = h;
        }
        return found != nullptr;
    });
    return found;
}

// ---------------------------------------------------------------- DirectShow
TEST(AppCommands, DirectShowCaptureToViewOpenAboutAndStates) {
    ScopedCameras cameras(L"Camera-R5V");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    AppRun r;
    const std::wstring captured = r.folder.Path(L"captured.bmp"), viewed = L"viewed.bmp";
    ASSERT_TRUE(r.Start(Settings(L"bTolmira=0\r\nCamType=2\r\nCamSubType=2\r\n"),
                        L"save " + captured + L"\nsave " + r.folder.Path(viewed) + L" filter 1\nopen " +
                            r.folder.Path(viewed) + L"\nopen " + r.folder.Path(viewed) + L"\nopen cancel\n"));
    HWND frame = r.frame;

    // The pane: the video and capture dialogs in their collapsed groups, and
    // the UVC camera panel of an R5V model shown in the Adjust group.
    EXPECT_EQ(HostedDialogs(frame), 3);
    EXPECT_TRUE(WaitFor([&] { return HostedHeights(frame) == std::vector<int>{425}; }));

    // With the live view active the camera commands are on, auto focus off (bTolmira 0).
    EXPECT_TRUE(ButtonEnabled(frame, kCmdToView, true));
    EXPECT_TRUE(ButtonEnabled(frame, kCmdRecord, true));
    EXPECT_FALSE(ButtonEnabled(frame, kCmdAutoFocus, false));

    // No toolbar holds the resolution combo box for this model: its command says so.
    Command(frame, kCmdResolution);
    EXPECT_NE(r.Record().find(L"Set Active Configuration"), std::wstring::npos);
    // View > Status Bar hides and shows the status bar.
    HWND status = DirectChild(frame, kStatusBarId);
    ASSERT_NE(status, nullptr);
    Command(frame, kCmdStatusBar);
    EXPECT_FALSE(IsWindowVisible(status));
    Command(frame, kCmdStatusBar);
    EXPECT_TRUE(IsWindowVisible(status));

    // The camera's still (Capture) and capture to view give the same picture.
    Bmp reference, still;
    Command(frame, kCmdCapture);
    ASSERT_TRUE(WaitFor([&] { return ReadBmp(captured, reference); }, 60000)) << Narrow(r.Record());
    EXPECT_TRUE(ShowsChart(reference, false));
    std::wstring title;
    ASSERT_TRUE(r.CaptureToView(viewed, still, &title)) << Narrow(r.Record());
    EXPECT_EQ(still.w, reference.w);
    EXPECT_EQ(std::abs(still.h), std::abs(reference.h));
    EXPECT_TRUE(ShowsChart(still, false));
    EXPECT_EQ(title, L"Image1");

    // A still image active: the camera commands are off.
    EXPECT_FALSE(ButtonEnabled(frame, kCmdToView, false));
    EXPECT_FALSE(ButtonEnabled(frame, kCmdRecord, false));

    // File Open of that file: one child for it, the second open activates it; cancel opens nothing.
    const size_t before = MdiChildren(frame).size();
    Command(frame, kCmdFileOpen);
    ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame).size() == before + 1; }));
    HWND opened = ActiveChild(frame);
    r.ActivateLive();
    ASSERT_NE(ActiveChild(frame), opened);
    Command(frame, kCmdFileOpen);
    EXPECT_TRUE(WaitFor([&] { return ActiveChild(frame) == opened; }));
    Command(frame, kCmdFileOpen);
    EXPECT_EQ(MdiChildren(frame).size(), before + 1);

    // The About item and box: the logo title, and the version painted.
    PostMessageW(frame, WM_COMMAND, kCmdAbout, 0);
    HWND about = WaitAboutBox(r.run->Pid());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(TextOf(about), kTitle);
    EXPECT_EQ(TextOf(GetDlgItem(about, 1088)), kTitle);
    RedrawWindow(about, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    POINT origin = {60, 60};
    ClientToScreen(about, &origin);
    const RECT versionArea = {origin.x, origin.y, origin.x + 80, origin.y + 14};
    EXPECT_TRUE(WaitFor([&] {
        Shot s = CaptureScreen(versionArea);
        int dark = 0;
        for (DWORD p : s.px) dark += Kind(p & 0xFFFFFF) == 0;
        return dark > 20;
    }, 10000)) << "no version text at 60, 60";
    SendMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
    EXPECT_EQ(r.run->Close(60000), 0ul);
}

// A UVC model: the still through the UVC library at the chosen size (1280 x 1024 at first).
TEST(AppCommands, UvcCaptureToViewTakesTheLibrarysStill) {
    ScopedCameras cameras(L"Camera-J40");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    AppRun r;
    ASSERT_TRUE(r.Start(Settings(L"bTolmira=0\r\nCamType=2\r\nCamSubType=6\r\n"),
                        L"save " + r.folder.Path(L"uvc.bmp") + L" filter 1\n"));
    // The live preview fully up (its picture running) before the command.
    ASSERT_TRUE(WaitFor([&] {
        RECT rc;
        GetWindowRect(r.LiveVideo(), &rc);
        Shot s = CaptureScreen(rc);
        if (s.width < 16 || s.height < 16) return false;
        for (int i = 0; i < 8; ++i)
            if (Kind(s.At((2 * i + 1) * s.width / 16, s.height / 8)) != kChartKinds[i]) return false;
        return true;
    }, 30000)) << "no chart in the live picture";
    Bmp still;
    ASSERT_TRUE(r.CaptureToView(L"uvc.bmp", still)) << Narrow(r.Record());
    EXPECT_EQ(still.w, 1280);
    EXPECT_EQ(std::abs(still.h), 1024);
    EXPECT_TRUE(ShowsChart(still, false));
    EXPECT_NE(ReadTextFile(r.folder.Path(L"uvclib.log")).find(L"GetImage_GetRGBBuffer 1280 1024 buffer"),
              std::wstring::npos);
    EXPECT_EQ(r.run->Close(60000), 0ul);
}

// ---------------------------------------------------------------- Marrowin
TEST(AppCommands, MarrowinCaptureToViewIsFullSizeAndAFailedGrabOpensNothing) {
    PellixSim sim;
    ASSERT_TRUE(sim.Open());
    sim.Reset();
    ScopedCameras cameras(L"Camera-S3K");
    AppRun r;
    ASSERT_TRUE(r.Start(Settings(L"bTolmira=0\r\nCamType=0\r\n"), L"save " + r.folder.Path(L"full.bmp") + L" filter 1\n"));
    HWND frame = r.frame;

    // The pane: the adjust dialog open at its height, the video and capture
    // dialogs collapsed.
    ASSERT_TRUE(WaitFor([&] { return HostedHeights(r.frame).size() == 1; }));
    EXPECT_EQ(HostedHeights(frame)[0], 380);
    EXPECT_EQ(HostedDialogs(frame), 3);

    Bmp still;
    ASSERT_TRUE(r.CaptureToView(L"full.bmp", still)) << Narrow(r.Record());
    EXPECT_EQ(still.w, 2592);
    EXPECT_EQ(std::abs(still.h), 1944);

    // The camera stops answering: no new child, the earlier still untouched.
    r.ActivateLive();
    sim.Change([](PellixSimConfig& c) { c.failReads = -1; });
    const size_t before = MdiChildren(frame).size();
    Command(frame, kCmdToView);
    EXPECT_EQ(MdiChildren(frame).size(), before);
    sim.Reset();
    EXPECT_EQ(r.run->Close(60000), 0ul);
}

// ---------------------------------------------------------------- Hestral
TEST(AppCommands, HestralCaptureToViewByBufferAndByFile) {
    const struct { const wchar_t* camera; const wchar_t* type; bool file; } cases[] = {
        {L"Vantor-T4M", L"CamType=4\r\n", false},
        {L"Vantor-T8M", L"CamType=6\r\n", true},
    };
    const int kTries = 6;
    // The library keeps its settings from run to run: the first case starts
    // from its defaults, the file road takes what the first case leaves (as
    // its own still is not yet right from the defaults).
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin");
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.camera));
        ScopedCameras cameras(c.camera);
        AppRun r;
        std::wstring script;
        for (int i = 0; i < kTries; ++i) script += L"save " + r.folder.Path(L"h" + std::to_wstring(i) + L".bmp") + L" filter 1\n";
        // The adjust dialog's own settings at the library's defaults (without
        // them its fallbacks leave the picture near black and grey).
        ASSERT_TRUE(r.Start(Settings(std::wstring(L"bTolmira=0\r\n") + c.type,
                                     L"[Nodrel]\r\nSaturation=128\r\nContrast=20\r\nGamma=100\r\nRed=74\r\nGreen=64\r\nBlue=96\r\n"),
                            script));
        EXPECT_TRUE(ButtonEnabled(r.frame, kCmdToView, true));
        // The exposure settles over the first frames: a few stills until one shows the scene.
        Bmp still;
        bool upright = false;
        for (int i = 0; i < kTries && !upright; ++i) {
            r.ActivateLive();
            ASSERT_TRUE(r.CaptureToView(L"h" + std::to_wstring(i) + L".bmp", still)) << Narrow(r.Record());
            upright = MarkAtTopLeft([&](int x, int y) { return BmpAt(still, x, y); }, still.w, std::abs(still.h));
        }
        EXPECT_TRUE(upright) << "the still does not show the sensor's scene upright: mark "
                             << std::hex << BmpAt(still, still.w / 16, std::abs(still.h) / 12) << ", first patch "
                             << BmpAt(still, 368 * still.w / 2048, 3 * std::abs(still.h) / 8);
        EXPECT_GT(still.w, 16);
        EXPECT_EQ(FileExists(r.folder.Path(L"temp.bmp")), c.file);
        EXPECT_EQ(r.run->Close(60000), 0ul);
    }
}

// ---------------------------------------------------------------- auto focus
TEST(AppCommands, AutoFocusStartsTheProgramOnlyWhenItIsNotRunning) {
    EndProgramsTitled(TOLMIRA_WINDOW_TITLE);
    AppRun r;
    ASSERT_TRUE(r.Start(Settings(L"bTolmira=1\r\nCamType=1\r\n"), L"", false));
    auto starts = [&] {
        std::wstringstream in(ReadTextFile(r.folder.Path(L"tolmira.log")));
        std::wstring line;
        int n = 0;
        while (std::getline(in, line)) n += line.rfind(L"start", 0) == 0;
        return n;
    };
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, TOLMIRA_WINDOW_TITLE) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return starts() == 1; }));
    EXPECT_TRUE(ButtonEnabled(r.frame, kCmdAutoFocus, true));
    // No camera, no live preview: capture to view is off and, sent anyway, opens nothing.
    EXPECT_FALSE(ButtonEnabled(r.frame, kCmdToView, false));
    SendMessageW(r.frame, WM_COMMAND, kCmdToView, (LPARAM)MdiClient(r.frame));
    EXPECT_TRUE(MdiChildren(r.frame).empty());
    // Still running: not started again.
    Command(r.frame, kCmdAutoFocus);
    EXPECT_EQ(starts(), 1);
    SendMessageW(FindWindowW(nullptr, TOLMIRA_WINDOW_TITLE), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(nullptr, TOLMIRA_WINDOW_TITLE) == nullptr; }));
    // Its end may take a moment after its window went.
    ASSERT_TRUE(WaitFor([&] {
        Command(r.frame, kCmdAutoFocus);
        return starts() == 2;
    }));
    EXPECT_TRUE(WaitFor([&] { return FindWindowW(nullptr, TOLMIRA_WINDOW_TITLE) != nullptr; }));
    Command(r.frame, kCmdAutoFocus);
    EXPECT_EQ(starts(), 2);
    EXPECT_EQ(r.run->Close(60000), 0ul);
    EndProgramsTitled(TOLMIRA_WINDOW_TITLE);
}

}  // namespace
