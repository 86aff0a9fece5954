#include "PrintState.h"

std::wstring PrintWide(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0], n);
    return wide;
}

HBRUSH PrintShadeBrush(int shade)
{
    if (shade & kShadeGray) return HBRUSH(GetStockObject(GRAY_BRUSH));
    if (shade & kShadeLightGray) return HBRUSH(GetStockObject(LTGRAY_BRUSH));
    if (shade & kShadeDarkGray) return HBRUSH(GetStockObject(DKGRAY_BRUSH));
    if (shade & kShadeBlack) return HBRUSH(GetStockObject(BLACK_BRUSH));
    return HBRUSH(GetStockObject(NULL_BRUSH));
}

int PrintLinePenStyle(int lineStyle)
{
    if (lineStyle & kLineDash) return PS_DASH;
    if (lineStyle & kLineDot) return PS_DOT;
    if (lineStyle & kLineDashDot) return PS_DASHDOT;
    if (lineStyle & kLineDashDotDot) return PS_DASHDOTDOT;
    return PS_SOLID;
}

int PrintBoxPenStyle(int lineStyle)
{
    if (lineStyle & kLineDash) return PS_DASH;
    if (lineStyle & kLineDot) return PS_DOT;
    return PS_SOLID;
}

namespace {

UINT DrawFormat(int flags)
{
    UINT f = DT_NOPREFIX;
    if (flags & kPrintCentre) f |= DT_CENTER;
    else if (flags & kPrintRight) f |= DT_RIGHT;
    if (flags & kPrintVCentre) f |= DT_VCENTER;
    if (flags & kPrintExpandTabs) f |= DT_EXPANDTABS;
    if (flags & kPrintNoClip) f |= DT_NOCLIP;
    f |= (flags & kPrintSingleLine) ? DT_SINGLELINE : DT_WORDBREAK;
    return f;
}

// The frame with the page offset applied, its right edge kept on the page.
RECT OffsetFrame(const PrintState& s)
{
    RECT r = {s.x + s.pageOffset, s.y, s.right + s.pageOffset, s.bottom};
    if (r.right > s.pageWidth - s.pageOffset) r.right = s.pageWidth - s.pageOffset;
    return r;
}

// Selects a pen and a brush for one shape and puts the old ones back.
class ShapeObjects {
public:
    ShapeObjects(HDC dc, int penStyle, int width, HBRUSH brush)
        : m_dc(dc), m_pen(CreatePen(penStyle, width, GetTextColor(dc)))
    {
        m_oldPen = SelectObject(dc, m_pen);
        m_oldBrush = SelectObject(dc, brush);
    }
    ~ShapeObjects()
    {
        SelectObject(m_dc, m_oldBrush);
        SelectObject(m_dc, m_oldPen);
        DeleteObject(m_pen);
    }
    ShapeObjects(const ShapeObjects&) = delete;
    ShapeObjects& operator=(const ShapeObjects&) = delete;
private:
    HDC m_dc;
    HPEN m_pen;
    HGDIOBJ m_oldPen, m_oldBrush;
};

// The rectangle the text takes in the frame r. Measured without vertical
// centring (with it the measured rectangle reaches past the text), then
// moved to where a centred single line stands.
RECT MeasureInFrame(CDC* dc, const std::wstring& text, const RECT& r, UINT format)
{
    RECT measured = r;
    dc->DrawText(text.c_str(), int(text.size()), &measured, (format & ~DT_VCENTER) | DT_CALCRECT);
    if ((format & DT_VCENTER) && (format & DT_SINGLELINE)) {
        const int height = measured.bottom - measured.top;
        measured.top = r.top + (r.bottom - r.top - height) / 2;
        measured.bottom = measured.top + height;
    }
    return measured;
}

} // namespace

RECT CPrintPrimitive::BeginDeviceText(PrintState& s, HFONT* font, UINT* format, int* saved)
{
    CDC* dc = s.context;
    RECT r = OffsetFrame(s);
    dc->LPtoDP(&r);
    *saved = dc->SaveDC();
    dc->SetMapMode(MM_TEXT);
    const int f = s.textFlags;
    const std::wstring face = PrintWide(s.faceName);
    *font = CreateFontW(-MulDiv(s.fontSize, dc->GetDeviceCaps(LOGPIXELSY), 72), 0, m_escapement, 0,
                        (f & kPrintBold) ? FW_BOLD : FW_NORMAL, (f & kPrintItalic) != 0, (f & kPrintUnderline) != 0,
                        (f & kPrintStrikeOut) != 0, ANSI_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS,
                        PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, face.c_str());
    SelectObject(dc->m_hDC, *font);
    *format = DrawFormat(f);
    return r;
}

void CPrintPrimitive::EndDeviceText(PrintState& s, const RECT& measured, HFONT font, int saved)
{
    CDC* dc = s.context;
    dc->RestoreDC(saved);   // deselects the font before it is deleted
    DeleteObject(font);
    RECT r = measured;
    dc->DPtoLP(&r);
    r.left -= s.pageOffset;
    r.right -= s.pageOffset;
    s.textRect = r;
    s.textHeight = r.bottom - r.top;
    s.textRight = r.right;
}

void CPrintPrimitive::MeasureText(PrintState& s, double factor)
{
    (void)factor;
    HFONT font;
    UINT format;
    int saved;
    const RECT r = BeginDeviceText(s, &font, &format, &saved);
    const std::wstring text = PrintWide(s.text);
    EndDeviceText(s, MeasureInFrame(s.context, text, r, format), font, saved);
}

int CPrintPrimitive::DrawText(PrintState& s, double factor)
{
    if (s.text.empty()) return 2 * s.fontSize;
    CDC* dc = s.context;
    HFONT font;
    UINT format;
    int saved;
    RECT r = BeginDeviceText(s, &font, &format, &saved);
    const std::wstring text = PrintWide(s.text);
    if (s.right == 0 && s.bottom == 0) dc->DrawText(text.c_str(), int(text.size()), &r, format | DT_CALCRECT);

    // Inside the SaveDC level: the restore puts mode, colour and brush back.
    if (s.textFlags & kPrintBoxed) {
        if (s.shade & (kShadeBlack | kShadeLightGray | kShadeDarkGray)) dc->SetBkMode(TRANSPARENT);
        if (s.shade & (kShadeBlack | kShadeDarkGray)) dc->SetTextColor(RGB(255, 255, 255));
        SelectObject(dc->m_hDC, PrintShadeBrush(s.shade));
        dc->Rectangle(&r);
    }
    dc->DrawText(text.c_str(), int(text.size()), &r, format);
    const RECT measured = MeasureInFrame(dc, text, r, format);
    const int result = int(s.fontSize * factor);
    // Read while the text's font is selected: the check box's gap uses it.
    if (s.metrics) dc->GetTextMetrics(s.metrics);
    EndDeviceText(s, measured, font, saved);
    m_escapement = 0;
    return result;
}

void CPrintPrimitive::Line(PrintState& s, int penWidth)
{
    ShapeObjects objects(s.context->m_hDC, PrintLinePenStyle(s.lineStyle), penWidth, PrintShadeBrush(0));
    s.context->MoveTo(s.x + s.pageOffset, s.y);
    s.context->LineTo(s.right + s.pageOffset, s.bottom);
}

void CPrintPrimitive::Box(PrintState& s, int penWidth)
{
    const RECT r = OffsetFrame(s);
    ShapeObjects objects(s.context->m_hDC, PrintBoxPenStyle(s.lineStyle), penWidth, PrintShadeBrush(s.shade));
    const POINT corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    s.context->Polygon(corners, 4);
}

void CPrintPrimitive::FillFrame(PrintState& s)
{
    const RECT r = OffsetFrame(s);
    ::FillRect(s.context->m_hDC, &r, PrintShadeBrush(s.shade));
}
