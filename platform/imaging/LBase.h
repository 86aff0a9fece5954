// The root of the imaging classes: library start and end, the error list and
// the status-callback switch.
#pragma once

#include "ImagingTypes.h"

class LBase {
public:
    LBase() = default;
    virtual ~LBase() = default;

    // Nothing needs loading; both may be called any number of times.
    static L_INT LoadLibraries(UINT flags);
    static void UnloadLibraries(UINT flags);

    // Shows the failures this thread recorded since the last display in one
    // message box, then forgets them. Shows nothing when there were none.
    static void DisplayErrorFromList(HWND owner = nullptr, int reserved = 0);

    // What shows that box: MessageBoxW, or (set once at start-up) a program's
    // own seam for its boxes, such as one that takes scripted answers in a
    // test. Null restores MessageBoxW.
    using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    static void SetMessageBoxFunction(MessageBoxFunction show);

    L_INT EnableCallBack(BOOL enable);
    BOOL IsCallBackEnabled() const { return m_callBack; }

protected:
    // Records a failure for DisplayErrorFromList and returns it.
    static L_INT Fail(L_INT code);
    static L_INT Check(L_INT code) { return code == SUCCESS ? code : Fail(code); }

private:
    BOOL m_callBack = TRUE;
};
