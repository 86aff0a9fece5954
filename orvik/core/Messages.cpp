#include "Messages.h"

#include "Globals.h"
#include "Resource.h"

#include <AfxTestScript.h>
#include <AfxWindows.h>

void ShowNoCameraMessage()
{
    CString text, caption;
    text.LoadString(IDS_CANNOT_PREVIEW);
    caption.LoadString(IDS_HINT);
    AfxScriptedMessageBox(nullptr, text, caption, MB_OK | OrvikRtlFlag());
}

void ShowErrorBox(LPCWSTR text)
{
    AfxScriptedMessageBox(nullptr, text, L"Error!", MB_TASKMODAL | MB_SETFOREGROUND | OrvikRtlFlag());
}

void FailExchange(CDataExchange* pDX, UINT nIDPrompt)
{
    CString text;
    text.LoadString(nIDPrompt);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION | OrvikRtlFlag(), nIDPrompt);
    pDX->Fail();
}
