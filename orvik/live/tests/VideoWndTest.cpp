// The video windows' common part on a test frame: the factory's table, the
// double click to full screen, the white erase and validating paint, the
// cursor rule and the mouse reaching the document's measurement layer.
#include <gtest/gtest.h>
#include <windows.h>

#include <Globals.h>

#include <memory>
#include <string>

#include "MeasureLayer.h"
#include "PellixVideoWnd.h"
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
TEST(VideoWndFactory, CameraTypeChoosesTheWindow) {
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

class VideoWndBase : public ::testing::Test {
protected:
    std::unique_ptr<COrvikDoc> doc;
    void SetUp() override {
        AfxTestSetScript(L"");
        doc.reset(new COrvikDoc);
    }
    void TearDown() override {
        Pump();
        doc.reset();
    }
};

TEST_F(VideoWndBase, DoubleClickTogglesFullScreen) {
    CPlainVideoWnd wnd;
    ASSERT_TRUE(CreateOnFrame(&wnd, doc.get(), CRect(0, 0, 200, 150)));
    const int before = Frame()->fullScreenToggles;
    wnd.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ(Frame()->fullScreenToggles, before + 1);
    wnd.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_EQ(Frame()->fullScreenToggles, before + 2);
    // The class takes double clicks, so a real one arrives as such.
    EXPECT_NE(GetClassLongW(wnd.GetSafeHwnd(), GCL_STYLE) & CS_DBLCLKS, 0u);
    EXPECT_EQ(GetDlgCtrlID(wnd.GetSafeHwnd()), int(kVideoWndId));
}

// The base erases white and paints nothing: after a paint the window is
// white and validated.
TEST_F(VideoWndBase, ErasesWhiteAndValidatesPaint) {
    CPlainVideoWnd wnd;
    ASSERT_TRUE(CreateOnFrame(&wnd, doc.get(), CRect(10, 10, 210, 160)));
    // Something else in the pixels first.
    HDC dc = GetDC(wnd.GetSafeHwnd());
    RECT all = {0, 0, 200, 150};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(wnd.GetSafeHwnd(), dc);
    wnd.Invalidate(TRUE);
    wnd.UpdateWindow();
    EXPECT_FALSE(GetUpdateRect(wnd.GetSafeHwnd(), nullptr, FALSE));
    for (POINT p : {POINT{0, 0}, POINT{100, 75}, POINT{199, 149}})
        EXPECT_EQ(WindowPixel(wnd.GetSafeHwnd(), p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;
}

// Over a picture Orvik measures on: point tool and drawing on, cursor 191;
// another tool the arrow; drawing off, the default handling (which asks the
// parent first). Outside the client area the default handling too.
TEST_F(VideoWndBase, CursorRule) {
    CPellixVideoWnd wnd;  // no camera bound: its thread never draws
    ASSERT_TRUE(CreateOnFrame(&wnd, doc.get(), CRect(0, 0, 200, 150)));
    const HWND h = wnd.GetSafeHwnd();
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
    ASSERT_NE(wnd.m_hCursorB, arrow);
    const struct {
        bool drawing;
        int tool;
        UINT hit;
        HCURSOR expected;
        bool askedParent;
    } cases[] = {
        {true, 1, HTCLIENT, wnd.m_hCursorB, false}, {true, 2, HTCLIENT, arrow, false},
        {true, 0, HTCLIENT, arrow, false},          {false, 1, HTCLIENT, wait, true},
        {true, 1, HTBORDER, wait, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.drawing << " tool " << c.tool << " hit " << c.hit);
        doc->m_bDrawMeasurements = c.drawing;
        doc->m_nMeasureTool = c.tool;
        SetCursor(nullptr);
        const int asks = Frame()->cursorAsks;
        EXPECT_TRUE(SendMessageW(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(c.hit, WM_MOUSEMOVE)));
        EXPECT_EQ(GetCursor(), c.expected);
        EXPECT_EQ(Frame()->cursorAsks != asks, c.askedParent);
    }
}

// Presses, moves and releases reach the document's layer with its tool.
TEST_F(VideoWndBase, MouseReachesTheMeasurementLayer) {
    CPellixVideoWnd wnd;
    ASSERT_TRUE(CreateOnFrame(&wnd, doc.get(), CRect(0, 0, 200, 150)));
    doc->m_nMeasureTool = kToolLine;
    const int before = doc->m_pMeasureLayer->GetShapeCount();
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    wnd.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 20));
    wnd.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(110, 20));
    ASSERT_EQ(doc->m_pMeasureLayer->GetShapeCount(), before + 1);
    EXPECT_FALSE(doc->m_pMeasureLayer->IsButtonDown());
    const std::vector<CString> texts = doc->m_pMeasureLayer->GetShapeTexts(before);
    EXPECT_FALSE(texts.empty());
    // No tool: nothing new.
    doc->m_nMeasureTool = kToolNone;
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 40));
    wnd.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(110, 40));
    EXPECT_EQ(doc->m_pMeasureLayer->GetShapeCount(), before + 1);
}

}  // namespace
