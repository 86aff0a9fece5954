#include "OzuFreeView.h"

#include "Globals.h"
#include "MeasureColorDlg.h"
#include "MeasureLayer.h"
#include "OzuFreeDoc.h"
#include "Resource.h"

#include "ImageProcessDlg.h"
#include "PictureFamily.h"

#include <AfxDialogs.h>
#include <AfxTestScript.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

IMPLEMENT_DYNCREATE(COzuFreeView, CScrollView)

namespace {

const float kZoomFactors[] = {0.25f, 0.5f, 1.0f, 2.0f, 4.0f};

const UINT WM_STILL_PALETTE = 0x8000;
const UINT WM_STILL_RELOAD = 0x8002;

// The cursor resource of each tool; the arrow for the rest, and where the
// resources carry no such cursor.
UINT ToolCursorId(int tool)
{
    switch (tool) {
    case kToolPoint: return 151;
    case kToolLine: return 155;
    case kToolAngle: return 149;
    case kToolRect: return 147;
    case kToolPolygon: return 215;
    case kToolCircle: return 148;
    case kToolText: return 214;
    case kToolMove: return 154;
    case kToolDeleteOne: return 212;
    default: return 0;
    }
}

bool StillTarget(CDocument* doc, RulerTarget& target)
{
    COzuFreeDoc* still = DYNAMIC_DOWNCAST(COzuFreeDoc, doc);
    COzuFreeView* view = still ? still->GetView() : nullptr;
    if (!view)
        return false;
    target.layer = view->GetLayer();
    target.calibration = &view->m_wndImage.m_cal;
    target.pictureWindow = view->m_wndImage.GetBitmapWnd();
    return true;
}

int AskHint(HWND owner, UINT text)
{
    CString t, caption;
    t.LoadString(text);
    caption.LoadString(IDS_HINT);
    return AfxScriptedMessageBox(owner, t, caption,
                                 MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TOPMOST | OrvikRtlFlag());
}

}  // namespace

BEGIN_MESSAGE_MAP(COzuFreeView, CScrollView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_MESSAGE(WM_STILL_PALETTE, OnPaletteMessage)
    ON_MESSAGE(WM_STILL_RELOAD, OnReload)

    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
    ON_COMMAND(ID_IMG_ZOOM_1_1, OnZoom11)
    ON_COMMAND(ID_IMG_ZOOM_IN, OnZoomIn)
    ON_COMMAND(ID_IMG_ZOOM_OUT, OnZoomOut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_COMMAND(ID_EDIT_REDO, OnEditRedo)
    ON_COMMAND(ID_IMG_INVERT, OnInvert)
    ON_COMMAND_RANGE(ID_IMG_AVERAGE, ID_IMG_AVERAGE, OnProcess)
    ON_COMMAND_RANGE(ID_IMG_MEDIAN, ID_IMG_EMBOSS, OnProcess)
    ON_COMMAND_RANGE(ID_IMG_ROTATE_ANY, ID_IMG_ROTATE_ANY, OnProcess)
    ON_COMMAND_RANGE(ID_IMG_BRIGHTNESS, ID_IMG_SATURATION, OnProcess)
    ON_COMMAND(ID_IMG_REVERSE, OnReverse)
    ON_COMMAND(ID_IMG_FLIP, OnFlip)
    ON_COMMAND_RANGE(ID_IMG_ROTATE_90, ID_IMG_ROTATE_270, OnRotate)
    ON_COMMAND_RANGE(ID_MEAS_LINE, ID_MEAS_LINE, OnTool)
    ON_COMMAND_RANGE(ID_MEAS_ANGLE, ID_MEAS_MOVE, OnTool)
    ON_COMMAND_RANGE(ID_MEAS_TEXT, ID_MEAS_POLYGON, OnTool)
    ON_COMMAND(ID_MEAS_MERGE, OnMeasureMerge)
    ON_COMMAND(ID_MEAS_DELETE_ONE, OnDeleteOne)
    ON_COMMAND(ID_MEAS_DELETE_ALL, OnDeleteAll)
    ON_COMMAND(ID_MEAS_GENERATE_DATA, OnGenerateMeasureData)
    ON_COMMAND(ID_VIEW_WORKSPACE2, OnNothing)
    ON_COMMAND(ID_MEAS_CALIBRATION, OnCalibration)
    ON_COMMAND(ID_MEAS_TOOL_SET, OnMeasureToolSet)
    ON_COMMAND(ID_MEAS_SHOW_RULER, OnShowRuler)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrint)

    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE_AS, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI_RANGE(ID_IMG_REVERSE, ID_IMG_ROTATE_ANY, OnUpdateGeometry)
    ON_UPDATE_COMMAND_UI(ID_IMG_ZOOM_1_1, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_IMG_ZOOM_IN, OnUpdateZoomIn)
    ON_UPDATE_COMMAND_UI(ID_IMG_ZOOM_OUT, OnUpdateZoomOut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, OnUpdateRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_LINE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_ANGLE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_RECTANGLE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_ROUND, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_MOVE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_TEXT, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_POLYGON, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_MERGE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_DELETE_ONE, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_DELETE_ALL, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_GENERATE_DATA, OnUpdateGenerateMeasureData)
    ON_UPDATE_COMMAND_UI(ID_VIEW_WORKSPACE2, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_CALIBRATION, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_TOOL_SET, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_MEAS_SHOW_RULER, OnUpdateShowRuler)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_DIRECT, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_MEMORY, OnUpdateMemory)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_ZOOM, OnUpdateZoomPane)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_DIMENSIONS, OnUpdateDimensions)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_BPP, OnUpdateBitsPerPixel)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_FILE, OnUpdateFileName)
END_MESSAGE_MAP()

COzuFreeView::COzuFreeView()
    : m_nZoom(100), m_nUndoCount(0), m_pUndo(), m_bMeasureMode(FALSE), m_bMeasuring(FALSE), m_bModified(FALSE),
      m_bSavePrompt(TRUE), m_nZoomIndex(2), m_nReserved(0), m_nSavedScrollY(0), m_nSavedScrollX(0),
      m_bShowRuler(FALSE)
{
    CRulerSetDlg::SetTargetLookup(StillTarget);
    // The picture library's error box answers like every other box of the
    // program (scripted in tests).
    LBase::SetMessageBoxFunction(AfxScriptedMessageBox);
}

COzuFreeView::~COzuFreeView()
{
    for (CStillImageWnd*& slot : m_pUndo) {
        delete slot;
        slot = nullptr;
    }
    if (m_dlgRuler.m_hWnd)
        m_dlgRuler.DestroyWindow();
}

COzuFreeDoc* COzuFreeView::GetDocument() const { return DYNAMIC_DOWNCAST(COzuFreeDoc, m_pDocument); }

BOOL COzuFreeView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL COzuFreeView::OnCommand(WPARAM wParam, LPARAM lParam) { return CWnd::OnCommand(wParam, lParam); }

BOOL COzuFreeView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CScrollView::PreCreateWindow(cs);
}

void COzuFreeView::OnDraw(CDC*) {}

// ---------------------------------------------------------------- creation
int COzuFreeView::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CView::OnCreate(lpcs) == -1)
        return -1;
    CWnd* main = AfxGetMainWnd();
    if (main && main->IsIconic())
        if (CFrameWnd* frame = GetParentFrame())
            frame->MoveWindow(0, 0, 100, 100);

    const int bound = m_wndImage.SetWndHandle(m_hWnd);
    m_wndImage.EnableAutoScroll(FALSE);
    m_wndImage.EnableCallBack(FALSE);

    CMeasureLayer* layer = GetLayer();
    layer->SetViewWindow(m_hWnd);
    layer->CreateShape(kShapeScaleBar);

    // The oldest open still image's calibration (for the first one its own).
    CWinApp* app = AfxGetApp();
    POSITION tp = app ? app->GetFirstDocTemplatePosition() : nullptr;
    int templates = 0;
    for (POSITION p = tp; p; app->GetNextDocTemplate(p))
        ++templates;
    if (templates >= 2) {
        CDocTemplate* still = app->GetNextDocTemplate(tp);
        POSITION dp = still->GetFirstDocPosition();
        RulerTarget oldest;
        if (dp && StillTarget(still->GetNextDoc(dp), oldest) && oldest.layer != layer) {
            m_wndImage.m_cal = oldest.layer->GetCalibration();
            layer->SetCalibration(m_wndImage.m_cal);
        }
    }

    SetScrollSizes(MM_TEXT, CSize(m_wndImage.GetWidth(), m_wndImage.GetHeight()));

    if (bound == SUCCESS) {
        m_dlgRuler.Create(this);
        m_dlgRuler.Init(GetDocument());
        return 0;
    }
    LBase::DisplayErrorFromList(nullptr, 0);
    return -1;
}

void COzuFreeView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    const CSize size(m_wndImage.GetWidth(), m_wndImage.GetHeight());
    SetScrollSizes(MM_TEXT, size);
    CFrameWnd* frame = GetParentFrame();
    if (frame)
        ::SetWindowPos(frame->m_hWnd, HWND_TOP, 0, 0, size.cx, size.cy, SWP_SHOWWINDOW);
    const CPoint pos = GetScrollPosition();
    m_nSavedScrollX = pos.x;
    m_nSavedScrollY = pos.y;
    if (frame)
        frame->ShowWindow(SW_MAXIMIZE);
    SyncLayerOffset();
}

void COzuFreeView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    CScrollView::OnActivateView(bActivate, pActivateView, pDeactiveView);
    if (bActivate && pActivateView == this) {
        m_wndImage.OnQueryNewPalette();
        if (HWND wnd = m_wndImage.GetBitmapWnd())
            ::SetFocus(wnd);
    }
}

// ---------------------------------------------------------------- scrolling and zoom
CSize COzuFreeView::ZoomedSize() const
{
    CSize s(m_wndImage.GetWidth(), m_wndImage.GetHeight());
    switch (m_nZoom) {
    case 400: return CSize(s.cx * 4, s.cy * 4);
    case 200: return CSize(s.cx * 2, s.cy * 2);
    case 50: return CSize(s.cx / 2, s.cy / 2);
    case 25: return CSize(s.cx / 4, s.cy / 4);
    default: return s;
    }
}

void COzuFreeView::SyncLayerOffset()
{
    const RECT r = m_wndImage.GetBitmapVisibleRect();
    const CPoint scroll = GetScrollPosition();
    GetLayer()->SetScrollOffset(CPoint(r.left < 1 ? scroll.x : -r.left, r.top < 1 ? scroll.y : -r.top));
}

void COzuFreeView::RecordScroll(int bar)
{
    const CPoint pos = GetScrollPosition();
    CPoint offset = GetLayer()->GetScrollOffset();
    if (bar == SB_HORZ) {
        m_nSavedScrollX = pos.x;
        offset.x = pos.x;
    } else {
        m_nSavedScrollY = pos.y;
        offset.y = pos.y;
    }
    GetLayer()->SetScrollOffset(offset);
}

void COzuFreeView::ShowBarsFor(const CSize& size, bool atLeast)
{
    CRect client;
    GetClientRect(&client);
    ShowScrollBar(SB_HORZ, atLeast ? size.cx >= client.Width() : size.cx > client.Width());
    ShowScrollBar(SB_VERT, atLeast ? size.cy >= client.Height() : size.cy > client.Height());
}

void COzuFreeView::OnSize(UINT nType, int cx, int cy)
{
    CScrollView::OnSize(nType, cx, cy);
    SetScrollSizes(MM_TEXT, ZoomedSize());
    SyncLayerOffset();
    const RECT r = m_wndImage.GetBitmapVisibleRect();
    CRect client;
    GetClientRect(&client);
    ShowScrollBar(SB_VERT, !(r.bottom - r.top < client.Height()));
    ShowScrollBar(SB_HORZ, !(r.right - r.left < client.Width()));
}

// SB_LINELEFT, SB_PAGELEFT ... have the values of SB_LINEUP, SB_PAGEUP ...,
// so one routine serves both bars.
void COzuFreeView::Scrolled(int bar, UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    const bool page = nSBCode == SB_PAGEUP || nSBCode == SB_PAGEDOWN;
    if (nSBCode == SB_LINEUP || nSBCode == SB_LINEDOWN || page || nSBCode == SB_THUMBTRACK)
        RecordScroll(bar);
    if (bar == SB_HORZ)
        CScrollView::OnHScroll(nSBCode, nPos, pScrollBar);
    else
        CScrollView::OnVScroll(nSBCode, nPos, pScrollBar);
    // The layer follows the picture to where the scroll took it, not where
    // it was before.
    SyncLayerOffset();
    if (page)
        GetLayer()->Redraw();
}

void COzuFreeView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    Scrolled(SB_HORZ, nSBCode, nPos, pScrollBar);
}

void COzuFreeView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    Scrolled(SB_VERT, nSBCode, nPos, pScrollBar);
}

// The wheel does not scroll a still image.
BOOL COzuFreeView::OnMouseWheel(UINT, short, CPoint)
{
    const CPoint pos = GetScrollPosition();
    m_nSavedScrollX = pos.x;
    m_nSavedScrollY = pos.y;
    SyncLayerOffset();
    return 0;
}

BOOL COzuFreeView::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        if (pMsg->wParam == VK_LEFT || pMsg->wParam == VK_RIGHT)
            RecordScroll(SB_HORZ);
        else if (pMsg->wParam == VK_UP || pMsg->wParam == VK_DOWN)
            RecordScroll(SB_VERT);
    }
    return CWnd::PreTranslateMessage(pMsg);
}

void COzuFreeView::ZoomTo(int zoom, int index, const CSize& total, int posX, int posY)
{
    m_wndImage.SetZoomPercent(zoom);
    m_nZoom = zoom;
    m_nZoomIndex = index;
    SetScrollSizes(MM_TEXT, total);
    GetLayer()->SetZoom(kZoomFactors[index]);
    SetScrollPos(SB_VERT, posY);
    SetScrollPos(SB_HORZ, posX);
    // After the positions: the layer maps from where the picture now is.
    SyncLayerOffset();
}

void COzuFreeView::OnZoom11()
{
    const CSize size(m_wndImage.GetWidth(), m_wndImage.GetHeight());
    ShowBarsFor(size, false);
    ZoomTo(100, 2, size, m_nSavedScrollX, m_nSavedScrollY);
    ShowBarsFor(ZoomedSize(), true);
    if (CFrameWnd* frame = GetParentFrame()) {
        frame->ShowWindow(SW_MAXIMIZE);
        frame->SendMessage(WM_SETTEXT, 0, 0);
    }
    SyncLayerOffset();
    Invalidate(TRUE);
}

void COzuFreeView::OnZoomIn()
{
    if (m_nZoom >= 400)
        return;
    const int zoom = m_nZoom * 2;
    const CSize total = GetTotalSize();
    ShowBarsFor(CSize(m_wndImage.GetWidth() * zoom / 100, m_wndImage.GetHeight() * zoom / 100), false);
    ZoomTo(zoom, m_nZoomIndex + 1, CSize(total.cx * 2, total.cy * 2), m_nSavedScrollX * 2, m_nSavedScrollY * 2);
    ShowBarsFor(ZoomedSize(), true);
    if (CFrameWnd* frame = GetParentFrame()) {
        frame->ShowWindow(SW_MAXIMIZE);
        frame->SendMessage(WM_SETTEXT, 0, 0);
    }
    SyncLayerOffset();
    Invalidate(TRUE);
}

void COzuFreeView::OnZoomOut()
{
    if (m_nZoom <= 25)
        return;
    const CSize total = GetTotalSize();
    ZoomTo(m_nZoom / 2, m_nZoomIndex - 1, CSize(total.cx / 2, total.cy / 2), m_nSavedScrollX, m_nSavedScrollY);
    Invalidate(TRUE);
}

void COzuFreeView::ResetScrollSizes()
{
    SetScrollSizes(MM_TEXT, ZoomedSize());
    SendMessage(WM_MOUSEWHEEL, 0, 0);
    Invalidate(TRUE);
    SetScrollPos(SB_VERT, 0);
    SetScrollPos(SB_HORZ, 0);
    SyncLayerOffset();
}

// ---------------------------------------------------------------- mouse
bool COzuFreeView::InPicture(const CPoint& point) const
{
    const RECT r = m_wndImage.GetBitmapVisibleRect();
    return ::PtInRect(&r, point) != FALSE;
}

void COzuFreeView::SetToolCursor(int tool) const
{
    HCURSOR cursor = nullptr;
    if (const UINT id = ToolCursorId(tool))
        cursor = AfxGetApp() ? AfxGetApp()->LoadCursor(id) : nullptr;
    ::SetCursor(cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW));
}

// What every mouse message does first: the tool's cursor and, for a drawing
// tool, the changed flag over the picture; the plain cursor elsewhere.
bool COzuFreeView::ToolMessageInPicture(CPoint point, int tool)
{
    if (!m_bMeasureMode || !InPicture(point)) {
        SetToolCursor(kToolNone);
        return false;
    }
    SetToolCursor(tool);
    if (tool >= kToolPoint && tool <= kToolMove)
        m_bModified = TRUE;
    return true;
}

void COzuFreeView::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int tool = m_wndImage.m_nTool;
    if (ToolMessageInPicture(point, tool)) {
        m_bMeasuring = TRUE;
        GetLayer()->OnLButtonDown(nFlags, point.x, point.y, tool);
    }
    Default();
}

void COzuFreeView::OnLButtonUp(UINT nFlags, CPoint point)
{
    int& tool = m_wndImage.m_nTool;
    if (ToolMessageInPicture(point, tool)) {
        m_bMeasuring = TRUE;
        GetLayer()->OnLButtonUp(nFlags, point.x, point.y, tool);
        // Nothing is left to delete once only the scale bar remains.
        if (tool == kToolDeleteOne && GetLayer()->GetShapeCount() < 2) {
            tool = kToolNone;
            SetToolCursor(kToolNone);
        }
    }
    Default();
}

void COzuFreeView::OnMouseMove(UINT nFlags, CPoint point)
{
    const int tool = m_wndImage.m_nTool;
    if (ToolMessageInPicture(point, tool)) {
        if (tool >= kToolPoint && tool <= kToolMove && tool != kToolCircle)
            m_bMeasuring = TRUE;
        if (tool == kToolNone)
            m_bMeasuring = FALSE;
        GetLayer()->OnMouseMove(nFlags, point.x, point.y, tool);
    }
    Default();
}

// A polygon closes on a double click whatever the mode and the point.
void COzuFreeView::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (m_wndImage.m_nTool == kToolPolygon) {
        m_bMeasuring = TRUE;
        GetLayer()->OnLButtonDblClk(nFlags, point.x, point.y, kToolPolygon);
    }
    SetToolCursor(m_bMeasureMode && InPicture(point) ? m_wndImage.m_nTool : kToolNone);
    Default();
}

void COzuFreeView::OnRButtonDown(UINT, CPoint) {}

LRESULT COzuFreeView::OnPaletteMessage(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 1) {
        m_wndImage.OnPaletteChanged(reinterpret_cast<HWND>(wParam));
        m_wndImage.Repaint();
    } else if (m_wndImage.OnQueryNewPalette() == 0) {
        m_wndImage.Repaint();
    }
    return 1;
}

LRESULT COzuFreeView::OnReload(WPARAM, LPARAM)
{
    COzuFreeDoc* doc = GetDocument();
    if (!doc) {
        DestroyWindow();
        return 0;
    }
    doc->LoadImage(1);
    return 0;
}

// ---------------------------------------------------------------- processing and undo
BOOL COzuFreeView::Push()
{
    for (int i = m_nUndoCount; i < kUndoSlots; ++i) {
        delete m_pUndo[i];
        m_pUndo[i] = nullptr;
    }
    // A 32-bit process may not find room for one more full copy; the slots
    // never hold a copy that is not whole.
    std::unique_ptr<CStillImageWnd> copy;
    try {
        copy.reset(new CStillImageWnd);
    } catch (const std::bad_alloc&) {
    }
    if (!copy || copy->Copy(m_wndImage) != SUCCESS) {
        ::OutputDebugStringW(L"Orvik: no memory for an undo copy; the change has no undo step");
        return FALSE;
    }
    if (m_nUndoCount == kUndoSlots) {
        delete m_pUndo[0];
        std::memmove(m_pUndo, m_pUndo + 1, sizeof m_pUndo[0] * (kUndoSlots - 1));
        m_pUndo[kUndoSlots - 1] = nullptr;
        m_nUndoCount = kUndoSlots - 1;
    }
    m_pUndo[m_nUndoCount++] = copy.release();
    return TRUE;
}

void COzuFreeView::Pop()
{
    if (m_nUndoCount < 1)
        return;
    --m_nUndoCount;
    delete m_pUndo[m_nUndoCount];
    m_pUndo[m_nUndoCount] = nullptr;
}

void COzuFreeView::SwapWithSlot(int n)
{
    m_wndImage.SwapPicture(*m_pUndo[n]);
}

void COzuFreeView::AfterUndoOrRedo()
{
    m_bModified = TRUE;
    m_bSavePrompt = TRUE;
    SetScrollSizes(MM_TEXT, ZoomedSize());
    SendMessage(WM_MOUSEWHEEL, 0, 0);
    Invalidate(TRUE);
}

void COzuFreeView::OnEditUndo()
{
    if (m_nUndoCount < 1 || !m_pUndo[m_nUndoCount - 1])
        return;
    --m_nUndoCount;
    SwapWithSlot(m_nUndoCount);
    AfterUndoOrRedo();
}

void COzuFreeView::OnEditRedo()
{
    if (m_nUndoCount >= kUndoSlots || !m_pUndo[m_nUndoCount])
        return;
    SwapWithSlot(m_nUndoCount);
    ++m_nUndoCount;
    AfterUndoOrRedo();
}

// A change after a save is asked about again on closing, as after a tool
// command; otherwise it would be lost without a word.
void COzuFreeView::Changed()
{
    m_bModified = TRUE;
    m_bSavePrompt = TRUE;
    InvalidateRect(nullptr, TRUE);
}

void COzuFreeView::OnInvert()
{
    CWaitCursor wait;
    const BOOL pushed = Push();
    if (m_wndImage.Invert() != SUCCESS) {
        if (pushed)
            Pop();
        return;
    }
    m_bMeasureMode = FALSE;
    Changed();
}

void COzuFreeView::OnProcess(UINT nID)
{
    int mode = CImageProcessDlg::kAverage;
    switch (nID) {
    case ID_IMG_MEDIAN: mode = CImageProcessDlg::kMedian; break;
    case ID_IMG_SHARPEN: mode = CImageProcessDlg::kSharpen; break;
    case ID_IMG_EMBOSS: mode = CImageProcessDlg::kEmboss; break;
    case ID_IMG_ROTATE_ANY: mode = CImageProcessDlg::kRotate; break;
    case ID_IMG_BRIGHTNESS: mode = CImageProcessDlg::kBrightness; break;
    case ID_IMG_CONTRAST: mode = CImageProcessDlg::kContrast; break;
    case ID_IMG_SATURATION: mode = CImageProcessDlg::kSaturation; break;
    default: break;
    }
    const bool rotate = mode == CImageProcessDlg::kRotate;
    const BOOL pushed = Push();
    if (!rotate)
        m_bMeasureMode = FALSE;
    CImageProcessDlg dlg(nullptr);
    dlg.Init(m_wndImage, mode);
    bool applied = false;
    if (dlg.DoModal() == IDOK) {
        CWaitCursor wait;
        applied = CImageProcessDlg::Apply(m_wndImage, mode, dlg.m_nParameter) == SUCCESS;
    }
    if (!applied && pushed)
        Pop();
    if (rotate) {
        SetScrollSizes(MM_TEXT, CSize(m_wndImage.GetWidth(), m_wndImage.GetHeight()));
        SetScrollSizes(MM_TEXT, ZoomedSize());
    }
    if (applied)
        Changed();
    else if (rotate)
        InvalidateRect(nullptr, TRUE);
}

void COzuFreeView::OnReverse()
{
    const BOOL pushed = Push();
    if (m_wndImage.Reverse() == SUCCESS)
        Changed();
    else if (pushed)
        Pop();
}

void COzuFreeView::OnFlip()
{
    const BOOL pushed = Push();
    if (m_wndImage.Flip() == SUCCESS)
        Changed();
    else if (pushed)
        Pop();
}

void COzuFreeView::OnRotate(UINT nID)
{
    const int angle = nID == ID_IMG_ROTATE_90 ? 9000 : nID == ID_IMG_ROTATE_180 ? 18000 : 27000;
    const BOOL pushed = Push();
    if (m_wndImage.Rotate(angle, ROTATE_RESIZE, 0) != SUCCESS) {
        if (pushed)
            Pop();
        return;
    }
    if (angle != 18000)
        SetScrollSizes(MM_TEXT, ZoomedSize());
    Changed();
}

// ---------------------------------------------------------------- saving
int COzuFreeView::AskBurnIn()
{
    if (!m_bMeasuring)
        return 0;
    return AskHint(m_hWnd, IDS_SAVE_MEASURES) == IDYES ? 1 : 0;
}

BOOL COzuFreeView::SaveTo(LPCWSTR path, BOOL jpeg, int burnIn)
{
    CWaitCursor wait;
    return jpeg ? m_wndImage.SaveJpeg(path, burnIn) : m_wndImage.SaveBmp(path, burnIn);
}

BOOL COzuFreeView::SaveImage()
{
    CFileDialog dlg(FALSE, L"bmp", L"Image", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER,
                    L"bmp Files (*.bmp)|*.bmp|jpg Files (*.jpg)|*.jpg||", nullptr);
    const int burnIn = AskBurnIn();
    if (dlg.DoModal() != IDOK)
        return FALSE;
    // The format follows the filter, not the typed extension; the path is
    // the dialog's whole path, not a name in whatever folder is current.
    if (!SaveTo(dlg.GetPathName(), dlg.m_ofn.nFilterIndex == 2, burnIn))
        return FALSE;
    m_bSavePrompt = FALSE;
    m_strLastSavePath = dlg.GetPathName();
    return TRUE;
}

void COzuFreeView::OnFileSaveAs()
{
    if (!SaveImage())
        return;
    // The picture takes the saved file as its own, so that Save writes there
    // and never over the file it was opened from; when the path does not fit
    // the ANSI name the picture is known by, Save asks again.
    char ansi[256] = {};
    BOOL lossy = FALSE;
    if (!::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, m_strLastSavePath, -1, ansi, sizeof ansi, nullptr,
                               &lossy) ||
        lossy)
        ansi[0] = '\0';
    m_wndImage.SetFileName(ansi);
    const int back = m_strLastSavePath.ReverseFind(L'\\');
    const int slash = back >= 0 ? back : m_strLastSavePath.ReverseFind(L'/');
    if (COzuFreeDoc* doc = GetDocument()) {
        doc->SetTitle(m_strLastSavePath.Mid(slash + 1));
        doc->UpdateAllViews(nullptr);
    }
}

void COzuFreeView::OnFileSave()
{
    const CString path(m_wndImage.GetFileName());
    if (path.IsEmpty()) {
        OnFileSaveAs();
        return;
    }
    const int back = path.ReverseFind(L'\\');
    const CString file = path.Mid((back >= 0 ? back : path.ReverseFind(L'/')) + 1);
    const int dot = file.ReverseFind(L'.');
    const CString ext = dot >= 0 ? file.Mid(dot + 1) : CString();
    const int burnIn = AskBurnIn();
    if (ext == L"jpg")
        SaveTo(path, TRUE, burnIn);
    else if (ext == L"bmp")
        SaveTo(path, FALSE, burnIn);
    else {
        CString text, caption;
        text.LoadString(IDS_SAVE_UNKNOWN_TYPE);
        caption.LoadString(IDS_HINT);
        AfxScriptedMessageBox(m_hWnd, text, caption, MB_OK | MB_ICONWARNING | OrvikRtlFlag());
    }
}

// ---------------------------------------------------------------- measuring commands
void COzuFreeView::OnTool(UINT nID)
{
    int tool = kToolLine;
    switch (nID) {
    case ID_MEAS_ANGLE: tool = kToolAngle; break;
    case ID_MEAS_RECTANGLE: tool = kToolRect; break;
    case ID_MEAS_ROUND: tool = kToolCircle; break;
    case ID_MEAS_MOVE: tool = kToolMove; break;
    case ID_MEAS_TEXT: tool = kToolText; break;
    case ID_MEAS_POLYGON: tool = kToolPolygon; break;
    default: break;
    }
    m_bMeasureMode = TRUE;
    m_wndImage.m_nTool = tool;
    m_bModified = TRUE;
    m_bMeasuring = TRUE;
    m_bSavePrompt = TRUE;
}

void COzuFreeView::OnDeleteOne()
{
    m_bMeasureMode = TRUE;
    m_wndImage.m_nTool = kToolDeleteOne;
    if (GetLayer()->GetShapeCount() <= 1) {
        m_wndImage.m_nTool = kToolNone;
        m_bMeasuring = FALSE;
    }
}

void COzuFreeView::OnDeleteAll()
{
    m_bMeasureMode = TRUE;
    if (GetLayer()->GetShapeCount() <= 1 || AskHint(m_hWnd, IDS_DELETE_ALL_MEASURES) != IDYES)
        return;
    m_wndImage.m_nTool = kToolNothing;
    GetLayer()->DeleteAllShapes();
    m_wndImage.m_nTool = kToolNone;
    m_bMeasuring = FALSE;
}

void COzuFreeView::OnMeasureMerge()
{
    CWaitCursor wait;
    m_wndImage.MergeMeasurements();
    m_bModified = TRUE;
    m_bMeasureMode = FALSE;
    m_wndImage.m_nTool = kToolNone;
    m_bMeasuring = FALSE;
    GetLayer()->DeleteAllShapes();
}

void COzuFreeView::OnGenerateMeasureData()
{
    CWaitCursor wait;
    if (m_bMeasuring && m_bModified)
        m_wndImage.GenerateMeasureData();
}

void COzuFreeView::OnNothing() {}

void COzuFreeView::OnCalibration()
{
    m_wndImage.m_nTool = kToolMove;
    if (!m_dlgRuler.m_hWnd)
        return;
    m_dlgRuler.CenterWindow();
    m_dlgRuler.ShowWindow(SW_SHOW);
    m_dlgRuler.SetRestoreFlag(m_bShowRuler);
}

void COzuFreeView::OnMeasureToolSet()
{
    const MeasureViewSettings view = GetLayer()->GetViewSettings();
    CMeasureColorDlg dlg(this);
    dlg.SetColors(view.textColor, view.lineColor, view.pointColor, view.handleColor);
    if (dlg.DoModal() != IDOK)
        return;
    GetLayer()->SetColors(dlg.m_points, dlg.m_lines, dlg.m_adjustPoints, dlg.m_text);
    Invalidate(TRUE);
}

void COzuFreeView::OnShowRuler()
{
    m_bShowRuler = !m_bShowRuler;
    GetLayer()->SetShowScaleBar(m_bShowRuler);
    if (m_bShowRuler)
        m_bMeasuring = TRUE;
}

void COzuFreeView::OnEditCopy()
{
    m_wndImage.CopyToClipboard(m_hWnd, COPY2CB_EMPTY | COPY2CB_DIB | COPY2CB_DDB | COPY2CB_PALETTE);
}

// ---------------------------------------------------------------- printing
void COzuFreeView::OnFilePrint() { CView::OnFilePrint(); }

BOOL COzuFreeView::OnPreparePrinting(CPrintInfo* pInfo)
{
    // Every page is the same picture: up to 15 copies may be asked for, one
    // is printed unless more are.
    pInfo->SetMaxPage(15);
    pInfo->m_pPD->m_pd.Flags = (pInfo->m_pPD->m_pd.Flags & ~PD_ALLPAGES) | PD_PAGENUMS;
    pInfo->m_nFromPage = pInfo->m_nToPage = 1;
    return DoPreparePrinting(pInfo);
}

void COzuFreeView::OnBeginPrinting(CDC*, CPrintInfo*) {}
void COzuFreeView::OnEndPrinting(CDC*, CPrintInfo*) {}

// One screen pixel per logical unit at 96 dots per inch. A picture larger
// than the printable area is fitted into it, keeping its shape.
void COzuFreeView::OnPrint(CDC* pDC, CPrintInfo*)
{
    HDC screen = ::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    const int sw = ::GetDeviceCaps(screen, HORZRES), sh = ::GetDeviceCaps(screen, VERTRES);
    ::DeleteDC(screen);
    const int dpiX = std::max(1, pDC->GetDeviceCaps(LOGPIXELSX)), dpiY = std::max(1, pDC->GetDeviceCaps(LOGPIXELSY));
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(CSize(sw, sh));
    pDC->SetViewportExt(CSize(sw * dpiX / 96, sh * dpiY / 96));
    CString trace;
    trace.Format(L"rectwidth %d,rectheight %d", pDC->GetDeviceCaps(PHYSICALWIDTH), pDC->GetDeviceCaps(PHYSICALHEIGHT));
    ::OutputDebugStringW(trace);
    // The printable area in logical units, not device pixels.
    const long long pageW = (long long)pDC->GetDeviceCaps(HORZRES) * 96 / dpiX;
    const long long pageH = (long long)pDC->GetDeviceCaps(VERTRES) * 96 / dpiY;
    const int w = m_wndImage.GetWidth(), h = m_wndImage.GetHeight();
    long long pw = w, ph = h;
    if (w >= h && w >= pageW) {
        pw = pageW;
        ph = pageW * h / w;
    }
    if (ph > pageH) {
        pw = pw * pageH / ph;
        ph = pageH;
    }
    pDC->SetStretchBltMode(COLORONCOLOR);
    StretchPicture(pDC->m_hDC, m_wndImage, 0, 0, int(pw), int(ph));
}

// ---------------------------------------------------------------- update handlers
void COzuFreeView::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
void COzuFreeView::OnUpdateGeometry(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_bMeasuring); }
void COzuFreeView::OnUpdateZoomIn(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nZoom != 400); }
void COzuFreeView::OnUpdateZoomOut(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nZoom != 25); }
void COzuFreeView::OnUpdateUndo(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nUndoCount >= 1); }
void COzuFreeView::OnUpdateRedo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nUndoCount < kUndoSlots && m_pUndo[m_nUndoCount] != nullptr);
}
void COzuFreeView::OnUpdateGenerateMeasureData(CCmdUI* pCmdUI) { pCmdUI->Enable(GetLayer()->GetShapeCount() > 1); }
void COzuFreeView::OnUpdateShowRuler(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_bShowRuler == 1);
}

void COzuFreeView::OnUpdateMemory(CCmdUI* pCmdUI)
{
    CString s;
    s.Format(L"%lu bytes, MEMORY", (unsigned long)m_wndImage.GetSize());
    pCmdUI->Enable(TRUE);
    pCmdUI->SetText(s);
}

void COzuFreeView::OnUpdateZoomPane(CCmdUI* pCmdUI)
{
    CString s;
    s.Format(L"%u%%", (unsigned)m_wndImage.GetZoomPercent());
    pCmdUI->Enable(TRUE);
    pCmdUI->SetText(s);
}

void COzuFreeView::OnUpdateDimensions(CCmdUI* pCmdUI)
{
    CString s;
    s.Format(L"%d X %d", m_wndImage.GetWidth(), m_wndImage.GetHeight());
    pCmdUI->Enable(TRUE);
    pCmdUI->SetText(s);
}

void COzuFreeView::OnUpdateBitsPerPixel(CCmdUI* pCmdUI)
{
    CString s;
    s.Format(L"%d bits", m_wndImage.GetBitsPerPixel());
    pCmdUI->Enable(TRUE);
    pCmdUI->SetText(s);
}

void COzuFreeView::OnUpdateFileName(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
    pCmdUI->SetText(CString(m_wndImage.GetFileName()));
}
