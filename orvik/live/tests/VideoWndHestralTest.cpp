// The Hestral video window over the real Hestral.dll and the simulated
// Zentu driver: the camera started into the window, the two resolution
// messages, a camera that fails to start, and the frame thread's life.
#include <gtest/gtest.h>
#include <windows.h>

#include <CameraSdk.h>
#include <Globals.h>

#include <memory>
#include <string>

#include "VideoWndTestHost.h"
#include "ZentuSimControl.h"

using namespace videownd_test;

namespace {

class HestralEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(g_HestralSdk.Bind()) << "Hestral.dll is not beside the test"; }
};
const auto* g_host = ::testing::AddGlobalTestEnvironment(new HostEnvironment);
const auto* g_hestral = ::testing::AddGlobalTestEnvironment(new HestralEnvironment);

class HestralWnd : public ::testing::Test {
protected:
    CZentuSimControl sim;
    std::unique_ptr<COrvikDoc> doc;
    std::unique_ptr<CHestralVideoWnd> wnd;

    void SetUp() override {
        ASSERT_TRUE(sim.IsOpen()) << "the simulated Zentu driver is not running";
        ASSERT_TRUE(sim.Reset());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin");
        g_CamType = kCamHestralT6M;
        AfxTestSetScript(L"");
        AfxTestClearRecord();
        Frame()->videoBoxMessages.clear();
        doc.reset(new COrvikDoc);
    }
    void TearDown() override {
        Close();
        doc.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessavin");
        Pump();
        sim.Reset();
    }
    // As the view ends a live Hestral preview: the camera stopped, then the window.
    void Close() {
        if (!wnd) return;
        ::CameraStop();
        ::CameraUnInit();
        wnd.reset();
    }
    void Open() {
        wnd.reset(new CHestralVideoWnd);
        ASSERT_TRUE(CreateOnFrame(wnd.get(), doc.get(), CRect(0, 0, 640, 480)));
        wnd->Start();
    }
};

bool ShowsAPicture(HWND hwnd) {
    const std::vector<BYTE> px = WindowPixels(hwnd, 640, 480);
    int notWhite = 0;
    for (size_t i = 0; i < px.size(); i += 3 * 97)
        if (px[i] != 255 || px[i + 1] != 255 || px[i + 2] != 255) ++notWhite;
    return notWhite > int(px.size() / (3 * 97) / 10);
}

TEST_F(HestralWnd, StartRunsTheCameraIntoTheWindow) {
    Open();
    ASSERT_FALSE(wnd->m_bInitFailed) << std::wstring(AfxTestGetRecord());
    int w = 0, h = 0;
    ASSERT_EQ(g_HestralSdk.CameraGetImageSize(&w, &h), 1);
    EXPECT_EQ(wnd->m_nFrameWidth, w);
    EXPECT_EQ(wnd->m_nFrameHeight, h);
    EXPECT_EQ(wnd->m_nDisplayWidth, 1024);
    EXPECT_EQ(wnd->m_nDisplayHeight, 768);
    ASSERT_EQ(Frame()->videoBoxMessages.size(), 1u);
    EXPECT_EQ(Frame()->videoBoxMessages[0], kMsgVideoBoxRefresh);
    // The library's display thread draws the picture into the window.
    EXPECT_TRUE(WaitFor([&] { return ShowsAPicture(wnd->GetSafeHwnd()); }));
    // Frame signals are consumed by the thread without effect.
    for (int i = 0; i < 10; ++i) wnd->SignalFrame();
    EXPECT_TRUE(AfxTestGetRecord().IsEmpty());
}

TEST_F(HestralWnd, MirrorStateIsReadIntoTheFlipFlags) {
    struct Case {
        int horizontal, vertical;
    } cases[] = {{1, 0}, {0, 1}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.horizontal * 10 + c.vertical);
        g_HorizontalFlip = !c.horizontal;
        g_VerticalFlip = !c.vertical;
        Open();
        ASSERT_FALSE(wnd->m_bInitFailed);
        g_HestralSdk.CameraSetMirror(0, c.horizontal);
        g_HestralSdk.CameraSetMirror(1, c.vertical);
        // A restart reads them back.
        wnd->SendMessage(kMsgHestralLowResolution, 0, 1);
        ASSERT_FALSE(wnd->m_bInitFailed);
        EXPECT_EQ(g_HorizontalFlip, c.horizontal);
        EXPECT_EQ(g_VerticalFlip, c.vertical);
        Close();
    }
}

// 0x430 asks for the high resolution, 0x480 for the low; a type-6 camera
// counts its modes from 1.
TEST_F(HestralWnd, ResolutionMessagesRestartAtTheirIndex) {
    struct Case {
        CamType camType;
        UINT message;
        int index, width, height, choice;
    } cases[] = {
        {kCamHestralT6M, kMsgHestralHighResolution, 0, 1280, 1024, 0},
        {kCamHestralT6M, kMsgHestralLowResolution, 1, 1024, 768, 1},
        {kCamHestralT2W, kMsgHestralHighResolution, 0, 1280, 1024, 0},
        {kCamHestralT8M, kMsgHestralHighResolution, 1, 1024, 768, 0},
        {kCamHestralT8M, kMsgHestralLowResolution, 2, 640, 480, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "CamType " << c.camType << " message 0x" << std::hex << c.message);
        g_CamType = c.camType;
        g_nHestralResolution = 1 - c.choice;
        Open();
        ASSERT_FALSE(wnd->m_bInitFailed);
        Frame()->videoBoxMessages.clear();
        wnd->SendMessage(c.message, 0, 1);
        ASSERT_FALSE(wnd->m_bInitFailed) << std::wstring(AfxTestGetRecord());
        EXPECT_EQ(wnd->m_nResolution, c.index);
        EXPECT_EQ(wnd->m_nFrameWidth, c.width);
        EXPECT_EQ(wnd->m_nFrameHeight, c.height);
        EXPECT_EQ(g_nHestralResolution, c.choice);
        EXPECT_EQ(Frame()->videoBoxMessages.size(), 1u);
        EXPECT_TRUE(WaitFor([&] { return ShowsAPicture(wnd->GetSafeHwnd()); }));
        Close();
    }
}

TEST_F(HestralWnd, CameraThatFailsToStartShowsTheBoxAndSetsTheFlag) {
    ASSERT_TRUE(sim.SetPresent(0));
    AfxTestSetScript(L"msgbox IDOK");
    Open();
    EXPECT_TRUE(wnd->m_bInitFailed);
    const std::wstring record(AfxTestGetRecord());
    EXPECT_NE(record.find(L"msgbox|Error|Init Camera failed|"), std::wstring::npos) << record;
    EXPECT_TRUE(Frame()->videoBoxMessages.empty());
    EXPECT_EQ(wnd->m_nFrameWidth, 0);
    // The camera comes back: the next start succeeds.
    ASSERT_TRUE(sim.SetPresent(1));
    wnd->Start();
    EXPECT_FALSE(wnd->m_bInitFailed);
}

TEST_F(HestralWnd, FiftyCyclesLeaveNoThreadBehind) {
    Open();
    Close();
    Pump();
    const int before = ThreadCount();
    for (int k = 0; k < 50; ++k) {
        SCOPED_TRACE(k);
        wnd.reset(new CHestralVideoWnd);
        ASSERT_TRUE(CreateOnFrame(wnd.get(), doc.get(), CRect(0, 0, 640, 480)));
        if (k % 5 == 0) {
            wnd->Start();
            ASSERT_FALSE(wnd->m_bInitFailed);
        }
        wnd->SignalFrame();
        if (k % 2) {
            wnd->Shutdown();  // the thread ended before the window goes
        } else if (k % 4 == 0) {
            wnd->SendMessage(WM_CLOSE);  // ends the thread and the camera, then destroys the window
        }
        Close();
    }
    Pump();
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= before; }, 5000))
        << ThreadCount() << " threads, not " << before;
}

}  // namespace
