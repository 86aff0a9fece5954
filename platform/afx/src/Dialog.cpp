#include "AfxWindows.h"
#include "AfxControls.h"
#include "AfxDialogs.h"
#include "AfxTestScript.h"
#include "AfxImpl.h"
#include <cwchar>
#include <cstdlib>

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CUserException, CException)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() : m_nIDHelp(0), m_lpszTemplateName(nullptr), m_pParentWnd(nullptr), m_bModal(FALSE), m_nModalResult(-1) {}
CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd),
      m_bModal(FALSE), m_nModalResult(-1) {}
CDialog::CDialog(LPCWSTR name, CWnd* pParentWnd)
    : m_nIDHelp(0), m_lpszTemplateName(name), m_pParentWnd(pParentWnd), m_bModal(FALSE), m_nModalResult(-1) {}
CDialog::~CDialog() {
    if (m_hWnd) DestroyWindow();
}

// The window proc of a dialog is AfxWndProc (the dialog is subclassed at
// creation); the dialog procedure only answers WM_INITDIALOG.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* pDlg = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd));
    if (!pDlg) return TRUE;
    BOOL r = pDlg->OnInitDialog();
    if (pDlg->m_bModal && IS_INTRESOURCE(pDlg->m_lpszTemplateName)) {
        AfxScriptAnswer a;
        UINT id = LOWORD(reinterpret_cast<UINT_PTR>(pDlg->m_lpszTemplateName));
        CString caption;
        pDlg->GetWindowText(caption);
        if (AfxImplScriptNext(kScriptDialog, a, caption, nullptr, 0, id) && !a.bCancel) {
            int eq = a.strText.Find(L'=');
            if (eq > 0) ::SetDlgItemTextW(hWnd, (int)wcstol(a.strText.Left(eq), nullptr, 0), a.strText.Mid(eq + 1));
            HWND hButton = ::GetDlgItem(hWnd, a.nValue);
            ::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(a.nValue, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
        }
    }
    return r;
}

HWND CDialog::ParentHwnd() const {
    HWND h = (m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    if (!h) if (CWnd* main = AfxGetMainWnd()) h = main->GetSafeHwnd();
    return h;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) { return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd); }
BOOL CDialog::Create(LPCWSTR name, CWnd* pParentWnd) {
    if (m_hWnd) return FALSE;
    m_lpszTemplateName = name;
    if (IS_INTRESOURCE(name) && !m_nIDHelp) m_nIDHelp = LOWORD(reinterpret_cast<UINT_PTR>(name));
    if (pParentWnd) m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HINSTANCE h = AfxFindResourceHandle(name, RT_DIALOG);
    HWND hWnd;
    hWnd = AfxImplCreateDialog(this, h, name, ParentHwnd(), &AfxDlgProc, FALSE, nullptr);
    return hWnd != nullptr;
}

INT_PTR CDialog::DoModal() {
    m_bModal = TRUE;
    m_nModalResult = -1;
    INT_PTR result = -1;
    HINSTANCE h = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    AfxImplCreateDialog(this, h, m_lpszTemplateName, ParentHwnd(), &AfxDlgProc, TRUE, &result);
    m_bModal = FALSE;
    return result;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    if (!m_hWnd) return;
    if (m_bModal) ::EndDialog(m_hWnd, nResult);
    else ::ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}
void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
void CDialog::PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
void CDialog::GotoDlgCtrl(CWnd* p) { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, (WPARAM)(p ? p->m_hWnd : nullptr), 1); }
void CDialog::SetDefID(UINT id) { ::SendMessageW(m_hWnd, DM_SETDEFID, id, 0); }
DWORD CDialog::GetDefID() const { return (DWORD)::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // Modeless dialogs get keyboard navigation from the application's loop.
    if (m_hWnd && !m_bModal && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}
void CWnd::DoDataExchange(CDataExchange*) {}

// ---------------------------------------------------------------- data exchange
CDataExchange::CDataExchange(CWnd* p, BOOL b)
    : m_bSaveAndValidate(b), m_pDlgWnd(p), m_hWndLastControl(nullptr), m_bEditLastControl(FALSE) {}
HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_hWndLastControl = h;
    m_bEditLastControl = FALSE;
    return h;
}
HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND h = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return h;
}
void CDataExchange::Fail() {
    if (!m_bSaveAndValidate) { throw new CUserException; }
    if (m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw new CUserException;
}

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (h) rControl.SubclassWindow(h);
}

namespace {
CString GetText(HWND h) {
    CString s;
    int n = ::GetWindowTextLengthW(h);
    ::GetWindowTextW(h, s.GetBuffer(n + 1), n + 1);
    s.ReleaseBuffer();
    return s;
}

void ParseFail(CDataExchange* pDX, UINT nIDPrompt) {
    CString s;
    s.LoadString(nIDPrompt);
    AfxMessageBox(s, MB_ICONEXCLAMATION, nIDPrompt);
    pDX->Fail();
}

template <class T>
void TextNumber(CDataExchange* pDX, int nIDC, T& value, LPCWSTR fmt, bool integer, bool isSigned) {
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        CString s = GetText(h);
        s.Trim();
        wchar_t* end = nullptr;
        if (integer) {
            if (isSigned) {
                long v = wcstol(s, &end, 10);
                if (s.IsEmpty() || *end) ParseFail(pDX, AFX_IDP_PARSE_INT);
                value = (T)v;
            } else {
                if (!s.IsEmpty() && s[0] == L'-') ParseFail(pDX, AFX_IDP_PARSE_INT);
                unsigned long v = wcstoul(s, &end, 10);
                if (s.IsEmpty() || *end) ParseFail(pDX, AFX_IDP_PARSE_INT);
                value = (T)v;
            }
        } else {
            double v = wcstod(s, &end);
            if (s.IsEmpty() || *end) ParseFail(pDX, AFX_IDP_PARSE_REAL);
            value = (T)v;
        }
    } else {
        CString s;
        if (integer) s.Format(fmt, value);
        else s.Format(fmt, (double)value);
        ::SetWindowTextW(h, s);
    }
}
}

void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& v) { TextNumber(pDX, nIDC, v, L"%d", true, true); }
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& v) { TextNumber(pDX, nIDC, v, L"%u", true, false); }
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, long& v) { TextNumber(pDX, nIDC, v, L"%ld", true, true); }
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, double& v) { TextNumber(pDX, nIDC, v, L"%.15g", false, true); }
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, float& v) { TextNumber(pDX, nIDC, v, L"%.6g", false, true); }
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& v) {
    HWND h = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) v = GetText(h);
    else ::SetWindowTextW(h, v);
}
void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& v) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) v = (int)::SendMessageW(h, BM_GETCHECK, 0, 0);
    else ::SendMessageW(h, BM_SETCHECK, (WPARAM)v, 0);
}
void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& v) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) v = -1;
    int i = 0;
    // The group runs from nIDC up to the next control with WS_GROUP.
    for (HWND c = h; c; c = ::GetWindow(c, GW_HWNDNEXT), ++i) {
        if (c != h && (::GetWindowLongW(c, GWL_STYLE) & WS_GROUP)) break;
        if (pDX->m_bSaveAndValidate) { if (::SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED) v = i; }
        else ::SendMessageW(c, BM_SETCHECK, i == v ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}
void AFXAPI DDX_CBString(CDataExchange* pDX, int nIDC, CString& v) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        // A drop-down list has no edit text of its own: take the selected item.
        if ((::GetWindowLongW(h, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
            int i = (int)::SendMessageW(h, CB_GETCURSEL, 0, 0);
            v.Empty();
            if (i >= 0) {
                int n = (int)::SendMessageW(h, CB_GETLBTEXTLEN, i, 0);
                ::SendMessageW(h, CB_GETLBTEXT, i, (LPARAM)v.GetBuffer(n + 1));
                v.ReleaseBuffer();
            }
        } else {
            v = GetText(h);
        }
    } else {
        if (::SendMessageW(h, CB_SELECTSTRING, (WPARAM)-1, (LPARAM)(LPCWSTR)v) == CB_ERR &&
            (::GetWindowLongW(h, GWL_STYLE) & 3) != CBS_DROPDOWNLIST)
            ::SetWindowTextW(h, v);
    }
}
void AFXAPI DDX_CBIndex(CDataExchange* pDX, int nIDC, int& i) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) i = (int)::SendMessageW(h, CB_GETCURSEL, 0, 0);
    else ::SendMessageW(h, CB_SETCURSEL, (WPARAM)i, 0);
}
void AFXAPI DDX_LBIndex(CDataExchange* pDX, int nIDC, int& i) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) i = (int)::SendMessageW(h, LB_GETCURSEL, 0, 0);
    else ::SendMessageW(h, LB_SETCURSEL, (WPARAM)i, 0);
}
void AFXAPI DDX_Slider(CDataExchange* pDX, int nIDC, int& v) {
    HWND h = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) v = (int)::SendMessageW(h, TBM_GETPOS, 0, 0);
    else ::SendMessageW(h, TBM_SETPOS, TRUE, v);
}
void AFXAPI DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            CString s;
            s.Format(L"%d", nChars);
            CString msg;
            AfxFormatString1(msg, AFX_IDP_PARSE_STRING_SIZE, s);
            AfxMessageBox(msg, MB_ICONEXCLAMATION, AFX_IDP_PARSE_STRING_SIZE);
            pDX->Fail();
        }
    } else if (pDX->m_hWndLastControl && pDX->m_bEditLastControl) {
        ::SendMessageW(pDX->m_hWndLastControl, EM_LIMITTEXT, nChars, 0);
    }
}
void AFXAPI DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (pDX->m_bSaveAndValidate && (value < minVal || value > maxVal)) {
        // The text is a resource, so that a language library can carry its own.
        CString lo, hi, msg;
        lo.Format(L"%d", minVal);
        hi.Format(L"%d", maxVal);
        AfxFormatString2(msg, AFX_IDP_PARSE_INT_RANGE, lo, hi);
        AfxMessageBox(msg, MB_ICONEXCLAMATION, AFX_IDP_PARSE_INT_RANGE);
        pDX->Fail();
    }
}

// ---------------------------------------------------------------- common controls
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

BOOL CSliderCtrl::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(TRACKBAR_CLASSW, nullptr, s, r, p, id); }
BOOL CSpinButtonCtrl::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(UPDOWN_CLASSW, nullptr, s, r, p, id); }
BOOL CListCtrl::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(WC_LISTVIEWW, nullptr, s, r, p, id); }
BOOL CTreeCtrl::Create(DWORD s, const RECT& r, CWnd* p, UINT id) { return CWnd::Create(WC_TREEVIEWW, nullptr, s, r, p, id); }

int CListCtrl::InsertColumn(int nCol, LPCWSTR heading, int fmt, int width, int sub) {
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT | LVCF_FMT;
    c.fmt = fmt;
    c.pszText = const_cast<LPWSTR>(heading);
    if (width >= 0) { c.mask |= LVCF_WIDTH; c.cx = width; }
    if (sub >= 0) { c.mask |= LVCF_SUBITEM; c.iSubItem = sub; }
    return (int)SendMessage(LVM_INSERTCOLUMNW, nCol, (LPARAM)&c);
}
int CListCtrl::InsertItem(int nItem, LPCWSTR text) {
    LVITEMW it = {};
    it.mask = LVIF_TEXT;
    it.iItem = nItem;
    it.pszText = const_cast<LPWSTR>(text);
    return (int)SendMessage(LVM_INSERTITEMW, 0, (LPARAM)&it);
}
BOOL CListCtrl::SetItemText(int nItem, int nSub, LPCWSTR text) {
    LVITEMW it = {};
    it.iSubItem = nSub;
    it.pszText = const_cast<LPWSTR>(text);
    return (BOOL)SendMessage(LVM_SETITEMTEXTW, nItem, (LPARAM)&it);
}
CString CListCtrl::GetItemText(int nItem, int nSub) const {
    CString s;
    for (int size = 256;; size *= 4) {
        LVITEMW it = {};
        it.iSubItem = nSub;
        it.cchTextMax = size;
        it.pszText = s.GetBuffer(size);
        int n = (int)SendMessage(LVM_GETITEMTEXTW, nItem, (LPARAM)&it);
        s.ReleaseBuffer(n);
        if (n < size - 1 || size > 65536) break;
    }
    return s;
}
BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR d) {
    LVITEMW it = {};
    it.mask = LVIF_PARAM;
    it.iItem = nItem;
    it.lParam = (LPARAM)d;
    return (BOOL)SendMessage(LVM_SETITEMW, 0, (LPARAM)&it);
}
DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    LVITEMW it = {};
    it.mask = LVIF_PARAM;
    it.iItem = nItem;
    SendMessage(LVM_GETITEMW, 0, (LPARAM)&it);
    return (DWORD_PTR)it.lParam;
}
BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMW it = {};
    it.state = nState;
    it.stateMask = nMask;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, nItem, (LPARAM)&it);
}
// Positions are index + 1, so the first selected row is not a null position.
POSITION CListCtrl::GetFirstSelectedItemPosition() const {
    int i = GetNextItem(-1, LVNI_SELECTED);
    return reinterpret_cast<POSITION>((INT_PTR)(i + 1));
}
int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
    int i = (int)reinterpret_cast<INT_PTR>(pos) - 1;
    int next = GetNextItem(i, LVNI_SELECTED);
    pos = reinterpret_cast<POSITION>((INT_PTR)(next + 1));
    return i;
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR text, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTW is = {};
    is.hParent = parent;
    is.hInsertAfter = after;
    is.item.mask = TVIF_TEXT;
    is.item.pszText = const_cast<LPWSTR>(text);
    return (HTREEITEM)SendMessage(TVM_INSERTITEMW, 0, (LPARAM)&is);
}
CString CTreeCtrl::GetItemText(HTREEITEM h) const {
    wchar_t buf[1024] = {0};
    TVITEMW it = {};
    it.mask = TVIF_TEXT;
    it.hItem = h;
    it.pszText = buf;
    it.cchTextMax = 1024;
    SendMessage(TVM_GETITEMW, 0, (LPARAM)&it);
    return CString(buf);
}
BOOL CTreeCtrl::SetItemText(HTREEITEM h, LPCWSTR s) {
    TVITEMW it = {};
    it.mask = TVIF_TEXT;
    it.hItem = h;
    it.pszText = const_cast<LPWSTR>(s);
    return (BOOL)SendMessage(TVM_SETITEMW, 0, (LPARAM)&it);
}
DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM h) const {
    TVITEMW it = {};
    it.mask = TVIF_PARAM;
    it.hItem = h;
    SendMessage(TVM_GETITEMW, 0, (LPARAM)&it);
    return (DWORD_PTR)it.lParam;
}
BOOL CTreeCtrl::SetItemData(HTREEITEM h, DWORD_PTR d) {
    TVITEMW it = {};
    it.mask = TVIF_PARAM;
    it.hItem = h;
    it.lParam = (LPARAM)d;
    return (BOOL)SendMessage(TVM_SETITEMW, 0, (LPARAM)&it);
}

// ---------------------------------------------------------------- common dialogs
IMPLEMENT_DYNAMIC(CCommonDialog, CDialog)
IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CColorDialog, CCommonDialog)
IMPLEMENT_DYNAMIC(CPrintDialog, CCommonDialog)

CCommonDialog::CCommonDialog(CWnd* pParentWnd) : CDialog((UINT)0, pParentWnd) { m_lpszTemplateName = nullptr; }

CFileDialog::CFileDialog(BOOL bOpen, LPCWSTR defExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter, CWnd* parent)
    : CCommonDialog(parent), m_ofn(), m_bOpenFileDialog(bOpen), m_strFilter(filter), m_strDefExt(defExt) {
    m_szFileName[0] = 0;
    m_szFileTitle[0] = 0;
    // The dialog adds the dot itself: ".avi" would give "video..avi".
    if (!m_strDefExt.IsEmpty() && m_strDefExt[0] == L'.') m_strDefExt = m_strDefExt.Mid(1);
    if (fileName) lstrcpynW(m_szFileName, fileName, sizeof m_szFileName / sizeof m_szFileName[0]);
    // "a|b|c|d||" becomes the NUL-separated list the API takes.
    m_strFilter.Replace(L'|', L'\0');
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName / sizeof m_szFileName[0];
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = MAX_PATH;
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : (LPCWSTR)m_strDefExt;
    m_ofn.lpstrFilter = m_strFilter.IsEmpty() ? nullptr : (LPCWSTR)m_strFilter;
    m_ofn.nFilterIndex = 1;
}
CFileDialog::~CFileDialog() {}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = (m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    if (!m_ofn.hwndOwner) if (CWnd* w = AfxGetMainWnd()) m_ofn.hwndOwner = w->m_hWnd;
    AfxScriptAnswer a;
    CString flags;
    if (AfxImplScriptNext(m_bOpenFileDialog ? kScriptOpen : kScriptSave, a, m_ofn.lpstrTitle, m_szFileName, m_ofn.Flags)) {
        if (a.bCancel) return IDCANCEL;
        lstrcpynW(m_szFileName, a.strText, m_ofn.nMaxFile);
        if (a.nValue > 0) m_ofn.nFilterIndex = (DWORD)a.nValue;
        CString title = GetFileName();
        lstrcpynW(m_szFileTitle, title, MAX_PATH);
        int slash = a.strText.ReverseFind(L'\\');
        m_ofn.nFileOffset = (WORD)(slash + 1);
        int dot = a.strText.ReverseFind(L'.');
        m_ofn.nFileExtension = (WORD)(dot > slash ? dot + 1 : a.strText.GetLength());
        return IDOK;
    }
    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}
CString CFileDialog::GetPathName() const { return CString(m_szFileName); }
CString CFileDialog::GetFileName() const {
    CString p(m_szFileName);
    int i = p.ReverseFind(L'\\');
    int j = p.ReverseFind(L'/');
    return p.Mid((i > j ? i : j) + 1);
}
CString CFileDialog::GetFileExt() const {
    CString n = GetFileName();
    int i = n.ReverseFind(L'.');
    return i < 0 ? CString() : n.Mid(i + 1);
}
CString CFileDialog::GetFileTitle() const {
    CString n = GetFileName();
    int i = n.ReverseFind(L'.');
    return i < 0 ? n : n.Left(i);
}
CString CFileDialog::GetFolderPath() const {
    CString p(m_szFileName);
    int i = p.ReverseFind(L'\\');
    return i < 0 ? CString() : p.Left(i);
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* parent) : CCommonDialog(parent), m_cc() {
    m_cc.lStructSize = sizeof m_cc;
    m_cc.rgbResult = clrInit;
    m_cc.Flags = dwFlags | (clrInit ? CC_RGBINIT : 0);
    m_cc.lpCustColors = GetSavedCustomColors();
}
COLORREF* PASCAL CColorDialog::GetSavedCustomColors() {
    static COLORREF colors[16] = {
        0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
        0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    return colors;
}
INT_PTR CColorDialog::DoModal() {
    m_cc.hwndOwner = (m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    AfxScriptAnswer a;
    CString init;
    init.Format(L"0x%06X", (unsigned)m_cc.rgbResult);
    if (AfxImplScriptNext(kScriptColor, a, nullptr, init, m_cc.Flags)) {
        if (a.bCancel) return IDCANCEL;
        m_cc.rgbResult = (COLORREF)a.nValue;
        return IDOK;
    }
    return ::ChooseColorW(&m_cc) ? IDOK : IDCANCEL;
}

CPrintDialog::CPrintDialog(BOOL bSetupOnly, DWORD dwFlags, CWnd* parent)
    : CCommonDialog(parent), m_pd(m_pdActual), m_pdActual(), m_hPrinterDC(nullptr) {
    m_pd.lStructSize = sizeof m_pd;
    m_pd.Flags = dwFlags | (bSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
    m_pd.nCopies = 1;
    m_pd.nFromPage = m_pd.nToPage = 1;
    m_pd.nMinPage = 1;
    m_pd.nMaxPage = 0xFFFF;
}
CPrintDialog::~CPrintDialog() {
    if (m_pd.hDC) ::DeleteDC(m_pd.hDC);
    // Settings handed in by the application are taken back before this runs.
    if (m_pd.hDevMode) ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames) ::GlobalFree(m_pd.hDevNames);
}
INT_PTR CPrintDialog::DoModal() {
    m_pd.hwndOwner = (m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    AfxScriptAnswer a;
    if (AfxImplScriptNext(kScriptPrint, a, nullptr, nullptr, m_pd.Flags)) {
        if (a.bCancel) return IDCANCEL;
        // The printer handed in, or the default one, as the user would have
        // accepted it.
        DWORD keep = m_pd.Flags;
        if (!m_pd.hDevNames && !GetDefaults()) return IDCANCEL;
        m_pd.Flags = keep & ~PD_RETURNDEFAULT;
        m_pd.nCopies = (WORD)(a.nValue > 0 ? a.nValue : 1);
        if (keep & PD_RETURNDC) CreatePrinterDC();
        return IDOK;
    }
    return ::PrintDlgW(&m_pd) ? IDOK : IDCANCEL;
}
BOOL CPrintDialog::GetDefaults() {
    DWORD keep = m_pd.Flags;
    m_pd.Flags = PD_RETURNDEFAULT | (keep & PD_RETURNDC);
    BOOL ok = ::PrintDlgW(&m_pd);
    m_pd.Flags = keep;
    return ok;
}
HDC CPrintDialog::GetPrinterDC() const { return m_pd.hDC; }
HDC CPrintDialog::CreatePrinterDC() {
    if (m_pd.hDC) { ::DeleteDC(m_pd.hDC); m_pd.hDC = nullptr; }
    if (!m_pd.hDevNames) return nullptr;
    DEVNAMES* dn = static_cast<DEVNAMES*>(::GlobalLock(m_pd.hDevNames));
    DEVMODEW* dm = m_pd.hDevMode ? static_cast<DEVMODEW*>(::GlobalLock(m_pd.hDevMode)) : nullptr;
    m_pd.hDC = ::CreateDCW(reinterpret_cast<LPCWSTR>(dn) + dn->wDriverOffset, reinterpret_cast<LPCWSTR>(dn) + dn->wDeviceOffset,
                           reinterpret_cast<LPCWSTR>(dn) + dn->wOutputOffset, dm);
    if (dm) ::GlobalUnlock(m_pd.hDevMode);
    ::GlobalUnlock(m_pd.hDevNames);
    return m_pd.hDC;
}
int CPrintDialog::GetCopies() const {
    if (m_pd.Flags & PD_USEDEVMODECOPIES) {
        if (DEVMODEW* dm = GetDevMode()) { int n = dm->dmCopies; ::GlobalUnlock(m_pd.hDevMode); if (n > 1) return n; }
    }
    return m_pd.nCopies;
}
LPDEVMODEW CPrintDialog::GetDevMode() const {
    return m_pd.hDevMode ? static_cast<LPDEVMODEW>(::GlobalLock(m_pd.hDevMode)) : nullptr;
}
static CString DevName(HGLOBAL h, int which) {
    if (!h) return CString();
    DEVNAMES* dn = static_cast<DEVNAMES*>(::GlobalLock(h));
    WORD off = which == 0 ? dn->wDeviceOffset : which == 1 ? dn->wDriverOffset : dn->wOutputOffset;
    CString s(reinterpret_cast<LPCWSTR>(dn) + off);
    ::GlobalUnlock(h);
    return s;
}
CString CPrintDialog::GetDeviceName() const { return DevName(m_pd.hDevNames, 0); }
CString CPrintDialog::GetDriverName() const { return DevName(m_pd.hDevNames, 1); }
CString CPrintDialog::GetPortName() const { return DevName(m_pd.hDevNames, 2); }

BOOL AFXAPI AfxBrowseForFolder(HWND hWndOwner, LPCWSTR lpszTitle, UINT ulFlags, CString& rFolder) {
    AfxScriptAnswer a;
    if (AfxImplScriptNext(kScriptFolder, a, lpszTitle, nullptr, ulFlags)) {
        if (a.bCancel) return FALSE;
        rFolder = a.strText;
        return TRUE;
    }
    wchar_t display[MAX_PATH] = {0};
    BROWSEINFOW bi = {};
    bi.hwndOwner = hWndOwner;
    bi.pszDisplayName = display;
    bi.lpszTitle = lpszTitle;
    bi.ulFlags = ulFlags;
    LPITEMIDLIST pidl = ::SHBrowseForFolderW(&bi);
    if (!pidl) return FALSE;
    wchar_t path[MAX_PATH] = {0};
    BOOL ok = ::SHGetPathFromIDListW(pidl, path);
    ::CoTaskMemFree(pidl);
    if (ok) rFolder = path;
    return ok;
}
