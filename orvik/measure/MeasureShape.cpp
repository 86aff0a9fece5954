#include "MeasureShape.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "ColorTable.h"
#include "MeasureGdi.h"
#include "MeasureLayer.h"

namespace {

// Ids follow the tick count, but two shapes made in one millisecond (or by
// one program step) still get different ids: FindShape and DeleteShape must
// never act on another shape than the one that asked.
UINT NextShapeId() {
    static std::atomic<UINT> last{0};
    UINT prev = last.load();
    for (;;) {
        UINT tick = ::GetTickCount();
        UINT id = tick > prev ? tick : prev + 1;
        if (last.compare_exchange_weak(prev, id)) return id;
    }
}

void Trace(LPCWSTR format, ...) {
    wchar_t line[64];
    va_list args;
    va_start(args, format);
    _vsnwprintf(line, 63, format, args);
    va_end(args);
    line[63] = 0;
    ::OutputDebugStringW(line);
}

}  // namespace

void ExtendBox(CRect& r, POINT p) {
    r.left = std::min<LONG>(r.left, p.x);
    r.top = std::min<LONG>(r.top, p.y);
    r.right = std::max<LONG>(r.right, p.x);
    r.bottom = std::max<LONG>(r.bottom, p.y);
}

CRect MeasureBox(int x1, int y1, int x2, int y2) {
    CRect r(x1, y1, x2, y2);
    r.NormalizeRect();
    return r;
}

CMeasureShape::CMeasureShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal,
                             MeasureViewSettings* pView, int type)
    : m_hwndView(hwndView), m_pLayer(pLayer), m_id(NextShapeId()), m_pCal(pCal), m_pView(pView), m_type(type),
      m_active(false), m_selected(false), m_last(0, 0), m_hit(kHitNone) {
    Trace(L"Shape id:%d created", m_id);
}

CMeasureShape::~CMeasureShape() {}

int CMeasureShape::GetType() const { return m_type; }
UINT CMeasureShape::GetId() const { return m_id; }
BOOL CMeasureShape::SetCalibration(const MeasureCalibration& cal) { return m_pLayer->SetCalibration(cal); }
BOOL CMeasureShape::SetViewSettings(const MeasureViewSettings& view) { return m_pLayer->SetViewSettings(view); }
double CMeasureShape::GetPerimeter() const { return 0.0; }
double CMeasureShape::GetArea() const { return 0.0; }
void CMeasureShape::Draw(CDC*) {}
int CMeasureShape::OnLButtonDown(UINT, int, int, int) { return kHitNone; }
int CMeasureShape::OnLButtonUp(UINT, int, int, int) { return kHitNone; }
int CMeasureShape::OnMouseMove(UINT, int, int, int) { return kHitNone; }
int CMeasureShape::OnLButtonDblClk(UINT, int, int, int) { return kHitNone; }
void CMeasureShape::Invalidate() {}
int CMeasureShape::HitTest(int x, int y) { return HitBody(x, y) ? kHitBody : HitVertex(x, y); }
void CMeasureShape::SetSelected(bool selected) { m_selected = selected; }

int CMeasureShape::AddOneCoord(int x, int y) {
    m_coords.emplace_back(x, y);
    Trace(L"AddOneCoord:%d,%d", x, y);
    return GetCoordCount();
}

CPoint* CMeasureShape::GetCoord(int index) {
    if (index < 0 || index >= GetCoordCount()) return nullptr;
    return &m_coords[index];
}

int CMeasureShape::SetCoord(int index, int x, int y) {
    if (index < 0 || index >= GetCoordCount()) return -1;
    m_coords[index] = CPoint(x, y);
    return index;
}

int CMeasureShape::MoveBody(int x, int y) {
    if (m_hit == kHitBody) {
        for (CPoint& p : m_coords) p.Offset(x - m_last.x, y - m_last.y);
        m_last = CPoint(x, y);
    }
    return m_hit;
}

int CMeasureShape::HitVertex(int x, int y) {
    // 8 image pixels either side, inclusive.
    for (int i = 0; i < GetCoordCount(); ++i) {
        CRect box(m_coords[i].x - 8, m_coords[i].y - 8, m_coords[i].x + 9, m_coords[i].y + 9);
        if (box.PtInRect(CPoint(x, y))) return i;
    }
    return kHitNone;
}

bool CMeasureShape::HitBody(int, int) { return false; }

bool CMeasureShape::PressDeletesOrGrabs(int x, int y, int tool) {
    m_hit = HitTest(x, y);
    if (tool == kToolDeleteOne) {
        // -1 either way, so the layer offers the press to the shapes below.
        if (m_selected || m_hit != kHitNone) Discard();   // may delete this
        return true;
    }
    if (tool == kToolMove) {
        if (m_hit != kHitNone) {
            m_selected = true;
            m_active = true;
            m_last = CPoint(x, y);
        } else {
            m_selected = false;
        }
    }
    return false;
}

CPoint CMeasureShape::ToView(int x, int y) const {
    CPoint p(x, y);
    ImageToView(p);
    return p;
}

void CMeasureShape::ImageToView(CPoint& pt) const { MeasureImageToView(*m_pView, pt); }
void CMeasureShape::ViewToImage(CPoint& pt) const { MeasureViewToImage(*m_pView, pt); }

void CMeasureShape::InvalidateImageRect(const CRect& rect, BOOL erase) {
    if (!m_hwndView) return;   // a null window would mean every window
    CPoint tl = rect.TopLeft(), br = rect.BottomRight();
    ImageToView(tl);
    ImageToView(br);
    CRect r(tl, br);
    // Room for the texts beside the shape, which keep their size at any zoom.
    const float zoom = m_pView->zoom;
    if (zoom <= 1.0f) r.InflateRect(100, 50);
    else r.InflateRect(static_cast<int>(zoom * 120), static_cast<int>(zoom * 80));
    ::InvalidateRect(m_hwndView, &r, erase);
}

void CMeasureShape::DrawHandle(CDC* pDC, int x, int y) {
    const HDC dc = pDC->m_hDC;
    const CPoint p = ToView(x, y);
    {
        CSelectedObject pen(dc, ::CreatePen(PS_SOLID, 2, MeasureColor(m_pView->handleColor, kColorBlue)));
        CSelectedObject brush = CSelectedObject::Stock(dc, NULL_BRUSH);
        ::Rectangle(dc, p.x - 3, p.y - 3, p.x + 4, p.y + 4);
    }
    CSelectedObject pen(dc, ::CreatePen(PS_SOLID, 2, MeasureColor(m_pView->pointColor, kColorRed)));
    ::MoveToEx(dc, p.x - 5, p.y, nullptr);
    ::LineTo(dc, p.x + 5, p.y);
    ::MoveToEx(dc, p.x, p.y - 5, nullptr);
    ::LineTo(dc, p.x, p.y + 5);
}

void CMeasureShape::DrawHandles(CDC* pDC) {
    for (int i = 0; i < GetCoordCount(); ++i) DrawHandle(pDC, m_coords[i].x, m_coords[i].y);
}

namespace {
HPEN CreateShapePen(const MeasureViewSettings* view, bool dotted) {
    return ::CreatePen(dotted ? PS_DOT : PS_SOLID, 2, MeasureColor(view->lineColor, kColorGreen));
}
}  // namespace

void CMeasureShape::DrawLine(CDC* pDC, bool dotted, int x1, int y1, int x2, int y2) {
    const HDC dc = pDC->m_hDC;
    const CPoint a = ToView(x1, y1), b = ToView(x2, y2);
    CSelectedObject pen(dc, CreateShapePen(m_pView, dotted));
    ::MoveToEx(dc, a.x, a.y, nullptr);
    ::LineTo(dc, b.x, b.y);
}

void CMeasureShape::DrawArc(CDC* pDC, bool dotted, int left, int top, int right, int bottom, int xStart, int yStart,
                            int xEnd, int yEnd) {
    const HDC dc = pDC->m_hDC;
    const CPoint tl = ToView(left, top), br = ToView(right, bottom);
    const CPoint s = ToView(xStart, yStart), e = ToView(xEnd, yEnd);
    CSelectedObject pen(dc, CreateShapePen(m_pView, dotted));
    CSelectedObject brush = CSelectedObject::Stock(dc, NULL_BRUSH);
    ::Arc(dc, tl.x, tl.y, br.x, br.y, s.x, s.y, e.x, e.y);
}

void CMeasureShape::DrawEllipse(CDC* pDC, bool dotted, int left, int top, int right, int bottom) {
    const HDC dc = pDC->m_hDC;
    const CPoint tl = ToView(left, top), br = ToView(right, bottom);
    CSelectedObject pen(dc, CreateShapePen(m_pView, dotted));
    CSelectedObject brush = CSelectedObject::Stock(dc, NULL_BRUSH);
    ::Ellipse(dc, tl.x, tl.y, br.x, br.y);
}

void CMeasureShape::DrawTextAt(CDC* pDC, LPCWSTR text, int wx, int wy, HFONT font) {
    const HDC dc = pDC->m_hDC;
    CSelectedObject f(dc, font);
    CTextStyle style(dc, MeasureColor(m_pView->textColor, kColorWhite));
    ::TextOutW(dc, wx, wy, text, static_cast<int>(wcslen(text)));
}

// The font keeps its size at every zoom; only the anchor follows the picture.
void CMeasureShape::DrawValueText(CDC* pDC, LPCWSTR text, int x, int y) {
    const CPoint p = ToView(x, y);
    DrawTextAt(pDC, text, p.x, p.y, CreateValueFont());
}

void CMeasureShape::Discard() {}

void CMeasureShape::DiscardWithRect(const CRect& rect, BOOL erase) {
    m_coords.clear();
    InvalidateImageRect(rect, erase);
    m_pLayer->DeleteShape(m_id);   // deletes this
}

std::vector<CString> CMeasureShape::GetValueTexts() const { return {}; }

const wchar_t* CMeasureShape::Unit() const { return MeasureUnitName(m_pCal->unit); }

CRect CMeasureShape::VertexBox() const {
    if (m_coords.empty()) return CRect();
    CRect r(m_coords[0], m_coords[0]);
    for (const CPoint& p : m_coords) ExtendBox(r, p);
    return r;
}
