// A view window on the virtual display holding a measurement layer, as the
// still-image and live views hold theirs, and a recorder that draws a layer
// into an enhanced metafile and reads back what was drawn.
#pragma once
#include <gtest/gtest.h>

#include <AfxWindows.h>
#include <string>
#include <vector>

#include "MeasureLayer.h"
#include "MeasureShape.h"

// The view: mouse messages go to the layer with the current tool, painting
// fills black and draws the layer, and WM_RULER_CHANGED is counted.
class CTestView : public CWnd {
public:
    CMeasureLayer layer;
    int tool = kToolMove;
    int rulerChanged = 0;

    // A borderless top-level window whose client area is w x h, on top and
    // away from the corner where other programs' windows open, so that its
    // pixels are its own while other tests run beside it.
    bool Open(int w = 800, int h = 600) {
        if (!CreateEx(WS_EX_TOPMOST, nullptr, L"measure test view", WS_POPUP | WS_VISIBLE, 560, 480, w, h, nullptr,
                      nullptr))
            return false;
        layer.SetViewWindow(m_hWnd);
        layer.CreateShape(kShapeScaleBar);
        return true;
    }
    ~CTestView() override {
        // The layer's label editors are children of this window.
        layer.DeleteAllShapes();
        DestroyWindow();
    }

    LRESULT Mouse(UINT msg, int x, int y) {
        const WPARAM keys = (msg == WM_LBUTTONUP) ? 0 : MK_LBUTTON;
        return ::SendMessageW(m_hWnd, msg, keys, MAKELPARAM(x, y));
    }
    // A click without moving.
    void Click(int x, int y) {
        Mouse(WM_LBUTTONDOWN, x, y);
        Mouse(WM_LBUTTONUP, x, y);
    }
    // A press at p, a drag through the points, a release at the last one.
    void Drag(POINT p, std::initializer_list<POINT> path) {
        Mouse(WM_LBUTTONDOWN, p.x, p.y);
        POINT last = p;
        for (POINT q : path) {
            Mouse(WM_MOUSEMOVE, q.x, q.y);
            last = q;
        }
        Mouse(WM_LBUTTONUP, last.x, last.y);
    }
    // A line as a user draws one: the fixed end is where the pointer first
    // moved, so the first move stays on the press point.
    void DrawLine(POINT p, POINT q) { Drag(p, {p, q}); }
    // Processes what is posted to this thread (paint, editor clicks).
    static void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint pt) { layer.OnLButtonDown(nFlags, pt.x, pt.y, tool); }
    afx_msg void OnLButtonUp(UINT nFlags, CPoint pt) { layer.OnLButtonUp(nFlags, pt.x, pt.y, tool); }
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint pt) { layer.OnLButtonDblClk(nFlags, pt.x, pt.y, tool); }
    afx_msg void OnMouseMove(UINT nFlags, CPoint pt) { layer.OnMouseMove(nFlags, pt.x, pt.y, tool); }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(0, 0, 0));
        layer.DrawAll(&dc);
    }
    afx_msg LRESULT OnRulerChanged(WPARAM, LPARAM) {
        ++rulerChanged;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

// One drawing call recorded into a metafile.
struct EmfText {
    std::wstring text;
    POINT at;
};
struct EmfPen {
    UINT style;
    int width;
    COLORREF color;
};
struct EmfArc {
    RECT box;
    POINT start, end;
};
struct EmfDrawing {
    std::vector<EmfText> texts;
    std::vector<std::pair<POINT, POINT>> lines;   // MoveTo then LineTo
    std::vector<RECT> rectangles, ellipses;
    std::vector<EmfArc> arcs;
    std::vector<EmfPen> pens;
    int lineTos = 0;

    // The texts in drawing order.
    std::vector<std::wstring> Strings() const {
        std::vector<std::wstring> s;
        for (const EmfText& t : texts) s.push_back(t.text);
        return s;
    }
    const EmfText* Find(const std::wstring& text) const {
        for (const EmfText& t : texts)
            if (t.text == text) return &t;
        return nullptr;
    }
};

inline POINT Pt(const POINTL& p) { return {p.x, p.y}; }
inline RECT Rc(const RECTL& r) { return {r.left, r.top, r.right, r.bottom}; }

struct EmfState {
    EmfDrawing* out;
    POINT cur;
};

inline int CALLBACK EmfRecordProc(HDC, HANDLETABLE*, const ENHMETARECORD* rec, int, LPARAM lp) {
    EmfState& s = *reinterpret_cast<EmfState*>(lp);
    switch (rec->iType) {
    case EMR_EXTTEXTOUTW: {
        auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(rec);
        auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(rec) + t->emrtext.offString);
        s.out->texts.push_back(EmfText{std::wstring(chars, t->emrtext.nChars), Pt(t->emrtext.ptlReference)});
        break;
    }
    case EMR_MOVETOEX: s.cur = Pt(reinterpret_cast<const EMRMOVETOEX*>(rec)->ptl); break;
    case EMR_LINETO: {
        const POINT to = Pt(reinterpret_cast<const EMRLINETO*>(rec)->ptl);
        s.out->lines.push_back({s.cur, to});
        s.cur = to;
        ++s.out->lineTos;
        break;
    }
    case EMR_RECTANGLE: s.out->rectangles.push_back(Rc(reinterpret_cast<const EMRRECTANGLE*>(rec)->rclBox)); break;
    case EMR_ELLIPSE: s.out->ellipses.push_back(Rc(reinterpret_cast<const EMRELLIPSE*>(rec)->rclBox)); break;
    case EMR_ARC: {
        auto* a = reinterpret_cast<const EMRARC*>(rec);
        s.out->arcs.push_back({Rc(a->rclBox), Pt(a->ptlStart), Pt(a->ptlEnd)});
        break;
    }
    case EMR_CREATEPEN: {
        auto* p = reinterpret_cast<const EMRCREATEPEN*>(rec);
        s.out->pens.push_back({p->lopn.lopnStyle, static_cast<int>(p->lopn.lopnWidth.x), p->lopn.lopnColor});
        break;
    }
    default: break;
    }
    return 1;
}

// Draws through `draw` into a metafile DC and decodes the records.
template <class Draw>
EmfDrawing RecordEmf(Draw draw) {
    EmfDrawing out;
    HDC mf = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    {
        CDC dc;
        dc.Attach(mf);
        draw(&dc);
        dc.Detach();
    }
    HENHMETAFILE h = ::CloseEnhMetaFile(mf);
    EmfState st{&out, {0, 0}};
    ::EnumEnhMetaFile(nullptr, h, &EmfRecordProc, &st, nullptr);
    ::DeleteEnhMetaFile(h);
    return out;
}

inline EmfDrawing RecordLayer(CMeasureLayer& layer) {
    return RecordEmf([&](CDC* dc) { layer.DrawAll(dc); });
}

inline std::vector<std::wstring> Texts(const CMeasureLayer& layer, int index) {
    std::vector<std::wstring> out;
    for (const CString& s : layer.GetShapeTexts(index)) out.emplace_back(s.GetString(), s.GetLength());
    return out;
}

inline std::vector<POINT> Vertices(CMeasureShape* s) {
    std::vector<POINT> out;
    for (int i = 0; s && i < s->GetCoordCount(); ++i) out.push_back(*s->GetCoord(i));
    return out;
}

inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& o, const POINT& p) { return o << "(" << p.x << ", " << p.y << ")"; }
inline std::ostream& operator<<(std::ostream& o, const RECT& r) {
    return o << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
