// A sample MDI application on the toolkit, driven on the virtual display:
// bars on native controls read back after update handlers, clicks routed to
// handlers, the task pane, docking layout, tabbed children, the workspace's
// registry state, language libraries and a screenshot of the whole frame.
#include <gtest/gtest.h>
#include "Toolkit.h"
#include "AfxTestScript.h"
#include "ToolkitRes.h"
#include "ToolkitTestRes.h"
#include <shlwapi.h>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;
int g_changeActiveTab = 0;
UINT g_resetToolbarId = 0;

void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!AfxGetApp()->PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        Sleep(10);
    }
}

BOOL KeyExists(const CString& path) {
    HKEY h = nullptr;
    CString p = path.Right(1) == L"\\" ? path.Left(path.GetLength() - 1) : path;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, p, 0, KEY_READ, &h) != ERROR_SUCCESS) return FALSE;
    RegCloseKey(h);
    return TRUE;
}

DWORD ReadDword(const CString& path, LPCWSTR name, DWORD missing = 0xFFFFFFFF) {
    CString p = path.Right(1) == L"\\" ? path.Left(path.GetLength() - 1) : path;
    DWORD v = 0, size = sizeof v;
    if (RegGetValueW(HKEY_CURRENT_USER, p, name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS) return missing;
    return v;
}

// ---------------------------------------------------------------- the sample application
class CSampleApp : public CWinApp, public CBCGPWorkspace {
public:
    CSampleApp() : CWinApp(L"ToolkitSample") {}
    int m_preLoad = 0;
    void PreLoadState() override { ++m_preLoad; }
    afx_msg void OnModeChosen() { g_log.push_back("app:selendok"); }
    afx_msg void OnPlain() { g_log.push_back("app:plain"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSampleApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_TOOL_PLAIN, OnPlain)
    ON_CBN_SELENDOK(ID_TOOL_COMBO, OnModeChosen)
END_MESSAGE_MAP()

CSampleApp theApp;

class CSliderDlg : public CBCGPDialog {
public:
    CSliderDlg() : CBCGPDialog(IDD_SLIDERDLG) {}
    CBCGPSliderCtrl m_slider;
    BOOL OnInitDialog() override {
        CBCGPDialog::OnInitDialog();
        m_slider.SubclassDlgItem(IDC_SLIDER, this);
        m_slider.SetRange(0, 100);
        m_slider.SetPos(40);
        return TRUE;
    }
};

class CMainFrame : public CBCGPMDIFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)
public:
    CBCGPMenuBar m_wndMenuBar;
    CBCGPToolBar m_wndToolBarA;
    CBCGPToolBar m_wndToolBarB;
    CBCGPStatusBar m_wndStatusBar;
    CBCGPTasksPane m_wndTasks;
    CSliderDlg m_dlgSlider;
    int m_tasksGroup = -1, m_adjustGroup = -1;
    CString m_stateText = L"ready";
protected:
    static int Fail(int line) {
        ADD_FAILURE() << "the sample frame's creation failed at line " << line;
        return -1;
    }
    afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
        if (CBCGPMDIFrameWnd::OnCreate(lpcs) == -1) return Fail(__LINE__);
        // The menu bar and toolbar B share an id, as the program's bars do.
        if (!m_wndMenuBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER, 0xE806)) return Fail(__LINE__);
        if (!m_wndToolBarA.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS,
                                    CRect(1, 1, 1, 1), 0xE800) ||
            !m_wndToolBarA.LoadToolBar(IDR_TOOLBAR_A))
            return Fail(__LINE__);
        if (!m_wndToolBarB.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, CRect(1, 1, 1, 1), 0xE806) ||
            !m_wndToolBarB.LoadToolBar(IDR_TOOLBAR_B))
            return Fail(__LINE__);
        m_wndToolBarA.SetWindowText(L"Toolbar A");
        m_wndToolBarB.SetWindowText(L"Toolbar B");
        CBCGPToolbarComboBoxButton combo(ID_TOOL_COMBO, CImageHash::GetImageOfCommand(ID_TOOL_COMBO), CBS_DROPDOWNLIST, 120);
        combo.AddItem(L"Fast");
        combo.AddItem(L"Normal");
        combo.AddItem(L"Slow");
        combo.SelectItem(0, FALSE);
        m_wndToolBarA.ReplaceButton(ID_TOOL_COMBO, combo);
        {
            CMenu menu;
            menu.LoadMenu(IDR_DROPMENU);
            m_wndToolBarB.ReplaceButton(ID_TOOL_MENU, CBCGPToolbarMenuButton(ID_TOOL_MENU, menu.GetSubMenu(0)->m_hMenu,
                                                                               CImageHash::GetImageOfCommand(ID_TOOL_MENU)));
        }
        m_wndToolBarA.EnableCustomizeButton(TRUE, 32770, L"Customize...");
        static const UINT indicators[] = {0, ID_INDICATOR_STATE, ID_INDICATOR_CAPS};
        if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 3)) return Fail(__LINE__);
        m_wndStatusBar.SetPaneInfo(0, 0, SBPS_NORMAL, 150);
        if (!m_wndTasks.Create(L"Tasks", this, CRect(0, 0, 220, 400), TRUE, 32826, 0x56001409, 32, 15)) return Fail(__LINE__);
        m_wndTasks.SetIconsList(IDB_ICONS, 16);
        m_wndTasks.EnableNavigationToolbar(TRUE);
        m_tasksGroup = m_wndTasks.AddGroup(L"Tasks", FALSE, TRUE);
        m_wndTasks.AddTask(m_tasksGroup, L"Run the task", 1, ID_TASK_RUN);
        m_adjustGroup = m_wndTasks.AddGroup(L"Adjust", FALSE, TRUE);
        if (!m_dlgSlider.Create(IDD_SLIDERDLG, &m_wndTasks)) return Fail(__LINE__);
        m_wndTasks.AddWindow(m_adjustGroup, m_dlgSlider.m_hWnd, 60);
        m_wndMenuBar.EnableDocking(CBRS_ALIGN_ANY);
        m_wndToolBarA.EnableDocking(CBRS_ALIGN_ANY);
        m_wndToolBarB.EnableDocking(CBRS_ALIGN_ANY);
        m_wndTasks.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
        EnableDocking(CBRS_ALIGN_ANY);
        EnableAutoHideBars(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndMenuBar);
        DockControlBar(&m_wndToolBarA);
        DockControlBar(&m_wndToolBarB);
        DockControlBarLeftOf(&m_wndToolBarB, &m_wndToolBarA);
        DockControlBar(&m_wndTasks);
        EnableFullScreenMode(32907);
        EnableControlBarMenu(TRUE, 32770, L"Customize...", 32771);
        CBCGPMDITabParams params;
        params.m_style = CBCGPTabWnd::STYLE_3D_ONENOTE;
        EnableMDITabbedGroups(TRUE, params);
        return 0;
    }
    afx_msg void OnUpdateCheck(CCmdUI* p) { p->SetCheck(1); }
    afx_msg void OnUpdateDisabled(CCmdUI* p) { p->Enable(FALSE); }
    afx_msg void OnDisabled() { g_log.push_back("frame:disabled"); }
    afx_msg void OnCheck() { g_log.push_back("frame:check"); }
    afx_msg void OnTask() { g_log.push_back("frame:task"); }
    afx_msg void OnCustomize() { g_log.push_back("frame:customize"); }
    afx_msg void OnDrop(UINT id) { g_log.push_back("frame:drop:" + std::to_string(id)); }
    afx_msg void OnUpdateState(CCmdUI* p) { p->SetText(m_stateText); }
    afx_msg LRESULT OnChangeActiveTab(WPARAM, LPARAM) { ++g_changeActiveTab; return 0; }
    BOOL OnShowMDITabContextMenu(CPoint, DWORD dwAllowedItems, BOOL bTabDrop) override {
        g_log.push_back("tabmenu:" + std::to_string(dwAllowedItems) + (bTabDrop ? ":drop" : ""));
        return TRUE;
    }
    CBCGPMDIChildWnd* CreateDocumentWindow(LPCWSTR lpcszDocName, CObject*) override {
        std::wstring name = lpcszDocName;
        g_log.push_back("restore:" + std::string(name.begin(), name.end()));
        return nullptr;
    }
    afx_msg LRESULT OnToolbarReset(WPARAM w, LPARAM) { g_resetToolbarId = (UINT)w; return 0; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNAMIC(CMainFrame, CBCGPMDIFrameWnd)
BEGIN_MESSAGE_MAP(CMainFrame, CBCGPMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_TOOL_CHECK, OnCheck)
    ON_COMMAND(ID_TOOL_DISABLED, OnDisabled)
    ON_COMMAND(ID_TASK_RUN, OnTask)
    ON_COMMAND(32770, OnCustomize)
    ON_COMMAND_RANGE(ID_DROP_ONE, ID_DROP_TWO, OnDrop)
    ON_UPDATE_COMMAND_UI(ID_TOOL_CHECK, OnUpdateCheck)
    ON_UPDATE_COMMAND_UI(ID_TOOL_DISABLED, OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_STATE, OnUpdateState)
    ON_REGISTERED_MESSAGE(BCGM_CHANGE_ACTIVE_TAB, OnChangeActiveTab)
    ON_REGISTERED_MESSAGE(BCGM_RESETTOOLBAR, OnToolbarReset)
END_MESSAGE_MAP()

class CChildFrame : public CBCGPMDIChildWnd {
    DECLARE_DYNCREATE(CChildFrame)
};
IMPLEMENT_DYNCREATE(CChildFrame, CBCGPMDIChildWnd)

class CSampleDoc : public CDocument {
    DECLARE_DYNCREATE(CSampleDoc)
};
IMPLEMENT_DYNCREATE(CSampleDoc, CDocument)

class CSampleView : public CView {
    DECLARE_DYNCREATE(CSampleView)
public:
    void OnDraw(CDC* pDC) override {
        CRect rc;
        GetClientRect(&rc);
        pDC->FillSolidRect(&rc, RGB(250, 250, 250));
    }
};
IMPLEMENT_DYNCREATE(CSampleView, CView)

CMainFrame* g_frame = nullptr;
CMultiDocTemplate* g_template = nullptr;

class SampleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        AfxTestSetScript(L"");
        ASSERT_TRUE(AfxWinInit(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
        ASSERT_TRUE(theApp.InitApplication());
        // Nothing of an earlier run survives, as at the program's start.
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Veltrane Toolkit Test");
        theApp.SetRegistryKey(L"Veltrane Toolkit Test");
        theApp.SetRegistryBase(L"Settings");
        theApp.InitContextMenuManager();
        theApp.InitKeyboardManager();
        theApp.InitTooltipManager();
        CBCGPToolTipParams params;
        params.m_bVislManagerTheme = TRUE;
        theApp.GetTooltipManager()->SetTooltipParams(BCGP_TOOLTIP_TYPE_ALL, RUNTIME_CLASS(CBCGPToolTipCtrl), &params);
        g_template = new CMultiDocTemplate(IDR_DOCTYPE, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CChildFrame),
                                           RUNTIME_CLASS(CSampleView));
        theApp.AddDocTemplate(g_template);
        g_frame = new CMainFrame;
        ASSERT_TRUE(g_frame->LoadFrame(IDR_MAINFRAME));
        theApp.m_pMainWnd = g_frame;
        g_frame->MoveWindow(0, 0, 900, 640);
        g_frame->ShowWindow(SW_SHOW);
        g_frame->UpdateWindow();
        Pump();
    }
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new SampleEnvironment);

CRect ChildRect(HWND h) {
    CRect rc;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, g_frame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void IdleUpdate() {
    g_frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
}

void ClickToolbarButton(CBCGPToolBar& bar, int index) {
    RECT rc;
    bar.SendMessage(TB_GETITEMRECT, index, (LPARAM)&rc);
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    bar.SendMessage(WM_LBUTTONUP, 0, at);
    Pump();
}

// Keys posted to the thread reach the open menu whichever window has the focus.
void PostKeys(std::initializer_list<WPARAM> keys) {
    HWND popup = FindWindowW(L"#32768", nullptr);
    HWND to = popup ? popup : g_frame->m_hWnd;
    for (WPARAM vk : keys) {
        PostMessageW(to, WM_KEYDOWN, vk, 1);
        PostMessageW(to, WM_KEYUP, vk, 0xC0000001);
    }
}
void CALLBACK ChooseSecondItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostKeys({VK_DOWN, VK_DOWN, VK_RETURN});
}
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

BYTE ButtonState(CBCGPToolBar& bar, int index) {
    TBBUTTON tb = {};
    bar.SendMessage(TB_GETBUTTON, index, (LPARAM)&tb);
    return tb.fsState;
}

// ---------------------------------------------------------------- tests
TEST(ToolkitFrame, UpdateHandlersSetNativeToolbarMenuAndStatusState) {
    CBCGPToolBar& bar = g_frame->m_wndToolBarA;
    ASSERT_EQ(bar.GetCount(), 6);
    IdleUpdate();
    EXPECT_TRUE(ButtonState(bar, 0) & TBSTATE_CHECKED);
    EXPECT_TRUE(ButtonState(bar, 0) & TBSTATE_ENABLED);
    EXPECT_FALSE(ButtonState(bar, 1) & TBSTATE_ENABLED);
    EXPECT_TRUE(ButtonState(bar, 3) & TBSTATE_ENABLED);    // the application handles it
    EXPECT_FALSE(ButtonState(bar, 5) & TBSTATE_ENABLED);   // nobody handles it

    // The menu bar is the frame's own menu.
    HMENU menu = g_frame->m_wndMenuBar.GetHMenu();
    ASSERT_TRUE(menu);
    HMENU tools = GetSubMenu(menu, 1);
    ASSERT_TRUE(tools);
    g_frame->SendMessage(WM_INITMENUPOPUP, (WPARAM)tools, 1);
    EXPECT_TRUE(GetMenuState(tools, ID_TOOL_CHECK, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(tools, ID_TOOL_DISABLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(tools, ID_TOOL_PLAIN, MF_BYCOMMAND) & MF_GRAYED);

    wchar_t text[64] = L"";
    g_frame->m_stateText = L"42 x 17";
    IdleUpdate();
    g_frame->m_wndStatusBar.SendMessage(SB_GETTEXTW, 1, (LPARAM)text);
    EXPECT_STREQ(text, L"42 x 17");
    EXPECT_EQ(g_frame->m_wndStatusBar.GetPaneWidth(0), 150);
    int parts[8] = {};
    EXPECT_EQ(g_frame->m_wndStatusBar.SendMessage(SB_GETPARTS, 8, (LPARAM)parts), 3);
    EXPECT_EQ(parts[0], 150);
}

// Menu prompts and the frame's message text show in the first pane.
TEST(ToolkitFrame, MessageTextAndMenuPromptsShowInTheFirstPane) {
    CBCGPStatusBar& bar = g_frame->m_wndStatusBar;
    auto shown = [&] {
        wchar_t text[128] = L"";
        bar.SendMessage(SB_GETTEXTW, 0, (LPARAM)text);
        EXPECT_EQ(CString(text), bar.GetPaneText(0));
        return CString(text);
    };
    g_frame->SetMessageText(L"Counting cells");
    EXPECT_EQ(shown(), CString(L"Counting cells"));
    g_frame->SetMessageText(ID_TOOL_CHECK);  // "Checks\nCheck": the prompt alone
    EXPECT_EQ(shown(), CString(L"Checks"));

    HMENU tools = GetSubMenu(g_frame->m_wndMenuBar.GetHMenu(), 1);
    ASSERT_TRUE(tools);
    g_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_TOOL_PLAIN, MF_STRING), (LPARAM)tools);
    EXPECT_EQ(shown(), CString(L""));      // an item with no prompt string
    g_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_TOOL_CHECK, MF_STRING), (LPARAM)tools);
    EXPECT_EQ(shown(), CString(L"Checks"));
    g_frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closed
    EXPECT_EQ(shown(), CString(L"Ready"));
}

TEST(ToolkitFrame, ToolbarClicksReachHandlersUnlessDisabled) {
    CBCGPToolBar& bar = g_frame->m_wndToolBarA;
    IdleUpdate();
    g_log.clear();
    ClickToolbarButton(bar, 0);
    ClickToolbarButton(bar, 3);
    ASSERT_EQ(g_log.size(), 2u);
    EXPECT_EQ(g_log[0], "frame:check");
    EXPECT_EQ(g_log[1], "app:plain");
    EXPECT_TRUE(CBCGPToolBar::IsLastCommandFromButton(bar.GetButton(3)));
    // A disabled button sends nothing; a command posted for it anyway is not run.
    g_log.clear();
    ClickToolbarButton(bar, 1);
    g_frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOL_DISABLED, BN_CLICKED), (LPARAM)bar.m_hWnd);
    EXPECT_TRUE(g_log.empty());

    CObList buttons;
    EXPECT_EQ(CBCGPToolBar::GetCommandButtons(ID_TOOL_CHECK, buttons), 1);
    EXPECT_EQ(CBCGPToolBar::GetCommandButtons(0xDEAD, buttons), 0);
}

TEST(ToolkitFrame, ComboButtonSendsSelEndOkToTheApplication) {
    CBCGPToolBar& bar = g_frame->m_wndToolBarA;
    int i = bar.CommandToIndex(ID_TOOL_COMBO);
    ASSERT_GE(i, 0);
    CBCGPToolbarComboBoxButton* combo = DYNAMIC_DOWNCAST(CBCGPToolbarComboBoxButton, bar.GetButton(i));
    ASSERT_TRUE(combo);
    ASSERT_TRUE(combo->GetComboBox() && combo->GetComboBox()->m_hWnd);
    EXPECT_EQ(combo->GetComboBox()->GetCount(), 3);
    EXPECT_STREQ(combo->GetText(), L"Fast");
    // The control sits in the button's gap on the bar.
    RECT item;
    bar.SendMessage(TB_GETITEMRECT, i, (LPARAM)&item);
    CRect comboRect;
    combo->GetComboBox()->GetWindowRect(&comboRect);
    bar.ScreenToClient(&comboRect);
    EXPECT_EQ(comboRect.left, item.left);

    g_log.clear();
    // What the control sends its parent when the user picks an item.
    combo->GetComboBox()->SetCurSel(2);
    bar.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOL_COMBO, CBN_SELENDOK), (LPARAM)combo->GetComboBox()->m_hWnd);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0], "app:selendok");
    EXPECT_STREQ(combo->GetText(), L"Slow");
    g_log.clear();
    EXPECT_TRUE(combo->SelectItem(1));
    EXPECT_EQ(g_log.size(), 1u);
    EXPECT_STREQ(combo->GetText(), L"Normal");
    EXPECT_FALSE(combo->SelectItem(7));
}

TEST(ToolkitFrame, MenuButtonDropsItsOwnCopyOfTheMenu) {
    CBCGPToolBar& bar = g_frame->m_wndToolBarB;
    CBCGPToolbarButton* b = bar.GetButton(0);
    ASSERT_TRUE(b);
    ASSERT_TRUE(b->GetDropMenu());   // the menu given was destroyed with its CMenu
    EXPECT_EQ(GetMenuItemCount(b->GetDropMenu()), 2);
    EXPECT_EQ(GetMenuItemID(b->GetDropMenu(), 1), (UINT)ID_DROP_TWO);
    TBBUTTON tb = {};
    bar.SendMessage(TB_GETBUTTON, 0, (LPARAM)&tb);
    EXPECT_TRUE(tb.fsStyle & BTNS_WHOLEDROPDOWN);
    EXPECT_EQ(tb.iBitmap, CImageHash::GetImageOfCommand(ID_TOOL_MENU));
    // Opening it and choosing the second item runs that command.
    SetTimer(nullptr, 0, 200, ChooseSecondItem);
    SetTimer(nullptr, 0, 3000, CloseMenu);
    g_log.clear();
    bar.DropDown(0);
    Pump();
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0], "frame:drop:" + std::to_string(ID_DROP_TWO));
}

TEST(ToolkitFrame, PopupMenuRunsTheChosenCommandAndDestroysItsMenu) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_DROPMENU));
    HMENU popup = GetSubMenu(menu.m_hMenu, 0);
    RemoveMenu(menu.m_hMenu, 0, MF_BYPOSITION);   // the popup now belongs to the toolkit
    SetTimer(nullptr, 0, 200, ChooseSecondItem);
    SetTimer(nullptr, 0, 3000, CloseMenu);
    g_log.clear();
    CBCGPPopupMenu* pm = new CBCGPPopupMenu;   // deletes itself
    EXPECT_TRUE(pm->Create(g_frame, 100, 100, popup, FALSE, TRUE, TRUE));
    Pump();
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0], "frame:drop:" + std::to_string(ID_DROP_TWO));
    EXPECT_FALSE(IsMenu(popup));
    EXPECT_FALSE((new CBCGPPopupMenu)->Create(g_frame, 0, 0, nullptr));
}

TEST(ToolkitFrame, BarsShareAnIdAndUncreatedBarsAreHarmless) {
    EXPECT_EQ(g_frame->m_wndMenuBar.GetDlgCtrlID(), 0xE806);
    EXPECT_EQ(g_frame->m_wndToolBarB.GetDlgCtrlID(), 0xE806);
    CBCGPToolBar never;
    never.EnableCustomizeButton(TRUE, 32770, L"Customize...");
    never.AdjustLayout();
    never.SetExclusiveRowMode(TRUE);
    EXPECT_EQ(never.GetAvailableExpandSize(), 0);
    EXPECT_EQ(never.GetCount(), 0);
    EXPECT_EQ(never.ReplaceButton(ID_TOOL_CHECK, CBCGPToolbarButton(ID_TOOL_CHECK, 0)), 0);
    EXPECT_FALSE(never.LoadToolBar(9999));
    CBCGPStatusBar noStatus;
    EXPECT_FALSE(noStatus.SetPaneText(0, L"x"));
    CBCGPTasksPane noPane;
    EXPECT_EQ(noPane.AddTask(0, L"x", 0, 1), -1);
    g_frame->DockControlBar(&never);
    g_frame->ShowControlBar(&never, TRUE, FALSE, FALSE);
    EXPECT_FALSE(g_frame->DockControlBarLeftOf(&never, &g_frame->m_wndToolBarA));
    EXPECT_FALSE(g_frame->IsDocked(&never));
}

TEST(ToolkitFrame, MDIClientIsWhatDockedBarsLeave) {
    g_frame->RecalcLayout();
    CRect client = g_frame->GetMDIClientRect();
    CRect a = ChildRect(g_frame->m_wndToolBarA.m_hWnd);
    CRect b = ChildRect(g_frame->m_wndToolBarB.m_hWnd);
    CRect status = ChildRect(g_frame->m_wndStatusBar.m_hWnd);
    CRect tasks = ChildRect(g_frame->m_wndTasks.m_hWnd);
    CRect frame;
    g_frame->GetClientRect(&frame);
    // B was placed left of A in A's row.
    EXPECT_EQ(a.top, b.top);
    EXPECT_LE(b.right, a.left);
    EXPECT_EQ(b.left, 0);
    EXPECT_GT(a.Height(), 10);
    EXPECT_EQ(status.bottom, frame.bottom);
    EXPECT_GE(client.top, a.bottom);
    EXPECT_LE(client.bottom, status.top);
    EXPECT_EQ(tasks.left, 0);
    EXPECT_EQ(tasks.Width(), 220);
    EXPECT_EQ(client.left, tasks.right);
    EXPECT_EQ(client.right, frame.right);
    EXPECT_TRUE(g_frame->IsDocked(&g_frame->m_wndTasks));

    // A hidden bar gives its room back.
    g_frame->ShowControlBar(&g_frame->m_wndTasks, FALSE, FALSE, FALSE);
    EXPECT_EQ(g_frame->GetMDIClientRect().left, 0);
    g_frame->ShowControlBar(&g_frame->m_wndTasks, TRUE, FALSE, FALSE);
    EXPECT_EQ(g_frame->GetMDIClientRect().left, 220);
}

TEST(ToolkitTasksPane, TasksSendCommandsAndCollapsedGroupsMoveTheNextUp) {
    CBCGPTasksPane& pane = g_frame->m_wndTasks;
    ASSERT_EQ(pane.GetGroupCount(), 2);
    g_log.clear();
    HWND task = pane.GetTaskWnd(g_frame->m_tasksGroup, 0);
    ASSERT_TRUE(task);
    SendMessageW(task, BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0], "frame:task");

    // The hosted dialog and its slider live in the second group.
    HWND dlg = g_frame->m_dlgSlider.m_hWnd;
    EXPECT_EQ(GetParent(dlg), pane.m_hWnd);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(g_frame->m_dlgSlider.m_slider.GetPos(), 40);

    CRect before = pane.GetGroupRect(g_frame->m_adjustGroup);
    SendMessageW(pane.GetGroupCaptionWnd(g_frame->m_tasksGroup), BM_CLICK, 0, 0);   // collapse by a click
    Pump();
    EXPECT_TRUE(pane.IsGroupCollapsed(g_frame->m_tasksGroup));
    EXPECT_FALSE(IsWindowVisible(task));
    CRect after = pane.GetGroupRect(g_frame->m_adjustGroup);
    EXPECT_EQ(before.top - after.top, 20);   // the task row's height
    CRect caption = ChildRect(pane.GetGroupCaptionWnd(g_frame->m_adjustGroup));
    MapWindowPoints(g_frame->m_hWnd, pane.m_hWnd, reinterpret_cast<POINT*>(&caption), 2);
    EXPECT_EQ(caption.top, after.top);

    pane.CollapseAllGroups();
    EXPECT_FALSE(IsWindowVisible(dlg));
    pane.CollapseGroup(g_frame->m_adjustGroup, FALSE);
    pane.CollapseGroup(g_frame->m_tasksGroup, FALSE);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(pane.GetGroupRect(g_frame->m_adjustGroup).top, before.top);
    EXPECT_FALSE(pane.CollapseGroup(9));
}

TEST(ToolkitTabs, ActiveTabFollowsTheActiveChildAndIsReportedOnce) {
    g_changeActiveTab = 0;
    CDocument* d1 = g_template->OpenDocumentFile(nullptr);
    Pump();
    CDocument* d2 = g_template->OpenDocumentFile(nullptr);
    Pump();
    ASSERT_TRUE(d1 && d2);
    EXPECT_EQ(g_changeActiveTab, 2);   // each new child became the active one
    HWND tabs = g_frame->GetMDITabsWnd();
    ASSERT_TRUE(tabs);
    EXPECT_TRUE(IsWindowVisible(tabs));
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
    // The tab strip sits above the MDI client.
    EXPECT_EQ(ChildRect(tabs).bottom, g_frame->GetMDIClientRect().top);

    CBCGPMDIChildWnd* first = g_frame->GetTabbedChild(0);
    ASSERT_TRUE(first);
    g_changeActiveTab = 0;
    g_frame->MDIActivate(first);
    Pump();
    EXPECT_EQ(g_changeActiveTab, 1);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
    wchar_t label[64] = L"";
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = label;
    item.cchTextMax = 64;
    SendMessageW(tabs, TCM_GETITEMW, 0, (LPARAM)&item);
    CString title;
    first->GetWindowText(title);
    EXPECT_STREQ(label, (LPCWSTR)title);

    // Choosing a tab activates its child.
    g_changeActiveTab = 0;
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR nm = {tabs, (UINT_PTR)GetDlgCtrlID(tabs), (UINT)TCN_SELCHANGE};
    g_frame->SendMessage(WM_NOTIFY, nm.idFrom, (LPARAM)&nm);
    Pump();
    EXPECT_EQ(g_frame->MDIGetActive(), g_frame->GetTabbedChild(1));
    EXPECT_EQ(g_changeActiveTab, 1);

    // A right click on the strip asks the frame for the tab menu; with one
    // tab group only, it allows no new group.
    g_log.clear();
    NMHDR rclick = {tabs, (UINT_PTR)GetDlgCtrlID(tabs), (UINT)NM_RCLICK};
    g_frame->SendMessage(WM_NOTIFY, rclick.idFrom, (LPARAM)&rclick);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0], "tabmenu:0");

    // Closing both: once per change, the last one to no active child.
    g_changeActiveTab = 0;
    d2->OnCloseDocument();
    Pump();
    EXPECT_EQ(g_changeActiveTab, 1);
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 1);
    d1->OnCloseDocument();
    Pump();
    EXPECT_EQ(g_changeActiveTab, 2);
    EXPECT_EQ(g_frame->GetTabbedChildCount(), 0);
    EXPECT_FALSE(IsWindowVisible(tabs));
}

TEST(ToolkitWorkspace, StateIsWrittenUnderTheBaseAndCleanStateRemovesIt) {
    CString section = theApp.GetRegSectionPath();
    EXPECT_STREQ((LPCWSTR)section, L"Software\\Veltrane Toolkit Test\\ToolkitSample\\Settings\\");
    EXPECT_EQ(theApp.m_preLoad, 1);   // from LoadFrame
    EXPECT_TRUE(theApp.WriteInt(L"ApplicationLook", 32838));
    EXPECT_EQ(ReadDword(section, L"ApplicationLook"), 32838u);
    EXPECT_EQ(theApp.GetInt(L"ApplicationLook", 5), 32838);
    EXPECT_EQ(theApp.GetInt(L"Missing", 5), 5);

    CDocument* doc = g_template->OpenDocumentFile(nullptr);
    Pump();
    ASSERT_TRUE(doc);
    EXPECT_TRUE(theApp.SaveState(g_frame));
    EXPECT_TRUE(g_frame->SaveMDIState(section));
    CString bar;
    bar.Format(L"%sControlBar-%u", (LPCWSTR)section, 32826u);
    EXPECT_EQ(ReadDword(bar, L"Visible"), 1u);
    EXPECT_EQ(ReadDword(section + L"MDIState", L"Count"), 1u);
    EXPECT_EQ(ReadDword(section + L"MDIState", L"Active"), 0u);
    // Restoring asks the frame to open each saved document.
    g_log.clear();
    EXPECT_TRUE(g_frame->LoadMDIState(section));
    ASSERT_EQ(g_log.size(), 1u);
    std::wstring title = (LPCWSTR)doc->GetTitle();
    EXPECT_EQ(g_log[0], "restore:" + std::string(title.begin(), title.end()));
    EXPECT_FALSE(g_frame->LoadMDIState(L"Software\\Veltrane Toolkit Test\\Nowhere"));
    doc->OnCloseDocument();
    Pump();

    // The application's own profile next to the base is kept.
    EXPECT_TRUE(theApp.WriteProfileInt(L"Own", L"Value", 3));
    EXPECT_TRUE(theApp.CleanState());
    EXPECT_FALSE(KeyExists(section));
    EXPECT_EQ(theApp.GetProfileInt(L"Own", L"Value", 0), 3u);
    EXPECT_TRUE(theApp.CleanState());   // nothing left to delete is fine

    // Without a base nothing is deleted.
    CBCGPWorkspace bare;
    EXPECT_FALSE(bare.CleanState());
    EXPECT_TRUE(KeyExists(L"Software\\Veltrane Toolkit Test\\ToolkitSample"));
}

TEST(ToolkitLook, VisualManagerChoiceIsObservable) {
    struct Case { CRuntimeClass* cls; };
    const Case cases[] = {{RUNTIME_CLASS(CBCGPVisualManager)},      {RUNTIME_CLASS(CBCGPVisualManagerXP)},
                          {RUNTIME_CLASS(CBCGPVisualManager2003)},  {RUNTIME_CLASS(CBCGPWinXPVisualManager)},
                          {RUNTIME_CLASS(CBCGPVisualManagerVS2005)}, {RUNTIME_CLASS(CBCGPVisualManager2007)},
                          {RUNTIME_CLASS(CBCGPVisualManagerVS2008)}};
    // A new look repaints the frame's bars; a refused one leaves them be.
    HWND bar = g_frame->m_wndToolBarA.m_hWnd;
    auto painted = [&] {
        RedrawWindow(g_frame->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return GetUpdateRect(bar, nullptr, FALSE) == FALSE;
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(painted());
        CBCGPVisualManager::SetDefaultManager(c.cls);
        EXPECT_EQ(CBCGPVisualManager::GetInstance()->GetRuntimeClass(), c.cls);
        EXPECT_TRUE(GetUpdateRect(bar, nullptr, FALSE)) << c.cls->m_lpszClassName;
    }
    // Not a visual manager: the current one stays.
    ASSERT_TRUE(painted());
    CBCGPVisualManager::SetDefaultManager(RUNTIME_CLASS(CBCGPToolbarButton));
    EXPECT_EQ(CBCGPVisualManager::GetInstance()->GetRuntimeClass(), RUNTIME_CLASS(CBCGPVisualManagerVS2008));
    EXPECT_FALSE(GetUpdateRect(bar, nullptr, FALSE));
    EXPECT_TRUE(CBCGPVisualManager2007::SetStyle(CBCGPVisualManager2007::VS2007_Silver));
    EXPECT_EQ(CBCGPVisualManager2007::GetStyle(), CBCGPVisualManager2007::VS2007_Silver);
    EXPECT_FALSE(CBCGPVisualManager2007::SetStyle((CBCGPVisualManager2007::Style)9));
    CBCGPDockManager::SetDockMode(BCGP_DT_SMART);
    EXPECT_EQ(CBCGPDockManager::GetDockMode(), 128u);
    CBCGPVisualManager::SetDefaultManager(RUNTIME_CLASS(CBCGPVisualManager2007));
}

TEST(ToolkitWorkspace, ManagersComeAndGoWithCleanUp) {
    ASSERT_TRUE(theApp.GetContextMenuManager());
    EXPECT_TRUE(theApp.GetContextMenuManager()->AddMenu(L"Drop", IDR_DROPMENU));
    EXPECT_FALSE(theApp.GetContextMenuManager()->AddMenu(L"Missing", 9999));
    EXPECT_TRUE(theApp.GetContextMenuManager()->GetMenuByName(L"Drop"));
    EXPECT_FALSE(theApp.GetContextMenuManager()->GetMenuByName(L"Missing"));
    EXPECT_EQ(theApp.GetTooltipManager()->GetTooltipClass(), RUNTIME_CLASS(CBCGPToolTipCtrl));
    EXPECT_TRUE(theApp.GetTooltipManager()->GetParams().m_bVislManagerTheme);
    BCGCBProCleanUp();
    BCGCBProCleanUp();   // twice is harmless
    EXPECT_FALSE(g_pContextMenuManager);
    EXPECT_FALSE(g_pTooltipManager);
    // The look falls back to the plain manager.
    EXPECT_EQ(CBCGPVisualManager::GetInstance()->GetRuntimeClass(), RUNTIME_CLASS(CBCGPVisualManager));
    EXPECT_TRUE(theApp.InitContextMenuManager());
    EXPECT_TRUE(g_pContextMenuManager);
}

TEST(ToolkitLanguage, LanguageLibraryTextsReachTheCustomizeDialog) {
    EXPECT_STREQ((LPCWSTR)ToolkitLoadString(IDS_TK_RESET), L"Reset");
    struct Case { LPCWSTR dll; LPCWSTR reset; LPCWSTR caption; };
    const Case cases[] = {{L"BCGCBProResDEU.dll", L"Zur\u00fccksetzen", L"Anpassen"},
                          {L"BCGCBProResFRA.dll", L"R\u00e9initialiser", L"Personnaliser"},
                          {L"BCGCBProResCHS.dll", L"\u91cd\u7f6e", L"\u81ea\u5b9a\u4e49"},
                          {L"BCGCBProResJPN.dll", L"\u30ea\u30bb\u30c3\u30c8", L"\u30e6\u30fc\u30b6\u30fc\u8a2d\u5b9a"},
                          {L"BCGCBProResKOR.dll", L"\ub2e4\uc2dc \uc124\uc815", L"\uc0ac\uc6a9\uc790 \uc9c0\uc815"},
                          {L"BCGCBProResPLK.dll", L"Resetuj", L"Dostosuj"}};
    for (const Case& c : cases) {
        HINSTANCE h = LoadLibraryW(c.dll);
        ASSERT_TRUE(h) << "a language library is missing";
        BCGCBProSetResourceHandle(h);
        EXPECT_STREQ((LPCWSTR)ToolkitLoadString(IDS_TK_RESET), c.reset);
        CBCGPToolbarCustomize* dlg = new CBCGPToolbarCustomize(g_frame, TRUE, 15);
        ASSERT_TRUE(dlg->Create());
        HWND hwnd = dlg->m_hWnd;
        wchar_t text[128] = L"";
        GetWindowTextW(hwnd, text, 128);
        EXPECT_STREQ(text, c.caption);
        GetDlgItemTextW(hwnd, CBCGPToolbarCustomize::IDC_RESET, text, 128);
        EXPECT_STREQ(text, c.reset);
        SendMessageW(hwnd, WM_CLOSE, 0, 0);   // deletes itself
        EXPECT_FALSE(IsWindow(hwnd));
        BCGCBProSetResourceHandle(nullptr);
        FreeLibrary(h);
    }
}

TEST(ToolkitCustomize, ResetRestoresTheBarAndTellsTheFrame) {
    CBCGPToolBar& bar = g_frame->m_wndToolBarB;
    CBCGPToolbarCustomize* dlg = new CBCGPToolbarCustomize(g_frame, TRUE, 15);
    ASSERT_TRUE(dlg->Create());
    HWND list = GetDlgItem(dlg->m_hWnd, CBCGPToolbarCustomize::IDC_TOOLBARS);
    int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    EXPECT_EQ(count, 2);
    int found = -1;
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = L"";
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, i, (LPARAM)&item);
        if (std::wstring(text) == L"Toolbar B") found = i;
    }
    ASSERT_GE(found, 0);
    ListView_SetItemState(list, found, LVIS_SELECTED, LVIS_SELECTED);
    g_resetToolbarId = 0;
    SendMessageW(GetDlgItem(dlg->m_hWnd, CBCGPToolbarCustomize::IDC_RESET), BM_CLICK, 0, 0);
    EXPECT_EQ(g_resetToolbarId, (UINT)IDR_TOOLBAR_B);
    // The menu button is back to a plain one, as the resource has it.
    EXPECT_FALSE(bar.GetButton(0)->GetDropMenu());
    // Clearing a bar's check hides it, checking shows it again.
    ListView_SetCheckState(list, found, FALSE);
    EXPECT_FALSE(bar.IsWindowVisible());
    ListView_SetCheckState(list, found, TRUE);
    EXPECT_TRUE(bar.IsWindowVisible());
    SendMessageW(GetDlgItem(dlg->m_hWnd, CBCGPToolbarCustomize::IDC_CLOSEBTN), BM_CLICK, 0, 0);
    // Put the menu button back for the screenshot.
    CMenu menu;
    menu.LoadMenu(IDR_DROPMENU);
    EXPECT_EQ(bar.ReplaceButton(ID_TOOL_MENU, CBCGPToolbarMenuButton(ID_TOOL_MENU, menu.GetSubMenu(0)->m_hMenu, 0)), 1);
}

TEST(ToolkitFrame, FullScreenTogglesBarsAndSize) {
    CRect before;
    g_frame->GetWindowRect(&before);
    g_frame->ShowFullScreen();
    Pump();
    EXPECT_TRUE(g_frame->IsFullScreen());
    EXPECT_FALSE(g_frame->m_wndToolBarA.IsWindowVisible());
    EXPECT_FALSE(g_frame->m_wndTasks.IsWindowVisible());
    EXPECT_FALSE(g_frame->GetStyle() & WS_CAPTION);
    CRect full;
    g_frame->GetWindowRect(&full);
    EXPECT_EQ(full.Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(g_frame->GetMDIClientRect().left, 0);
    g_frame->ShowFullScreen();
    Pump();
    EXPECT_FALSE(g_frame->IsFullScreen());
    EXPECT_TRUE(g_frame->m_wndToolBarA.IsWindowVisible());
    EXPECT_TRUE(g_frame->GetStyle() & WS_CAPTION);
    CRect after;
    g_frame->GetWindowRect(&after);
    EXPECT_EQ(after, before);
}

TEST(ToolkitControls, ButtonsAndDialogColours) {
    CBCGPButton::EnableWinXPTheme(FALSE);
    EXPECT_FALSE(CBCGPButton::IsWinXPThemeEnabled());
    CBCGPButton button;
    ASSERT_TRUE(button.Create(L"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 60, 24), &g_frame->m_dlgSlider, 77));
    EXPECT_TRUE(button.SetImage(IDB_ICONS));
    EXPECT_TRUE(button.GetImage());
    EXPECT_FALSE(button.SetImage(9999));
    EXPECT_TRUE(button.GetImage());   // a missing bitmap leaves the image
    // The first icon's magenta face is drawn left of the text.
    button.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC bdc = GetDC(button.m_hWnd);
    COLORREF icon = GetPixel(bdc, 4 + 7, 12);
    ReleaseDC(button.m_hWnd, bdc);
    EXPECT_EQ(icon, RGB(255, 0, 255)) << std::hex << icon;
    button.SetTooltip(L"Run it");
    EXPECT_STREQ((LPCWSTR)button.GetTooltip(), L"Run it");
    button.SetMouseCursorHand();
    button.DestroyWindow();

    static CString opened;
    CBCGPURLLinkButton::SetTestOpenHook([](LPCWSTR url) { opened = url; });
    CBCGPURLLinkButton link;
    ASSERT_TRUE(link.Create(L"example", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 30, 60, 50), &g_frame->m_dlgSlider, 78));
    link.SetURL(L"https://example.invalid/");
    link.SendMessage(BM_CLICK);
    EXPECT_STREQ((LPCWSTR)opened, L"https://example.invalid/");
    link.DestroyWindow();
    CBCGPURLLinkButton::SetTestOpenHook(nullptr);
    CBCGPButton::EnableWinXPTheme(TRUE);

    // The dialog answers its colour messages with the visual manager's face.
    HDC dc = GetDC(g_frame->m_dlgSlider.m_hWnd);
    HBRUSH br = (HBRUSH)g_frame->m_dlgSlider.SendMessage(WM_CTLCOLORDLG, (WPARAM)dc, (LPARAM)g_frame->m_dlgSlider.m_hWnd);
    ReleaseDC(g_frame->m_dlgSlider.m_hWnd, dc);
    EXPECT_EQ(br, CBCGPVisualManager::GetInstance()->GetFaceBrush());
}

// Last: the whole sample laid out, saved under the build tree.
TEST(ToolkitScreenshot, SampleFrameIsLaidOutSensibly) {
    CDocument* doc = g_template->OpenDocumentFile(nullptr);
    ASSERT_TRUE(doc);
    // Other programs share the display: the frame stays above them while it is read.
    SetWindowPos(g_frame->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    g_frame->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    Pump();
    CRect wr;
    g_frame->GetWindowRect(&wr);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = wr.Width();
    bi.bmiHeader.biHeight = -wr.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, wr.Width(), wr.Height(), screen, wr.left, wr.top, SRCCOPY);
    SelectObject(mem, old);
    SetWindowPos(g_frame->m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto pixel = [&](POINT clientPt) {
        POINT p = clientPt;
        ClientToScreen(g_frame->m_hWnd, &p);
        const DWORD* px = static_cast<const DWORD*>(bits);
        DWORD v = px[(p.y - wr.top) * wr.Width() + (p.x - wr.left)];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    };
    // A toolbar button's red face, the view's near-white inside the MDI client.
    CBCGPToolBar& bar = g_frame->m_wndToolBarA;
    RECT item;
    bar.SendMessage(TB_GETITEMRECT, 0, (LPARAM)&item);
    POINT mid = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    MapWindowPoints(bar.m_hWnd, g_frame->m_hWnd, &mid, 1);
    COLORREF face = pixel(mid);
    EXPECT_GT(GetRValue(face), 150) << std::hex << face;
    EXPECT_LT(GetGValue(face), 100) << std::hex << face;
    // Past the bar's last button the dock area shows the face colour, not black.
    int count = (int)bar.SendMessage(TB_BUTTONCOUNT);
    RECT last;
    bar.SendMessage(TB_GETITEMRECT, count - 1, (LPARAM)&last);
    RECT barClient;
    bar.GetClientRect(&barClient);
    ASSERT_GT(barClient.right, last.right + 8);
    POINT beyond = {barClient.right - 4, (last.top + last.bottom) / 2};
    MapWindowPoints(bar.m_hWnd, g_frame->m_hWnd, &beyond, 1);
    COLORREF dock = pixel(beyond);
    EXPECT_EQ(dock, GetSysColor(COLOR_BTNFACE)) << std::hex << dock;
    CRect client = g_frame->GetMDIClientRect();
    COLORREF view = pixel(POINT{client.CenterPoint().x, client.CenterPoint().y});
    EXPECT_EQ(view, RGB(250, 250, 250)) << std::hex << view;

    // Saved as a bottom-up 24-bit BMP.
    FILE* f = _wfopen(L"toolkit_sample.bmp", L"wb");
    ASSERT_TRUE(f);
    int w = wr.Width(), h = wr.Height(), row = (w * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + row * h;
    BITMAPINFOHEADER ih = bi.bmiHeader;
    ih.biHeight = h;
    ih.biBitCount = 24;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&ih, sizeof ih, 1, f);
    std::vector<BYTE> line(row);
    for (int y = h - 1; y >= 0; --y) {
        const DWORD* src = static_cast<const DWORD*>(bits) + y * w;
        for (int x = 0; x < w; ++x) {
            line[x * 3] = src[x] & 0xFF;
            line[x * 3 + 1] = (src[x] >> 8) & 0xFF;
            line[x * 3 + 2] = (src[x] >> 16) & 0xFF;
        }
        fwrite(line.data(), row, 1, f);
    }
    fclose(f);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    doc->OnCloseDocument();
    Pump();
}

}  // namespace
