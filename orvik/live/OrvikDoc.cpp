#include "OrvikDoc.h"

#include "ColorTable.h"
#include "LiveFrame.h"
#include "MarkerDlg.h"
#include "MarkerOverlay.h"
#include "MeasureLayer.h"
#include "OrvikView.h"
#include "RatioDlg.h"
#include "Resource.h"
#include "Settings.h"
#include "ThresholdDlg.h"
#include "VideoWnd.h"
#include <Globals.h>

IMPLEMENT_DYNCREATE(COrvikDoc, CDocument)

BEGIN_MESSAGE_MAP(COrvikDoc, CDocument)
    ON_COMMAND(ID_CAPTURE, OnCapture)
    ON_UPDATE_COMMAND_UI(ID_CAPTURE, OnUpdateCapture)
    ON_COMMAND(ID_SAVE_STILL, OnCapture)
    ON_COMMAND(ID_FLIP_HORIZONTAL, OnFlipHorizontal)
    ON_COMMAND(ID_FLIP_VERTICAL, OnFlipVertical)
    ON_UPDATE_COMMAND_UI(ID_FLIP_HORIZONTAL, OnUpdateFlipHorizontal)
    ON_UPDATE_COMMAND_UI(ID_FLIP_VERTICAL, OnUpdateFlipVertical)
    ON_COMMAND(ID_RELOAD_CAMERA, OnReloadCamera)
    ON_COMMAND(ID_ZOOM_SUITABLE, OnZoomSuitable)
    ON_COMMAND(ID_ZOOM_REAL, OnZoomReal)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_SUITABLE, OnUpdateZoomSuitable)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_REAL, OnUpdateZoomReal)
    ON_COMMAND_RANGE(ID_OVERLAY_RULER, ID_OVERLAY_CIRCLE, OnOverlay)
    ON_UPDATE_COMMAND_UI_RANGE(ID_OVERLAY_RULER, ID_OVERLAY_CIRCLE, OnUpdateOverlay)
    ON_COMMAND(ID_MARKER_SETTING, OnMarkerSetting)
    ON_UPDATE_COMMAND_UI(ID_MARKER_SETTING, OnUpdateMarkerSetting)
    ON_COMMAND_RANGE(ID_FILTER_GRAY, ID_FILTER_EQUALIZE, OnFilter)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FILTER_GRAY, ID_FILTER_EQUALIZE, OnUpdateFilter)
    ON_COMMAND_RANGE(ID_MASK_AND, ID_MASK_DIVIDE, OnMaskOperation)
    ON_UPDATE_COMMAND_UI_RANGE(ID_MASK_AND, ID_MASK_DIVIDE, OnUpdateMaskOperation)
    ON_COMMAND(ID_MASK_LOAD, OnLoadMask)
    ON_UPDATE_COMMAND_UI(ID_MASK_LOAD, OnUpdateLoadMask)
    ON_COMMAND(ID_THRESHOLD, OnThreshold)
    ON_COMMAND(ID_RATIO, OnRatio)
    ON_COMMAND(ID_MEASURE_POINT, OnMeasurePoint)
    ON_COMMAND(ID_MEASURE_LINE, OnMeasureLine)
    ON_COMMAND(ID_RECORD, OnRecord)
    ON_COMMAND(ID_CAPTURE_SETTING, OnCaptureSettings)
END_MESSAGE_MAP()

namespace {
// The marker colour of a [Marker] MarkerColor index; an index the table
// does not have gives its first entry, black.
COLORREF MarkerColorOf(int index) {
    return index >= 0 && index < kColorCount ? MeasureColorTable[index].color : MeasureColorTable[kColorBlack].color;
}
}  // namespace

COrvikDoc::COrvikDoc()
    : m_pMainFrame(dynamic_cast<CFrameWnd*>(AfxGetMainWnd())),
      m_bLive(false),
      m_nZoomMode(0),
      m_nDisplayWidth(0),
      m_nDisplayHeight(0),
      m_bRealtimeEnable(true),
      m_nOverlayKind(kMarkerNone),
      m_nFilterMode(kFilterNone),
      m_bMaskEnable(true),
      m_nMaskOperation(kMaskNone),
      m_nSingleCapSubX(ReadIniInt(ini::kSave, L"SingleCapSubX", 1)),
      m_nSingleCapSubY(ReadIniInt(ini::kSave, L"SingleCapSubY", 1)),
      m_nMultiCapSubX(ReadIniInt(ini::kSave, L"MultiCapSubX", 2)),
      m_nMultiCapSubY(ReadIniInt(ini::kSave, L"MultiCapSubY", 2)),
      m_pMeasureLayer(new CMeasureLayer),
      m_nMeasureTool(0),
      m_nPointColor(2),
      m_nLineColor(3),
      m_nHandleColor(4),
      m_nTextColor(2),
      m_bDrawMeasurements(true),
      m_pAviWriter(nullptr),
      m_bRecording(false),
      m_bSaveWithMarker(ReadIniInt(ini::kSave, L"SaveWithMarker", 1) == 1),
      m_bSaveWithTime(ReadIniInt(ini::kSave, L"SaveWithTime", 1) == 1) {
    m_settings.rulerUnit = ReadIniInt(ini::kMarker, L"RulerUnit", 5);
    m_settings.circleUnit = ReadIniInt(ini::kMarker, L"CircleUnit", 40);
    m_settings.gridUnit = ReadIniInt(ini::kMarker, L"GridUnit", 40);
    const int colorIndex = ReadIniInt(ini::kMarker, L"MarkerColor", kColorGreen);
    m_settings.markerColorIndex = colorIndex >= 0 && colorIndex < kColorCount ? colorIndex : kColorBlack;
    m_settings.markerColor = MarkerColorOf(colorIndex);
    m_calibration.unit = 0;
    m_calibration.unitsPerPixelX = 0.2;
    m_calibration.unitsPerPixelY = 0.2;
    m_calibration.knownLengthX = 10.0;
    m_calibration.knownLengthY = 10.0;
    m_pMeasureLayer->SetColors(m_nPointColor, m_nLineColor, m_nHandleColor, m_nTextColor);
}

COrvikDoc::~COrvikDoc() {
    {
        std::lock_guard<std::mutex> hold(m_recordLock);
        m_bRecording = false;
    }
    delete m_pMeasureLayer;
    m_pMeasureLayer = nullptr;
}

BOOL COrvikDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return FALSE;
    SetTitle(L"Video");
    return TRUE;
}

BOOL COrvikDoc::OnOpenDocument(LPCWSTR lpszPathName) { return CDocument::OnOpenDocument(lpszPathName); }

void COrvikDoc::Serialize(CArchive&) {}

void COrvikDoc::SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU) {
    CDocument::SetPathName(lpszPathName, bAddToMRU);
    if (CWnd* frame = AfxGetMainWnd())
        if (HWND child = ::GetWindow(frame->GetSafeHwnd(), GW_CHILD))
            ::RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

COrvikView* COrvikDoc::GetView() const {
    POSITION pos = GetFirstViewPosition();
    return pos ? static_cast<COrvikView*>(GetNextView(pos)) : nullptr;
}

COrvikDoc* COrvikDoc::FindLiveDoc() {
    CWinApp* app = AfxGetApp();
    if (!app) return nullptr;
    for (POSITION tp = app->GetFirstDocTemplatePosition(); tp;) {
        CDocTemplate* tmpl = app->GetNextDocTemplate(tp);
        for (POSITION dp = tmpl->GetFirstDocPosition(); dp;) {
            COrvikDoc* doc = DYNAMIC_DOWNCAST(COrvikDoc, tmpl->GetNextDoc(dp));
            if (doc && doc->m_bLive) return doc;
        }
    }
    return nullptr;
}

// The first template that holds live-preview documents: the still-image
// template comes first in the application and holds none.
COrvikDoc* COrvikDoc::GetFirstDoc() {
    CWinApp* app = AfxGetApp();
    if (!app) return nullptr;
    for (POSITION tp = app->GetFirstDocTemplatePosition(); tp;) {
        CDocTemplate* tmpl = app->GetNextDocTemplate(tp);
        POSITION dp = tmpl->GetFirstDocPosition();
        if (!dp) continue;
        if (COrvikDoc* doc = DYNAMIC_DOWNCAST(COrvikDoc, tmpl->GetNextDoc(dp))) return doc;
    }
    return nullptr;
}

std::shared_ptr<const CLiveMask> COrvikDoc::GetMask() const {
    std::lock_guard<std::mutex> hold(m_maskLock);
    return m_mask;
}

void COrvikDoc::SetMask(std::shared_ptr<const CLiveMask> mask) {
    std::lock_guard<std::mutex> hold(m_maskLock);
    m_mask = std::move(mask);
}

CXGraphDll* COrvikDoc::GetCaptureGraph() const {
    COrvikView* view = GetView();
    CVideoWnd* wnd = view ? view->GetVideoWnd() : nullptr;
    return wnd ? wnd->m_pGraph : nullptr;
}

int COrvikDoc::MarkerUnit() const {
    switch (m_nOverlayKind.load()) {
    case kMarkerRuler: return m_settings.rulerUnit;
    case kMarkerGrid: return m_settings.gridUnit;
    case kMarkerCircles: return m_settings.circleUnit;
    default: return 0;
    }
}

// ---------------------------------------------------------------- commands
void COrvikDoc::OnCapture() { OnSaveStill(); }

void COrvikDoc::OnUpdateCapture(CCmdUI* pCmdUI) { pCmdUI->Enable(!g_bTimedSeriesRunning); }

void COrvikDoc::OnFlipHorizontal() {
    g_HorizontalFlip = g_HorizontalFlip ? 0 : 1;
    if (ILiveFrame* frame = GetLiveFrame()) {
        frame->UpdateFlipChecks();
        frame->OnHorizontalFlip();
    }
}

void COrvikDoc::OnFlipVertical() {
    g_VerticalFlip = g_VerticalFlip ? 0 : 1;
    if (ILiveFrame* frame = GetLiveFrame()) {
        frame->UpdateFlipChecks();
        frame->OnVerticalFlip();
    }
}

void COrvikDoc::OnUpdateFlipHorizontal(CCmdUI* pCmdUI) {
    pCmdUI->Enable(g_bPreviewRunning != 0);
    ILiveFrame* frame = GetLiveFrame();
    pCmdUI->SetCheck(frame ? frame->GetFlipCheck(1000) : g_HorizontalFlip);
}

void COrvikDoc::OnUpdateFlipVertical(CCmdUI* pCmdUI) {
    pCmdUI->Enable(g_bPreviewRunning != 0);
    ILiveFrame* frame = GetLiveFrame();
    pCmdUI->SetCheck(frame ? frame->GetFlipCheck(1001) : g_VerticalFlip);
}

void COrvikDoc::OnReloadCamera() {}

void COrvikDoc::RelayoutView(int times) {
    COrvikView* view = GetView();
    if (!view || !view->GetSafeHwnd()) return;
    CRect rc;
    view->GetClientRect(&rc);
    for (int i = 0; i < times; ++i) view->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.Width(), rc.Height()));
}

void COrvikDoc::OnZoomSuitable() {
    m_nZoomMode = 0;
    RelayoutView(2);
}

void COrvikDoc::OnZoomReal() {
    m_nZoomMode = 1;
    RelayoutView(1);
}

void COrvikDoc::OnUpdateZoomSuitable(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_nZoomMode == 0); }
void COrvikDoc::OnUpdateZoomReal(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_nZoomMode == 1); }

// Within each group the chosen entry replaces the others, and choosing the
// active one again turns the group off.
void COrvikDoc::OnOverlay(UINT id) {
    const int kind = kMarkerRuler + (int)(id - ID_OVERLAY_RULER);
    m_nOverlayKind = m_nOverlayKind == kind ? kMarkerNone : kind;
}

void COrvikDoc::OnUpdateOverlay(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bRealtimeEnable);
    pCmdUI->SetCheck(m_bRealtimeEnable && m_nOverlayKind == kMarkerRuler + (int)(pCmdUI->m_nID - ID_OVERLAY_RULER));
}

void COrvikDoc::OnMarkerSetting() {
    CMarkerDlg dlg(m_settings, AfxGetMainWnd());
    dlg.DoModal();
}

void COrvikDoc::OnUpdateMarkerSetting(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bRealtimeEnable);
    pCmdUI->SetCheck(0);
}

void COrvikDoc::OnFilter(UINT id) {
    const int mode = kFilterGray + (int)(id - ID_FILTER_GRAY);
    m_nFilterMode = m_nFilterMode == mode ? (int)kFilterNone : mode;
}

void COrvikDoc::OnUpdateFilter(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bRealtimeEnable);
    pCmdUI->SetCheck(m_bRealtimeEnable && m_nFilterMode == kFilterGray + (int)(pCmdUI->m_nID - ID_FILTER_GRAY));
}

void COrvikDoc::OnMaskOperation(UINT id) {
    const int op = kMaskAnd + (int)(id - ID_MASK_AND);
    m_nMaskOperation = m_nMaskOperation == op ? (int)kMaskNone : op;
}

void COrvikDoc::OnUpdateMaskOperation(CCmdUI* pCmdUI) {
    pCmdUI->Enable(m_bMaskEnable);
    pCmdUI->SetCheck(m_bMaskEnable && m_nMaskOperation == kMaskAnd + (int)(pCmdUI->m_nID - ID_MASK_AND));
}

void COrvikDoc::OnUpdateLoadMask(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bMaskEnable); }

void COrvikDoc::OnThreshold() {
    CThresholdDlg dlg(m_settings, AfxGetMainWnd());
    dlg.DoModal();
}

void COrvikDoc::OnRatio() {
    CRatioDlg dlg(m_settings, AfxGetMainWnd());
    dlg.DoModal();
}

void COrvikDoc::OnMeasurePoint() { m_nMeasureTool = 1; }
void COrvikDoc::OnMeasureLine() { m_nMeasureTool = 2; }

void COrvikDoc::OnRecord() {
    if (ILiveFrame* frame = GetLiveFrame()) frame->DoRecordDialog(this);
}

void COrvikDoc::OnCaptureSettings() {
    if (ILiveFrame* frame = GetLiveFrame()) frame->DoCaptureSettingsDialog(this);
}
