// Windows, messages, GDI, dialogs, application and document/view classes.
#pragma once

#include "AfxCore.h"
#include "AfxResource.h"
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <cstring>

#ifdef GetNextWindow
#undef GetNextWindow
#endif
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019   // stands for the WM_CTLCOLOR* family in message maps
#endif

class CCmdTarget;
class CCmdUI;
class CWnd;
class CDC;
class CMenu;
class CScrollBar;
class CDocument;
class CView;
class CFrameWnd;
class CMDIChildWnd;
class CDocTemplate;
class CWinApp;
class CPrintInfo;
struct CCreateContext;

// Framework-private messages
#define WM_SIZEPARENT       0x0361
#define WM_SETMESSAGESTRING 0x0362
#define WM_IDLEUPDATECMDUI  0x0363
#define WM_INITIALUPDATE    0x0364
#define WM_COMMANDHELP      0x0365
#define WM_RECALCPARENT     0x0368
#define WM_KICKIDLE         0x036A

#define CN_COMMAND             0
#define CN_UPDATE_COMMAND_UI   ((UINT)(-1))

// ---------------------------------------------------------------- message maps
enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,       // void ()
    AfxSig_vw,       // void (UINT)            command ranges
    AfxSig_cmdui,    // void (CCmdUI*)
    AfxSig_cmduiw,   // void (CCmdUI*)         update ranges
    AfxSig_lwl,      // LRESULT (WPARAM, LPARAM)
    AfxSig_is,       // int (LPCREATESTRUCT)
    AfxSig_vwii,     // void (UINT, int, int)  WM_SIZE
    AfxSig_vtimer,   // void (UINT_PTR)
    AfxSig_bD,       // BOOL (CDC*)           WM_ERASEBKGND
    AfxSig_vwp,      // void (UINT, CPoint)   mouse buttons and moves
    AfxSig_vwww,     // void (UINT, UINT, UINT) keys
    AfxSig_bWww,     // BOOL (CWnd*, UINT, UINT) WM_SETCURSOR
    AfxSig_vwwS,     // void (UINT, UINT, CScrollBar*) scroll bars
    AfxSig_hDWw,     // HBRUSH (CDC*, CWnd*, UINT) WM_CTLCOLOR
    AfxSig_vWp,      // void (CWnd*, CPoint)  WM_CONTEXTMENU
    AfxSig_bwsp,     // BOOL (UINT, short, CPoint) WM_MOUSEWHEEL
    AfxSig_vNMHDRpl, // void (NMHDR*, LRESULT*) WM_NOTIFY
    AfxSig_vW,       // void (CWnd*)          WM_SETFOCUS / WM_KILLFOCUS
    AfxSig_vb,       // void (BOOL)           WM_SHOWWINDOW (status ignored)
    AfxSig_vwW,      // void (UINT, CWnd*)    WM_ACTIVATE (minimised flag dropped)
};

typedef void (CCmdTarget::*AFX_PMSG)();

// To and back from the neutral type to the handler's own type recorded in nSig.
template <class T>
inline AFX_PMSG AfxPmfTo(T pfn) {
    static_assert(sizeof(T) == sizeof(AFX_PMSG), "member pointers differ in size");
    AFX_PMSG p;
    std::memcpy(&p, &pfn, sizeof p);
    return p;
}
template <class T>
inline T AfxPmfCast(AFX_PMSG pfn) {
    static_assert(sizeof(T) == sizeof(AFX_PMSG), "member pointers differ in size");
    T t;
    std::memcpy(&t, &pfn, sizeof t);
    return t;
}

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    UINT nSig;
    AFX_PMSG pfn;
    const UINT* pnRegistered;   // ON_REGISTERED_MESSAGE: the id known only at run time
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (PASCAL* pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static_assert(sizeof(ThisClass) > 0, "complete class"); \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, AfxSig_end, nullptr, nullptr} }; \
        static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &_messageEntries[0] }; \
        return &messageMap; \
    }

// The inner static_cast checks the handler's signature; AFX_PMSG is the
// neutral type every entry is stored as.
#define AFX_CMD_PFN(fn) static_cast<AFX_PMSG>(static_cast<void (CCmdTarget::*)()>(&ThisClass::fn))
#define AFX_PFN(type, fn) AfxPmfTo<type>(static_cast<type>(&ThisClass::fn))

#define ON_COMMAND(id, fn) {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSig_vv, AFX_CMD_PFN(fn), nullptr},
#define ON_COMMAND_RANGE(id, idLast, fn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AfxSig_vw, AFX_PFN(void (CCmdTarget::*)(UINT), fn), nullptr},
#define ON_UPDATE_COMMAND_UI(id, fn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AfxSig_cmdui, AFX_PFN(void (CCmdTarget::*)(CCmdUI*), fn), nullptr},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, fn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), AfxSig_cmduiw, AFX_PFN(void (CCmdTarget::*)(CCmdUI*), fn), nullptr},
#define ON_CONTROL(code, id, fn) {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AfxSig_vv, AFX_CMD_PFN(fn), nullptr},
#define ON_CONTROL_RANGE(code, id, idLast, fn) \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(idLast), AfxSig_vw, AFX_PFN(void (CCmdTarget::*)(UINT), fn), nullptr},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_SELENDOK(id, fn) ON_CONTROL(CBN_SELENDOK, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_NOTIFY(code, id, fn) \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), AfxSig_vNMHDRpl, AFX_PFN(void (CCmdTarget::*)(NMHDR*, LRESULT*), fn), nullptr},
#define ON_MESSAGE(msg, fn) \
    {(UINT)(msg), 0, 0, 0, AfxSig_lwl, AFX_PFN(LRESULT (CWnd::*)(WPARAM, LPARAM), fn), nullptr},
#define ON_REGISTERED_MESSAGE(nVar, fn) \
    {0xC000, 0, 0, 0, AfxSig_lwl, AFX_PFN(LRESULT (CWnd::*)(WPARAM, LPARAM), fn), &(nVar)},
#define ON_THREAD_MESSAGE(msg, fn) ON_MESSAGE(msg, fn)

#define AFX_WM(msg, sig, type, fn) {msg, 0, 0, 0, sig, AFX_PFN(type, fn), nullptr},
#define ON_WM_CREATE() AFX_WM(WM_CREATE, AfxSig_is, int (CWnd::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_DESTROY() AFX_WM(WM_DESTROY, AfxSig_vv, void (CWnd::*)(), OnDestroy)
#define ON_WM_CLOSE() AFX_WM(WM_CLOSE, AfxSig_vv, void (CWnd::*)(), OnClose)
#define ON_WM_PAINT() AFX_WM(WM_PAINT, AfxSig_vv, void (CWnd::*)(), OnPaint)
#define ON_WM_SIZE() AFX_WM(WM_SIZE, AfxSig_vwii, void (CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_TIMER() AFX_WM(WM_TIMER, AfxSig_vtimer, void (CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_ERASEBKGND() AFX_WM(WM_ERASEBKGND, AfxSig_bD, BOOL (CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_LBUTTONDOWN() AFX_WM(WM_LBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM(WM_LBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_WM(WM_LBUTTONDBLCLK, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_WM(WM_RBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_WM(WM_RBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_WM(WM_MOUSEMOVE, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_MOUSEWHEEL() AFX_WM(WM_MOUSEWHEEL, AfxSig_bwsp, BOOL (CWnd::*)(UINT, short, CPoint), OnMouseWheel)
#define ON_WM_KEYDOWN() AFX_WM(WM_KEYDOWN, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_WM(WM_KEYUP, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_CHAR() AFX_WM(WM_CHAR, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SETCURSOR() AFX_WM(WM_SETCURSOR, AfxSig_bWww, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_HSCROLL() AFX_WM(WM_HSCROLL, AfxSig_vwwS, void (CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() AFX_WM(WM_VSCROLL, AfxSig_vwwS, void (CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_CTLCOLOR() AFX_WM(WM_CTLCOLOR, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_CONTEXTMENU() AFX_WM(WM_CONTEXTMENU, AfxSig_vWp, void (CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_SETFOCUS() AFX_WM(WM_SETFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM(WM_KILLFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_SHOWWINDOW() AFX_WM(WM_SHOWWINDOW, AfxSig_vb, void (CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_ACTIVATE() AFX_WM(WM_ACTIVATE, AfxSig_vwW, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)

// ---------------------------------------------------------------- command targets
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

class AFX_API CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget();
    // Handles nID with nCode (CN_COMMAND, CN_UPDATE_COMMAND_UI or a control
    // notification); with pHandlerInfo set it only reports whether a handler exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();
protected:
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID);
    friend class CWnd;
};

// Carries one menu item, toolbar button or status pane through update handlers.
class AFX_API CCmdUI {
public:
    CCmdUI();
    virtual ~CCmdUI() {}
    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCWSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }
    // Routes the update through pTarget; an item nobody handles is disabled
    // when bDisableIfNoHndler and no command handler exists either.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
    UINT m_nID;
    UINT m_nIndex;
    CMenu* m_pMenu;
    CMenu* m_pSubMenu;
    CWnd* m_pOther;
    BOOL m_bEnableChanged;
    BOOL m_bContinueRouting;
    UINT m_nIndexMax;
    CMenu* m_pParentMenu;
    // Last values set, so callers without a menu (the command test) can read them.
    BOOL m_bEnabled;
    int m_nCheck;
};

class AFX_API CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    void Restore();
private:
    HCURSOR m_hcurPrev;
};

// ---------------------------------------------------------------- GDI
class AFX_API CGdiObject : public CObject {
    DECLARE_DYNAMIC(CGdiObject)
public:
    CGdiObject() : m_hObject(nullptr) {}
    ~CGdiObject() override;
    HGDIOBJ m_hObject;
    // These GetSafe members answer NULL when called through a null pointer, as
    // callers written for the framework expect.
    HGDIOBJ GetSafeHandle() const;
    operator HGDIOBJ() const { return m_hObject; }
    // The wrapper owns what it holds: a second Create... frees the first object.
    BOOL Attach(HGDIOBJ h) {
        if (m_hObject && m_hObject != h) DeleteObject();
        m_hObject = h;
        return h != nullptr;
    }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; return h; }
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const { return ::GetObjectW(m_hObject, nCount, lpObject); }
    BOOL CreateStockObject(int nIndex) { return Attach(::GetStockObject(nIndex)); }
    static CGdiObject* PASCAL FromHandle(HGDIOBJ h);
};

class AFX_API CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() {}
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { Attach(::CreatePen(nPenStyle, nWidth, crColor)); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor) { return Attach(::CreatePen(nPenStyle, nWidth, crColor)); }
    BOOL CreatePenIndirect(LPLOGPEN p) { return Attach(::CreatePenIndirect(p)); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    static CPen* PASCAL FromHandle(HPEN h) { return static_cast<CPen*>(CGdiObject::FromHandle(h)); }
};

class AFX_API CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() {}
    explicit CBrush(COLORREF cr) { Attach(::CreateSolidBrush(cr)); }
    BOOL CreateSolidBrush(COLORREF cr) { return Attach(::CreateSolidBrush(cr)); }
    BOOL CreateHatchBrush(int nIndex, COLORREF cr) { return Attach(::CreateHatchBrush(nIndex, cr)); }
    BOOL CreateSysColorBrush(int nIndex) { return Attach(::GetSysColorBrush(nIndex)); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* PASCAL FromHandle(HBRUSH h) { return static_cast<CBrush*>(CGdiObject::FromHandle(h)); }
};

class AFX_API CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    BOOL CreateFontIndirect(const LOGFONTW* p) { return Attach(::CreateFontIndirectW(p)); }
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight, BYTE bItalic,
                    BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet, BYTE nOutPrecision, BYTE nClipPrecision,
                    BYTE nQuality, BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
        return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                                    cStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality,
                                    nPitchAndFamily, lpszFacename));
    }
    BOOL CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC = nullptr);
    int GetLogFont(LOGFONTW* p) { return ::GetObjectW(m_hObject, sizeof(LOGFONTW), p); }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    static CFont* PASCAL FromHandle(HFONT h) { return static_cast<CFont*>(CGdiObject::FromHandle(h)); }
};

class AFX_API CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(LPCWSTR lpszResourceName);
    BOOL CreateBitmap(int w, int h, UINT nPlanes, UINT nBitcount, const void* lpBits) {
        return Attach(::CreateBitmap(w, h, nPlanes, nBitcount, lpBits));
    }
    BOOL CreateCompatibleBitmap(CDC* pDC, int w, int h);
    int GetBitmap(BITMAP* p) { return ::GetObjectW(m_hObject, sizeof(BITMAP), p); }
    DWORD GetBitmapBits(DWORD n, LPVOID p) const { return ::GetBitmapBits(static_cast<HBITMAP>(m_hObject), n, p); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    static CBitmap* PASCAL FromHandle(HBITMAP h) { return static_cast<CBitmap*>(CGdiObject::FromHandle(h)); }
};

class AFX_API CRgn : public CGdiObject {
    DECLARE_DYNAMIC(CRgn)
public:
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRectRgnIndirect(LPCRECT p) { return Attach(::CreateRectRgnIndirect(p)); }
    BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
    BOOL CreatePolygonRgn(const POINT* p, int n, int mode) { return Attach(::CreatePolygonRgn(p, n, mode)); }
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
        return ::CombineRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(a->m_hObject),
                            b ? static_cast<HRGN>(b->m_hObject) : nullptr, mode);
    }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(static_cast<HRGN>(m_hObject), x, y); }
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

// A device context wrapper. An owned one keeps no per-thread state; the
// temporary ones that FromHandle (and SelectObject's result) hand out belong
// to the calling thread's map and are freed at its idle time or its exit, so
// a frame thread may draw through its own while the user-interface thread runs.
class AFX_API CDC : public CObject {
    DECLARE_DYNCREATE(CDC)
public:
    CDC();
    ~CDC() override;
    HDC m_hDC;
    HDC m_hAttribDC;
    BOOL m_bPrinting;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const;
    static CDC* PASCAL FromHandle(HDC hDC);
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL CreateDC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput, const DEVMODEW* lpInitData);
    BOOL CreateIC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput, const DEVMODEW* lpInitData);
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    BOOL IsPrinting() const { return m_bPrinting; }
    CWnd* GetWindow() const;

    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int n) { return ::RestoreDC(m_hDC, n); }
    int GetDeviceCaps(int n) const { return ::GetDeviceCaps(m_hAttribDC, n); }
    HDC ResetDC(const DEVMODEW* p) { return ::ResetDCW(m_hDC, p); }

    CGdiObject* SelectStockObject(int nIndex);
    CPen* SelectObject(CPen* p) { return static_cast<CPen*>(SelectGdiObject(p)); }
    CBrush* SelectObject(CBrush* p) { return static_cast<CBrush*>(SelectGdiObject(p)); }
    CFont* SelectObject(CFont* p) { return static_cast<CFont*>(SelectGdiObject(p)); }
    CBitmap* SelectObject(CBitmap* p) { return static_cast<CBitmap*>(SelectGdiObject(p)); }
    CGdiObject* SelectObject(CGdiObject* p) { return SelectGdiObject(p); }
    int SelectObject(CRgn* p) { return static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, p->m_hObject))); }
    HGDIOBJ SelectObject(HGDIOBJ h) { return ::SelectObject(m_hDC, h); }
    CPen* GetCurrentPen() const { return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN))); }
    CBrush* GetCurrentBrush() const { return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH))); }
    CFont* GetCurrentFont() const { return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT))); }
    CBitmap* GetCurrentBitmap() const { return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP))); }

    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int n) { return ::SetBkMode(m_hDC, n); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    int SetROP2(int n) { return ::SetROP2(m_hDC, n); }
    int GetROP2() const { return ::GetROP2(m_hDC); }
    int SetStretchBltMode(int n) { return ::SetStretchBltMode(m_hDC, n); }
    CPoint SetBrushOrg(int x, int y) { POINT p{}; ::SetBrushOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetBrushOrg(POINT pt) { return SetBrushOrg(pt.x, pt.y); }
    UINT SetTextAlign(UINT n) { return ::SetTextAlign(m_hDC, n); }

    int SetMapMode(int n) { return ::SetMapMode(m_hDC, n); }
    int GetMapMode() const { return ::GetMapMode(m_hDC); }
    CPoint SetWindowOrg(int x, int y) { POINT p{}; ::SetWindowOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetWindowOrg(POINT pt) { return SetWindowOrg(pt.x, pt.y); }
    CPoint GetWindowOrg() const { POINT p{}; ::GetWindowOrgEx(m_hDC, &p); return p; }
    CSize SetWindowExt(int cx, int cy) { SIZE s{}; ::SetWindowExtEx(m_hDC, cx, cy, &s); return s; }
    CSize SetWindowExt(SIZE s) { return SetWindowExt(s.cx, s.cy); }
    CSize GetWindowExt() const { SIZE s{}; ::GetWindowExtEx(m_hDC, &s); return s; }
    CPoint SetViewportOrg(int x, int y) { POINT p{}; ::SetViewportOrgEx(m_hDC, x, y, &p); return p; }
    CPoint SetViewportOrg(POINT pt) { return SetViewportOrg(pt.x, pt.y); }
    CPoint GetViewportOrg() const { POINT p{}; ::GetViewportOrgEx(m_hDC, &p); return p; }
    CPoint OffsetViewportOrg(int x, int y) { POINT p{}; ::OffsetViewportOrgEx(m_hDC, x, y, &p); return p; }
    CSize SetViewportExt(int cx, int cy) { SIZE s{}; ::SetViewportExtEx(m_hDC, cx, cy, &s); return s; }
    CSize SetViewportExt(SIZE s) { return SetViewportExt(s.cx, s.cy); }
    CSize GetViewportExt() const { SIZE s{}; ::GetViewportExtEx(m_hDC, &s); return s; }
    void LPtoDP(LPPOINT p, int n = 1) const { ::LPtoDP(m_hAttribDC, p, n); }
    void LPtoDP(LPRECT r) const { ::LPtoDP(m_hAttribDC, reinterpret_cast<LPPOINT>(r), 2); }
    void LPtoDP(LPSIZE s) const;
    void DPtoLP(LPPOINT p, int n = 1) const { ::DPtoLP(m_hAttribDC, p, n); }
    void DPtoLP(LPRECT r) const { ::DPtoLP(m_hAttribDC, reinterpret_cast<LPPOINT>(r), 2); }
    void DPtoLP(LPSIZE s) const;

    CPoint MoveTo(int x, int y) { POINT p{}; ::MoveToEx(m_hDC, x, y, &p); return p; }
    CPoint MoveTo(POINT pt) { return MoveTo(pt.x, pt.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT pt) { return LineTo(pt.x, pt.y); }
    CPoint GetCurrentPosition() const { POINT p{}; ::GetCurrentPositionEx(m_hDC, &p); return p; }
    BOOL Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
        return ::Arc(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
    }
    BOOL Arc(LPCRECT r, POINT a, POINT b) { return Arc(r->left, r->top, r->right, r->bottom, a.x, a.y, b.x, b.y); }
    BOOL Polyline(const POINT* p, int n) { return ::Polyline(m_hDC, p, n); }
    BOOL Polygon(const POINT* p, int n) { return ::Polygon(m_hDC, p, n); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    void FillRect(LPCRECT r, CBrush* pBrush) { ::FillRect(m_hDC, r, static_cast<HBRUSH>(pBrush->m_hObject)); }
    void FrameRect(LPCRECT r, CBrush* pBrush) { ::FrameRect(m_hDC, r, static_cast<HBRUSH>(pBrush->m_hObject)); }
    void InvertRect(LPCRECT r) { ::InvertRect(m_hDC, r); }
    void FillSolidRect(LPCRECT r, COLORREF c);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
    void Draw3dRect(LPCRECT r, COLORREF tl, COLORREF br);
    void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
    BOOL DrawIcon(int x, int y, HICON h) { return ::DrawIcon(m_hDC, x, y, h); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* pSrc, int xs, int ys, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : nullptr, xs, ys, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* pSrc, int xs, int ys, int ws, int hs, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : nullptr, xs, ys, ws, hs, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }

    BOOL TextOut(int x, int y, LPCWSTR s, int n) { return ::TextOutW(m_hDC, x, y, s, n); }
    BOOL TextOut(int x, int y, const CString& s) { return ::TextOutW(m_hDC, x, y, s, s.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT o, LPCRECT r, LPCWSTR s, UINT n, LPINT dx) {
        return ::ExtTextOutW(m_hDC, x, y, o, r, s, n, dx);
    }
    int DrawText(LPCWSTR s, int n, LPRECT r, UINT f) { return ::DrawTextW(m_hDC, s, n, r, f); }
    int DrawText(const CString& s, LPRECT r, UINT f) { return ::DrawTextW(m_hDC, s, s.GetLength(), r, f); }
    CSize GetTextExtent(LPCWSTR s, int n) const { SIZE z{}; ::GetTextExtentPoint32W(m_hAttribDC, s, n, &z); return z; }
    CSize GetTextExtent(const CString& s) const { return GetTextExtent(s, s.GetLength()); }
    CSize GetOutputTextExtent(const CString& s) const { SIZE z{}; ::GetTextExtentPoint32W(m_hDC, s, s.GetLength(), &z); return z; }
    BOOL GetTextMetrics(LPTEXTMETRICW p) const { return ::GetTextMetricsW(m_hAttribDC, p); }

    int SelectClipRgn(CRgn* p) { return ::SelectClipRgn(m_hDC, p ? static_cast<HRGN>(p->m_hObject) : nullptr); }
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }

    int StartDoc(LPDOCINFOW p) { return ::StartDocW(m_hDC, p); }
    int StartDoc(LPCWSTR lpszDocName);
    int EndDoc() { return ::EndDoc(m_hDC); }
    int AbortDoc() { return ::AbortDoc(m_hDC); }
    int StartPage() { return ::StartPage(m_hDC); }
    int EndPage() { return ::EndPage(m_hDC); }
    int Escape(int nEscape, int nCount, LPCSTR lpszInData, LPVOID lpOutData) {
        return ::Escape(m_hDC, nEscape, nCount, lpszInData, lpOutData);
    }
protected:
    CGdiObject* SelectGdiObject(CGdiObject* p);
    HWND m_hWnd;   // the window of a CPaintDC, CClientDC or CWindowDC
    friend class CPaintDC;
    friend class CClientDC;
    friend class CWindowDC;
    friend class CWnd;
};

class AFX_API CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;
};

class AFX_API CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;
};

class AFX_API CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;
};

class AFX_API CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    CMenu();
    ~CMenu() override;
    HMENU m_hMenu;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const;
    static CMenu* PASCAL FromHandle(HMENU h);
    BOOL Attach(HMENU h) { m_hMenu = h; return h != nullptr; }
    HMENU Detach() { HMENU h = m_hMenu; m_hMenu = nullptr; return h; }
    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(UINT nIDResource);
    BOOL LoadMenu(LPCWSTR lpszResourceName);
    BOOL DestroyMenu();
    CMenu* GetSubMenu(int nPos) const;
    UINT GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuString(UINT nID, CString& s, UINT nFlags) const;
    BOOL AppendMenu(UINT nFlags, UINT_PTR nID = 0, LPCWSTR s = nullptr) { return ::AppendMenuW(m_hMenu, nFlags, nID, s); }
    BOOL InsertMenu(UINT nPos, UINT nFlags, UINT_PTR nID = 0, LPCWSTR s = nullptr) { return ::InsertMenuW(m_hMenu, nPos, nFlags, nID, s); }
    BOOL ModifyMenu(UINT nPos, UINT nFlags, UINT_PTR nID = 0, LPCWSTR s = nullptr) { return ::ModifyMenuW(m_hMenu, nPos, nFlags, nID, s); }
    BOOL DeleteMenu(UINT nPos, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPos, nFlags); }
    BOOL RemoveMenu(UINT nPos, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPos, nFlags); }
    UINT EnableMenuItem(UINT nID, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nID, nEnable); }
    UINT CheckMenuItem(UINT nID, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nID, nCheck); }
    BOOL CheckMenuRadioItem(UINT a, UINT b, UINT id, UINT f) { return ::CheckMenuRadioItem(m_hMenu, a, b, id, f); }
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT r = nullptr);
};

// ---------------------------------------------------------------- windows
class AFX_API CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
    DECLARE_MESSAGE_MAP()
public:
    CWnd();
    ~CWnd() override;
    HWND m_hWnd;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const;
    BOOL operator==(const CWnd& w) const { return m_hWnd == w.m_hWnd; }
    BOOL operator!=(const CWnd& w) const { return m_hWnd != w.m_hWnd; }

    // Permanent object of hWnd, or a temporary one freed at idle time.
    static CWnd* PASCAL FromHandle(HWND hWnd);
    static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A child's chance to handle what its parent received about it (owner draw).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void PostNcDestroy();
    virtual void CalcWindowRect(LPRECT lpClientRect, UINT nAdjustType = 0);
    LRESULT Default();
    const MSG* GetCurrentMessage() const { return &m_msgCur; }

    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    CWnd* GetDlgItem(int nID) const;
    void GetDlgItem(int nID, HWND* phWnd) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const { return GetWindow(nFlag); }
    CWnd* SetParent(CWnd* pWndNewParent);
    static CWnd* PASCAL GetFocus();
    CWnd* SetFocus();
    static CWnd* PASCAL GetActiveWindow();
    static CWnd* PASCAL GetDesktopWindow();
    static CWnd* PASCAL FindWindow(LPCWSTR lpszClassName, LPCWSTR lpszWindowName);
    BOOL IsChild(const CWnd* pWnd) const;
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* pMenu);
    void DrawMenuBar();
    CMenu* GetSystemMenu(BOOL bRevert) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE);
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void SetWindowText(LPCWSTR lpszString);
    int GetWindowText(LPWSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCWSTR lpszString);
    int GetDlgItemText(int nID, LPWSTR lpStr, int nMaxCount) const;
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nID, UINT nCheck);
    UINT IsDlgButtonChecked(int nID) const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    void SetIcon(HICON hIcon, BOOL bBigIcon);

    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void InvalidateRgn(CRgn* pRgn, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn* prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* pDC);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    CWnd* SetCapture();
    static CWnd* PASCAL GetCapture();
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    int GetScrollPos(int nBar) const;
    void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
    void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr, LPCRECT lpClipRect = nullptr);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(class CDataExchange* pDX);
    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK);
    BOOL IsWindowEnabledSafe() const { return IsWindowEnabled(); }
    BOOL SetForegroundWindow();
    void BringWindowToTop();
    void DragAcceptFiles(BOOL bAccept = TRUE);

    // Frequent handlers, overridable and reachable through the ON_WM_ macros.
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);

    // Pre-translation from the focus window up to (not past) hWndStop.
    static BOOL PASCAL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

protected:
    WNDPROC m_pfnSuper;
    MSG m_msgCur;
    CCreateContext* m_pPendingContext;
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtHook(int, WPARAM, LPARAM);
    friend class CFrameWnd;
};

AFX_API LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
AFX_API LPCWSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr,
                                           HBRUSH hbrBackground = nullptr, HICON hIcon = nullptr);

// ---------------------------------------------------------------- controls
class AFX_API CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xffff);
    HBITMAP SetBitmap(HBITMAP h) { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)h); }
    HBITMAP GetBitmap() const { return (HBITMAP)SendMessage(STM_GETIMAGE, IMAGE_BITMAP); }
    HICON SetIcon(HICON h) { return (HICON)SendMessage(STM_SETICON, (WPARAM)h); }
};

class AFX_API CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, nCheck); }
    UINT GetState() const { return (UINT)SendMessage(BM_GETSTATE); }
    void SetState(BOOL b) { SendMessage(BM_SETSTATE, b); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT n, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, n, bRedraw); }
    HBITMAP SetBitmap(HBITMAP h) { return (HBITMAP)SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)h); }
    HICON SetIcon(HICON h) { return (HICON)SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)h); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class AFX_API CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetSel(int nStart, int nEnd, BOOL bNoScroll = FALSE);
    void GetSel(int& nStart, int& nEnd) const;
    void ReplaceSel(LPCWSTR s, BOOL bCanUndo = FALSE) { SendMessage(EM_REPLACESEL, bCanUndo, (LPARAM)s); }
    void SetLimitText(UINT n) { SendMessage(EM_SETLIMITTEXT, n); }
    void LimitText(int n = 0) { SendMessage(EM_LIMITTEXT, n); }
    UINT GetLimitText() const { return (UINT)SendMessage(EM_GETLIMITTEXT); }
    BOOL SetReadOnly(BOOL b = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, b); }
    int GetLineCount() const { return (int)SendMessage(EM_GETLINECOUNT); }
    void Clear() { SendMessage(WM_CLEAR); }
    void Copy() { SendMessage(WM_COPY); }
    void Cut() { SendMessage(WM_CUT); }
    void Paste() { SendMessage(WM_PASTE); }
    BOOL Undo() { return (BOOL)SendMessage(EM_UNDO); }
};

class AFX_API CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCount() const { return (int)SendMessage(LB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL); }
    int SetCurSel(int n) { return (int)SendMessage(LB_SETCURSEL, n); }
    int AddString(LPCWSTR s) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int i, LPCWSTR s) { return (int)SendMessage(LB_INSERTSTRING, i, (LPARAM)s); }
    int DeleteString(UINT i) { return (int)SendMessage(LB_DELETESTRING, i); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    void GetText(int i, CString& s) const;
    int GetTextLen(int i) const { return (int)SendMessage(LB_GETTEXTLEN, i); }
    DWORD_PTR GetItemData(int i) const { return (DWORD_PTR)SendMessage(LB_GETITEMDATA, i); }
    int SetItemData(int i, DWORD_PTR d) { return (int)SendMessage(LB_SETITEMDATA, i, (LPARAM)d); }
    int FindString(int iStart, LPCWSTR s) const { return (int)SendMessage(LB_FINDSTRING, iStart, (LPARAM)s); }
    int FindStringExact(int iStart, LPCWSTR s) const { return (int)SendMessage(LB_FINDSTRINGEXACT, iStart, (LPARAM)s); }
    int SelectString(int iStart, LPCWSTR s) { return (int)SendMessage(LB_SELECTSTRING, iStart, (LPARAM)s); }
    int GetSel(int i) const { return (int)SendMessage(LB_GETSEL, i); }
    int SetSel(int i, BOOL b = TRUE) { return (int)SendMessage(LB_SETSEL, b, i); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class AFX_API CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int n) { return (int)SendMessage(CB_SETCURSEL, n); }
    int AddString(LPCWSTR s) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int i, LPCWSTR s) { return (int)SendMessage(CB_INSERTSTRING, i, (LPARAM)s); }
    int DeleteString(UINT i) { return (int)SendMessage(CB_DELETESTRING, i); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetLBText(int i, LPWSTR s) const { return (int)SendMessage(CB_GETLBTEXT, i, (LPARAM)s); }
    void GetLBText(int i, CString& s) const;
    int GetLBTextLen(int i) const { return (int)SendMessage(CB_GETLBTEXTLEN, i); }
    DWORD_PTR GetItemData(int i) const { return (DWORD_PTR)SendMessage(CB_GETITEMDATA, i); }
    int SetItemData(int i, DWORD_PTR d) { return (int)SendMessage(CB_SETITEMDATA, i, (LPARAM)d); }
    int FindString(int iStart, LPCWSTR s) const { return (int)SendMessage(CB_FINDSTRING, iStart, (LPARAM)s); }
    int FindStringExact(int iStart, LPCWSTR s) const { return (int)SendMessage(CB_FINDSTRINGEXACT, iStart, (LPARAM)s); }
    int SelectString(int iStart, LPCWSTR s) { return (int)SendMessage(CB_SELECTSTRING, iStart, (LPARAM)s); }
    void ShowDropDown(BOOL b = TRUE) { SendMessage(CB_SHOWDROPDOWN, b); }
    BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
    int SetItemHeight(int i, UINT h) { return (int)SendMessage(CB_SETITEMHEIGHT, i, h); }
    int GetItemHeight(int i) const { return (int)SendMessage(CB_GETITEMHEIGHT, i); }
    BOOL LimitText(int n) { return (BOOL)SendMessage(CB_LIMITTEXT, n); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual int CompareItem(LPCOMPAREITEMSTRUCT lpCompareItemStruct);
protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class AFX_API CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int n, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, n, bRedraw); }
    void SetScrollRange(int a, int b, BOOL bRedraw = TRUE) { ::SetScrollRange(m_hWnd, SB_CTL, a, b, bRedraw); }
    void GetScrollRange(LPINT a, LPINT b) const { ::GetScrollRange(m_hWnd, SB_CTL, a, b); }
};

// ---------------------------------------------------------------- dialogs
class AFX_API CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Gives focus back to the control in error and abandons the exchange.
    void Fail();
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl;
};

// Thrown by CDataExchange::Fail and caught by UpdateData.
class AFX_API CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
};

AFX_API void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
AFX_API void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value);
AFX_API void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
AFX_API void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, long& value);
AFX_API void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, double& value);
AFX_API void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, float& value);
AFX_API void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
AFX_API void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value);
AFX_API void AFXAPI DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
AFX_API void AFXAPI DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
AFX_API void AFXAPI DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
AFX_API void AFXAPI DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
AFX_API void AFXAPI DDX_Slider(CDataExchange* pDX, int nIDC, int& value);
AFX_API void AFXAPI DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
AFX_API void AFXAPI DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);

class AFX_API CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
    DECLARE_MESSAGE_MAP()
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    UINT m_nIDHelp;
    LPCWSTR m_lpszTemplateName;
    CWnd* m_pParentWnd;
protected:
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    BOOL m_bModal;
    int m_nModalResult;
private:
    HWND ParentHwnd() const;
};

// ---------------------------------------------------------------- threads and application
class AFX_API CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    ~CWinThread() override;
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual CWnd* GetMainWnd();
    CWnd* m_pMainWnd;
    CWnd* m_pActiveWnd;
    BOOL m_bAutoDelete;
    HANDLE m_hThread;
    DWORD m_nThreadID;
    MSG m_msgCur;
};

enum AFX_HELP_TYPE { afxWinHelp = 0, afxHTMLHelp = 1 };

class AFX_API CCommandLineInfo : public CObject {
public:
    CCommandLineInfo();
    ~CCommandLineInfo() override;
    virtual void ParseParam(LPCWSTR pszParam, BOOL bFlag, BOOL bLast);
    BOOL m_bShowSplash;
    BOOL m_bRunEmbedded;
    BOOL m_bRunAutomated;
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 }
        m_nShellCommand;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;
};

class AFX_API CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
    DECLARE_MESSAGE_MAP()
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance;
    LPWSTR m_lpCmdLine;
    int m_nCmdShow;
    LPCWSTR m_pszAppName;
    LPCWSTR m_pszExeName;
    LPCWSTR m_pszProfileName;
    LPCWSTR m_pszRegistryKey;
    LPCWSTR m_pszHelpFilePath;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;
    BOOL OnIdle(LONG lCount) override;
    virtual int DoMessageBox(LPCWSTR lpszPrompt, UINT nType, UINT nIDPrompt);
    virtual void DoWaitCursor(int nCode);

    void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
    virtual CDocument* OpenDocumentFile(LPCWSTR lpszFileName);
    virtual BOOL SaveAllModified();
    void CloseAllDocuments(BOOL bEndSession);
    int GetOpenDocumentCount();
    virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                  CDocTemplate* pTemplate);

    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    void EnableShellOpen() {}
    void RegisterShellFileTypes(BOOL bCompat = FALSE) { (void)bCompat; }
    BOOL Enable3dControls() { return TRUE; }
    BOOL Enable3dControlsStatic() { return TRUE; }
    void LoadStdProfileSettings(UINT nMaxMRU = 4) { m_nMaxMRU = nMaxMRU; }
    void SetRegistryKey(LPCWSTR lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCWSTR lpszSection);

    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);

    BOOL GetPrinterDeviceDefaults(PRINTDLGW* pPrintDlg);
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadCursor(LPCWSTR lpszResourceName) const;
    HCURSOR LoadStandardCursor(LPCWSTR lpszCursorName) const { return ::LoadCursorW(nullptr, lpszCursorName); }
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadStandardIcon(LPCWSTR lpszIconName) const { return ::LoadIconW(nullptr, lpszIconName); }

    afx_msg void OnFileNew();
    afx_msg void OnFileOpen();
    afx_msg void OnAppExit();
    afx_msg void OnFilePrintSetup();

    UINT m_nMaxMRU;
    HGLOBAL m_hDevMode;
    HGLOBAL m_hDevNames;
    int m_nWaitCursorCount;
    HCURSOR m_hcurWaitCursorRestore;
protected:
    CPtrList m_templateList;
    CString m_strAppName;
    CString m_strExeName;
    CString m_strProfileName;
    CString m_strRegistryKey;
};

AFX_API CWinApp* AFXAPI AfxGetApp();
AFX_API CWnd* AFXAPI AfxGetMainWnd();
AFX_API CWinThread* AFXAPI AfxGetThread();
AFX_API BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
AFX_API int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
AFX_API int AFXAPI AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
AFX_API int AFXAPI AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));
AFX_API BOOL AFXAPI AfxOleInit();
AFX_API void AFXAPI AfxEnableControlContainer();
AFX_API void AFXAPI AfxFormatString1(CString& rString, UINT nIDS, LPCWSTR lpsz1);
AFX_API void AFXAPI AfxFormatString2(CString& rString, UINT nIDS, LPCWSTR lpsz1, LPCWSTR lpsz2);
// Frees the temporary window, DC and GDI objects handed out by FromHandle.
AFX_API void AFXAPI AfxUnlockTempMaps();

#include "AfxDocView.h"
