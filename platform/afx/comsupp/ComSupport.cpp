// The compiler-support functions behind comdef.h's _com_error, _bstr_t and
// _variant_t that this toolchain declares but does not ship (_com_issue_error
// itself is inline in its comdef.h).
#include <comdef.h>
#include <cstring>

void WINAPI _com_issue_errorex(HRESULT hr, IUnknown* punk, REFIID riid) {
    IErrorInfo* info = nullptr;
    if (punk) {
        ISupportErrorInfo* sei = nullptr;
        if (SUCCEEDED(punk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)))) {
            if (sei->InterfaceSupportsErrorInfo(riid) == S_OK) ::GetErrorInfo(0, &info);
            sei->Release();
        }
    }
    // _com_error takes over the reference.
    _com_raise_error(hr, info);
}

namespace _com_util {
BSTR WINAPI ConvertStringToBSTR(const char* pSrc) {
    if (!pSrc) return nullptr;
    int n = ::MultiByteToWideChar(CP_ACP, 0, pSrc, -1, nullptr, 0);
    if (n <= 0) _com_issue_error(HRESULT_FROM_WIN32(::GetLastError()));
    BSTR b = ::SysAllocStringLen(nullptr, (UINT)(n - 1));
    if (!b) _com_issue_error(E_OUTOFMEMORY);
    ::MultiByteToWideChar(CP_ACP, 0, pSrc, -1, b, n);
    return b;
}

char* WINAPI ConvertBSTRToString(BSTR pSrc) {
    if (!pSrc) return nullptr;
    UINT len = ::SysStringLen(pSrc);
    int n = ::WideCharToMultiByte(CP_ACP, 0, pSrc, (int)len, nullptr, 0, nullptr, nullptr);
    char* s = new char[n + 1];
    if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, pSrc, (int)len, s, n, nullptr, nullptr);
    s[n] = 0;
    return s;
}
}
