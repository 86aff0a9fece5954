#include "ToolkitFrame.h"
#include <map>

#ifndef RT_TOOLBAR
#define RT_TOOLBAR MAKEINTRESOURCEW(241)
#endif

namespace {
const DWORD kWindowStyleBits = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

std::map<UINT, int>& ImageMap() {
    static std::map<UINT, int> m;
    return m;
}

CObList& AllToolbars() {
    static CObList list;
    return list;
}

CList<UINT, UINT>& BasicCommands() {
    static CList<UINT, UINT> list;
    return list;
}

CBCGPToolbarButton* g_pLastCommandButton = nullptr;

// Menus handed to a button belong to the caller, so the button keeps its own copy.
HMENU CopyMenuDeep(HMENU src) {
    if (!src || !::IsMenu(src)) return nullptr;
    HMENU dst = ::CreatePopupMenu();
    int n = ::GetMenuItemCount(src);
    for (int i = 0; i < n; ++i) {
        wchar_t text[256] = L"";
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 255;
        if (!::GetMenuItemInfoW(src, i, TRUE, &mii)) continue;
        if (mii.hSubMenu) mii.hSubMenu = CopyMenuDeep(mii.hSubMenu);
        mii.dwTypeData = text;
        ::InsertMenuItemW(dst, i, TRUE, &mii);
    }
    return dst;
}

// Update handlers reach a toolbar button through this.
class CToolCmdUI : public CCmdUI {
public:
    CBCGPToolBar* m_pBar = nullptr;
    void Enable(BOOL bOn) override {
        m_bEnableChanged = TRUE;
        m_bEnabled = bOn;
        CBCGPToolbarButton* b = m_pBar->GetButton((int)m_nIndex);
        if (CBCGPToolbarComboBoxButton* combo = DYNAMIC_DOWNCAST(CBCGPToolbarComboBoxButton, b)) {
            if (combo->GetComboBox() && combo->GetComboBox()->m_hWnd) combo->GetComboBox()->EnableWindow(bOn);
        }
        SetState(TBSTATE_ENABLED, bOn);
    }
    void SetCheck(int nCheck) override {
        m_nCheck = nCheck;
        SetState(TBSTATE_CHECKED, nCheck != 0);
        SetState(TBSTATE_INDETERMINATE, nCheck == 2);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCWSTR) override {}
private:
    void SetState(BYTE bit, BOOL on) {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        if (::SendMessageW(m_pBar->m_hWnd, TB_GETBUTTONINFOW, m_nIndex, (LPARAM)&info) < 0) return;
        BYTE state = on ? (info.fsState | bit) : (info.fsState & ~bit);
        if (state == info.fsState) return;
        info.fsState = state;
        ::SendMessageW(m_pBar->m_hWnd, TB_SETBUTTONINFOW, m_nIndex, (LPARAM)&info);
    }
};
}  // namespace

// ---------------------------------------------------------------- base bars
IMPLEMENT_DYNAMIC(CBCGPBaseControlBar, CWnd)
IMPLEMENT_DYNAMIC(CBCGPControlBar, CBCGPBaseControlBar)

CBCGPBaseControlBar::CBCGPBaseControlBar() : m_dwBarStyle(0), m_dwDockAlign(0) {}

DWORD CBCGPBaseControlBar::GetCurrentAlignment() const {
    static const DWORD order[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
    for (DWORD a : order)
        if (m_dwBarStyle & a) return a;
    return CBRS_ALIGN_TOP;
}

CSize CBCGPBaseControlBar::CalcFixedLayout(BOOL, BOOL) {
    if (!m_hWnd) return CSize(0, 0);
    CRect rc;
    GetWindowRect(&rc);
    return CSize(rc.Width(), rc.Height());
}

void CBCGPBaseControlBar::ShowControlBar(BOOL bShow, BOOL, BOOL) {
    if (!m_hWnd) return;
    ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    NotifyFrameLayout();
}

CBCGPMDIFrameWnd* CBCGPBaseControlBar::GetDockFrame() const {
    if (!m_hWnd) return nullptr;
    return DYNAMIC_DOWNCAST(CBCGPMDIFrameWnd, CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

BOOL CBCGPBaseControlBar::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    return CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CBCGPBaseControlBar::NotifyFrameLayout() {
    if (CBCGPMDIFrameWnd* f = GetDockFrame()) f->RecalcLayout();
}

// ---------------------------------------------------------------- menu bar
IMPLEMENT_DYNAMIC(CBCGPMenuBar, CBCGPControlBar)
BOOL CBCGPMenuBar::s_bShowAllCommands = FALSE;

BOOL CBCGPMenuBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    if (!pParentWnd || !pParentWnd->m_hWnd) return FALSE;
    m_dwBarStyle = dwStyle & (CBRS_ALL & ~CBRS_GRIPPER) ;
    if (dwStyle & CBRS_GRIPPER) m_dwBarStyle |= CBRS_GRIPPER;
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), nullptr);
    return CWnd::CreateEx(0, cls, L"Menu Bar", (dwStyle & kWindowStyleBits) | WS_CHILD, 0, 0, 0, 0,
                          pParentWnd->m_hWnd, reinterpret_cast<HMENU>((UINT_PTR)nID));
}

HMENU CBCGPMenuBar::GetHMenu() const {
    if (!m_hWnd) return nullptr;
    return ::GetMenu(::GetParent(m_hWnd));
}

CSize CBCGPMenuBar::CalcFixedLayout(BOOL, BOOL) { return CSize(0, 0); }

// ---------------------------------------------------------------- buttons
IMPLEMENT_SERIAL(CBCGPToolbarButton, CObject, 1)
IMPLEMENT_SERIAL(CBCGPToolbarMenuButton, CBCGPToolbarButton, 1)
IMPLEMENT_SERIAL(CBCGPToolbarComboBoxButton, CBCGPToolbarButton, 1)

CBCGPToolbarButton::CBCGPToolbarButton() : m_nID(0), m_iImage(-1), m_nStyle(0), m_bVisible(TRUE), m_pParentBar(nullptr) {}
CBCGPToolbarButton::CBCGPToolbarButton(UINT uiID, int iImage, LPCWSTR lpszText, BOOL, BOOL)
    : m_nID(uiID), m_iImage(iImage), m_strText(lpszText ? lpszText : L""), m_nStyle(uiID ? 0 : TBSTYLE_SEP),
      m_bVisible(TRUE), m_pParentBar(nullptr) {}
CBCGPToolbarButton::~CBCGPToolbarButton() {
    if (g_pLastCommandButton == this) g_pLastCommandButton = nullptr;
}
void CBCGPToolbarButton::CopyFrom(const CBCGPToolbarButton& src) {
    m_nID = src.m_nID;
    m_iImage = src.m_iImage;
    m_strText = src.m_strText;
    m_nStyle = src.m_nStyle;
    m_bVisible = src.m_bVisible;
}

CBCGPToolbarMenuButton::CBCGPToolbarMenuButton() : m_hMenu(nullptr) {}
CBCGPToolbarMenuButton::CBCGPToolbarMenuButton(UINT uiID, HMENU hMenu, int iImage, LPCWSTR lpszText, BOOL)
    : CBCGPToolbarButton(uiID, iImage, lpszText), m_hMenu(CopyMenuDeep(hMenu)) {}
CBCGPToolbarMenuButton::~CBCGPToolbarMenuButton() {
    if (m_hMenu) ::DestroyMenu(m_hMenu);
}
void CBCGPToolbarMenuButton::CopyFrom(const CBCGPToolbarButton& src) {
    CBCGPToolbarButton::CopyFrom(src);
    if (m_hMenu) ::DestroyMenu(m_hMenu);
    m_hMenu = CopyMenuDeep(src.GetDropMenu());
}

CBCGPToolbarComboBoxButton::CBCGPToolbarComboBoxButton()
    : m_iSelIndex(-1), m_dwStyle(CBS_DROPDOWNLIST), m_iWidth(150), m_pWndCombo(nullptr) {}
CBCGPToolbarComboBoxButton::CBCGPToolbarComboBoxButton(UINT uiID, int iImage, DWORD dwStyle, int iWidth)
    : CBCGPToolbarButton(uiID, iImage), m_iSelIndex(-1), m_dwStyle(dwStyle), m_iWidth(iWidth > 0 ? iWidth : 150),
      m_pWndCombo(nullptr) {}
CBCGPToolbarComboBoxButton::~CBCGPToolbarComboBoxButton() { DestroyControl(); }

void CBCGPToolbarComboBoxButton::CopyFrom(const CBCGPToolbarButton& src) {
    CBCGPToolbarButton::CopyFrom(src);
    if (src.IsKindOf(RUNTIME_CLASS(CBCGPToolbarComboBoxButton))) {
        const CBCGPToolbarComboBoxButton* c = static_cast<const CBCGPToolbarComboBoxButton*>(&src);
        m_items = c->m_items;
        m_iSelIndex = c->m_iSelIndex;
        m_dwStyle = c->m_dwStyle;
        m_iWidth = c->m_iWidth;
    }
}

INT_PTR CBCGPToolbarComboBoxButton::AddItem(LPCWSTR lpszItem, DWORD_PTR dwData) {
    if (!lpszItem) return -1;
    m_items.push_back(Item{lpszItem, dwData});
    if (m_pWndCombo && m_pWndCombo->m_hWnd) {
        int i = m_pWndCombo->AddString(lpszItem);
        m_pWndCombo->SetItemData(i, dwData);
    }
    return (INT_PTR)m_items.size() - 1;
}

BOOL CBCGPToolbarComboBoxButton::SelectItem(int iIndex, BOOL bNotify) {
    if (iIndex < -1 || iIndex >= (int)m_items.size()) return FALSE;
    m_iSelIndex = iIndex;
    if (m_pWndCombo && m_pWndCombo->m_hWnd) {
        m_pWndCombo->SetCurSel(iIndex);
        if (bNotify) {
            // As the user's choice would: the owner hears CBN_SELENDOK.
            HWND bar = ::GetParent(m_pWndCombo->m_hWnd);
            ::SendMessageW(bar, WM_COMMAND, MAKEWPARAM(m_nID, CBN_SELENDOK), (LPARAM)m_pWndCombo->m_hWnd);
        }
    }
    return TRUE;
}

BOOL CBCGPToolbarComboBoxButton::SelectItem(LPCWSTR lpszText) {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].text == lpszText) return SelectItem((int)i);
    return FALSE;
}

LPCWSTR CBCGPToolbarComboBoxButton::GetItem(int iIndex) const {
    if (iIndex == -1) iIndex = m_iSelIndex;
    if (iIndex < 0 || iIndex >= (int)m_items.size()) return nullptr;
    return m_items[iIndex].text;
}

DWORD_PTR CBCGPToolbarComboBoxButton::GetItemData(int iIndex) const {
    if (iIndex == -1) iIndex = m_iSelIndex;
    if (iIndex < 0 || iIndex >= (int)m_items.size()) return 0;
    return m_items[iIndex].data;
}

LPCWSTR CBCGPToolbarComboBoxButton::GetText() const {
    LPCWSTR s = GetItem(-1);
    return s ? s : L"";
}

void CBCGPToolbarComboBoxButton::RemoveAllItems() {
    m_items.clear();
    m_iSelIndex = -1;
    if (m_pWndCombo && m_pWndCombo->m_hWnd) m_pWndCombo->ResetContent();
}

void CBCGPToolbarComboBoxButton::CreateControl(CBCGPToolBar* pBar, const RECT& rect) {
    DestroyControl();
    m_pWndCombo = new CComboBox;
    CRect rc(rect);
    rc.bottom = rc.top + 200;   // room for the drop-down list
    if (!m_pWndCombo->Create(m_dwStyle | WS_CHILD | WS_VISIBLE | WS_VSCROLL, rc, pBar, m_nID)) {
        delete m_pWndCombo;
        m_pWndCombo = nullptr;
        return;
    }
    m_pWndCombo->SendMessage(WM_SETFONT, (WPARAM)::GetStockObject(DEFAULT_GUI_FONT), FALSE);
    for (const Item& it : m_items) {
        int i = m_pWndCombo->AddString(it.text);
        m_pWndCombo->SetItemData(i, it.data);
    }
    m_pWndCombo->SetCurSel(m_iSelIndex);
}

void CBCGPToolbarComboBoxButton::DestroyControl() {
    if (!m_pWndCombo) return;
    if (m_pWndCombo->m_hWnd) m_pWndCombo->DestroyWindow();
    delete m_pWndCombo;
    m_pWndCombo = nullptr;
}

void CBCGPToolbarComboBoxButton::OnSelChanged() {
    if (m_pWndCombo && m_pWndCombo->m_hWnd) m_iSelIndex = m_pWndCombo->GetCurSel();
}

int CImageHash::GetImageOfCommand(UINT nCommand, BOOL) {
    auto it = ImageMap().find(nCommand);
    return it == ImageMap().end() ? -1 : it->second;
}
void CImageHash::Set(UINT nCommand, int iImage) { ImageMap().emplace(nCommand, iImage); }
void CImageHash::Clear() { ImageMap().clear(); }

// ---------------------------------------------------------------- toolbar
IMPLEMENT_SERIAL(CBCGPToolBar, CBCGPControlBar, 1)
BOOL CBCGPToolBar::s_bQuickCustomize = FALSE;

BEGIN_MESSAGE_MAP(CBCGPToolBar, CBCGPControlBar)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CBCGPToolBar::CBCGPToolBar()
    : m_hImages(nullptr), m_sizeImage(16, 15), m_uiOriginalResID(0), m_bExclusiveRow(FALSE), m_bCustomizeButton(FALSE),
      m_iCustomizeCmd(0) {}

CBCGPToolBar::~CBCGPToolBar() {
    RemoveAllButtons();
    if (m_hImages) ImageList_Destroy(m_hImages);
    POSITION pos = AllToolbars().Find(this);
    if (pos) AllToolbars().RemoveAt(pos);
}

BOOL CBCGPToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    return CreateEx(pParentWnd, TBSTYLE_FLAT, dwStyle, CRect(1, 1, 1, 1), nID);
}

BOOL CBCGPToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect, UINT nID) {
    if (!pParentWnd || !pParentWnd->m_hWnd || m_hWnd) return FALSE;
    m_dwBarStyle = dwStyle & CBRS_ALL;
    DWORD style = (dwStyle & kWindowStyleBits) | WS_CHILD | WS_CLIPCHILDREN | (dwCtrlStyle & 0xFFFF) | CCS_NOPARENTALIGN |
                  CCS_NORESIZE | CCS_NODIVIDER;
    if (dwStyle & CBRS_TOOLTIPS) style |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 100, 26, pParentWnd->m_hWnd,
                        reinterpret_cast<HMENU>((UINT_PTR)nID)))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_sizeImage.cx, m_sizeImage.cy));
    AllToolbars().AddTail(this);
    return TRUE;
}

BOOL CBCGPToolBar::LoadToolBar(UINT uiResID, UINT, UINT, BOOL, UINT, UINT, UINT) {
    HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEW(uiResID), RT_TOOLBAR);
    HRSRC res = ::FindResourceW(h, MAKEINTRESOURCEW(uiResID), RT_TOOLBAR);
    if (!res) return FALSE;
    const BYTE* raw = static_cast<const BYTE*>(::LockResource(::LoadResource(h, res)));
    DWORD size = ::SizeofResource(h, res);
    if (!raw || size < 8) return FALSE;
    // The resource compiler's layout: words after a version word of 1, or
    // (as windres writes it) double words without one.
    const WORD* w = reinterpret_cast<const WORD*>(raw);
    const DWORD* d = reinterpret_cast<const DWORD*>(raw);
    std::vector<UINT> ids;
    if (w[0] == 1 && size >= 8u + 2u * w[3]) {
        m_sizeImage = CSize(w[1], w[2]);
        ids.assign(w + 4, w + 4 + w[3]);
    } else if (size >= 12 && d[2] < 0x10000 && size >= 12u + 4u * d[2]) {
        m_sizeImage = CSize((int)d[0], (int)d[1]);
        ids.assign(d + 3, d + 3 + d[2]);
    } else {
        return FALSE;
    }
    if (m_sizeImage.cx <= 0 || m_sizeImage.cy <= 0 || m_sizeImage.cx > 256 || m_sizeImage.cy > 256) return FALSE;
    m_originalIDs = ids;
    m_uiOriginalResID = uiResID;
    if (!LoadBitmap(uiResID)) return FALSE;
    Rebuild();
    int image = 0;
    for (UINT id : m_originalIDs)
        if (id) CImageHash::Set(id, image++);
    return TRUE;
}

BOOL CBCGPToolBar::LoadBitmap(UINT uiResID, UINT, UINT, BOOL, UINT, UINT) {
    HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEW(uiResID), RT_BITMAP);
    HIMAGELIST images = ImageList_LoadImageW(h, MAKEINTRESOURCEW(uiResID), m_sizeImage.cx, 4, RGB(192, 192, 192),
                                             IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (!images) return FALSE;
    if (m_hWnd) {
        SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_sizeImage.cx, m_sizeImage.cy));
        SendMessage(TB_SETIMAGELIST, 0, (LPARAM)images);
        Invalidate();
    }
    if (m_hImages) ImageList_Destroy(m_hImages);
    m_hImages = images;
    return TRUE;
}

void CBCGPToolBar::ResetAllImages() { CImageHash::Clear(); }

void CBCGPToolBar::SetBasicCommands(CList<UINT, UINT>& lstCommands) {
    BasicCommands().RemoveAll();
    for (POSITION pos = lstCommands.GetHeadPosition(); pos;) BasicCommands().AddTail(lstCommands.GetNext(pos));
}
const CList<UINT, UINT>& CBCGPToolBar::GetBasicCommands() { return BasicCommands(); }

int CBCGPToolBar::GetCommandButtons(UINT uiCmd, CObList& listButtons) {
    listButtons.RemoveAll();
    for (POSITION pos = AllToolbars().GetHeadPosition(); pos;) {
        CBCGPToolBar* bar = static_cast<CBCGPToolBar*>(AllToolbars().GetNext(pos));
        for (CBCGPToolbarButton* b : bar->m_buttons)
            if (b->m_nID == uiCmd && uiCmd) listButtons.AddTail(b);
    }
    return (int)listButtons.GetCount();
}

BOOL CBCGPToolBar::IsLastCommandFromButton(CBCGPToolbarButton* pButton) {
    return pButton && pButton == g_pLastCommandButton;
}
CBCGPToolbarButton* CBCGPToolBar::GetLastCommandButton() { return g_pLastCommandButton; }
const CObList& CBCGPToolBar::GetAllToolbars() { return AllToolbars(); }

void CBCGPToolBar::RemoveAllButtons() {
    for (CBCGPToolbarButton* b : m_buttons) {
        b->DestroyControl();
        delete b;
    }
    m_buttons.clear();
    if (m_hWnd)
        while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
}

void CBCGPToolBar::Rebuild() {
    RemoveAllButtons();
    int image = 0;
    for (UINT id : m_originalIDs) {
        CBCGPToolbarButton* b = new CBCGPToolbarButton(id, id ? image++ : -1);
        b->m_pParentBar = this;
        m_buttons.push_back(b);
    }
    if (!m_hWnd) return;
    for (size_t i = 0; i < m_buttons.size(); ++i) AddNative((int)i);
    AdjustLayout();
}

void CBCGPToolBar::AddNative(int i) {
    CBCGPToolbarButton* b = m_buttons[i];
    TBBUTTON tb = {};
    tb.idCommand = (int)b->m_nID;
    tb.fsState = TBSTATE_ENABLED | (b->m_bVisible ? 0 : TBSTATE_HIDDEN);
    if (!b->m_nID) {
        tb.fsStyle = BTNS_SEP;
    } else if (b->GetControlWidth() > 0) {
        tb.fsStyle = BTNS_SEP;   // a gap the control covers
        tb.iBitmap = b->GetControlWidth();
    } else {
        tb.fsStyle = BTNS_BUTTON | (b->GetDropMenu() ? BTNS_WHOLEDROPDOWN : 0);
        tb.iBitmap = b->m_iImage >= 0 ? b->m_iImage : I_IMAGENONE;
    }
    SendMessage(TB_INSERTBUTTONW, i, (LPARAM)&tb);
    if (b->GetControlWidth() > 0) {
        RECT rc;
        SendMessage(TB_GETITEMRECT, i, (LPARAM)&rc);
        b->CreateControl(this, rc);
    }
}

int CBCGPToolBar::ReplaceButton(UINT uiCmd, const CBCGPToolbarButton& button, BOOL bAll) {
    int n = 0;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i]->m_nID != uiCmd || !uiCmd) continue;
        CObject* obj = button.GetRuntimeClass()->CreateObject();
        CBCGPToolbarButton* b = DYNAMIC_DOWNCAST(CBCGPToolbarButton, obj);
        if (!b) {
            delete obj;
            return n;
        }
        b->CopyFrom(button);
        b->m_pParentBar = this;
        m_buttons[i]->DestroyControl();
        delete m_buttons[i];
        m_buttons[i] = b;
        if (m_hWnd) {
            SendMessage(TB_DELETEBUTTON, i);
            AddNative((int)i);
        }
        ++n;
        if (!bAll) break;
    }
    if (n && m_hWnd) AdjustLayout();
    return n;
}

int CBCGPToolBar::InsertButton(const CBCGPToolbarButton& button, INT_PTR iInsertAt) {
    if (iInsertAt < 0 || iInsertAt > (INT_PTR)m_buttons.size()) iInsertAt = (INT_PTR)m_buttons.size();
    CObject* obj = button.GetRuntimeClass()->CreateObject();
    CBCGPToolbarButton* b = DYNAMIC_DOWNCAST(CBCGPToolbarButton, obj);
    if (!b) {
        delete obj;
        return -1;
    }
    b->CopyFrom(button);
    b->m_pParentBar = this;
    m_buttons.insert(m_buttons.begin() + iInsertAt, b);
    if (m_hWnd) {
        AddNative((int)iInsertAt);
        AdjustLayout();
    }
    return (int)iInsertAt;
}

int CBCGPToolBar::InsertSeparator(INT_PTR iInsertAt) { return InsertButton(CBCGPToolbarButton(0, -1), iInsertAt); }

BOOL CBCGPToolBar::RemoveButton(int iIndex) {
    if (iIndex < 0 || iIndex >= (int)m_buttons.size()) return FALSE;
    m_buttons[iIndex]->DestroyControl();
    delete m_buttons[iIndex];
    m_buttons.erase(m_buttons.begin() + iIndex);
    if (m_hWnd) {
        SendMessage(TB_DELETEBUTTON, iIndex);
        AdjustLayout();
    }
    return TRUE;
}

void CBCGPToolBar::EnableCustomizeButton(BOOL bEnable, int iCustomizeCmd, const CString& strCustomizeText, BOOL) {
    m_iCustomizeCmd = iCustomizeCmd;
    m_strCustomizeText = strCustomizeText;
    if (!m_hWnd || bEnable == m_bCustomizeButton) {
        m_bCustomizeButton = bEnable && m_hWnd;
        return;
    }
    m_bCustomizeButton = bEnable;
    int native = (int)m_buttons.size();
    if (bEnable) {
        // A bare drop-down arrow at the end of the bar.
        TBBUTTON tb = {};
        tb.idCommand = iCustomizeCmd;
        tb.fsState = TBSTATE_ENABLED;
        tb.fsStyle = BTNS_BUTTON | BTNS_WHOLEDROPDOWN;
        tb.iBitmap = I_IMAGENONE;
        SendMessage(TB_INSERTBUTTONW, native, (LPARAM)&tb);
    } else {
        SendMessage(TB_DELETEBUTTON, native);
    }
    AdjustLayout();
}

CBCGPToolbarButton* CBCGPToolBar::GetButton(int iIndex) const {
    if (iIndex < 0 || iIndex >= (int)m_buttons.size()) return nullptr;
    return m_buttons[iIndex];
}

int CBCGPToolBar::CommandToIndex(UINT nIDFind, int iIndexFirst) const {
    for (int i = iIndexFirst < 0 ? 0 : iIndexFirst; i < (int)m_buttons.size(); ++i)
        if (m_buttons[i]->m_nID == nIDFind) return i;
    return -1;
}

void CBCGPToolBar::AdjustLayout() {
    if (!m_hWnd) return;
    // Hidden buttons and the customize arrow follow their objects.
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        if (SendMessage(TB_GETBUTTONINFOW, i, (LPARAM)&info) < 0) continue;
        BYTE state = m_buttons[i]->m_bVisible ? (info.fsState & ~TBSTATE_HIDDEN) : (info.fsState | TBSTATE_HIDDEN);
        if (state != info.fsState) {
            info.fsState = state;
            SendMessage(TB_SETBUTTONINFOW, i, (LPARAM)&info);
        }
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (CBCGPToolbarComboBoxButton* c = DYNAMIC_DOWNCAST(CBCGPToolbarComboBoxButton, m_buttons[i])) {
            if (!c->GetComboBox() || !c->GetComboBox()->m_hWnd) continue;
            RECT rc;
            SendMessage(TB_GETITEMRECT, i, (LPARAM)&rc);
            c->GetComboBox()->SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, 200, SWP_NOZORDER | SWP_NOACTIVATE);
            c->GetComboBox()->ShowWindow(c->m_bVisible ? SW_SHOWNA : SW_HIDE);
        }
    }
    NotifyFrameLayout();
}

int CBCGPToolBar::GetAvailableExpandSize() const {
    if (!m_hWnd) return 0;
    SIZE sz = {0, 0};
    SendMessage(TB_GETMAXSIZE, 0, (LPARAM)&sz);
    return sz.cx;
}

BOOL CBCGPToolBar::RestoreOriginalstate() {
    if (!m_uiOriginalResID) return FALSE;
    Rebuild();
    if (m_bCustomizeButton && m_hWnd) {
        m_bCustomizeButton = FALSE;
        EnableCustomizeButton(TRUE, m_iCustomizeCmd, m_strCustomizeText);
    }
    if (m_hWnd) {
        HWND frame = ::GetParent(m_hWnd);
        ::SendMessageW(frame, BCGM_RESETTOOLBAR, m_uiOriginalResID, 0);
    }
    AdjustLayout();
    return TRUE;
}

CSize CBCGPToolBar::CalcFixedLayout(BOOL, BOOL) {
    if (!m_hWnd) return CSize(0, 0);
    SIZE sz = {0, 0};
    SendMessage(TB_GETMAXSIZE, 0, (LPARAM)&sz);
    DWORD bs = (DWORD)SendMessage(TB_GETBUTTONSIZE);
    int h = HIWORD(bs);
    if (sz.cy > h) h = sz.cy;
    return CSize(sz.cx + 4, h + 4);
}

BOOL CBCGPToolBar::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == m_hWnd) {
        UINT id = LOWORD(wParam);
        int i = CommandToIndex(id);
        g_pLastCommandButton = i >= 0 ? m_buttons[i] : nullptr;
        // A command its update handler disabled is not run.
        CWnd* frame = GetTopLevelFrame();
        if (frame) {
            CCmdUI state;
            state.m_nID = id;
            frame->OnCmdMsg(id, (int)CN_UPDATE_COMMAND_UI, &state, nullptr);
            if (state.m_bEnableChanged && !state.m_bEnabled) {
                if (pResult) *pResult = 0;
                return TRUE;
            }
        }
        return FALSE;
    }
    return CBCGPControlBar::OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CBCGPToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && lParam && reinterpret_cast<HWND>(lParam) != m_hWnd) {
        // A hosted control's notification goes to the owner frame, where it is routed.
        HWND ctrl = reinterpret_cast<HWND>(lParam);
        for (CBCGPToolbarButton* b : m_buttons) {
            CBCGPToolbarComboBoxButton* c = DYNAMIC_DOWNCAST(CBCGPToolbarComboBoxButton, b);
            if (c && c->GetComboBox() && c->GetComboBox()->m_hWnd == ctrl) {
                c->OnSelChanged();
                if (HIWORD(wParam) == CBN_SELENDOK) g_pLastCommandButton = c;
            }
        }
        return ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, wParam, lParam);
    }
    return CBCGPControlBar::WindowProc(message, wParam, lParam);
}

LRESULT CBCGPToolBar::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    CFrameWnd* frame = GetTopLevelFrame();
    if (!frame || !IsWindowVisible()) return 0;
    CToolCmdUI state;
    state.m_pBar = this;
    state.m_pOther = this;
    state.m_nIndexMax = (UINT)m_buttons.size();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        CBCGPToolbarButton* b = m_buttons[state.m_nIndex];
        if (!b->m_nID) continue;
        state.m_nID = b->m_nID;
        state.DoUpdate(frame, frame->m_bAutoMenuEnable);
    }
    return 0;
}

void CBCGPToolBar::DropDown(int iIndex) {
    HMENU menu = nullptr;
    UINT id = 0;
    HMENU own = nullptr;
    if (iIndex >= 0 && iIndex < (int)m_buttons.size()) {
        menu = m_buttons[iIndex]->GetDropMenu();
    } else if (iIndex == (int)m_buttons.size() && m_bCustomizeButton) {
        own = ::CreatePopupMenu();
        ::AppendMenuW(own, MF_STRING, m_iCustomizeCmd, m_strCustomizeText);
        menu = own;
    }
    if (!menu) return;
    RECT rc;
    SendMessage(TB_GETITEMRECT, iIndex, (LPARAM)&rc);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    HWND frame = ::GetParent(m_hWnd);
    id = (UINT)::TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom, frame, nullptr);
    if (own) ::DestroyMenu(own);
    if (id) ::SendMessageW(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void CBCGPToolBar::OnDestroy() {
    for (CBCGPToolbarButton* b : m_buttons) b->DestroyControl();
    POSITION pos = AllToolbars().Find(this);
    if (pos) AllToolbars().RemoveAt(pos);
    CBCGPControlBar::OnDestroy();
}

void CBCGPToolBar::PostNcDestroy() {}
