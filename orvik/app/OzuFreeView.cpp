#include "OzuFreeView.h"

IMPLEMENT_DYNCREATE(COzuFreeView, CScrollView)

COzuFreeView::COzuFreeView() : m_bModified(FALSE), m_bSavePrompt(TRUE) {}

void COzuFreeView::OnInitialUpdate() {
    CScrollView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, CSize(1, 1));
}

void COzuFreeView::OnDraw(CDC*) {}
