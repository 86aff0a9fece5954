// The compiler-support classes of comdef.h work with our support library.
#include <gtest/gtest.h>
#include <comdef.h>
#include <string>

TEST(ComSupportTest, BstrConvertsBothWays) {
    _bstr_t fromNarrow("Jet 4.0");
    EXPECT_EQ(fromNarrow.length(), 7u);
    EXPECT_EQ(std::wstring((const wchar_t*)fromNarrow), L"Jet 4.0");
    _bstr_t wide(L"Data Source=data.mdb");
    EXPECT_STREQ((const char*)wide, "Data Source=data.mdb");
    _bstr_t joined = fromNarrow + L"!";
    EXPECT_EQ(std::wstring((const wchar_t*)joined), L"Jet 4.0!");
    EXPECT_TRUE(_bstr_t(L"a") == _bstr_t("a"));
}

TEST(ComSupportTest, VariantsConvertAndFailWithComErrors) {
    _variant_t n(42L);
    EXPECT_EQ(V_VT(&n), VT_I4);
    _bstr_t text(n);
    EXPECT_EQ(std::wstring((const wchar_t*)text), L"42");
    _variant_t s("12.5");
    EXPECT_DOUBLE_EQ((double)s, 12.5);
    _variant_t bad(L"not a number");
    HRESULT hr = S_OK;
    try {
        (void)(double)bad;
    } catch (const _com_error& e) {
        hr = e.Error();
    }
    EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
}

TEST(ComSupportTest, IssueErrorThrowsComError) {
    HRESULT hr = S_OK;
    try {
        _com_issue_error(E_ACCESSDENIED);
    } catch (const _com_error& e) {
        hr = e.Error();
    }
    EXPECT_EQ(hr, E_ACCESSDENIED);
    hr = S_OK;
    try {
        _com_issue_errorex(E_FAIL, nullptr, IID_IUnknown);
    } catch (const _com_error& e) {
        hr = e.Error();
    }
    EXPECT_EQ(hr, E_FAIL);
}
