// Internals shared by the framework's source files.
#pragma once
#include "AfxWindows.h"

// Finds string nID in the resource library, then the program, then the
// framework itself; p points into the loaded resource (not terminated).
BOOL AfxImplLoadStringRaw(UINT nID, LPCWSTR* p, int* n);
HINSTANCE AfxImplFrameworkModule();

// Scripted answers (Script.cpp)
enum AfxScriptKind { kScriptMsgBox, kScriptSave, kScriptOpen, kScriptFolder, kScriptPrint, kScriptColor, kScriptDialog };
struct AfxScriptAnswer {
    BOOL bCancel = FALSE;
    int nValue = 0;        // message-box result, filter index, copies, colour, button id
    CString strText;       // path or folder
};
// FALSE when no script is active: show the real user interface.
// With a script, TRUE and the next answer (bCancel when none is left).
BOOL AfxImplScriptNext(AfxScriptKind kind, AfxScriptAnswer& answer, LPCWSTR caption, LPCWSTR text, UINT flags,
                       UINT nTemplate = 0);

// The calling thread's temporary wrapper of a GDI object, DC or menu handle.
CObject* AfxImplFindTempGdi(void* h, CRuntimeClass* pClass);
void AfxImplAddTempGdi(void* h, CObject* p);

// Creates a dialog from a template with pWnd attached from its first message;
// modal when bModal (the result goes to *pResult and nothing is returned).
HWND AfxImplCreateDialog(CWnd* pWnd, HINSTANCE h, LPCWSTR name, HWND hParent, DLGPROC proc, BOOL bModal,
                         INT_PTR* pResult);
HWND AfxImplCreateMDIChild(CWnd* pWnd, HWND hWndClient, MDICREATESTRUCTW* pMcs);
// Registers the common-control classes once, before a template or a Create names them.
void AfxImplInitControls();
