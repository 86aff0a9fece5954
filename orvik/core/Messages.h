// The two message boxes of the camera probe and of start-up: texts from the
// current language library, right-to-left reading under Arabic.
#pragma once

#include <windows.h>

// "Cannot preview successfully.Please check your camera." / "Hint", no owner.
void ShowNoCameraMessage();
// The given text under the caption "Error!", no owner.
void ShowErrorBox(LPCWSTR text);

class CDataExchange;
// A dialog's refusal of what was entered: the string `nIDPrompt` in a
// warning box, then the exchange fails with the focus on the control it
// prepared last, so the dialog stays open and nothing is stored.
void FailExchange(CDataExchange* pDX, UINT nIDPrompt);
