// The shell's small window classes built whole on a plain host window: the
// camera pane's heights by camera type, the context toolbar, the output and
// workspace bars and the colour label.
#include <gtest/gtest.h>

#include "CamPane.h"
#include "ColorLabel.h"
#include "ContextToolbar.h"
#include "OutputBar.h"
#include "Resource.h"
#include <Globals.h>

#include <commctrl.h>

#include <string>

namespace {

TEST(CamPaneHeights, ByGroupAndCameraType) {
    const struct { CamPaneGroup group; int type, sub; bool longTexts; int height; } cases[] = {
        {kPaneVideo, kCamHestralT6M, 0, false, 230}, {kPaneVideo, kCamHestralT8M, 0, false, 230},
        {kPaneVideo, kCamDirectShow, 5, false, 170}, {kPaneVideo, kCamDirectShow, 7, true, 170},
        {kPaneVideo, kCamDirectShow, 2, false, 90},  {kPaneVideo, kCamMarrowin, 0, false, 90},
        {kPaneVideo, kCamNone, 0, false, 90},
        {kPaneAdjust, kCamMarrowin, 0, true, 380},   {kPaneAdjust, kCamDirectShow, 0, false, 425},
        {kPaneAdjust, kCamDirectShow, 4, true, 425}, {kPaneAdjust, kCamDirectShow, 5, false, 390},
        {kPaneAdjust, kCamDirectShow, 6, true, 410}, {kPaneAdjust, kCamHestralT4M, 0, false, 650},
        {kPaneAdjust, kCamNone, 0, false, 0},
        {kPaneCapture, kCamMarrowin, 0, false, 490}, {kPaneCapture, kCamHestralT2W, 0, false, 490},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CamPaneDialogHeight(c.group, c.type, c.sub, c.longTexts), c.height)
            << "group " << c.group << " type " << c.type << "/" << c.sub << " long " << c.longTexts;
}

// A top-level window to put the bars on.
struct Host {
    CWnd wnd;
    Host() {
        wnd.CreateEx(0, AfxRegisterWndClass(0), L"shell host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 600,
                     nullptr, nullptr);
    }
    ~Host() { wnd.DestroyWindow(); }
};

RECT RectIn(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
    return r;
}

TEST(ContextToolbar, OwnRowAndCommandRanges) {
    Host host;
    CContextToolbar bar;
    EXPECT_TRUE(bar.IsExclusiveRow());
    ASSERT_TRUE(bar.CreateEx(&host.wnd, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, CRect(1, 1, 1, 1), 0xE820));
    ASSERT_TRUE(bar.LoadToolBar(IDR_TOOLBAR_CAMERA));
    EXPECT_EQ(bar.GetAvailableExpandSize(), 65535);
    bar.SetExclusiveRowMode(FALSE);
    EXPECT_EQ(bar.GetAvailableExpandSize(), static_cast<CBCGPToolBar&>(bar).CBCGPToolBar::GetAvailableExpandSize());
    EXPECT_NE(bar.GetAvailableExpandSize(), 65535);

    // File Open .. Preview (inclusive) hidden, then shown again.
    const UINT first = ID_FILE_OPEN, last = ID_FILE_SAVE;
    bar.ShowCommandButtons(first, last, FALSE, TRUE);
    for (int i = 0; i < bar.GetCount(); ++i) {
        CBCGPToolbarButton* b = bar.GetButton(i);
        const bool inRange = b->m_nID >= first && b->m_nID <= last;
        EXPECT_EQ(b->IsVisible() != FALSE, !inRange) << b->m_nID;
        if (b->m_nID && inRange) {
            TBBUTTONINFOW info = {};
            info.cbSize = sizeof info;
            info.dwMask = TBIF_STATE;
            bar.SendMessage(TB_GETBUTTONINFOW, b->m_nID, (LPARAM)&info);
            EXPECT_TRUE(info.fsState & TBSTATE_HIDDEN) << b->m_nID;
        }
    }
    bar.ShowCommandButtons(first, last, TRUE, TRUE);
    for (int i = 0; i < bar.GetCount(); ++i) EXPECT_TRUE(bar.GetButton(i)->IsVisible());
    bar.DestroyWindow();
}

TEST(DockingBars, OutputTabsAndWorkspaceTreeFollowTheirSize) {
    Host host;
    COutputBar output;
    ASSERT_TRUE(output.Create(L"Output", &host.wnd, CRect(0, 0, 300, 120), FALSE, 0xE830, WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(output.m_wndTabs.GetTabsNum(), 3);
    EXPECT_EQ(GetDlgCtrlID(output.m_wndList3.GetSafeHwnd()), 4);
    const RECT before = RectIn(output.m_wndTabs.GetSafeHwnd(), output.GetSafeHwnd());
    output.SetWindowPos(nullptr, 0, 0, 310, 130, SWP_NOMOVE | SWP_NOZORDER);
    CRect client;
    output.GetClientRect(&client);
    RECT tabs = RectIn(output.m_wndTabs.GetSafeHwnd(), output.GetSafeHwnd());
    EXPECT_EQ(tabs.left, before.left);
    EXPECT_EQ(tabs.top, before.top);
    EXPECT_EQ(tabs.right - tabs.left, client.Width());
    EXPECT_EQ(tabs.bottom - tabs.top, client.Height());

    CWorkspaceBar2 workspace;
    ASSERT_TRUE(workspace.Create(L"Workspace", &host.wnd, CRect(320, 0, 520, 400), FALSE, 0xE831, WS_CHILD | WS_VISIBLE));
    workspace.SetWindowPos(nullptr, 0, 0, 200, 400, SWP_NOMOVE | SWP_NOZORDER);
    workspace.GetClientRect(&client);
    RECT tree = RectIn(workspace.m_wndTree.GetSafeHwnd(), workspace.GetSafeHwnd());
    EXPECT_EQ(tree.left, 1);
    EXPECT_EQ(tree.top, 1);
    EXPECT_EQ(tree.right - tree.left, client.Width() - 2);
    EXPECT_EQ(tree.bottom - tree.top, client.Height() - 2);
    HTREEITEM root = (HTREEITEM)workspace.m_wndTree.SendMessage(TVM_GETNEXTITEM, TVGN_ROOT, 0);
    auto text = [&](HTREEITEM item) {
        wchar_t buf[32] = {};
        TVITEMW tv = {};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = buf;
        tv.cchTextMax = 32;
        workspace.m_wndTree.SendMessage(TVM_GETITEMW, 0, (LPARAM)&tv);
        return std::wstring(buf);
    };
    EXPECT_EQ(text(root), L"Root 2");
    HTREEITEM item1 = (HTREEITEM)workspace.m_wndTree.SendMessage(TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
    EXPECT_EQ(text(item1), L"Item 1");
    EXPECT_EQ(text((HTREEITEM)workspace.m_wndTree.SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item1)), L"Item 2");

    // The one-pixel frame round the tree, in the button-shadow colour.
    workspace.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = GetDC(workspace.GetSafeHwnd());
    EXPECT_EQ(GetPixel(dc, 0, client.Height() / 2), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(dc, client.Width() / 2, client.Height() - 1), GetSysColor(COLOR_BTNSHADOW));
    ReleaseDC(workspace.GetSafeHwnd(), dc);
    workspace.DestroyWindow();
    output.DestroyWindow();
}

TEST(ColorLabel, ColoursResetAndPaintedText) {
    CColorLabel label(7);
    EXPECT_EQ(label.m_colors[1], RGB(131, 210, 255));
    EXPECT_EQ(label.m_dwStyle, 0x40000000u);
    label.SetTextColor(RGB(200, 0, 0));
    label.SetBackColor(RGB(1, 2, 3));
    label.SetHighColor(RGB(4, 5, 6));
    label.SetLowColor(RGB(7, 8, 9));
    label.ResetColors();
    EXPECT_EQ(label.m_colors[0], 0u);
    EXPECT_EQ(label.m_colors[1], 0u);
    EXPECT_EQ(label.m_colors[2], RGB(52, 255, 34));
    EXPECT_EQ(label.m_colors[3], RGB(1, 135, 31));
    EXPECT_EQ(label.m_nParam, 0);

    // The text from x 10 in the text colour; nothing left of it.
    Host host;
    ASSERT_TRUE(label.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 40), &host.wnd, 5000));
    label.SetTextColor(RGB(255, 0, 0));
    label.SetText(L"WWWW");
    label.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = GetDC(label.GetSafeHwnd());
    int red = 0, redLeft = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (GetPixel(dc, x, y) == RGB(255, 0, 0)) (x < 10 ? redLeft : red)++;
    ReleaseDC(label.GetSafeHwnd(), dc);
    EXPECT_GT(red, 10);
    EXPECT_EQ(redLeft, 0);
    label.DestroyWindow();
}

}  // namespace
