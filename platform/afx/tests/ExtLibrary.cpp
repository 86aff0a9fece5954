#include "ExtLibrary.h"

static AFX_EXTENSION_MODULE g_extModule = {FALSE, nullptr, nullptr};

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_extModule, hInstance)) return FALSE;
        new CDynLinkLibrary(g_extModule);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_extModule);
    }
    return TRUE;
}

CString CExtLister::Fill(CString prefix, CComboBox* pCombo, int count) {
    pCombo->ResetContent();
    CString last;
    for (int i = 0; i < count; ++i) {
        last.Format(L"%s %d", (LPCWSTR)prefix, i + 1);
        pCombo->AddString(last);
    }
    pCombo->SetCurSel(0);
    prefix += L" done";
    return prefix;
}

void CExtLister::Fail(LPCWSTR path) { throw new CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, path); }
