// The combo-box items a dialog template keeps as its initial data (resource
// type 240), added to the dialog's controls; controls that already hold
// items are left as they are.
#pragma once

#include <windows.h>

void AddDialogInitItems(HWND dlg, UINT templateId);
