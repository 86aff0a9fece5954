// A small extension library on the framework, as Trevlo is one.
#pragma once
#include "AfxWindows.h"

class AFX_EXT_CLASS CExtLister {
public:
    // Takes and returns strings by value and fills the caller's combo box.
    CString Fill(CString prefix, CComboBox* pCombo, int count);
    // Throws the framework's exception across the library boundary.
    void Fail(LPCWSTR path);
};
