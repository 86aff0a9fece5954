#include "ContextToolbar.h"

IMPLEMENT_SERIAL(CContextToolbar, CBCGPToolBar, 1)

CContextToolbar::CContextToolbar() { SetExclusiveRowMode(TRUE); }

int CContextToolbar::GetAvailableExpandSize() const {
    return IsExclusiveRow() ? 65535 : CBCGPToolBar::GetAvailableExpandSize();
}

void CContextToolbar::ShowCommandButtons(UINT first, UINT last, BOOL show, BOOL adjust) {
    for (int i = 0; i < GetCount(); ++i) {
        CBCGPToolbarButton* button = GetButton(i);
        if (button && button->m_nID >= first && button->m_nID <= last) button->SetVisible(show);
    }
    if (adjust) AdjustLayout();
}
