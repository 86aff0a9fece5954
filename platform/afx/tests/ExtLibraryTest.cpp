// Framework objects cross an extension library's boundary by value.
#include <gtest/gtest.h>
#include "ExtLibrary.h"
#include <string>

TEST(ExtensionLibraryTest, StringsComboBoxesAndExceptionsCrossTheBoundary) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"ext", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 150, 100), &parent, 5));
    CExtLister lister;
    CString result = lister.Fill(CString(L"Camera"), &combo, 3);
    EXPECT_EQ(std::wstring(result), L"Camera done");
    EXPECT_EQ(combo.GetCount(), 3);
    CString item;
    combo.GetLBText(2, item);
    EXPECT_EQ(std::wstring(item), L"Camera 3");
    EXPECT_EQ(combo.GetCurSel(), 0);
    result = L"";   // freed here, allocated there: one heap

    int cause = -1;
    try {
        lister.Fail(L"C:\\locked.bmp");
    } catch (CFileException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CFileException::accessDenied);
    parent.DestroyWindow();
}
