#include "Messages.h"

#include "Globals.h"
#include "Resource.h"

#include <AfxTestScript.h>

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
