// Common-control wrappers.
#pragma once
#include "AfxWindows.h"

class AFX_API CSliderCtrl : public CWnd {
    DECLARE_DYNAMIC(CSliderCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE) { SendMessage(TBM_SETRANGEMIN, FALSE, nMin); SendMessage(TBM_SETRANGEMAX, bRedraw, nMax); }
    void GetRange(int& nMin, int& nMax) const { nMin = GetRangeMin(); nMax = GetRangeMax(); }
    void SetRangeMin(int n, BOOL bRedraw = FALSE) { SendMessage(TBM_SETRANGEMIN, bRedraw, n); }
    void SetRangeMax(int n, BOOL bRedraw = FALSE) { SendMessage(TBM_SETRANGEMAX, bRedraw, n); }
    int GetRangeMin() const { return (int)SendMessage(TBM_GETRANGEMIN); }
    int GetRangeMax() const { return (int)SendMessage(TBM_GETRANGEMAX); }
    int GetPos() const { return (int)SendMessage(TBM_GETPOS); }
    void SetPos(int n) { SendMessage(TBM_SETPOS, TRUE, n); }
    int SetLineSize(int n) { return (int)SendMessage(TBM_SETLINESIZE, 0, n); }
    int GetLineSize() const { return (int)SendMessage(TBM_GETLINESIZE); }
    int SetPageSize(int n) { return (int)SendMessage(TBM_SETPAGESIZE, 0, n); }
    int GetPageSize() const { return (int)SendMessage(TBM_GETPAGESIZE); }
    void SetTicFreq(int n) { SendMessage(TBM_SETTICFREQ, n); }
    void ClearTics(BOOL bRedraw = FALSE) { SendMessage(TBM_CLEARTICS, bRedraw); }
};

class AFX_API CSpinButtonCtrl : public CWnd {
    DECLARE_DYNAMIC(CSpinButtonCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange(short nLower, short nUpper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower)); }
    void SetRange32(int nLower, int nUpper) { SendMessage(UDM_SETRANGE32, nLower, nUpper); }
    void GetRange32(int& nLower, int& nUpper) const { SendMessage(UDM_GETRANGE32, (WPARAM)&nLower, (LPARAM)&nUpper); }
    int SetPos(int n) { return (int)SendMessage(UDM_SETPOS32, 0, n); }
    int GetPos() const { return (int)SendMessage(UDM_GETPOS32); }
    CWnd* SetBuddy(CWnd* p) { return CWnd::FromHandle((HWND)SendMessage(UDM_SETBUDDY, (WPARAM)(p ? p->m_hWnd : nullptr))); }
    CWnd* GetBuddy() const { return CWnd::FromHandle((HWND)SendMessage(UDM_GETBUDDY)); }
    int SetBase(int n) { return (int)SendMessage(UDM_SETBASE, n); }
};

class AFX_API CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int InsertColumn(int nCol, LPCWSTR lpszHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return (BOOL)SendMessage(LVM_DELETECOLUMN, nCol); }
    BOOL SetColumnWidth(int nCol, int cx) { return (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, nCol, MAKELPARAM(cx, 0)); }
    int GetColumnWidth(int nCol) const { return (int)SendMessage(LVM_GETCOLUMNWIDTH, nCol); }
    int InsertItem(int nItem, LPCWSTR lpszItem);
    int InsertItem(const LVITEMW* pItem) { return (int)SendMessage(LVM_INSERTITEMW, 0, (LPARAM)pItem); }
    BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const { return (UINT)SendMessage(LVM_GETITEMSTATE, nItem, nMask); }
    BOOL DeleteItem(int nItem) { return (BOOL)SendMessage(LVM_DELETEITEM, nItem); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    int GetNextItem(int nItem, int nFlags) const { return (int)SendMessage(LVM_GETNEXTITEM, nItem, MAKELPARAM(nFlags, 0)); }
    int GetSelectionMark() const { return (int)SendMessage(LVM_GETSELECTIONMARK); }
    int SetSelectionMark(int n) { return (int)SendMessage(LVM_SETSELECTIONMARK, 0, n); }
    UINT GetSelectedCount() const { return (UINT)SendMessage(LVM_GETSELECTEDCOUNT); }
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& pos) const;
    DWORD SetExtendedStyle(DWORD dw) { return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dw); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, nItem, bPartialOK); }
    COLORREF SetBkColor(COLORREF c) { return (COLORREF)SendMessage(LVM_SETBKCOLOR, 0, c); }
    COLORREF SetTextColor(COLORREF c) { return (COLORREF)SendMessage(LVM_SETTEXTCOLOR, 0, c); }
    COLORREF SetTextBkColor(COLORREF c) { return (COLORREF)SendMessage(LVM_SETTEXTBKCOLOR, 0, c); }
};

class AFX_API CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    HTREEITEM InsertItem(LPCWSTR lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(LPTVINSERTSTRUCTW p) { return (HTREEITEM)SendMessage(TVM_INSERTITEMW, 0, (LPARAM)p); }
    BOOL DeleteItem(HTREEITEM h) { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)h); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }
    BOOL Expand(HTREEITEM h, UINT nCode) { return (BOOL)SendMessage(TVM_EXPAND, nCode, (LPARAM)h); }
    BOOL SelectItem(HTREEITEM h) { return (BOOL)SendMessage(TVM_SELECTITEM, TVGN_CARET, (LPARAM)h); }
    HTREEITEM GetNextItem(HTREEITEM h, UINT nCode) const { return (HTREEITEM)SendMessage(TVM_GETNEXTITEM, nCode, (LPARAM)h); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM h) const { return GetNextItem(h, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PARENT); }
    BOOL ItemHasChildren(HTREEITEM h) const { return GetChildItem(h) != nullptr; }
    UINT GetCount() const { return (UINT)SendMessage(TVM_GETCOUNT); }
    CString GetItemText(HTREEITEM h) const;
    BOOL SetItemText(HTREEITEM h, LPCWSTR s);
    DWORD_PTR GetItemData(HTREEITEM h) const;
    BOOL SetItemData(HTREEITEM h, DWORD_PTR d);
    HIMAGELIST SetImageList(HIMAGELIST hil, int n) { return (HIMAGELIST)SendMessage(TVM_SETIMAGELIST, n, (LPARAM)hil); }
};
