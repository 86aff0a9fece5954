// Common dialogs. Each DoModal asks the test script first when one is set.
#pragma once
#include "AfxWindows.h"
#include <shlobj.h>

class AFX_API CCommonDialog : public CDialog {
    DECLARE_DYNAMIC(CCommonDialog)
public:
    explicit CCommonDialog(CWnd* pParentWnd);
};

class AFX_API CFileDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // lpszFilter is "Name|pattern|Name|pattern||", as resource strings hold it.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr, LPCWSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);
    ~CFileDialog() override;
    INT_PTR DoModal() override;
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;
    OPENFILENAMEW m_ofn;
    BOOL m_bOpenFileDialog;
protected:
    CString m_strFilter;
    CString m_strDefExt;
    wchar_t m_szFileName[MAX_PATH * 4];
    wchar_t m_szFileTitle[MAX_PATH];
};

class AFX_API CColorDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CColorDialog)
public:
    explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
    INT_PTR DoModal() override;
    COLORREF GetColor() const { return m_cc.rgbResult; }
    void SetCurrentColor(COLORREF clr) { m_cc.rgbResult = clr; }
    CHOOSECOLORW m_cc;
    static COLORREF* PASCAL GetSavedCustomColors();
};

class AFX_API CPrintDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CPrintDialog)
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    ~CPrintDialog() override;
    INT_PTR DoModal() override;
    BOOL GetDefaults();
    HDC GetPrinterDC() const;
    HDC CreatePrinterDC();
    int GetCopies() const;
    BOOL PrintAll() const { return (m_pd.Flags & (PD_PAGENUMS | PD_SELECTION)) == 0; }
    CString GetDeviceName() const;
    CString GetDriverName() const;
    CString GetPortName() const;
    LPDEVMODEW GetDevMode() const;
    PRINTDLGW& m_pd;
private:
    PRINTDLGW m_pdActual;
    HDC m_hPrinterDC;
};

// The shell's folder chooser behind the test seam: returns TRUE with the
// chosen folder, FALSE when cancelled.
AFX_API BOOL AFXAPI AfxBrowseForFolder(HWND hWndOwner, LPCWSTR lpszTitle, UINT ulFlags, CString& rFolder);
