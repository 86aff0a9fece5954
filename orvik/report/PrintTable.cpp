#include "PrintTable.h"
#include "PagePrinter.h"
#include <cstdio>

CPrintTableDef::~CPrintTableDef() { delete table; }

CPrintTable::CPrintTable(CPagePrinter* printer, CPrintTableDef* def)
    : m_state(&printer->State()), m_def(def), m_printer(printer)
{
    // The geometry in units; the definition keeps its own unit.
    const bool inches = def->inInches == 1;
    m_geometry.top = inches ? printer->InchesToUnits(def->top, kAxisVertical) : int(def->top);
    m_geometry.left = inches ? printer->InchesToUnits(def->left, kAxisHorizontal) : int(def->left);
    m_geometry.right = inches ? printer->InchesToUnits(def->right, kAxisHorizontal) : int(def->right);
    for (int c = 0; c < def->columnCount; ++c)
        m_geometry.widths[c] = inches ? printer->InchesToUnits(def->columns[c].width, kAxisHorizontal)
                                      : int(def->columns[c].width);
    m_geometry.bottom = m_geometry.top;
}

int CPrintTable::RowHeight(int dataRow)
{
    const double h = m_printer->MappingMode() == MM_ANISOTROPIC
                         ? double(m_def->fontSize)
                         : m_def->fontSize / 72.0 * m_printer->PixelsPerInchY();
    if (dataRow == 0) return int(h * (m_def->headingRows == 1 ? 1.5 : 1.0));
    return int(h * 1.5) * m_def->linesPerRow;
}

int CPrintTable::Band() { return m_def->noHeadings ? 0 : m_def->headingRows * RowHeight(0); }

int CPrintTable::ColumnStart(int column) const
{
    int x = m_geometry.left;
    for (int c = 0; c < column; ++c) x += m_geometry.widths[c];
    return x;
}

RECT CPrintTable::CellRect(int row, int column)
{
    const int top = m_geometry.top + Band() + row * RowHeight(1);
    const int left = ColumnStart(column);
    const RECT r = {left, top, left + m_geometry.widths[column], top + RowHeight(1)};
    return r;
}

void CPrintTable::Draw()
{
    const PrintState saved = *m_state;
    if (m_def->equalColumns == 1) {
        const int width = (m_geometry.right - m_geometry.left) / m_def->columnCount;
        for (int c = 0; c < m_def->columnCount; ++c) m_geometry.widths[c] = width;
    }
    DrawHeadings();
    DrawOuterFrame();
    DrawRowLines();
    DrawColumnLines();
    for (int c = 0; c < m_def->columnCount; ++c)
        for (int r = 0; r < m_def->rowCount; ++r) DrawCell(r, c);
    *m_state = saved;
}

void CPrintTable::DrawHeadings()
{
    if (m_def->noHeadings) return;
    const PrintTableGeometry& g = m_geometry;
    m_printer->SetFontSize(m_def->fontSize);
    m_printer->PrintBox(g.top, g.left, g.top + RowHeight(0), g.right, m_def->penWidth, 0, 0);

    // The columns span the table exactly: the last one takes the rest.
    const int last = m_def->columnCount - 1;
    m_geometry.widths[last] += g.right - ColumnStart(m_def->columnCount);

    CDC* dc = m_state->context;
    const int band = Band();
    for (int c = 0; c < m_def->columnCount; ++c) {
        char heading[32];
        const std::string& given = m_def->columns[c].heading;
        if (given.empty()) snprintf(heading, sizeof heading, "Col %d", c + 1);
        const PrintState saved = *m_state;
        const int mode = dc->GetBkMode();
        const COLORREF colour = dc->GetTextColor();
        if (m_def->headingShade > 0) dc->SetBkMode(TRANSPARENT);
        if (m_def->headingShade > 2) dc->SetTextColor(RGB(255, 255, 255));
        m_state->text = given.empty() ? heading : given;
        m_state->x = ColumnStart(c);
        m_state->y = g.top;
        m_state->right = m_state->x + g.widths[c];
        m_state->bottom = g.top + band;
        m_state->textFlags = kPrintBold | kPrintBoxed | kPrintCentre | kPrintVCentre;
        m_state->shade = m_def->headingShade;
        m_printer->Primitive().DrawText(*m_state, 2.0);
        dc->SetBkMode(mode);
        dc->SetTextColor(colour);
        *m_state = saved;
    }
}

void CPrintTable::DrawOuterFrame()
{
    m_geometry.bottom = m_geometry.top + Band() + m_def->rowCount * RowHeight(1);
    if (m_def->outerBorder == 0 || m_def->freeLayout == 1) return;
    m_printer->PrintBox(m_geometry.top, m_geometry.left, m_geometry.bottom, m_geometry.right, m_def->penWidth, 0, 0);
}

void CPrintTable::DrawRowLines()
{
    if (m_def->rowRules != 1 || m_def->freeLayout == 1) return;
    const int first = m_geometry.top + (m_def->noHeadings ? RowHeight(1) : Band());
    for (int i = 0; i < m_def->rowCount; ++i) {
        if (m_def->rowGroup > 0 && (i + 1) % m_def->rowGroup != 0) continue;
        const int y = first + i * RowHeight(1);
        m_printer->PrintLine(y, m_geometry.left, y, m_geometry.right, m_def->penWidth, 0);
    }
}

void CPrintTable::DrawColumnLines()
{
    if (m_def->columnRules != 1 || m_def->freeLayout == 1) return;
    const int top = m_geometry.top + Band();
    for (int c = 1; c < m_def->columnCount; ++c) {
        const int x = ColumnStart(c);
        m_printer->PrintLine(top, x, m_geometry.bottom, x, m_def->penWidth, 0);
    }
}

void CPrintTable::DrawCell(int row, int column)
{
    if (m_def->rowGroup > 0 || m_def->freeLayout == 1) return;
    const RECT r = CellRect(row, column);
    m_printer->PrintBox(int(r.top), int(r.left), int(r.bottom), int(r.right), 1, m_def->columns[column].shade, 0);
}

void CPrintTable::CellText(const char* text, int row, int column, int size, int flags, int inset)
{
    CDC* dc = m_state->context;
    const RECT cell = CellRect(row, column);
    const PrintState saved = *m_state;
    const int mode = dc->GetBkMode();
    const COLORREF colour = dc->GetTextColor();
    const int shade = m_def->columns[column].shade;
    if (shade > 2) dc->SetTextColor(RGB(255, 255, 255));
    if (shade != 0) dc->SetBkMode(TRANSPARENT);
    m_state->text = text ? text : "";
    m_state->fontSize = size;
    m_state->textFlags = flags;
    m_state->x = cell.left + inset;
    m_state->y = cell.top + inset;
    m_state->right = cell.right - inset;
    m_state->bottom = cell.bottom - inset;
    m_printer->DrawStateText(2.0);
    dc->SetBkMode(mode);
    dc->SetTextColor(colour);
    *m_state = saved;
}

void CPrintTable::PrintCell(const char* text, int row, int column, int size, int flags)
{
    if (row < 0 || row >= m_def->rowCount || column < 0 || column >= m_def->columnCount) return;
    if (size < 1) size = m_def->fontSize;
    else if (size > m_def->fontSize && m_def->rowRules == 1 && m_def->freeLayout == 0) size = m_def->fontSize;
    if (m_def->linesPerRow == 1) flags |= kPrintSingleLine | kPrintVCentre;
    CellText(text, row, column, size, flags, 2);
}

void CPrintTable::PrintFreeCell(const char* text, int row, int column, int size, int flags)
{
    if (m_def->freeLayout != 1 || row < 0 || column < 0 || column >= m_def->columnCount) return;
    if (size < 1) size = m_def->fontSize;
    CellText(text, row, column, size, flags, 1);
}
