#include "PrintRegion.h"
#include "PagePrinter.h"

int CPrintRegion::Create(CPagePrinter* printer, int top, int left, int right, int bottom, int style)
{
    PrintState& state = printer->State();
    m_printer = printer;
    if (top < 0 || left < 0 || right > state.pageWidth || bottom > state.pageHeight) return 0;
    if (bottom > state.bottom) bottom = state.bottom;
    if (right > state.right) right = state.right;
    m_top = top;
    m_left = left;
    m_right = right;
    m_bottom = bottom;
    m_style = style;
    m_innerTop = top + 1;
    m_innerLeft = left + 1;
    const PrintState saved = state;
    state.y = top;
    state.x = left;
    state.right = right;
    state.bottom = bottom;
    state.shade = style;
    printer->Primitive().FillFrame(state);
    state = saved;
    return 1;
}

void CPrintRegion::PrintTitle(const char* text, int size, int flags, int shade)
{
    PrintState& state = m_printer->State();
    const PrintState saved = state;
    state.text = text ? text : "";
    if (size > 0) state.fontSize = size;
    state.textFlags = flags | kPrintSingleLine | kPrintVCentre;
    state.shade = shade;
    state.y = m_top;
    state.x = m_left;
    state.right = m_right;
    int height;
    if (flags & kPrintBoxed) {
        state.bottom = m_bottom;
        m_printer->Primitive().MeasureText(state, 1.0);
        height = state.textHeight + 10;
    } else {
        height = m_printer->InchesToUnits(2.0 * state.fontSize / 72.0, kAxisVertical);
    }
    state.bottom = m_top + height;
    m_printer->DrawStateText(1.0);
    state = saved;
    m_innerTop = m_top + height + 1;
}

void CPrintRegion::DrawBorder()
{
    m_printer->PrintBox(m_top, m_left, m_bottom, m_right, 1, kPrintKeep, kPrintKeep);
}
