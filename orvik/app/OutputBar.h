// Docking bars of the frame: three tabbed output lists, and two bars with a
// tree each inside a one-pixel frame.
#pragma once

#include <Toolkit.h>

class COutputList : public CListCtrl {};
class CWorkspaceTree : public CTreeCtrl {};

class COutputBar : public CBCGPDockingControlBar {
public:
    CBCGPTabWnd m_wndTabs;
    COutputList m_wndList1, m_wndList2, m_wndList3;
protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

class CWorkspaceBarBase : public CBCGPDockingControlBar {
public:
    CWorkspaceTree m_wndTree;
protected:
    explicit CWorkspaceBarBase(LPCWSTR root) : m_pszRoot(root) {}
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
private:
    LPCWSTR m_pszRoot;
};

class CWorkspaceBar : public CWorkspaceBarBase {
public:
    CWorkspaceBar() : CWorkspaceBarBase(L"Root 1") {}
};

class CWorkspaceBar2 : public CWorkspaceBarBase {
public:
    CWorkspaceBar2() : CWorkspaceBarBase(L"Root 2") {}
};
