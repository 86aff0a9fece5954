// The owner-drawn combo box that lists colours with a swatch beside each
// name; the marker dialog and the measurement colour dialog use it for the
// colour table.
#pragma once
#include <AfxWindows.h>

#include "ColorTable.h"

class CColorCombo : public CComboBox {
public:
    // Adds `name` carrying `color` as its item data and returns its index;
    // -1, adding nothing, when an entry already carries the colour. A
    // negative index from adding is returned as it is.
    int AddColor(COLORREF color, LPCTSTR name);
    // The colour table in index order, entry 0 selected.
    void FillColors();
    // The colour of the current selection; CLR_INVALID with none.
    COLORREF GetSelectedColor() const;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // The default item height stays.
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;
};

// Selects the table entry `index` in a combo filled by FillColors. An index
// the table lacks selects nothing (Windows and Wine disagree on what
// CB_SETCURSEL does past the end, so it is never asked).
void SelectColorIndex(CComboBox& combo, int index);

// The exchange of a colour-table index with a CColorCombo of a dialog: the
// first call subclasses the control and fills it with the table; loading
// selects `index`; saving fails, with a message and the focus on the combo,
// when nothing is selected, else `index` takes the selection.
void DDX_ColorCombo(CDataExchange* pDX, int nIDC, CColorCombo& combo, int& index);
