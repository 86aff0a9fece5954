// Extension classes: the splitter window.
#pragma once
#include "AfxWindows.h"

// A splitter as far as the program uses one: created with its row and column
// limits over the creation context's view, it shows that view as its first
// pane. Panes are not split by dragging.
class AFX_API CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
    DECLARE_MESSAGE_MAP()
public:
    CSplitterWnd();
    BOOL Create(CWnd* pParentWnd, int nMaxRows, int nMaxCols, SIZE sizeMin, CCreateContext* pContext,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | SPLS_DYNAMIC_SPLIT,
                UINT nID = AFX_IDW_PANE_FIRST);
    int GetRowCount() const { return m_hWnd ? 1 : 0; }
    int GetColumnCount() const { return m_hWnd ? 1 : 0; }
    int GetMaxRowCount() const { return m_nMaxRows; }
    int GetMaxColumnCount() const { return m_nMaxCols; }
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    virtual void RecalcLayout();
    afx_msg void OnSize(UINT nType, int cx, int cy);
protected:
    int m_nMaxRows;
    int m_nMaxCols;
    CSize m_sizeMin;
};
