#include "ReportPrinter.h"
#include <AfxDialogs.h>
#include <string>

namespace {

const UINT kAppTitleString = 57344;   // AFX_IDS_APP_TITLE
const int kWrapLookBack = 20;         // characters back to the last space

CSize Extent(CDC& dc, const std::wstring& text)
{
    // An empty text prints as a blank line of the font's height.
    return text.empty() ? dc.GetTextExtent(L"A", 1) : dc.GetTextExtent(text.c_str(), int(text.size()));
}

// The module that holds a resource: the framework's search, else the
// program itself (a null module would load the system's own bitmaps).
HINSTANCE ResourceModule(LPCWSTR name, LPCWSTR type)
{
    HINSTANCE module = AfxFindResourceHandle(name, type);
    return module ? module : GetModuleHandleW(nullptr);
}

} // namespace

CReportPrinter::CReportPrinter() { ResetTable(); }

CReportPrinter::~CReportPrinter() { ReleaseContext(); }

void CReportPrinter::ReleaseContext()
{
    if (!m_dc.m_hDC) return;
    HDC dc = m_dc.Detach();
    if (m_contextOwned) DeleteDC(dc);
    m_contextOwned = 0;
}

void CReportPrinter::AttachContext(HDC dc)
{
    ReleaseContext();
    m_dc.Attach(dc);
    m_dc.m_bPrinting = TRUE;
    ReadPageSize();
}

int CReportPrinter::Open(LPCWSTR printerName, int copies)
{
    ReleaseContext();
    HDC dc = nullptr;
    if (printerName && *printerName) {
        dc = ::CreateDCW(nullptr, printerName, nullptr, nullptr);
        if (!dc) {
            m_error = kErrorOpenPrinter;
            return -1;
        }
        m_copies = copies;
    } else {
        CPrintDialog dialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                       PD_NOSELECTION | PD_DISABLEPRINTTOFILE | PD_RETURNDC);
        if (dialog.DoModal() != IDOK) return -1;
        dc = dialog.GetPrinterDC();
        m_copies = dialog.GetCopies();
        if (!dc) return -1;
        // The dialog gives the context up to us.
        dialog.m_pd.hDC = nullptr;
    }
    if (!m_dc.Attach(dc)) {
        DeleteDC(dc);
        return -1;
    }
    m_dc.m_bPrinting = TRUE;
    m_contextOwned = 1;
    return 0;
}

void CReportPrinter::ReadPageSize()
{
    m_pageWidth = m_dc.GetDeviceCaps(HORZRES);
    m_pageHeight = m_dc.GetDeviceCaps(VERTRES);
}

int CReportPrinter::StartDocument()
{
    wchar_t title[256] = L"";
    if (!LoadStringW(ResourceModule(MAKEINTRESOURCEW(kAppTitleString / 16 + 1), RT_STRING), kAppTitleString, title, 256)
        && AfxGetApp() && AfxGetApp()->m_pszAppName)
        lstrcpynW(title, AfxGetApp()->m_pszAppName, 256);
    DOCINFOW info = {};
    info.cbSize = sizeof info;
    info.lpszDocName = title;
    ReadPageSize();
    return m_dc.StartDoc(&info) > 0 ? 0 : -1;
}

void CReportPrinter::EndDocument()
{
    if (!m_dc.m_hDC) return;
    m_dc.EndDoc();
    ReleaseContext();
}

void CReportPrinter::SetOrientation(int orientation)
{
    if (orientation != DMORIENT_PORTRAIT && orientation != DMORIENT_LANDSCAPE) return;
    CWinApp* app = AfxGetApp();
    PRINTDLGW pd = {};
    pd.lStructSize = sizeof pd;
    if (!app || !app->GetPrinterDeviceDefaults(&pd) || !pd.hDevMode || !m_dc.m_hDC) return;
    DEVMODEW* dm = static_cast<DEVMODEW*>(GlobalLock(pd.hDevMode));
    if (!dm) return;
    dm->dmOrientation = short(orientation);
    dm->dmFields |= DM_ORIENTATION;
    m_dc.ResetDC(dm);
    GlobalUnlock(pd.hDevMode);
    ReadPageSize();
}

void CReportPrinter::SetPageCallback(ReportPageCallback callback)
{
    m_callback = callback;
    m_callbackSet = callback != nullptr;
}

int CReportPrinter::TopMarginPixels() const { return MulDiv(m_topMargin, m_dc.GetDeviceCaps(LOGPIXELSY), 72); }

int CReportPrinter::SpacingPixels() const { return MulDiv(m_lineSpacing, m_dc.GetDeviceCaps(LOGPIXELSY), 72); }

int CReportPrinter::StartPage()
{
    if (m_dc.StartPage() <= 0) {
        m_error = kErrorStartPage;
        return -1;
    }
    m_currentY = TopMarginPixels();
    return 0;
}

void CReportPrinter::EndPage()
{
    m_inPageBreak = 1;
    if (m_callbackSet) m_callback(this, m_pageNumber, 0);
    m_inPageBreak = 0;
    m_dc.EndPage();
}

void CReportPrinter::NewPage()
{
    m_dc.EndPage();
    StartPage();
}

void CReportPrinter::SetMargins(int top, int bottom, int left, int right)
{
    if (top != -1) m_topMargin = top;
    if (bottom != -1) m_bottomMargin = bottom;
    if (left != -1) m_leftMargin = left;
    if (right != -1) m_rightMargin = right;
    m_currentY = TopMarginPixels();
}

void CReportPrinter::GetCurrentPosition(int* x, int* y) const
{
    const CPoint p = m_dc.GetCurrentPosition();
    if (x) *x = p.x;
    if (y) *y = p.y;
}

COLORREF CReportPrinter::SetTextColor(COLORREF colour) { return m_dc.SetTextColor(colour); }
COLORREF CReportPrinter::GetTextColor() const { return m_dc.GetTextColor(); }

// ---------------------------------------------------------------- fonts

int CReportPrinter::AddFontSet(LPCWSTR face, int size1, int size2)
{
    std::unique_ptr<FontSet> set(new FontSet);
    const int dpi = m_dc.GetDeviceCaps(LOGPIXELSY);
    for (int i = 0; i < 4; ++i) {
        const int points = i < 2 ? size1 : size2;
        set->fonts[i].CreateFont(-MulDiv(points, dpi, 72), 0, 0, 0, (i % 2) ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                 FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 FIXED_PITCH, face);
    }
    m_fonts.push_back(std::move(set));
    const int index = int(m_fonts.size()) - 1;
    SelectFontSet(index);
    return index;
}

void CReportPrinter::SelectFontSet(int index)
{
    if (index < 0 || index >= int(m_fonts.size())) return;
    m_currentSet = index;
    FontSet& set = *m_fonts[index];
    m_dc.SelectObject(&set.fonts[set.inUse]);
}

int CReportPrinter::SelectFirstFontSet()
{
    const int previous = m_currentSet;
    SelectFontSet(0);
    return previous;
}

void CReportPrinter::SetFontStyle(int set, int style)
{
    if (set < 0 || set >= int(m_fonts.size()) || style < 0 || style > 3) return;
    m_fonts[set]->inUse = style;
    SelectFontSet(set);
}

// ---------------------------------------------------------------- output

void CReportPrinter::BeginFirstPage()
{
    if (m_pageNumber != 0) return;
    m_pageNumber = 1;
    if (m_callbackSet) {
        m_currentY = TopMarginPixels();
        m_callback(this, 1, 1);
    }
}

void CReportPrinter::BreakPageIfNeeded(int height)
{
    if (m_inPageBreak) return;
    if (m_currentY + height + SpacingPixels() <= m_pageHeight - m_bottomMargin) return;
    m_inPageBreak = 1;
    ++m_pageNumber;
    if (m_callbackSet) m_callback(this, m_pageNumber - 1, 0);
    NewPage();
    if (m_callbackSet) m_callback(this, m_pageNumber, 1);
    m_inPageBreak = 0;
}

void CReportPrinter::PrintText(int set, LPCWSTR text, int align, BOOL advance, int xOffset)
{
    const std::wstring all = text ? text : L"";
    const int width = m_pageWidth - m_leftMargin - m_rightMargin;
    SelectFontSet(set);
    BeginFirstPage();

    // Lines are cut until the text is used up; without a printable width
    // the text is written unwrapped.
    size_t start = 0;
    do {
        std::wstring line = all.substr(start);
        if (width > 0 && Extent(m_dc, line).cx > width) {
            // The longest piece that fits, at least one character.
            int fit = 0;
            SIZE ignored;
            GetTextExtentExPointW(m_dc.m_hAttribDC, line.c_str(), int(line.size()), width, &fit, nullptr, &ignored);
            size_t n = fit > 0 ? size_t(fit) : 1;
            if (n < line.size() && line[n - 1] != L' ') {
                const size_t space = line.rfind(L' ', n - 1);
                if (space != std::wstring::npos && n - 1 - space <= size_t(kWrapLookBack)) n = space + 1;
            }
            line.resize(n);
        }
        start += line.empty() ? 1 : line.size();

        const CSize extent = Extent(m_dc, line);
        int x = m_leftMargin;
        if (align == kAlignCentre) x += width / 2 - extent.cx / 2;
        else if (align == kAlignRight) x += width - extent.cx;
        x += xOffset;
        BreakPageIfNeeded(extent.cy);
        m_dc.TextOut(x, m_currentY, line.c_str(), int(line.size()));
        if (advance) m_currentY += extent.cy + SpacingPixels();
    } while (start < all.size());
}

void CReportPrinter::PrintBlankLines(int set, int count)
{
    for (int i = 0; i < count; ++i) PrintText(set, L"", kAlignLeft, TRUE, 0);
}

void CReportPrinter::PrintBlankLinesCurrentFont(int count) { PrintBlankLines(m_currentSet, count); }

void CReportPrinter::PrintRule(int style) { PrintRule(style, 0, RGB(0, 0, 0)); }

void CReportPrinter::PrintRule(int style, int width, COLORREF colour)
{
    CPen pen(style, width, colour);
    CPen* old = m_dc.SelectObject(&pen);
    m_dc.MoveTo(m_leftMargin, m_currentY);
    m_dc.LineTo(m_pageWidth - m_rightMargin, m_currentY);
    m_dc.SelectObject(old);
    m_currentY += SpacingPixels();
}

int CReportPrinter::PrintBitmap(HBITMAP bitmap, int align, const SIZE* size)
{
    if (!bitmap) return 0;
    DIBSECTION dib = {};
    GetObjectW(bitmap, sizeof dib, &dib);
    const int sourceWidth = dib.dsBm.bmWidth, sourceHeight = dib.dsBm.bmHeight;
    const int width = size ? size->cx : sourceWidth, height = size ? size->cy : sourceHeight;
    int x;
    if (align == kAlignLeft) x = m_leftMargin;
    else if (align == kAlignRight) x = m_pageWidth - m_rightMargin - width;
    else x = (m_pageWidth - width) / 2;

    BeginFirstPage();
    BreakPageIfNeeded(height);
    HDC memory = CreateCompatibleDC(m_dc.m_hDC);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (dib.dsBm.bmBitsPixel <= 8) {
        RGBQUAD colours[256];
        const UINT n = GetDIBColorTable(memory, 0, 256, colours);
        if (n) SetDIBColorTable(memory, 0, n, colours);
    }
    m_dc.StretchBlt(x, m_currentY, width, height, CDC::FromHandle(memory), 0, 0, sourceWidth, sourceHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    // Whatever follows goes below the picture.
    m_currentY += height;
    return 1;
}

int CReportPrinter::PrintBitmapResource(UINT resourceId, int align, const SIZE* size)
{
    HBITMAP bitmap = HBITMAP(LoadImageW(ResourceModule(MAKEINTRESOURCEW(resourceId), RT_BITMAP),
                                        MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return PrintBitmap(bitmap, align, size);
}

int CReportPrinter::PrintBitmapFile(LPCWSTR fileName, int align, const SIZE* size)
{
    HBITMAP bitmap = HBITMAP(LoadImageW(nullptr, fileName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
    return PrintBitmap(bitmap, align, size);
}

// ---------------------------------------------------------------- tables

void CReportPrinter::SetColumns(const std::vector<int>& widths, BOOL scale)
{
    std::vector<int> w = widths;
    long long sum = 0;
    for (int v : w) sum += v;
    if (scale && sum > 0) {
        const long long factor = (m_pageWidth - m_leftMargin - m_rightMargin) / sum;
        for (int& v : w) v = int(v * factor);
    }
    m_table.columns.assign(w.size(), Column());
    for (size_t i = 0; i < w.size(); ++i) m_table.columns[i].width = w[i];
    m_table.saved = m_table.columns;
}

std::vector<int> CReportPrinter::ColumnWidths() const
{
    std::vector<int> w;
    for (const Column& c : m_table.columns) w.push_back(c.width);
    return w;
}

void CReportPrinter::ResetTable()
{
    m_table.rules = TableRules();
    for (Column& c : m_table.columns) c.align = kAlignLeft;
    m_table.flag = 1;
}

void CReportPrinter::SetColumnAlignment(int column, int align)
{
    if (column >= 0 && column < int(m_table.columns.size())) m_table.columns[size_t(column)].align = align;
}

void CReportPrinter::SaveTable()
{
    m_table.savedRules = m_table.rules;
    m_table.saved = m_table.columns;
}

void CReportPrinter::RestoreTable()
{
    m_table.rules = m_table.savedRules;
    m_table.columns = m_table.saved;
}

void CReportPrinter::PrintTableRow(int set, LPCWSTR rowText)
{
    SelectFontSet(set);
    BeginFirstPage();
    std::vector<std::wstring> cells;
    const std::wstring all = rowText ? rowText : L"";
    size_t start = 0;
    for (;;) {
        const size_t bar = all.find(L'|', start);
        cells.push_back(all.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
        if (bar == std::wstring::npos) break;
        start = bar + 1;
    }
    // Cells beyond the columns are ignored.
    if (cells.size() > m_table.columns.size()) cells.resize(m_table.columns.size());

    const int pad = m_table.rules.padding;
    const int textHeight = Extent(m_dc, L"").cy;
    // The row: a quarter of the padding above and below the text.
    const int rowHeight = textHeight + pad / 2;
    BreakPageIfNeeded(rowHeight);
    const int top = m_currentY;

    CPen pen(PS_SOLID, m_table.rules.penWidth, RGB(0, 0, 0));
    CPen* old = m_dc.SelectObject(&pen);
    int columnLeft = m_leftMargin;
    for (size_t i = 0; i < m_table.columns.size(); ++i) {
        const Column& column = m_table.columns[i];
        if (i < cells.size()) {
            const CSize extent = Extent(m_dc, cells[i]);
            int x = columnLeft;
            if (column.align == kAlignCentre) x += (column.width - extent.cx) / 2;
            else if (column.align == kAlignRight) x += column.width - extent.cx;
            if (i > 0) x += pad;
            else if (column.align != kAlignLeft || m_table.rules.verticalRules) x += pad / 4;
            m_dc.TextOut(x, top + pad / 4, cells[i].c_str(), int(cells[i].size()));
        }
        if (m_table.rules.verticalRules) {
            m_dc.MoveTo(columnLeft, top);
            m_dc.LineTo(columnLeft, top + rowHeight);
        }
        columnLeft += column.width;
    }
    if (m_table.rules.verticalRules && !m_table.columns.empty()) {
        m_dc.MoveTo(columnLeft, top);
        m_dc.LineTo(columnLeft, top + rowHeight);
    }
    if (m_table.rules.horizontalRules) {
        m_dc.MoveTo(m_leftMargin, top);
        m_dc.LineTo(columnLeft, top);
        m_dc.MoveTo(m_leftMargin, top + rowHeight);
        m_dc.LineTo(columnLeft, top + rowHeight);
    }
    m_dc.SelectObject(old);
    m_currentY = top + rowHeight + SpacingPixels();
}
