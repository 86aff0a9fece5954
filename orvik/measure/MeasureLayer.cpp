#include "MeasureLayer.h"

#include <cstring>
#include <cwchar>

#include "AngleShape.h"
#include "Circle3Shape.h"
#include "CircleShape.h"
#include "ColorTable.h"
#include "LineShape.h"
#include "MeasureGdi.h"
#include "OverlayMerge.h"
#include "PointShape.h"
#include "PolygonShape.h"
#include "RectShape.h"
#include "ReticleShape.h"
#include "ScaleBarShape.h"
#include "TextShape.h"

CMeasureLayer::CMeasureLayer() {}

CMeasureLayer::~CMeasureLayer() {
    auto lock = Lock();
    while (!m_shapes.empty()) m_shapes.pop_back();
}

// ---------------------------------------------------------------- shapes

CMeasureShape* CMeasureLayer::CreateShape(int type) {
    auto lock = Lock();
    const HWND hwnd = m_view.hwndView;
    CMeasureShape* shape = nullptr;
    switch (type) {
    case kShapePoint: shape = new CPointShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeLine: shape = new CLineShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeAngle: shape = new CAngleShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeRect: shape = new CRectShape(hwnd, this, &m_cal, &m_view); break;
    case kShapePolygon: shape = new CPolygonShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeCircle: shape = new CCircleShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeCircle3: shape = new CCircle3Shape(hwnd, this, &m_cal, &m_view); break;
    case kShapeScaleBar: shape = new CScaleBarShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeReticle: shape = new CReticleShape(hwnd, this, &m_cal, &m_view); break;
    case kShapeText: shape = new CTextShape(hwnd, this, &m_cal, &m_view); break;
    default: return nullptr;
    }
    m_shapes.emplace_back(shape);
    return shape;
}

int CMeasureLayer::FindShape(UINT id) const {
    auto lock = Lock();
    for (size_t i = 0; i < m_shapes.size(); ++i)
        if (m_shapes[i]->GetId() == id) return static_cast<int>(i);
    return -1;
}

void CMeasureLayer::DeleteShape(UINT id) {
    auto lock = Lock();
    const int i = FindShape(id);
    if (i < 0) return;
    const int type = m_shapes[i]->GetType();
    if (type == kShapeScaleBar || type == kShapeReticle) return;
    // Out of the list first: the list is whole while the shape goes.
    std::unique_ptr<CMeasureShape> doomed = std::move(m_shapes[i]);
    m_shapes.erase(m_shapes.begin() + i);
}

void CMeasureLayer::DeleteAllShapes() {
    {
        auto lock = Lock();
        while (m_shapes.size() > 1) m_shapes.pop_back();
    }
    InvalidateView();
}

void CMeasureLayer::DeselectAll() {
    auto lock = Lock();
    for (auto& s : m_shapes) s->SetSelected(false);
}

int CMeasureLayer::GetShapeCount() const {
    auto lock = Lock();
    return static_cast<int>(m_shapes.size());
}

CMeasureShape* CMeasureLayer::GetShape(int index) const {
    auto lock = Lock();
    return index >= 0 && index < static_cast<int>(m_shapes.size()) ? m_shapes[index].get() : nullptr;
}

std::vector<CString> CMeasureLayer::GetShapeTexts(int index) const {
    auto lock = Lock();
    const CMeasureShape* s = GetShape(index);
    return s ? s->GetValueTexts() : std::vector<CString>();
}

// ---------------------------------------------------------------- drawing

void CMeasureLayer::DrawShapes(CDC* pDC, bool first, bool rest) {
    if (m_shapes.empty()) return;
    if (first) m_shapes[0]->Draw(pDC);
    if (rest)
        for (size_t i = 1; i < m_shapes.size(); ++i) m_shapes[i]->Draw(pDC);
}

void CMeasureLayer::DrawAll(CDC* pDC) {
    if (!pDC) return;
    auto lock = Lock();
    DrawShapes(pDC, m_showScaleBar != 0, true);
}

void CMeasureLayer::Redraw() {
    const HWND hwnd = GetViewSettings().hwndView;
    if (!hwnd) return;
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::InvalidateRect(hwnd, &rc, TRUE);
    CDC dc;
    dc.Attach(::GetDC(hwnd));
    DrawAll(&dc);
    ::ReleaseDC(hwnd, dc.Detach());
}

void CMeasureLayer::InvalidateView() {
    // A null window would mean every window of the desktop.
    if (const HWND hwnd = GetViewSettings().hwndView) ::InvalidateRect(hwnd, nullptr, TRUE);
}

void CMeasureLayer::SetShowScaleBar(int show) {
    {
        auto lock = Lock();
        m_showScaleBar = show;
    }
    InvalidateView();
}

int CMeasureLayer::GetShowScaleBar() const {
    auto lock = Lock();
    return m_showScaleBar;
}

// ---------------------------------------------------------------- view settings

void CMeasureLayer::SetViewWindow(HWND hwnd) {
    auto lock = Lock();
    m_view.hwndView = hwnd;
}

void CMeasureLayer::SetColors(int point, int line, int handle, int text) {
    auto lock = Lock();
    m_view.pointColor = point;
    m_view.lineColor = line;
    m_view.handleColor = handle;
    m_view.textColor = text;
}

float CMeasureLayer::SetZoom(float zoom) {
    float old;
    {
        auto lock = Lock();
        old = m_view.zoom;
        if (!IsValidZoom(zoom)) return old;
        m_view.zoom = zoom;
    }
    InvalidateView();
    return old;
}

float CMeasureLayer::GetZoom() const {
    auto lock = Lock();
    return m_view.zoom;
}

void CMeasureLayer::SetScrollOffset(CPoint offset) {
    auto lock = Lock();
    if (offset == m_view.scroll) return;
    m_view.scroll = offset;
    for (auto& s : m_shapes) s->Invalidate();
}

CPoint CMeasureLayer::GetScrollOffset() const {
    auto lock = Lock();
    return m_view.scroll;
}

BOOL CMeasureLayer::SetCalibration(const MeasureCalibration& cal) {
    if (!IsValidCalibration(cal)) return FALSE;
    auto lock = Lock();
    m_cal = cal;
    return TRUE;
}

MeasureCalibration CMeasureLayer::GetCalibration() const {
    auto lock = Lock();
    return m_cal;
}

BOOL CMeasureLayer::SetViewSettings(const MeasureViewSettings& view) {
    if (!IsValidZoom(view.zoom)) return FALSE;
    auto lock = Lock();
    m_view = view;
    return TRUE;
}

MeasureViewSettings CMeasureLayer::GetViewSettings() const {
    auto lock = Lock();
    return m_view;
}

void CMeasureLayer::ViewToImage(CPoint& pt) const {
    auto lock = Lock();
    MeasureViewToImage(m_view, pt);
}

void CMeasureLayer::ImageToView(CPoint& pt) const {
    auto lock = Lock();
    MeasureImageToView(m_view, pt);
}

int CMeasureLayer::IsButtonDown() const {
    auto lock = Lock();
    return m_view.buttonDown;
}

// ---------------------------------------------------------------- mouse

// Shapes delete themselves on the way (a discarded line, a tool-200 hit):
// walk by index, downwards, and check the bound at every step.
template <class Call>
void CMeasureLayer::EachShapeFromLast(Call call) {
    for (int i = static_cast<int>(m_shapes.size()) - 1; i >= 0; --i) {
        if (i >= static_cast<int>(m_shapes.size())) continue;
        if (call(m_shapes[i].get())) return;
    }
}

void CMeasureLayer::PressNewShape(UINT nFlags, const CPoint& pt, int tool, int type) {
    CreateShape(type);
    // Tool 9 made nothing: the press goes to whatever shape is last, if any.
    if (!m_shapes.empty()) m_shapes.back()->OnLButtonDown(nFlags, pt.x, pt.y, tool);
}

void CMeasureLayer::PressMultiClick(UINT nFlags, const CPoint& pt, int tool) {
    for (size_t i = 0; i < m_shapes.size(); ++i) {
        if (m_shapes[i]->IsActive() && m_shapes[i]->GetType() == tool) {
            m_shapes[i]->OnLButtonDown(nFlags, pt.x, pt.y, tool);
            return;
        }
    }
    if (CMeasureShape* shape = CreateShape(tool)) shape->OnLButtonDown(nFlags, pt.x, pt.y, tool);
}

void CMeasureLayer::OnLButtonDown(UINT nFlags, int x, int y, int tool) {
    auto lock = Lock();
    CPoint pt(x, y);
    MeasureViewToImage(m_view, pt);
    DeselectAll();
    if (tool == kToolNothing) return;
    switch (tool) {
    case kToolPoint: PressNewShape(nFlags, pt, tool, kShapePoint); break;
    case kToolLine: PressNewShape(nFlags, pt, tool, kShapeLine); break;
    case kToolRect: PressNewShape(nFlags, pt, tool, kShapeRect); break;
    case kToolCircle: PressNewShape(nFlags, pt, tool, kShapeCircle); break;
    case kToolText: PressNewShape(nFlags, pt, tool, kShapeText); break;
    case kToolLastShape: PressNewShape(nFlags, pt, tool, kShapeNone); break;
    case kToolAngle:
    case kToolPolygon:
    case kToolCircle3: PressMultiClick(nFlags, pt, tool); break;
    default:
        // Move, delete one and every other value: the first shape from the
        // top that takes the press ends the search.
        EachShapeFromLast([&](CMeasureShape* s) { return s->OnLButtonDown(nFlags, pt.x, pt.y, tool) != kHitNone; });
        break;
    }
    m_view.buttonDown = 1;
}

// Release, double click and move reach every shape, whatever they answer.
void CMeasureLayer::Broadcast(int (CMeasureShape::*handler)(UINT, int, int, int), UINT nFlags, int x, int y,
                              int tool) {
    CPoint pt(x, y);
    MeasureViewToImage(m_view, pt);
    EachShapeFromLast([&](CMeasureShape* s) {
        (s->*handler)(nFlags, pt.x, pt.y, tool);
        return false;
    });
}

void CMeasureLayer::OnLButtonUp(UINT nFlags, int x, int y, int tool) {
    auto lock = Lock();
    Broadcast(&CMeasureShape::OnLButtonUp, nFlags, x, y, tool);
    m_view.buttonDown = 0;
}

void CMeasureLayer::OnLButtonDblClk(UINT nFlags, int x, int y, int tool) {
    auto lock = Lock();
    Broadcast(&CMeasureShape::OnLButtonDblClk, nFlags, x, y, tool);
    m_view.buttonDown = 0;
}

void CMeasureLayer::OnMouseMove(UINT nFlags, int x, int y, int tool) {
    auto lock = Lock();
    Broadcast(&CMeasureShape::OnMouseMove, nFlags, x, y, tool);
}

// ---------------------------------------------------------------- burn-in

BOOL CMeasureLayer::RenderOverlay(CDC* pDC, BYTE* buffer, int width, int height, int drawShapes, int drawScaleBar,
                                  int drawDate, int drawText, LPCWSTR text) {
    if (!buffer || width <= 0 || height <= 0) return FALSE;
    const size_t bytes = static_cast<size_t>(Dib24Stride(width)) * height;
    std::memset(buffer, kOverlayTransparent, bytes);

    // A bitmap can only be selected into a memory context: any other (or
    // none) gets one of our own, so nothing is drawn on a screen.
    CDC own;
    CDC* dc = pDC;
    if (!dc || ::GetObjectType(dc->m_hDC) != OBJ_MEMDC) {
        if (!own.Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr))) return FALSE;
        dc = &own;
    }
    const HDC hdc = dc->m_hDC;

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;   // bottom-up
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP dib = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) ::DeleteObject(dib);
        return FALSE;
    }
    std::memcpy(bits, buffer, bytes);

    auto lock = Lock();
    const int oldRop = ::SetROP2(hdc, R2_COPYPEN);
    {
        CSelectedObject bitmap(hdc, dib);
        DrawShapes(dc, drawScaleBar != 0, drawShapes != 0);
        {
            CSelectedObject font(hdc, CreateSmallFont());
            CTextStyle style(hdc, MeasureColor(m_view.textColor, kColorWhite));
            if (drawDate) {
                SYSTEMTIME st;
                ::GetLocalTime(&st);
                wchar_t date[32];
                swprintf(date, 32, L"%d-%d-%d", st.wYear, st.wMonth, st.wDay);
                ::TextOutW(hdc, width - 100, height - 40, date, static_cast<int>(wcslen(date)));
            }
            if (drawText && text) ::TextOutW(hdc, width - 100, height - 60, text, static_cast<int>(wcslen(text)));
        }
        ::GdiFlush();
        std::memcpy(buffer, bits, bytes);
    }
    ::SetROP2(hdc, oldRop);
    return TRUE;
}

int CMeasureLayer::MergeOverlay(BYTE* frame, const BYTE* overlay, int width, int height) {
    return ::MergeOverlay(frame, overlay, width, height);
}

// ---------------------------------------------------------------- reticle

// The reticle by convention sits at index 1; anything else there is left
// alone.
void CMeasureLayer::SetImageSize(int width, int height) {
    auto lock = Lock();
    if (m_shapes.size() >= 2 && m_shapes[1]->GetType() == kShapeReticle)
        static_cast<CReticleShape*>(m_shapes[1].get())->SetImageSize(width, height);
}

void CMeasureLayer::SetSpacing(int x, int y) {
    auto lock = Lock();
    if (m_shapes.size() >= 2 && m_shapes[1]->GetType() == kShapeReticle)
        static_cast<CReticleShape*>(m_shapes[1].get())->SetSpacing(x, y);
}
