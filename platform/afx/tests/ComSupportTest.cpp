// The compiler-support classes of comdef.h work with our support library.
#include <gtest/gtest.h>
#include <comdef.h>
#include <strmif.h>
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

// The smart pointers of comdef.h create a real COM object of the system.
_COM_SMARTPTR_TYPEDEF(IMemAllocator, __uuidof(IMemAllocator));

TEST(ComSupportTest, SmartPointerCreatesAnInstance) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        IMemAllocatorPtr unknown;
        // The standard memory allocator: present in every COM installation.
        const CLSID clsidMemoryAllocator = {0x1e651cc0, 0xb199, 0x11d0, {0x82, 0x12, 0x00, 0xc0, 0x4f, 0xc3, 0x2c, 0x45}};
        HRESULT hr = unknown.CreateInstance(clsidMemoryAllocator, nullptr, CLSCTX_INPROC_SERVER);
        ASSERT_EQ(hr, S_OK);
        EXPECT_TRUE(unknown != nullptr);
        IMemAllocatorPtr copy = unknown;
        EXPECT_TRUE(copy == unknown);
        ALLOCATOR_PROPERTIES want = {4, 1024, 1, 0}, got = {};
        EXPECT_EQ(unknown->SetProperties(&want, &got), S_OK);
        EXPECT_EQ(got.cBuffers, 4);
        const CLSID clsidNothing = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
        IMemAllocatorPtr none;
        EXPECT_EQ(none.CreateInstance(clsidNothing), REGDB_E_CLASSNOTREG);
        EXPECT_TRUE(none == nullptr);
    }
    CoUninitialize();
}
