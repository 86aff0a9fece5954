#include "ColorCombo.h"

#include "Messages.h"
#include "Resource.h"

int CColorCombo::AddColor(COLORREF color, LPCTSTR name)
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (static_cast<COLORREF>(GetItemData(i)) == color) return -1;
    int index = AddString(name);
    if (index < 0) return index;
    SetItemData(index, color);
    return index;
}

void CColorCombo::FillColors()
{
    for (const MeasureColorEntry& e : MeasureColorTable) AddColor(e.color, e.name);
    SetCurSel(0);
}

COLORREF CColorCombo::GetSelectedColor() const
{
    int sel = GetCurSel();
    return sel < 0 ? CLR_INVALID : static_cast<COLORREF>(GetItemData(sel));
}

void CColorCombo::DrawItem(LPDRAWITEMSTRUCT dis)
{
    OutputDebugStringW(L"drawitem");
    if (dis->CtlType != ODT_COMBOBOX) return;
    COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    COLORREF back = ::GetSysColor(COLOR_WINDOW);
    const bool focused = (dis->itemState & ODS_FOCUS) != 0;
    if (focused) {
        back = ::GetSysColor(COLOR_HIGHLIGHT);
        text = ~back & 0xFFFFFF;
    }
    // An empty selection comes as item -1: it has no colour and no text.
    const bool empty = dis->itemID == static_cast<UINT>(-1);
    COLORREF swatch = empty ? CLR_INVALID : static_cast<COLORREF>(GetItemData(dis->itemID));
    if (dis->itemState & ODS_DISABLED) text = swatch = ::GetSysColor(COLOR_INACTIVECAPTIONTEXT);

    CBrush brush;  // outlives its selection into the DC
    CDC dc;
    dc.Attach(dis->hDC);
    const int saved = dc.SaveDC();
    CRect rc(dis->rcItem);
    dc.FillSolidRect(&rc, back);
    if (focused) dc.DrawFocusRect(&rc);
    if (!empty) {
        brush.CreateSolidBrush(swatch);
        dc.SelectObject(&brush);
        dc.SelectStockObject(BLACK_PEN);
        dc.Rectangle(rc.left + 2, rc.top + 2, rc.left + 32, rc.bottom - 2);
        CString name;
        if (GetLBTextLen(dis->itemID) > 0) GetLBText(dis->itemID, name);
        rc.left += 39;
        dc.SetTextColor(text);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(name, &rc, DT_SINGLELINE | DT_VCENTER);
    }
    dc.RestoreDC(saved);
    dc.Detach();
}

void CColorCombo::MeasureItem(LPMEASUREITEMSTRUCT) {}

void SelectColorIndex(CComboBox& combo, int index)
{
    combo.SetCurSel(IsMeasureColorIndex(index) && index < combo.GetCount() ? index : -1);
}

void DDX_ColorCombo(CDataExchange* pDX, int nIDC, CColorCombo& combo, int& index)
{
    if (!combo.m_hWnd) {
        DDX_Control(pDX, nIDC, combo);
        if (combo.m_hWnd && combo.GetCount() == 0) combo.FillColors();
    }
    pDX->PrepareCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SelectColorIndex(combo, index);
        return;
    }
    int sel = combo.GetCurSel();
    if (sel < 0) FailExchange(pDX, IDS_CHOOSE_COLOR);
    index = sel;
}
