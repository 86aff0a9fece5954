#include "PagePrinter.h"
#include "DibPrint.h"
#include "PrintRegion.h"
#include "PrintTable.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Saves the printer's state for one operation and restores it at the end,
// whatever the depth of the caller's own stack.
class StateScope {
public:
    explicit StateScope(PrintState& state) : m_state(state), m_saved(state) {}
    ~StateScope() { m_state = m_saved; }
    StateScope(const StateScope&) = delete;
    StateScope& operator=(const StateScope&) = delete;
private:
    PrintState& m_state;
    PrintState m_saved;
};

// Transparent background above style 0, white text above 2, while a region
// form draws.
class RegionColours {
public:
    RegionColours(CDC* dc, const CPrintRegion* region) : m_dc(dc)
    {
        m_mode = dc->GetBkMode();
        m_colour = dc->GetTextColor();
        if (region && region->m_style > 0) dc->SetBkMode(TRANSPARENT);
        if (region && region->m_style > 2) dc->SetTextColor(RGB(255, 255, 255));
    }
    ~RegionColours()
    {
        m_dc->SetBkMode(m_mode);
        m_dc->SetTextColor(m_colour);
    }
    RegionColours(const RegionColours&) = delete;
    RegionColours& operator=(const RegionColours&) = delete;
private:
    CDC* m_dc;
    int m_mode;
    COLORREF m_colour;
};

int Min(int a, int b) { return a < b ? a : b; }

} // namespace

CPagePrinter::CPagePrinter(int originX, int originY, int width, int height, CDC* context, int mappingMode)
{
    if (mappingMode != MM_ANISOTROPIC) mappingMode = MM_TEXT;
    m_mappingMode = mappingMode;
    m_state.context = context;
    m_state.metrics = &m_metrics;
    context->SetMapMode(mappingMode);
    if (mappingMode == MM_ANISOTROPIC) {
        context->SetWindowOrg(0, 0);
        context->SetWindowExt(1000, 1000);
        context->SetViewportOrg(originX, originY);
        context->SetViewportExt(width, height);
        m_state.x = 0;
        m_state.y = 0;
        m_state.right = 1000;
        m_state.bottom = 1000;
        m_state.pageWidth = 1000;
        m_state.pageHeight = 1000;
    } else {
        m_state.x = originX;
        m_state.y = originY;
        m_state.right = width;
        m_state.bottom = height;
        m_state.pageWidth = width;
        m_state.pageHeight = height;
    }
    m_pixelsX = context->GetDeviceCaps(LOGPIXELSX);
    m_pixelsY = context->GetDeviceCaps(LOGPIXELSY);
    if (m_pixelsX <= 0) m_pixelsX = 96;
    if (m_pixelsY <= 0) m_pixelsY = 96;
    m_pageWidthInches = double(width) / m_pixelsX;
    m_pageHeightInches = double(height) / m_pixelsY;
    m_orientation = GetDefaultOrientation(context);

    // A column of 8 inches (10.5 in landscape) stands in the middle of a
    // wider page.
    if (m_orientation == DMORIENT_LANDSCAPE)
        m_state.pageOffset = m_pageWidthInches > 10.9 ? InchesToUnits(m_pageWidthInches - 10.5, kAxisHorizontal) / 2 : 0;
    else
        m_state.pageOffset = m_pageWidthInches > 8.0 ? InchesToUnits(m_pageWidthInches - 8.0, kAxisHorizontal) / 2 : 0;
}

CPagePrinter::~CPagePrinter() = default;

// ---------------------------------------------------------------- units

int CPagePrinter::InchesToUnits(double inches, int axis) const
{
    if (inches <= 0) return 0;
    const bool horizontal = axis == kAxisHorizontal;
    if (m_mappingMode == MM_ANISOTROPIC) {
        const double page = horizontal ? m_pageWidthInches : m_pageHeightInches;
        return page > 0 ? int(inches / (page / 1000.0)) : 0;
    }
    return int(inches * (horizontal ? m_pixelsX : m_pixelsY));
}

double CPagePrinter::UnitsToInches(int units, int axis) const
{
    if (units <= 0) return 0.0;
    const bool horizontal = axis == kAxisHorizontal;
    if (m_mappingMode == MM_ANISOTROPIC)
        return units * ((horizontal ? m_pageWidthInches : m_pageHeightInches) / 1000.0);
    return double(units) / (horizontal ? m_pixelsX : m_pixelsY);
}

void CPagePrinter::InchesToUnits(double* row, double* column, int* rowOut, int* columnOut) const
{
    *rowOut = InchesToUnits(*row, kAxisVertical);
    *columnOut = InchesToUnits(*column, kAxisHorizontal);
}

void CPagePrinter::InchesToUnits(double top, double left, double bottom, double right, int* out) const
{
    out[0] = InchesToUnits(top, kAxisVertical);
    out[1] = InchesToUnits(left, kAxisHorizontal);
    out[2] = InchesToUnits(bottom, kAxisVertical);
    out[3] = InchesToUnits(right, kAxisHorizontal);
}

// ---------------------------------------------------------------- state

BOOL CPagePrinter::PushState()
{
    if (m_top + 1 >= kStackDepth) {
        ++m_refusedPushes;
        return FALSE;
    }
    m_stack[++m_top] = m_state;
    return TRUE;
}

void CPagePrinter::PopState()
{
    if (m_refusedPushes > 0) {
        --m_refusedPushes;
        return;
    }
    if (m_top >= 0) m_state = m_stack[m_top--];
}

static bool ReadDefaults(PRINTDLGW* pd)
{
    CWinApp* app = AfxGetApp();
    ZeroMemory(pd, sizeof *pd);
    pd->lStructSize = sizeof *pd;
    return app && app->GetPrinterDeviceDefaults(pd) && pd->hDevMode && pd->hDevNames;
}

int CPagePrinter::GetDefaultOrientation(CDC* context)
{
    if (!context || !context->IsPrinting()) return 0;
    PRINTDLGW pd;
    if (!ReadDefaults(&pd)) return 0;
    const DEVMODEW* dm = static_cast<const DEVMODEW*>(GlobalLock(pd.hDevMode));
    if (!dm) return 0;
    const int orientation = dm->dmOrientation;
    GlobalUnlock(pd.hDevMode);
    return orientation;
}

int CPagePrinter::SetPrinterOrientation(CDC* context, int orientation)
{
    if (!context || (orientation != DMORIENT_PORTRAIT && orientation != DMORIENT_LANDSCAPE)) return 0;
    PRINTDLGW pd;
    if (!ReadDefaults(&pd)) return 0;
    const DEVMODEW* dm = static_cast<const DEVMODEW*>(GlobalLock(pd.hDevMode));
    if (!dm) return 0;
    std::vector<BYTE> copy(size_t(dm->dmSize) + dm->dmDriverExtra);
    memcpy(copy.data(), dm, copy.size());
    GlobalUnlock(pd.hDevMode);
    DEVMODEW* mode = reinterpret_cast<DEVMODEW*>(copy.data());
    mode->dmOrientation = short(orientation);
    mode->dmFields |= DM_ORIENTATION;
    return context->ResetDC(mode) ? 1 : 0;
}

std::string CPagePrinter::GetDefaultPrinterName()
{
    PRINTDLGW pd;
    if (!ReadDefaults(&pd)) return std::string();
    const DEVNAMES* names = static_cast<const DEVNAMES*>(GlobalLock(pd.hDevNames));
    if (!names) return std::string();
    const wchar_t* device = reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset;
    char narrow[256] = {};
    WideCharToMultiByte(CP_ACP, 0, device, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    GlobalUnlock(pd.hDevNames);
    return narrow;
}

// ---------------------------------------------------------------- setters

void CPagePrinter::SetValueFormatter(PrintValueFormatter formatter) { m_formatter = formatter; }

double CPagePrinter::SetLineFactor(double factor)
{
    const double previous = m_lineFactor;
    if (factor > 0) m_lineFactor = factor;
    return previous;
}

const char* CPagePrinter::SetFontName(const char* face)
{
    m_previousFace = m_state.faceName;
    // A face name has at most 31 characters (LF_FACESIZE).
    if (face) m_state.faceName.assign(face, strnlen(face, LF_FACESIZE - 1));
    return m_previousFace.c_str();
}

double CPagePrinter::GetColumn(BOOL inInches, BOOL addWidest)
{
    double column = m_lastTextRight;
    if (addWidest) {
        // The metrics are in device units.
        SIZE widest = {m_metrics.tmMaxCharWidth, 0};
        if (m_mappingMode == MM_ANISOTROPIC) {
            const CSize viewport = m_state.context->GetViewportExt();
            if (viewport.cx) widest.cx = MulDiv(widest.cx, 1000, viewport.cx);
        }
        column += widest.cx;
    }
    return inInches ? UnitsToInches(int(column), kAxisHorizontal) : column;
}

COLORREF CPagePrinter::SetTextColour(COLORREF colour) { return m_state.context->SetTextColor(colour); }

int CPagePrinter::SetFontSize(int points)
{
    const int previous = m_state.fontSize;
    if (points > 0) m_state.fontSize = points;
    return previous;
}

int CPagePrinter::SetWidth(int right)
{
    const int previous = m_state.right;
    if (right == -1) m_state.right = m_state.pageWidth;
    else if (right > 0) m_state.right = right;
    return previous;
}

double CPagePrinter::SetWidth(double right)
{
    const int previous = right == -1.0 ? SetWidth(-1) : right > 0 ? SetWidth(InchesToUnits(right, kAxisHorizontal))
                                                                   : m_state.right;
    return UnitsToInches(previous, kAxisHorizontal);
}

int CPagePrinter::SetHeight(int bottom)
{
    const int previous = m_state.bottom;
    if (bottom == -1) m_state.bottom = m_state.pageHeight;
    else if (bottom > 0) m_state.bottom = bottom;
    return previous;
}

double CPagePrinter::SetHeight(double bottom)
{
    const int previous = bottom == -1.0 ? SetHeight(-1) : bottom > 0 ? SetHeight(InchesToUnits(bottom, kAxisVertical))
                                                                      : m_state.bottom;
    return UnitsToInches(previous, kAxisVertical);
}

// ---------------------------------------------------------------- text

void CPagePrinter::DrawStateText(double factor)
{
    m_primitive.DrawText(m_state, factor);
    m_lastTextRight = m_state.textRight;
}

int CPagePrinter::PrintText(const char* text, int column, int flags, int size)
{
    if (column > m_state.right || m_state.y > m_state.bottom) return m_state.y;
    m_state.text = text ? text : "";
    if (size > 0) m_state.fontSize = size;
    if (flags != kPrintKeep) m_state.textFlags = flags;
    m_state.x = column == -1 ? m_state.textRight : column;
    m_primitive.DrawText(m_state, m_lineFactor);
    m_lastTextRight = m_state.textRight;
    // An empty text draws and measures nothing: the row stays where it is.
    return m_state.text.empty() ? m_state.y : m_state.textRect.bottom;
}

int CPagePrinter::RowGap() const
{
    if (m_lineFactor <= 1.0) return 0;
    return int(InchesToUnits(m_state.fontSize / 72.0, kAxisVertical) * (m_lineFactor - 1.0));
}

int CPagePrinter::PointText(int row, int column, int flags, int size, const char* text)
{
    m_state.y = row;
    return PrintText(text, column, flags, size) + RowGap();
}

int CPagePrinter::FormatText(const char* format, va_list args)
{
    // Longer output is cut at the buffer's end, never written past it.
    const int n = vsnprintf(m_text, sizeof m_text, format ? format : "", args);
    return n;
}

const char* CPagePrinter::FormatValue(long value) const
{
    if (!m_formatter) return nullptr;
    const char* text = m_formatter(value);
    return text ? text : "";
}

int CPagePrinter::Printf(int row, int column, int flags, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    return PointText(row, column, flags, size, m_text);
}

double CPagePrinter::Printf(double row, double column, int flags, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    const int next = PointText(InchesToUnits(row, kAxisVertical), InchesToUnits(column, kAxisHorizontal), flags, size,
                               m_text);
    return UnitsToInches(next, kAxisVertical);
}

int CPagePrinter::Printf(int row, int column, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    return PointText(row, column, kPrintKeep, 0, m_text);
}

double CPagePrinter::Printf(double row, double column, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    const int next = PointText(InchesToUnits(row, kAxisVertical), InchesToUnits(column, kAxisHorizontal), kPrintKeep, 0,
                               m_text);
    return UnitsToInches(next, kAxisVertical);
}

int CPagePrinter::PrintfContinue(int row, int* column, int flags, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    const int next = PointText(row, column ? *column : -1, flags, size, m_text);
    if (column) *column = int(GetColumn(FALSE, FALSE));
    return next;
}

double CPagePrinter::PrintfContinue(double row, double* column, int flags, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    const int col = !column ? -1 : *column == -1.0 ? -1 : InchesToUnits(*column, kAxisHorizontal);
    const int next = PointText(InchesToUnits(row, kAxisVertical), col, flags, size, m_text);
    if (column) *column = GetColumn(TRUE, FALSE);
    return UnitsToInches(next, kAxisVertical);
}

int CPagePrinter::PrintValue(int row, int column, int flags, int size, long value)
{
    const char* text = FormatValue(value);
    return text ? PointText(row, column, flags, size, text) : 0;
}

double CPagePrinter::PrintValue(double row, double column, int flags, int size, long value)
{
    const char* text = FormatValue(value);
    if (!text) return 0;
    return UnitsToInches(PointText(InchesToUnits(row, kAxisVertical), InchesToUnits(column, kAxisHorizontal), flags,
                                   size, text),
                         kAxisVertical);
}

int CPagePrinter::PrintValue(int row, int column, long value) { return PrintValue(row, column, kPrintKeep, 0, value); }

double CPagePrinter::PrintValue(double row, double column, long value)
{
    return PrintValue(row, column, kPrintKeep, 0, value);
}

// Region point forms: relative to the inner origin, inside the region's
// frame, the state kept as it was.
int CPagePrinter::Printf(CPrintRegion* region, int row, int column, int flags, int size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    if (!region) return 0;
    StateScope scope(m_state);
    RegionColours colours(m_state.context, region);
    m_state.right = region->m_right;
    m_state.bottom = region->m_bottom;
    m_state.y = row + region->m_innerTop;
    const int bottom = PrintText(m_text, column + region->m_innerLeft, flags, size);
    return bottom - region->m_innerTop + RowGap();
}

double CPagePrinter::Printf(CPrintRegion* region, double row, double column, int flags, int size, const char* format,
                            ...)
{
    va_list args;
    va_start(args, format);
    FormatText(format, args);
    va_end(args);
    const std::string text = m_text;
    const int next = Printf(region, InchesToUnits(row, kAxisVertical), InchesToUnits(column, kAxisHorizontal), flags,
                            size, "%s", text.c_str());
    return UnitsToInches(next, kAxisVertical);
}

int CPagePrinter::PrintValue(CPrintRegion* region, int row, int column, int flags, int size, long value)
{
    const char* text = FormatValue(value);
    return text ? Printf(region, row, column, flags, size, "%s", text) : 0;
}

double CPagePrinter::PrintValue(CPrintRegion* region, double row, double column, int flags, int size, long value)
{
    const char* text = FormatValue(value);
    return text ? Printf(region, row, column, flags, size, "%s", text) : 0;
}

void CPagePrinter::InRect(int top, int left, int bottom, int right, int flags, int size, const char* text,
                          bool frameTest)
{
    if (frameTest && (left > m_state.right || top > m_state.bottom)) return;
    StateScope scope(m_state);
    m_state.y = top;
    m_state.x = left;
    m_state.bottom = bottom;
    m_state.right = right;
    m_state.text = text ? text : "";
    if (size > 0) m_state.fontSize = size;
    if (flags != kPrintKeep) m_state.textFlags = flags;
    DrawStateText(m_lineFactor);
}

void CPagePrinter::PrintInRect(int top, int left, int bottom, int right, int flags, int size, const char* text)
{
    InRect(top, left, bottom, right, flags, size, text, true);
}

void CPagePrinter::PrintInRect(double top, double left, double bottom, double right, int flags, int size,
                               const char* text)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    PrintInRect(r[0], r[1], r[2], r[3], flags, size, text);
}

void CPagePrinter::PrintValueInRect(int top, int left, int bottom, int right, int flags, int size, long value)
{
    if (const char* text = FormatValue(value)) PrintInRect(top, left, bottom, right, flags, size, text);
}

void CPagePrinter::PrintValueInRect(double top, double left, double bottom, double right, int flags, int size,
                                    long value)
{
    if (const char* text = FormatValue(value)) PrintInRect(top, left, bottom, right, flags, size, text);
}

void CPagePrinter::PrintInRect(CPrintRegion* region, int top, int left, int bottom, int right, int flags, int size,
                               const char* text)
{
    if (!region) return;
    RegionColours colours(m_state.context, region);
    StateScope scope(m_state);
    m_state.right = region->m_right;
    m_state.bottom = region->m_bottom;
    PrintInRect(Min(top + region->m_innerTop, region->m_bottom), Min(left + region->m_innerLeft, region->m_right),
                Min(bottom + region->m_innerTop, region->m_bottom), Min(right + region->m_innerLeft, region->m_right),
                flags, size, text);
}

void CPagePrinter::PrintInRect(CPrintRegion* region, double top, double left, double bottom, double right, int flags,
                               int size, const char* text)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    PrintInRect(region, r[0], r[1], r[2], r[3], flags, size, text);
}

void CPagePrinter::PrintValueInRect(CPrintRegion* region, int top, int left, int bottom, int right, int flags, int size,
                                    long value)
{
    if (const char* text = FormatValue(value)) PrintInRect(region, top, left, bottom, right, flags, size, text);
}

void CPagePrinter::PrintValueInRect(CPrintRegion* region, double top, double left, double bottom, double right,
                                    int flags, int size, long value)
{
    if (const char* text = FormatValue(value)) PrintInRect(region, top, left, bottom, right, flags, size, text);
}

void CPagePrinter::PrintRotatedText(int top, int left, int bottom, int right, int flags, int size, const char* text,
                                    int escapement)
{
    m_primitive.m_escapement = escapement;
    InRect(top, left, bottom, right, flags, size, text, false);
    m_primitive.m_escapement = 0;
}

void CPagePrinter::PrintRotatedText(double top, double left, double bottom, double right, int flags, int size,
                                    const char* text, int escapement)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    PrintRotatedText(r[0], r[1], r[2], r[3], flags, size, text, escapement);
}

// ---------------------------------------------------------------- shapes

void CPagePrinter::PrintLine(int startRow, int startColumn, int endRow, int endColumn, int penWidth, int lineStyle)
{
    StateScope scope(m_state);
    if (lineStyle != kPrintKeep) m_state.lineStyle = lineStyle;
    m_state.y = startRow;
    m_state.x = startColumn;
    m_state.bottom = endRow;
    m_state.right = endColumn;
    m_primitive.Line(m_state, penWidth);
}

void CPagePrinter::PrintLine(double startRow, double startColumn, double endRow, double endColumn, int penWidth,
                             int lineStyle)
{
    int r[4];
    InchesToUnits(startRow, startColumn, endRow, endColumn, r);
    PrintLine(r[0], r[1], r[2], r[3], penWidth, lineStyle);
}

void CPagePrinter::PrintLine(CPrintRegion* region, int startRow, int startColumn, int endRow, int endColumn,
                             int penWidth, int lineStyle)
{
    if (!region) return;
    PrintLine(Min(startRow + region->m_innerTop, region->m_bottom),
              Min(startColumn + region->m_innerLeft, region->m_right),
              Min(endRow + region->m_innerTop, region->m_bottom), Min(endColumn + region->m_innerLeft, region->m_right),
              penWidth, lineStyle);
}

void CPagePrinter::PrintLine(CPrintRegion* region, double startRow, double startColumn, double endRow,
                             double endColumn, int penWidth, int lineStyle)
{
    int r[4];
    InchesToUnits(startRow, startColumn, endRow, endColumn, r);
    PrintLine(region, r[0], r[1], r[2], r[3], penWidth, lineStyle);
}

void CPagePrinter::PrintBox(int top, int left, int bottom, int right, int penWidth, int shade, int lineStyle)
{
    StateScope scope(m_state);
    if (shade != kPrintKeep) m_state.shade = shade;
    if (lineStyle != kPrintKeep) m_state.lineStyle = lineStyle;
    m_state.y = top;
    m_state.x = left;
    m_state.bottom = bottom;
    m_state.right = right;
    m_primitive.Box(m_state, penWidth);
}

void CPagePrinter::PrintBox(double top, double left, double bottom, double right, int penWidth, int shade,
                            int lineStyle)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    PrintBox(r[0], r[1], r[2], r[3], penWidth, shade, lineStyle);
}

void CPagePrinter::PrintBox(CPrintRegion* region, int top, int left, int bottom, int right, int penWidth, int shade,
                            int lineStyle)
{
    if (!region) return;
    PrintBox(Min(top + region->m_innerTop, region->m_bottom), Min(left + region->m_innerLeft, region->m_right),
             Min(bottom + region->m_innerTop, region->m_bottom), Min(right + region->m_innerLeft, region->m_right),
             penWidth, shade, lineStyle);
}

void CPagePrinter::PrintBox(CPrintRegion* region, double top, double left, double bottom, double right, int penWidth,
                            int shade, int lineStyle)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    PrintBox(region, r[0], r[1], r[2], r[3], penWidth, shade, lineStyle);
}

void CPagePrinter::PrintCheckBox(const char* label, BOOL checked, int row, int column, int size, BOOL labelFirst,
                                 int penWidth, int fillShade, int flags)
{
    if (size <= 0) size = m_state.fontSize;
    const int width = InchesToUnits(size / 72.0, kAxisHorizontal);
    const int height = InchesToUnits(size / 72.0, kAxisVertical);
    const char* text = label ? label : "";
    int left = column;
    // The label is printed as text: a '%' in it is a character, not a format.
    if (labelFirst) {
        Printf(row, column, flags, size, "%s", text);
        left = int(GetColumn(FALSE, TRUE));
    } else {
        Printf(row, column + 2 * width, flags, size, "%s", text);
    }
    PrintBox(row, left, row + height, left + width, penWidth, 0, 0);
    if (!checked) return;
    if (fillShade != 0) {
        PrintBox(row, left, row + height, left + width, penWidth, fillShade, 0);
    } else {
        PrintLine(row, left, row + height, left + width, penWidth, 0);
        PrintLine(row, left + width, row + height, left, penWidth, 0);
    }
}

void CPagePrinter::PrintCheckBox(const char* label, BOOL checked, double row, double column, int size,
                                 BOOL labelFirst, int penWidth, int fillShade, int flags)
{
    PrintCheckBox(label, checked, InchesToUnits(row, kAxisVertical), InchesToUnits(column, kAxisHorizontal), size,
                  labelFirst, penWidth, fillShade, flags);
}

void CPagePrinter::PrintCheckBox(CPrintRegion* region, const char* label, BOOL checked, int row, int column, int size,
                                 BOOL labelFirst, int penWidth, int fillShade, int flags)
{
    if (!region) return;
    RegionColours colours(m_state.context, region);
    StateScope scope(m_state);
    m_state.right = region->m_right;
    m_state.bottom = region->m_bottom;
    PrintCheckBox(label, checked, Min(row + region->m_innerTop, region->m_bottom),
                  Min(column + region->m_innerLeft, region->m_right), size, labelFirst, penWidth, fillShade, flags);
}

void CPagePrinter::PrintCheckBox(CPrintRegion* region, const char* label, BOOL checked, double row, double column,
                                 int size, BOOL labelFirst, int penWidth, int fillShade, int flags)
{
    PrintCheckBox(region, label, checked, InchesToUnits(row, kAxisVertical), InchesToUnits(column, kAxisHorizontal),
                  size, labelFirst, penWidth, fillShade, flags);
}

// ---------------------------------------------------------------- regions

CPrintRegion* CPagePrinter::AddRegion(int top, int left, int bottom, int right, int style)
{
    std::unique_ptr<CPrintRegion> region(new CPrintRegion);
    if (!region->Create(this, top, left, right, bottom, style)) return nullptr;
    m_regions.push_back(std::move(region));
    return m_regions.back().get();
}

CPrintRegion* CPagePrinter::AddRegion(double top, double left, double bottom, double right, int style)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    return AddRegion(r[0], r[1], r[2], r[3], style);
}

CPrintRegion* CPagePrinter::AddSubRegion(CPrintRegion* parent, int top, int left, int bottom, int right, int style)
{
    if (!parent) return nullptr;
    top += parent->m_innerTop;
    left += parent->m_innerLeft;
    right = Min(right + parent->m_innerLeft, parent->m_right);
    bottom = Min(bottom + parent->m_top, parent->m_bottom);
    return AddRegion(top, left, bottom, right, style ? style : parent->m_style);
}

CPrintRegion* CPagePrinter::AddSubRegion(CPrintRegion* parent, double top, double left, double bottom, double right,
                                         int style)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    return AddSubRegion(parent, r[0], r[1], r[2], r[3], style);
}

// ---------------------------------------------------------------- tables

void CPagePrinter::BeginTable(CPrintTableDef* def)
{
    if (!def) return;
    // A definition used again gets a new table; its inch fields stay inches.
    delete def->table;
    def->table = nullptr;
    if (def->columnCount < 1 || def->columnCount > CPrintTableDef::kMaxColumns) return;
    if (def->noHeadings) def->headingRows = 0;
    const int right = def->inInches ? InchesToUnits(def->right, kAxisHorizontal) : int(def->right);
    if (m_state.right < right) return;
    def->table = new CPrintTable(this, def);
    StateScope scope(m_state);
    def->table->Draw();
    const int bottom = def->table->Geometry().bottom;
    def->bottom = def->inInches ? UnitsToInches(bottom, kAxisVertical) : bottom;
}

void CPagePrinter::PrintTableCell(CPrintTableDef* def, int row, int column, int size, int flags, const char* format,
                                  ...)
{
    if (!def || !def->table) return;
    char text[1000];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format ? format : "", args);
    va_end(args);
    if (def->freeLayout == 1) def->table->PrintFreeCell(text, row, column, size, flags);
    else def->table->PrintCell(text, row, column, size, flags);
}

// ---------------------------------------------------------------- bitmaps

void CPagePrinter::PrintBitmap(int top, int left, int bottom, int right, const char* fileName)
{
    StateScope scope(m_state);
    m_state.y = top;
    m_state.x = left;
    m_state.bottom = bottom;
    m_state.right = right;
    m_state.text = fileName ? fileName : "";
    PrintDib(m_state);
}

void CPagePrinter::PrintBitmap(double top, double left, double bottom, double right, const char* fileName)
{
    int r[4];
    InchesToUnits(top, left, bottom, right, r);
    PrintBitmap(r[0], r[1], r[2], r[3], fileName);
}
