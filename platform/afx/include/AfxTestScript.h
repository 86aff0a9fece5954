// Scripted answers for modal user interface, so flows run unattended.
//
// When the environment variable VELTRANE_AFX_SCRIPT names a file (UTF-8, read
// at the first modal call of the process), or a test
// calls AfxTestSetScript, each modal call takes the next answer of its kind
// instead of showing anything. One answer per line:
//   msgbox IDYES                    (or a number; IDOK IDCANCEL IDYES IDNO IDABORT IDRETRY IDIGNORE)
//   save C:\out\a.bmp [filter 2]    (save dialog; "save cancel" cancels)
//   open C:\in\b.jpg [filter 1]     (open dialog)
//   folder C:\captures              (folder chooser; "folder cancel")
//   print [copies 2]                (print dialog: the default printer; "print cancel")
//   color 0x0000FF                  (colour dialog; "color cancel")
//   dialog 160 IDOK                 (modal dialog from template 160 ends by a click on that button)
//   dialog 197 IDOK 1069=name       (the same, control 1069 given that text first)
// Several answers may share a line, separated by ';'. A call with no answer
// left behaves as if cancelled and is recorded with "unanswered".
// Every call is recorded as "kind|caption|text|flags" (also appended to the
// file named by VELTRANE_AFX_RECORD when set, in UTF-8).
#pragma once
#include "AfxCore.h"

AFX_API void AFXAPI AfxTestSetScript(LPCWSTR lpszScript);
AFX_API BOOL AFXAPI AfxTestIsScripted();
AFX_API CString AFXAPI AfxTestGetRecord();
AFX_API void AFXAPI AfxTestClearRecord();

// A MessageBoxW that passes through the seam, for code that calls the API directly.
AFX_API int WINAPI AfxScriptedMessageBox(HWND hWnd, LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType);

// Test hook: the temporary wrappers (FromHandle) alive in all threads.
AFX_API long AFXAPI AfxTestTempWrapperCount();
