#include "OrvikDoc.h"

#include "MeasureLayer.h"
#include "OrvikView.h"
#include "Settings.h"

IMPLEMENT_DYNCREATE(COrvikDoc, CDocument)

BEGIN_MESSAGE_MAP(COrvikDoc, CDocument)
END_MESSAGE_MAP()

COrvikDoc::COrvikDoc()
    : m_pMainFrame(dynamic_cast<CFrameWnd*>(AfxGetMainWnd())),
      m_bLive(false),
      m_nZoomMode(0),
      m_nDisplayWidth(0),
      m_nDisplayHeight(0),
      m_bRealtimeEnable(true),
      m_nOverlayKind(0),
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
    m_pMeasureLayer->SetColors(m_nPointColor, m_nLineColor, m_nHandleColor, m_nTextColor);
}

COrvikDoc::~COrvikDoc() { delete m_pMeasureLayer; }

BOOL COrvikDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) return FALSE;
    SetTitle(L"Video");
    return TRUE;
}

BOOL COrvikDoc::OnOpenDocument(LPCWSTR lpszPathName) { return CDocument::OnOpenDocument(lpszPathName); }

void COrvikDoc::Serialize(CArchive&) {}

void COrvikDoc::SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU) { CDocument::SetPathName(lpszPathName, bAddToMRU); }

COrvikView* COrvikDoc::GetView() const {
    POSITION pos = GetFirstViewPosition();
    return pos ? static_cast<COrvikView*>(GetNextView(pos)) : nullptr;
}

std::shared_ptr<const CLiveMask> COrvikDoc::GetMask() const {
    std::lock_guard<std::mutex> hold(m_maskLock);
    return m_mask;
}

void COrvikDoc::SetMask(std::shared_ptr<const CLiveMask> mask) {
    std::lock_guard<std::mutex> hold(m_maskLock);
    m_mask = std::move(mask);
}

CXGraphDll* COrvikDoc::GetCaptureGraph() const { return nullptr; }
