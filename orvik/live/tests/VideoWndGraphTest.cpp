// The factory's table, and the DirectShow video window over Trevlo and the
// simulated UVC cameras: the graph built once and run into the window, the flip refresh one tick
// after each start for the models that need it, and a graph that cannot be
// made: no window, and the close of the program posted, not sent.
#include <gtest/gtest.h>
#include <windows.h>

#include <Globals.h>
#include <Trevlo.h>

#include <memory>
#include <string>

#include "PellixVideoWnd.h"
#include "UvcCamInstall.h"
#include "VideoWndTestHost.h"

using namespace videownd_test;

namespace {

const auto* g_host = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

enum Kind { kNone, kPellix, kPlain, kGraph, kHestral };

Kind KindOf(CVideoWnd* w) {
    if (!w) return kNone;
    if (dynamic_cast<CPellixVideoWnd*>(w)) return kPellix;
    if (dynamic_cast<CPlainVideoWnd*>(w)) return kPlain;
    if (dynamic_cast<CGraphVideoWnd*>(w)) return kGraph;
    if (dynamic_cast<CHestralVideoWnd*>(w)) return kHestral;
    return kNone;
}

// No camera library is bound here: the windows are made, and start nothing.
// The DirectShow one builds its graph over the cameras installed now.
TEST(VideoWndFactory, CameraTypeChoosesTheWindow) {
    ScopedCameras cameras(L"Camera-R5V");
    AfxTestSetScript(L"msgbox IDOK;msgbox IDOK;msgbox IDOK");
    const struct {
        int camType;
        Kind kind;
    } cases[] = {{0, kPellix}, {1, kPlain}, {2, kGraph}, {3, kHestral}, {4, kHestral},
                 {5, kHestral}, {6, kHestral}, {7, kNone}, {-1, kNone}, {100, kNone}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.camType);
        std::unique_ptr<CVideoWnd> w(CreateVideoWnd(c.camType));
        EXPECT_EQ(KindOf(w.get()), c.kind);
        if (w && c.kind != kGraph) {
            EXPECT_EQ(w->m_nFrameWidth, 0);  // no camera: no size, the view skips its layout
            EXPECT_EQ(w->m_pGraph, nullptr);
        }
    }
    Pump();
    AfxTestSetScript(L"");
}

class GraphWnd : public ::testing::Test {
protected:
    ScopedCameras cameras{L"Camera-J20"};
    std::unique_ptr<COrvikDoc> doc;
    std::unique_ptr<CGraphVideoWnd> wnd;
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(cameras.Result());
        g_CamType = kCamDirectShow;
        AfxTestSetScript(L"");
        AfxTestClearRecord();
        doc.reset(new COrvikDoc);
    }
    void TearDown() override {
        wnd.reset();
        doc.reset();
        Pump();
        g_CamSubType = 0;
    }
    bool Flags(BOOL* flip, BOOL* mirror) {
        return wnd->m_pGraph->get_Flip(flip) == S_OK && wnd->m_pGraph->get_Mirror(mirror) == S_OK;
    }
};

// Sub-types 0 and 3 get the flags about a second after every start; the others never.
TEST_F(GraphWnd, FlipAndMirrorFollowTheFlagsAfterStart) {
    const struct {
        int subType;
        int width, height;
        bool refreshed;
    } cases[] = {{0, 1200, 1024, true}, {3, 1600, 1200, true}, {5, 1024, 768, false}, {2, 0, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subType);
        g_CamSubType = c.subType;
        wnd.reset(new CGraphVideoWnd);
        ASSERT_FALSE(wnd->m_bInitFailed);
        EXPECT_EQ(wnd->m_nFrameWidth, c.width);
        EXPECT_EQ(wnd->m_nFrameHeight, c.height);
        ASSERT_TRUE(CreateOnFrame(wnd.get(), doc.get(), CRect(0, 0, 320, 240)));
        BOOL flip = TRUE, mirror = TRUE;
        // The filter's own state, and the flags the other way round.
        wnd->Start();
        ASSERT_TRUE(wnd->m_bGraphBuilt);
        ASSERT_TRUE(Flags(&flip, &mirror));
        g_VerticalFlip = !flip;
        g_HorizontalFlip = !mirror;
        if (c.refreshed) {
            EXPECT_TRUE(WaitFor([&] {
                BOOL f, m;
                return Flags(&f, &m) && f == BOOL(g_VerticalFlip) && m == BOOL(g_HorizontalFlip);
            }));
            // Once per start: after the tick the timer is gone.
            EXPECT_FALSE(KillTimer(wnd->GetSafeHwnd(), 1));
            // A second start refreshes again (the graph is not built twice).
            wnd->Pause();
            g_VerticalFlip = !g_VerticalFlip;
            wnd->Start();
            EXPECT_TRUE(WaitFor([&] {
                BOOL f, m;
                return Flags(&f, &m) && f == BOOL(g_VerticalFlip);
            }));
        } else {
            // No tick is due: the filter keeps its own state.
            EXPECT_FALSE(KillTimer(wnd->GetSafeHwnd(), 1));
            Pump();
            BOOL f, m;
            ASSERT_TRUE(Flags(&f, &m));
            EXPECT_EQ(f, flip);
            EXPECT_EQ(m, mirror);
        }
        // The renderer's window lives in ours.
        EXPECT_NE(GetWindow(wnd->GetSafeHwnd(), GW_CHILD), nullptr);
        wnd.reset();
        Pump();
    }
}

// InitGraph fails: Trevlo shows its box, the window posts WM_CLOSE to the
// main frame (which has not had it while the window was being made), its
// creation fails, and nothing runs the graph.
TEST_F(GraphWnd, FailedInitGraphGivesNoWindowAndAPostedClose) {
    ScopedCameras none(L"");
    ASSERT_HRESULT_SUCCEEDED(none.Result());
    AfxTestSetScript(L"msgbox IDOK");
    const int closes = Frame()->closes;
    wnd.reset(new CGraphVideoWnd);
    EXPECT_TRUE(wnd->m_bInitFailed);
    EXPECT_NE(std::wstring(AfxTestGetRecord()).find(L"Error!"), std::wstring::npos);
    EXPECT_EQ(Frame()->closes, closes);
    wnd->SetDocument(doc.get());
    EXPECT_FALSE(wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20), Frame(), kVideoWndId));
    EXPECT_EQ(wnd->GetSafeHwnd(), nullptr);
    EXPECT_EQ(Frame()->GetDlgItem(kVideoWndId), nullptr);
    wnd->Start();
    EXPECT_FALSE(wnd->m_bGraphBuilt);
    EXPECT_TRUE(WaitFor([&] { return Frame()->closes == closes + 1; }));
}

}  // namespace
