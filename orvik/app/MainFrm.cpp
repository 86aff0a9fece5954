#include "MainFrm.h"
#include "CaptureSetDlg.h"
#include "RecordDlg.h"
#include "LiveFlip.h"
#include "OrvikApp.h"
#include "OrvikDoc.h"
#include "OrvikView.h"
#include "VideoWnd.h"
#include "OzuFreeView.h"
#include "Resource.h"
#include <Globals.h>
#include <Hestral.h>
#include <Trevlo.h>

IMPLEMENT_DYNAMIC(CMainFrame, CBCGPMDIFrameWnd)

// The auto-focus program's main window, asked to close with the frame.
const wchar_t kTolmiraWindowTitle[] = L"Tolmira Auto Focus";

namespace {
constexpr DWORD kToolBarStyle =
    WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
constexpr DWORD kCamPaneStyle = 0x56001409;   // child, visible, clip siblings/children, left, hidden in place
constexpr DWORD kCamPaneDocking = 0x1400;     // the left side only

const UINT kIndicators[] = {
    ID_SEPARATOR, ID_INDICATOR_FILE, ID_INDICATOR_DIMENSIONS, ID_INDICATOR_BPP, ID_INDICATOR_ZOOM,
    ID_INDICATOR_MEMORY, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL,
};

CString Text(UINT id) {
    CString s;
    s.LoadString(id);
    return s;
}


void SetToolTipParams() {
    if (CBCGPTooltipManager* tips = theApp.GetTooltipManager()) {
        CBCGPToolTipParams params;
        params.m_bVislManagerTheme = TRUE;
        tips->SetTooltipParams(BCGP_TOOLTIP_TYPE_ALL, RUNTIME_CLASS(CBCGPToolTipCtrl), &params);
    }
}
}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CBCGPMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_PREVIEW_CAMERA, OnPreviewCamera)
    ON_UPDATE_COMMAND_UI(ID_PREVIEW_CAMERA, OnUpdatePreviewCamera)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
    ON_COMMAND(ID_WINDOW_MANAGER, OnWindowManager)
    ON_COMMAND(ID_VIEW_CUSTOMIZE, OnViewCustomize)
    // The bars are listed, and shown or hidden, in the customization dialog.
    ON_COMMAND(ID_VIEW_TOOLBARS, OnViewCustomize)
    ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateViewStatusBar)
    ON_REGISTERED_MESSAGE(BCGM_RESETTOOLBAR, OnToolbarReset)
    ON_COMMAND_RANGE(ID_VIEW_APPLOOK_2000, ID_VIEW_APPLOOK_VS2008, OnApplicationLook)
    ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_APPLOOK_2000, ID_VIEW_APPLOOK_VS2008, OnUpdateApplicationLook)
    ON_COMMAND(ID_MDI_MOVE_TO_NEXT_GROUP, OnMoveToNextGroup)
    ON_COMMAND(ID_MDI_MOVE_TO_PREV_GROUP, OnMoveToPrevGroup)
    ON_COMMAND(ID_MDI_NEW_HORZ_TAB_GROUP, OnNewHorzTabGroup)
    ON_COMMAND(ID_MDI_NEW_VERT_GROUP, OnNewVertTabGroup)
    ON_COMMAND(ID_MDI_CANCEL, OnMdiCancel)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_COMMAND(ID_VIEW_FULLSCREEN, OnViewFullScreen)
    ON_WM_CLOSE()
    ON_REGISTERED_MESSAGE(BCGM_CHANGE_ACTIVE_TAB, OnChangeActiveTab)
    ON_COMMAND(ID_HELP_MANUAL, OnHelp)
    ON_UPDATE_COMMAND_UI_RANGE(ID_INDICATOR_MEMORY, ID_INDICATOR_FILE, OnUpdateIndicator)
    ON_UPDATE_COMMAND_UI(ID_FILE_NEW, OnUpdateFileNew)
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
    : m_pCustomizeDlg(nullptr), m_nAppLook(ID_VIEW_APPLOOK_2007), m_nResolutionFlag(0), m_bLed(1), m_bHalogen(0) {
    m_nAppLook = (UINT)theApp.GetInt(L"ApplicationLook", ID_VIEW_APPLOOK_2007);
}

CMainFrame::~CMainFrame() {
    // The customization dialog deletes itself once its window is gone.
    if (CBCGPToolbarCustomize* dlg = CBCGPToolbarCustomize::GetActive()) dlg->DestroyWindow();
    m_pCustomizeDlg = nullptr;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (OrvikIsArabicLangId((LANGID)theApp.m_nLangId)) cs.dwExStyle |= WS_EX_LAYOUTRTL;
    if (!CBCGPMDIFrameWnd::PreCreateWindow(cs)) return FALSE;
    m_strTitle = g_szLogoTitle;
    cs.lpszName = g_szLogoTitle;
    return TRUE;
}

BOOL CMainFrame::CreateToolBar(CBCGPToolBar& bar, UINT nID, UINT nResID) {
    return bar.CreateEx(this, TBSTYLE_FLAT, kToolBarStyle, CRect(1, 1, 1, 1), nID) && bar.LoadToolBar(nResID);
}

void CMainFrame::SetBarTitle(CBCGPToolBar& bar, UINT nStringID) { bar.SetWindowText(Text(nStringID)); }

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CBCGPMDIFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
    ::OutputDebugStringW(L"CMainFrame::OnCreate");

    CBCGPToolBar::EnableQuickCustomization();
    SetToolTipParams();

    CList<UINT, UINT> basic;
    const UINT basicCommands[] = {
        ID_VIEW_TOOLBARS, ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT, ID_APP_EXIT, ID_EDIT_CUT,
        ID_EDIT_PASTE, ID_EDIT_UNDO, ID_EDIT_REDO, ID_APP_ABOUT, ID_VIEW_TOOLBAR, ID_VIEW_CUSTOMIZE,
        ID_WINDOW_TILE_HORZ,
    };
    for (UINT id : basicCommands) basic.AddTail(id);
    for (UINT id = ID_VIEW_APPLOOK_2000; id <= ID_VIEW_APPLOOK_VS2008; ++id) basic.AddTail(id);
    CBCGPToolBar::SetBasicCommands(basic);

    if (!m_wndMenuBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_HIDE_INPLACE, ID_BAR_MENU))
        return -1;
    m_wndMenuBar.SetBarStyle(m_wndMenuBar.GetBarStyle() | CBRS_SIZE_DYNAMIC);

    if (!CreateToolBar(m_wndToolBar, ID_BAR_CAMERA, IDR_TOOLBAR_CAMERA)) return -1;
    CBCGPToolBar::ResetAllImages();
    m_wndToolBar.LoadBitmap(IDB_TOOLBAR_EXTRA1);
    if (!CreateToolBar(m_wndProcessingBar, ID_BAR_PROCESSING, IDR_TOOLBAR_PROCESSING)) return -1;
    if (!CreateToolBar(m_wndMeasurementBar, ID_BAR_MEASUREMENT, IDR_TOOLBAR_MEASUREMENT)) return -1;
    if (g_CamType == kCamMarrowin) {
        if (!CreateToolBar(m_wndLogicBar, ID_BAR_LOGIC, IDR_TOOLBAR_LOGIC)) return -1;
        if (!CreateToolBar(m_wndRealtimeBar, ID_BAR_REALTIME, IDR_TOOLBAR_REALTIME)) return -1;
        m_wndLogicBar.LoadBitmap(IDB_TOOLBAR_EXTRA2);
        m_wndRealtimeBar.LoadBitmap(IDB_TOOLBAR_EXTRA3);
        SetBarTitle(m_wndRealtimeBar, IDS_TOOLBAR_REALTIME);
        SetBarTitle(m_wndToolBar, IDS_TOOLBAR_CAMERA);
        SetBarTitle(m_wndLogicBar, IDS_TOOLBAR_LOGIC);
    }
    SetBarTitle(m_wndToolBar, IDS_TOOLBAR_CAMERA);
    SetBarTitle(m_wndProcessingBar, IDS_TOOLBAR_PROCESSING);
    SetBarTitle(m_wndMeasurementBar, IDS_TOOLBAR_MEASUREMENT);
    PrepareResolutionCombo();

    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, ID_BAR_STATUS) ||
        !m_wndStatusBar.SetIndicators(kIndicators, (int)(sizeof kIndicators / sizeof kIndicators[0])))
        return -1;
    m_wndStatusBar.SetPaneInfo(0, 0, SBPS_NORMAL, 150);

    if (!CreateTaskPane()) return -1;

    m_wndMenuBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndProcessingBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndMeasurementBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndCamPane.EnableDocking(kCamPaneDocking);
    EnableDocking(CBRS_ALIGN_ANY);
    EnableAutoHideBars(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndMenuBar);
    DockControlBar(&m_wndToolBar);
    if (g_CamType == kCamMarrowin) {
        m_wndLogicBar.EnableDocking(CBRS_ALIGN_ANY);
        m_wndRealtimeBar.EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndLogicBar);
        DockControlBar(&m_wndRealtimeBar);
        DockControlBarLeftOf(&m_wndLogicBar, &m_wndRealtimeBar);
        DockControlBarLeftOf(&m_wndToolBar, &m_wndLogicBar);
    }
    DockControlBar(&m_wndProcessingBar);
    DockControlBarLeftOf(&m_wndMeasurementBar, &m_wndProcessingBar);
    DockControlBar(&m_wndCamPane);

    const CString customize = Text(IDS_TOOLBAR_CUSTOMIZE);
    m_wndToolBar.EnableCustomizeButton(TRUE, ID_VIEW_CUSTOMIZE, customize);
    if (g_CamType == kCamMarrowin) {
        m_wndLogicBar.EnableCustomizeButton(TRUE, ID_VIEW_CUSTOMIZE, customize);
        m_wndRealtimeBar.EnableCustomizeButton(TRUE, ID_VIEW_CUSTOMIZE, customize);
    }
    EnableControlBarMenu(TRUE, ID_VIEW_CUSTOMIZE, customize, ID_VIEW_TOOLBARS);

    OnToolbarReset(IDR_TOOLBAR_REALTIME, 0);
    EnableFullScreenMode(ID_VIEW_FULLSCREEN);
    OnApplicationLook(m_nAppLook);

    ::OutputDebugStringW(L"CMainFrame::OnCreate///");
    return 0;
}

// The resolution combo box of the J-series cameras, prepared with its sizes;
// no toolbar places it yet.
void CMainFrame::PrepareResolutionCombo() {
    if (!IsUvcCamera()) return;
    CBCGPToolbarComboBoxButton combo(ID_RESOLUTION_COMBO, CImageHash::GetImageOfCommand(ID_RESOLUTION_COMBO),
                                     CBS_DROPDOWNLIST);
    combo.AddItem(L"1280 X 1024");
    if (g_CamSubType >= 6) combo.AddItem(L"2048 X 1536");
    if (g_CamSubType == 7) combo.AddItem(L"2592 X 1944");
    combo.SelectItem(0, FALSE);
}

BOOL CMainFrame::CreateTaskPane() {
    return m_wndCamPane.Create(Text(IDS_CAMERA_PANE), this, CRect(0, 0, 240, 400), TRUE, ID_VIEW_CAMPANE,
                               kCamPaneStyle, 32, 15);
}

LRESULT CMainFrame::OnToolbarReset(WPARAM wParam, LPARAM) {
    struct DropDown { UINT toolbar; UINT command; UINT menu; CBCGPToolBar* bar; BOOL adjust; };
    const DropDown drops[] = {
        {IDR_TOOLBAR_REALTIME, ID_REALTIME_DROPDOWN, IDR_REALTIME_MENU, &m_wndRealtimeBar, FALSE},
        {IDR_TOOLBAR_LOGIC, ID_LOGIC_DROPDOWN, IDR_LOGIC_MENU, &m_wndLogicBar, TRUE},
    };
    for (const DropDown& d : drops) {
        if (d.toolbar != (UINT)wParam) continue;
        if (d.toolbar == IDR_TOOLBAR_LOGIC && g_CamType != kCamMarrowin) break;
        CMenu menu;
        if (!menu.LoadMenu(d.menu)) break;
        if (CMenu* sub = menu.GetSubMenu(0))
            d.bar->ReplaceButton(d.command,
                                 CBCGPToolbarMenuButton(d.command, sub->m_hMenu, CImageHash::GetImageOfCommand(d.command)));
        if (d.adjust) d.bar->AdjustLayout();
        break;
    }
    return 0;
}

COrvikDoc* CMainFrame::GetCameraDoc() {
    CMultiDocTemplate* tmpl = theApp.m_pPreviewTemplate;
    if (!tmpl) return nullptr;
    POSITION pos = tmpl->GetFirstDocPosition();
    return pos ? static_cast<COrvikDoc*>(tmpl->GetNextDoc(pos)) : nullptr;
}

void CMainFrame::OnPreviewCamera() {
    COrvikDoc* doc = GetCameraDoc();
    if (!doc) {
        theApp.OnFileNew();
        return;
    }
    if (g_CamType == kCamDirectShow) {
        g_bPreviewRunning = 1;
        g_bPreviewOpen = 1;
        m_wndCamPane.LockVideo(FALSE);
        m_wndCamPane.LockCapture(FALSE);
        m_wndCamPane.LockUvcPanel(FALSE);
        doc->m_bRealtimeEnable = true;
        doc->m_bMaskEnable = true;
        if (CXGraphDll* graph = doc->GetCaptureGraph()) graph->Run();
    } else if (IsHestralCamType() && g_bPreviewStopped) {
        g_bPreviewRunning = 1;
        g_bPreviewOpen = 1;
        g_bPreviewStopped = 0;
        m_wndCamPane.LockVideo(FALSE);
        m_wndCamPane.LockHestralAdjust(FALSE);
        m_wndCamPane.LockCapture(FALSE);
        CameraPlay();
    }
}

void CMainFrame::OnUpdatePreviewCamera(CCmdUI* pCmdUI) {
    BOOL enable = !g_bPreviewRunning && !g_bPreviewOpen;
    if (IsHestralCamType() && g_bPreviewStopped) enable = TRUE;
    pCmdUI->Enable(enable);
}

void CMainFrame::OnUpdateFileSave(CCmdUI* pCmdUI) {
    CMDIChildWnd* child = MDIGetActive();
    CView* view = child ? child->GetActiveView() : nullptr;
    pCmdUI->Enable(view && view->IsKindOf(RUNTIME_CLASS(COzuFreeView)));
}

void CMainFrame::OnUpdateFileNew(CCmdUI* pCmdUI) { pCmdUI->Enable(!g_bPreviewOpen); }

void CMainFrame::OnUpdateIndicator(CCmdUI* pCmdUI) {
    pCmdUI->Enable();
    pCmdUI->SetText(L"");
}

void CMainFrame::OnWindowManager() { ShowWindowsDialog(); }

void CMainFrame::OnViewStatusBar() {
    if (!m_wndStatusBar.GetSafeHwnd()) return;
    m_wndStatusBar.ShowWindow(m_wndStatusBar.IsWindowVisible() ? SW_HIDE : SW_SHOWNOACTIVATE);
    RecalcLayout();
}

void CMainFrame::OnUpdateViewStatusBar(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_wndStatusBar.GetSafeHwnd() && m_wndStatusBar.IsWindowVisible());
}

void CMainFrame::OnViewCustomize() {
    m_pCustomizeDlg = CBCGPToolbarCustomize::GetActive();
    if (m_pCustomizeDlg) {
        m_pCustomizeDlg->SetForegroundWindow();
        return;
    }
    m_pCustomizeDlg = new CBCGPToolbarCustomize(this, TRUE, 15);
    if (!m_pCustomizeDlg->Create()) m_pCustomizeDlg = CBCGPToolbarCustomize::GetActive();
}

void CMainFrame::OnApplicationLook(UINT id) {
    struct Look { UINT id; CRuntimeClass* manager; int style2007; int tabStyle; };
    const Look looks[] = {
        {ID_VIEW_APPLOOK_2000, RUNTIME_CLASS(CBCGPVisualManager), -1, -1},
        {ID_VIEW_APPLOOK_XP, RUNTIME_CLASS(CBCGPVisualManagerXP), -1, -1},
        {ID_VIEW_APPLOOK_2003, RUNTIME_CLASS(CBCGPVisualManager2003), -1, CBCGPTabWnd::STYLE_3D_ONENOTE},
        {ID_VIEW_APPLOOK_WIN_XP, RUNTIME_CLASS(CBCGPWinXPVisualManager), -1, -1},
        {ID_VIEW_APPLOOK_VS2005, RUNTIME_CLASS(CBCGPVisualManagerVS2005), -1, CBCGPTabWnd::STYLE_3D_VS2005},
        {ID_VIEW_APPLOOK_2007, RUNTIME_CLASS(CBCGPVisualManager2007), 0, CBCGPTabWnd::STYLE_3D_ONENOTE},
        {ID_VIEW_APPLOOK_2007_1, RUNTIME_CLASS(CBCGPVisualManager2007), 1, CBCGPTabWnd::STYLE_3D_ONENOTE},
        {ID_VIEW_APPLOOK_2007_2, RUNTIME_CLASS(CBCGPVisualManager2007), 3, CBCGPTabWnd::STYLE_3D_ONENOTE},
        {ID_VIEW_APPLOOK_2007_3, RUNTIME_CLASS(CBCGPVisualManager2007), 2, CBCGPTabWnd::STYLE_3D_ONENOTE},
        {ID_VIEW_APPLOOK_VS2008, RUNTIME_CLASS(CBCGPVisualManagerVS2008), -1, CBCGPTabWnd::STYLE_3D_VS2005},
    };
    const Look* look = nullptr;
    for (const Look& l : looks)
        if (l.id == id) look = &l;
    if (!look) return;

    CWaitCursor wait;
    m_nAppLook = id;
    CBCGPDockManager::SetDockMode(BCGP_DT_SMART);
    if (look->style2007 >= 0) CBCGPVisualManager2007::SetStyle((CBCGPVisualManager2007::Style)look->style2007);
    CBCGPVisualManager::SetDefaultManager(look->manager);
    CBCGPMDITabParams params;
    if (look->tabStyle >= 0) params.m_style = (CBCGPTabWnd::Style)look->tabStyle;
    EnableMDITabbedGroups(TRUE, params);
    m_wndCamPane.RecalcLayout();
    RedrawWindow(nullptr, nullptr, RDW_ALLCHILDREN | RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ERASE);
    theApp.WriteInt(L"ApplicationLook", (int)id);
}

void CMainFrame::OnUpdateApplicationLook(CCmdUI* pCmdUI) { pCmdUI->SetRadio(m_nAppLook == pCmdUI->m_nID); }

void CMainFrame::OnMoveToNextGroup() { MDITabMoveToNextGroup(TRUE); }
void CMainFrame::OnMoveToPrevGroup() { MDITabMoveToNextGroup(FALSE); }
void CMainFrame::OnNewHorzTabGroup() { MDITabNewGroup(FALSE); }
void CMainFrame::OnNewVertTabGroup() { MDITabNewGroup(TRUE); }
void CMainFrame::OnMdiCancel() {}

LRESULT CMainFrame::OnSetText(WPARAM, LPARAM) {
    LRESULT r = DefWindowProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_szLogoTitle));
    Invalidate();
    return r;
}

void CMainFrame::OnViewFullScreen() { ShowFullScreen(); }

void CMainFrame::OnClose() {
    // Each changed still image is offered for saving once; MFC's own prompt
    // must not ask again.
    if (CMultiDocTemplate* tmpl = theApp.m_pStillTemplate) {
        CPtrList docs;
        for (POSITION pos = tmpl->GetFirstDocPosition(); pos;) docs.AddTail(tmpl->GetNextDoc(pos));
        for (POSITION pos = docs.GetHeadPosition(); pos;) {
            CDocument* doc = static_cast<CDocument*>(docs.GetNext(pos));
            doc->SetModifiedFlag(FALSE);
            POSITION vp = doc->GetFirstViewPosition();
            CView* view = vp ? doc->GetNextView(vp) : nullptr;
            COzuFreeView* still = DYNAMIC_DOWNCAST(COzuFreeView, view);
            if (!still || !still->HasUnsavedChanges()) continue;
            UINT type = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2 | MB_TOPMOST | OrvikRtlFlag();
            if (OrvikMessageBox(still->GetSafeHwnd(), Text(IDS_SAVE_IMAGE_PROMPT), Text(IDS_HINT), type) == IDYES)
                still->SaveImage();
            still->m_bSavePrompt = FALSE;
        }
    }
    if (g_bTolmira == 1) {
        if (HWND focus = ::FindWindowW(nullptr, kTolmiraWindowTitle)) ::PostMessageW(focus, WM_CLOSE, 0, 0);
    }
    CBCGPMDIFrameWnd::OnClose();
}

LRESULT CMainFrame::OnChangeActiveTab(WPARAM, LPARAM) {
    CFrameWnd* frame = GetActiveFrame();
    CDocument* doc = frame ? frame->GetActiveDocument() : nullptr;
    if (doc && doc->IsKindOf(RUNTIME_CLASS(COrvikDoc))) {
        BOOL lock = !g_bPreviewRunning;
        m_wndCamPane.LockVideo(lock);
        m_wndCamPane.LockCapture(lock);
        if (g_CamType == kCamDirectShow) m_wndCamPane.LockUvcPanel(lock);
        else if (IsHestralCamType()) m_wndCamPane.LockHestralAdjust(lock);
    } else {
        m_wndCamPane.LockVideo(TRUE);
        m_wndCamPane.LockCapture(TRUE);
        m_wndCamPane.LockUvcPanel(TRUE);
        m_wndCamPane.LockHestralAdjust(TRUE);
    }
    return 0;
}

void CMainFrame::OnHelp() {
    // Beside the program, like setting.ini, whatever the working directory.
    CString manual = g_strAppFolder + (g_bLangChinese ? L"User Manual_Chinese.pdf" : L"User Manual_English.pdf");
    ::ShellExecuteW(m_hWnd, L"open", manual, nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL CMainFrame::OnShowMDITabContextMenu(CPoint point, DWORD dwAllowedItems, BOOL bTabDrop) {
    CMenu menu;
    if (!menu.LoadMenu(bTabDrop ? IDR_POPUP_DROP_MDITABS : IDR_POPUP_MDITABS)) return FALSE;
    HMENU popup = ::GetSubMenu(menu.m_hMenu, 0);
    if (!popup) return FALSE;
    // The popup menu owns and destroys the sub-menu; take it out of its parent first.
    ::RemoveMenu(menu.m_hMenu, 0, MF_BYPOSITION);
    const struct { DWORD flag; UINT command; } items[] = {
        {BCGP_MDI_CREATE_HORZ_GROUP, ID_MDI_NEW_HORZ_TAB_GROUP},
        {BCGP_MDI_CREATE_VERT_GROUP, ID_MDI_NEW_VERT_GROUP},
        {BCGP_MDI_CAN_MOVE_NEXT, ID_MDI_MOVE_TO_NEXT_GROUP},
        {BCGP_MDI_CAN_MOVE_PREV, ID_MDI_MOVE_TO_PREV_GROUP},
    };
    for (const auto& item : items)
        if (!(dwAllowedItems & item.flag)) ::DeleteMenu(popup, item.command, MF_BYCOMMAND);
    CBCGPPopupMenu* pop = new CBCGPPopupMenu;
    pop->Create(this, point.x, point.y, popup, FALSE, FALSE, TRUE);
    return TRUE;
}

CBCGPMDIChildWnd* CMainFrame::CreateDocumentWindow(LPCWSTR lpcszDocName, CObject*) {
    if (!lpcszDocName || !*lpcszDocName) return nullptr;
    CDocument* doc = theApp.OpenDocumentFile(lpcszDocName);
    if (!doc) return nullptr;
    POSITION pos = doc->GetFirstViewPosition();
    CView* view = pos ? doc->GetNextView(pos) : nullptr;
    return view ? DYNAMIC_DOWNCAST(CBCGPMDIChildWnd, view->GetParentFrame()) : nullptr;
}

// ---------------------------------------------------------------- the live preview's side
namespace {
constexpr UINT kFlipCheckHorizontal = 1000;
constexpr UINT kFlipCheckVertical = 1001;
}  // namespace

void CMainFrame::LockCameraDialog(LiveDialog dialog, BOOL lock) {
    switch (dialog) {
    case kLiveVideoBox: m_wndCamPane.LockVideo(lock); break;
    case kLiveCaptureBox: m_wndCamPane.LockCapture(lock); break;
    case kLivePellixAdjust: CCamPane::LockControls(m_wndCamPane.m_dlgPellixAdjust, lock); break;
    case kLiveHestralAdjust: m_wndCamPane.LockHestralAdjust(lock); break;
    case kLiveUvcPanel: m_wndCamPane.LockUvcPanel(lock); break;
    }
}

void CMainFrame::UpdateFlipChecks() {
    HWND box = m_wndCamPane.m_dlgVideo.GetSafeHwnd();
    if (!box) return;
    ::CheckDlgButton(box, kFlipCheckHorizontal, g_HorizontalFlip == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(box, kFlipCheckVertical, g_VerticalFlip == 1 ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CMainFrame::GetFlipCheck(UINT id) {
    HWND box = m_wndCamPane.m_dlgVideo.GetSafeHwnd();
    if (box && ::GetDlgItem(box, id)) return ::IsDlgButtonChecked(box, id) == BST_CHECKED;
    return id == kFlipCheckHorizontal ? g_HorizontalFlip == 1 : g_VerticalFlip == 1;
}

void CMainFrame::OnHorizontalFlip() { ApplyLiveFlip(kFlipHorizontal); }
void CMainFrame::OnVerticalFlip() { ApplyLiveFlip(kFlipVertical); }

void CMainFrame::PostToVideoBox(UINT message) {
    if (HWND box = m_wndCamPane.m_dlgVideo.GetSafeHwnd()) ::PostMessageW(box, message, 0, 0);
}

// The Marrowin adjust dialog comes with the camera dialogs; until then a
// preview starts without it.
void CMainFrame::RunPellixAutoExposure() {}

void CMainFrame::StartUvcPanel(CVideoWnd* videoWnd) {
    CUvcCameraPanel& panel = m_wndCamPane.m_dlgUvcPanel;
    if (!panel.GetSafeHwnd()) return;
    panel.SetOwnerView(videoWnd);
    panel.LoadSettings(m_wndCamPane.m_dlgVideo.GetSafeHwnd());
    m_bLed = panel.m_bLedPreset;
    m_bHalogen = panel.m_bHalogenPreset;
}

void CMainFrame::StartHestralAdjust() {
    m_wndCamPane.LockHestralAdjust(FALSE);
    CHestralAdjustDlg& dlg = m_wndCamPane.m_dlgHestralAdjust;
    if (!dlg.GetSafeHwnd()) return;
    // The live view being created is already its document's view.
    HWND video = nullptr;
    if (COrvikDoc* doc = GetCameraDoc()) {
        POSITION pos = doc->GetFirstViewPosition();
        COrvikView* view = pos ? dynamic_cast<COrvikView*>(doc->GetNextView(pos)) : nullptr;
        if (view && view->GetVideoWnd()) video = view->GetVideoWnd()->GetSafeHwnd();
    }
    dlg.LoadSettings(video, m_wndCamPane.m_dlgVideo.GetSafeHwnd());
    m_nResolutionFlag = dlg.m_nResolutionFlag;
    m_bLed = dlg.m_bLedPreset;
    m_bHalogen = dlg.m_bHalogenPreset;
}

int CMainFrame::GetResolutionFlag() { return m_nResolutionFlag; }
void CMainFrame::SetResolutionFlag(int flag) { m_nResolutionFlag = flag; }
// The lamp chosen in the video panel: the adjust dialog of the camera applies
// its preset for it.
void CMainFrame::SetLightSource(int halogen) {
    m_bLed = halogen ? 0 : 1;
    m_bHalogen = halogen ? 1 : 0;
    if (IsUvcCamera()) {
        g_nLightSource = halogen ? 1 : 0;
        CUvcCameraPanel& panel = m_wndCamPane.m_dlgUvcPanel;
        if (!panel.GetSafeHwnd()) return;
        panel.m_bLedPreset = m_bLed;
        panel.m_bHalogenPreset = m_bHalogen;
        panel.OnDefault();
    } else if (IsHestralCamType()) {
        CHestralAdjustDlg& adjust = m_wndCamPane.m_dlgHestralAdjust;
        if (!adjust.GetSafeHwnd()) return;
        adjust.m_bLedPreset = m_bLed;
        adjust.m_bHalogenPreset = m_bHalogen;
        adjust.OnDefault();
    }
}

HWND CMainFrame::GetCameraDialogWnd(LiveDialog dialog) {
    switch (dialog) {
    case kLiveVideoBox: return m_wndCamPane.m_dlgVideo.GetSafeHwnd();
    case kLiveCaptureBox: return m_wndCamPane.m_dlgCapture.GetSafeHwnd();
    case kLivePellixAdjust: return m_wndCamPane.m_dlgPellixAdjust.GetSafeHwnd();
    case kLiveHestralAdjust: return m_wndCamPane.m_dlgHestralAdjust.GetSafeHwnd();
    case kLiveUvcPanel: return m_wndCamPane.m_dlgUvcPanel.GetSafeHwnd();
    }
    return nullptr;
}

void CMainFrame::ToggleFullScreen() { ShowFullScreen(); }

INT_PTR CMainFrame::DoRecordDialog(COrvikDoc* doc) {
    CRecordDlg dlg(doc, this);
    return dlg.DoModal();
}

INT_PTR CMainFrame::DoCaptureSettingsDialog(COrvikDoc* doc) {
    CCaptureSetDlg dlg(doc, this);
    return dlg.DoModal();
}
