// The toolkit layer over the framework: export macro, resource handle,
// registered messages, visual managers, the workspace and its managers.
#pragma once
#include "AfxWindows.h"
#include "AfxControls.h"
#include "AfxExtension.h"

#ifdef VELTRANE_TOOLKIT_BUILD
#define TOOLKIT_API __declspec(dllexport)
#else
#define TOOLKIT_API __declspec(dllimport)
#endif

class CBCGPMDIFrameWnd;
class CBCGPToolBar;

// Where the toolkit's own texts come from: a language library, or this layer.
TOOLKIT_API void BCGCBProSetResourceHandle(HINSTANCE hinstRes);
TOOLKIT_API HINSTANCE BCGCBProGetResourceHandle();
TOOLKIT_API CString ToolkitLoadString(UINT nID);
// Frees the managers and the visual manager; harmless when called twice.
TOOLKIT_API void BCGCBProCleanUp();

// Sent to the frame after the active MDI child changed (also on creation and close).
TOOLKIT_API extern UINT BCGM_CHANGE_ACTIVE_TAB;
// Sent to the frame when a toolbar was reset; wParam is its resource id.
TOOLKIT_API extern UINT BCGM_RESETTOOLBAR;

// ---------------------------------------------------------------- visual managers
// Only the class choice is observable; all of them draw in one style.
class TOOLKIT_API CBCGPVisualManager : public CObject {
    DECLARE_DYNCREATE(CBCGPVisualManager)
public:
    CBCGPVisualManager();
    ~CBCGPVisualManager() override;
    static void SetDefaultManager(CRuntimeClass* pRTI);
    static CBCGPVisualManager* GetInstance();
    static void DestroyInstance();
    virtual COLORREF GetFaceColor() const { return ::GetSysColor(COLOR_BTNFACE); }
    virtual COLORREF GetCaptionColor() const { return ::GetSysColor(COLOR_ACTIVECAPTION); }
    HBRUSH GetFaceBrush();
private:
    HBRUSH m_hbrFace;
};
class TOOLKIT_API CBCGPVisualManagerXP : public CBCGPVisualManager { DECLARE_DYNCREATE(CBCGPVisualManagerXP) };
class TOOLKIT_API CBCGPWinXPVisualManager : public CBCGPVisualManagerXP { DECLARE_DYNCREATE(CBCGPWinXPVisualManager) };
class TOOLKIT_API CBCGPVisualManager2003 : public CBCGPWinXPVisualManager { DECLARE_DYNCREATE(CBCGPVisualManager2003) };
class TOOLKIT_API CBCGPVisualManagerVS2005 : public CBCGPVisualManager2003 { DECLARE_DYNCREATE(CBCGPVisualManagerVS2005) };
class TOOLKIT_API CBCGPVisualManager2007 : public CBCGPVisualManager2003 {
    DECLARE_DYNCREATE(CBCGPVisualManager2007)
public:
    enum Style { VS2007_LunaBlue = 0, VS2007_ObsidianBlack = 1, VS2007_Aqua = 2, VS2007_Silver = 3 };
    static BOOL SetStyle(Style style, LPCWSTR lpszPath = nullptr);
    static Style GetStyle();
};
class TOOLKIT_API CBCGPVisualManagerVS2008 : public CBCGPVisualManagerVS2005 { DECLARE_DYNCREATE(CBCGPVisualManagerVS2008) };

// ---------------------------------------------------------------- docking
#define BCGP_DT_UNDEFINED 0
#define BCGP_DT_IMMEDIATE 1
#define BCGP_DT_STANDARD 2
#define BCGP_DT_SMART 0x80

class TOOLKIT_API CBCGPDockManager {
public:
    static void SetDockMode(UINT nMode);
    static UINT GetDockMode();
};

// ---------------------------------------------------------------- managers
class TOOLKIT_API CBCGPContextMenuManager {
public:
    ~CBCGPContextMenuManager();
    // Loads menu nMenuResId from the resource chain under a name; FALSE when absent.
    BOOL AddMenu(LPCWSTR lpszName, UINT nMenuResId);
    HMENU GetMenuByName(LPCWSTR lpszName) const;
private:
    struct Entry { CString name; HMENU menu; };
    CList<Entry*, Entry*> m_menus;
};

class TOOLKIT_API CBCGPKeyboardManager {
public:
    BOOL IsInitialized() const { return TRUE; }
};

struct TOOLKIT_API CBCGPToolTipParams {
    CBCGPToolTipParams();
    BOOL m_bBoldLabel;
    BOOL m_bDrawDescription;
    BOOL m_bDrawIcon;
    BOOL m_bRoundedCorners;
    BOOL m_bDrawSeparator;
    BOOL m_bVislManagerTheme;
    int m_nMaxDescrWidth;
    COLORREF m_clrFill;
    COLORREF m_clrText;
};

#define BCGP_TOOLTIP_TYPE_ALL 0xFFFF

class TOOLKIT_API CBCGPTooltipManager {
public:
    CBCGPTooltipManager();
    void SetTooltipParams(UINT nTypes, CRuntimeClass* pRTC = nullptr, CBCGPToolTipParams* pParams = nullptr);
    CRuntimeClass* GetTooltipClass() const { return m_pRTC; }
    const CBCGPToolTipParams& GetParams() const { return m_params; }
    UINT GetTypes() const { return m_nTypes; }
private:
    UINT m_nTypes;
    CRuntimeClass* m_pRTC;
    CBCGPToolTipParams m_params;
};

// ---------------------------------------------------------------- workspace
// Mixed into the application: keeps the toolkit's state under
// HKCU\Software\<registry key>\<application>\<registry base>.
class TOOLKIT_API CBCGPWorkspace {
public:
    explicit CBCGPWorkspace(BOOL bResourceSmartUpdate = FALSE);
    virtual ~CBCGPWorkspace();

    static CBCGPWorkspace* GetInstance() { return s_pInstance; }

    BOOL SetRegistryBase(LPCWSTR lpszSectionName = nullptr);
    LPCWSTR GetRegistryBase() const { return m_strRegSection; }
    // The full key path (under HKEY_CURRENT_USER) of a section, ending in '\'.
    CString GetRegSectionPath(LPCWSTR szSectionAdd = L"");

    int GetInt(LPCWSTR lpszEntry, int nDefault = 0);
    BOOL WriteInt(LPCWSTR lpszEntry, int nValue);
    CString GetString(LPCWSTR lpszEntry, LPCWSTR lpszDefault = L"");
    BOOL WriteString(LPCWSTR lpszEntry, LPCWSTR lpszValue);
    int GetSectionInt(LPCWSTR lpszSubSection, LPCWSTR lpszEntry, int nDefault = 0);
    BOOL WriteSectionInt(LPCWSTR lpszSubSection, LPCWSTR lpszEntry, int nValue);

    // Deletes everything kept under the registry base; safe before any set-up.
    BOOL CleanState(LPCWSTR lpszSectionName = nullptr);

    BOOL InitContextMenuManager();
    BOOL InitKeyboardManager();
    BOOL InitTooltipManager();
    CBCGPContextMenuManager* GetContextMenuManager();
    CBCGPKeyboardManager* GetKeyboardManager();
    CBCGPTooltipManager* GetTooltipManager();

    // Called when the frame's saved state is about to be loaded.
    virtual void PreLoadState() {}
    virtual void LoadCustomState() {}
    virtual void SaveCustomState() {}
    virtual BOOL LoadState(CBCGPMDIFrameWnd* pFrame);
    virtual BOOL SaveState(CBCGPMDIFrameWnd* pFrame);
    BOOL IsStateLoaded() const { return m_bStateLoaded; }
protected:
    CString m_strRegSection;
    BOOL m_bStateLoaded;
    static CBCGPWorkspace* s_pInstance;
};

TOOLKIT_API extern CBCGPContextMenuManager* g_pContextMenuManager;
TOOLKIT_API extern CBCGPKeyboardManager* g_pKeyboardManager;
TOOLKIT_API extern CBCGPTooltipManager* g_pTooltipManager;
