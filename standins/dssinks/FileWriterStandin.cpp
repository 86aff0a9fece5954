#include "FileWriterStandin.h"

#include <cwchar>
#include <new>

// ------------------------------------------------------------------ the pin

CFileWriterPin::CFileWriterPin(CFileWriterStandin* pFilter, CCritSec* pLock, HRESULT* phr)
    : CBaseInputPin(L"File writer input", pFilter, pLock, phr, L"in"), m_pWriter(pFilter)
{
}

STDMETHODIMP CFileWriterPin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IStream)
        return GetInterface(static_cast<IStream*>(this), ppv);
    return CBaseInputPin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT CFileWriterPin::CheckMediaType(const CMediaType* pmt)
{
    return *pmt->Type() == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

// A sample's start time is its offset in the file.
STDMETHODIMP CFileWriterPin::Receive(IMediaSample* pSample)
{
    HRESULT hr = CBaseInputPin::Receive(pSample);
    if (hr != S_OK)
        return hr;
    BYTE* data = nullptr;
    hr = pSample->GetPointer(&data);
    if (FAILED(hr))
        return hr;
    REFERENCE_TIME start = 0, stop = 0;
    CAutoLock lock(&m_pWriter->m_csFile);
    if (SUCCEEDED(pSample->GetTime(&start, &stop))) {
        LARGE_INTEGER at;
        at.QuadPart = start;
        hr = Seek(at, STREAM_SEEK_SET, nullptr);
        if (FAILED(hr))
            return hr;
    }
    ULONG written = 0;
    return Write(data, ULONG(pSample->GetActualDataLength()), &written);
}

STDMETHODIMP CFileWriterPin::EndOfStream()
{
    return m_pWriter->NotifyEvent(EC_COMPLETE, S_OK, 0);
}

STDMETHODIMP CFileWriterPin::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    CAutoLock lock(&m_pWriter->m_csFile);
    DWORD got = 0;
    if (m_pWriter->m_hFile == INVALID_HANDLE_VALUE)
        return E_UNEXPECTED;
    if (!ReadFile(m_pWriter->m_hFile, pv, cb, &got, nullptr))
        return HRESULT_FROM_WIN32(GetLastError());
    if (pcbRead)
        *pcbRead = got;
    return got == cb ? S_OK : S_FALSE;
}

STDMETHODIMP CFileWriterPin::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    CAutoLock lock(&m_pWriter->m_csFile);
    DWORD put = 0;
    if (m_pWriter->m_hFile == INVALID_HANDLE_VALUE)
        return E_UNEXPECTED;
    if (!WriteFile(m_pWriter->m_hFile, pv, cb, &put, nullptr))
        return HRESULT_FROM_WIN32(GetLastError());
    if (pcbWritten)
        *pcbWritten = put;
    return put == cb ? S_OK : STG_E_MEDIUMFULL;
}

STDMETHODIMP CFileWriterPin::Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition)
{
    CAutoLock lock(&m_pWriter->m_csFile);
    if (m_pWriter->m_hFile == INVALID_HANDLE_VALUE)
        return E_UNEXPECTED;
    const DWORD method = dwOrigin == STREAM_SEEK_SET ? FILE_BEGIN : dwOrigin == STREAM_SEEK_CUR ? FILE_CURRENT
                                                                                               : FILE_END;
    LARGE_INTEGER now;
    if (!SetFilePointerEx(m_pWriter->m_hFile, dlibMove, &now, method))
        return HRESULT_FROM_WIN32(GetLastError());
    if (plibNewPosition)
        plibNewPosition->QuadPart = ULONGLONG(now.QuadPart);
    return S_OK;
}

STDMETHODIMP CFileWriterPin::SetSize(ULARGE_INTEGER libNewSize)
{
    CAutoLock lock(&m_pWriter->m_csFile);
    LARGE_INTEGER here = {}, size;
    size.QuadPart = LONGLONG(libNewSize.QuadPart);
    if (m_pWriter->m_hFile == INVALID_HANDLE_VALUE)
        return E_UNEXPECTED;
    if (!SetFilePointerEx(m_pWriter->m_hFile, LARGE_INTEGER{}, &here, FILE_CURRENT) ||
        !SetFilePointerEx(m_pWriter->m_hFile, size, nullptr, FILE_BEGIN) || !SetEndOfFile(m_pWriter->m_hFile) ||
        !SetFilePointerEx(m_pWriter->m_hFile, here, nullptr, FILE_BEGIN))
        return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}

STDMETHODIMP CFileWriterPin::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CFileWriterPin::Commit(DWORD)
{
    CAutoLock lock(&m_pWriter->m_csFile);
    if (m_pWriter->m_hFile == INVALID_HANDLE_VALUE)
        return E_UNEXPECTED;
    return FlushFileBuffers(m_pWriter->m_hFile) ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

STDMETHODIMP CFileWriterPin::Revert()
{
    return E_NOTIMPL;
}

STDMETHODIMP CFileWriterPin::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return STG_E_INVALIDFUNCTION;
}

STDMETHODIMP CFileWriterPin::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD)
{
    return STG_E_INVALIDFUNCTION;
}

STDMETHODIMP CFileWriterPin::Stat(STATSTG* pstatstg, DWORD)
{
    if (!pstatstg)
        return E_POINTER;
    CAutoLock lock(&m_pWriter->m_csFile);
    LARGE_INTEGER size;
    if (m_pWriter->m_hFile == INVALID_HANDLE_VALUE)
        return E_UNEXPECTED;
    if (!GetFileSizeEx(m_pWriter->m_hFile, &size))
        return HRESULT_FROM_WIN32(GetLastError());
    ZeroMemory(pstatstg, sizeof(*pstatstg));
    pstatstg->type = STGTY_STREAM;
    pstatstg->cbSize.QuadPart = ULONGLONG(size.QuadPart);
    return S_OK;
}

STDMETHODIMP CFileWriterPin::Clone(IStream**)
{
    return E_NOTIMPL;
}

// --------------------------------------------------------------- the filter

CUnknown* WINAPI CFileWriterStandin::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(new (std::nothrow) CFileWriterStandin(pUnk, phr), phr);
}

CFileWriterStandin::CFileWriterStandin(LPUNKNOWN pUnk, HRESULT* phr)
    : CBaseFilter(L"File Writer", pUnk, &m_csFilter, CLSID_FileWriter, phr), m_pin(this, &m_csFilter, phr)
{
}

CFileWriterStandin::~CFileWriterStandin()
{
    CloseFile();
    CoTaskMemFree(m_pName);
}

STDMETHODIMP CFileWriterStandin::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IFileSinkFilter)
        return GetInterface(static_cast<IFileSinkFilter*>(this), ppv);
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

void CFileWriterStandin::CloseFile()
{
    CAutoLock lock(&m_csFile);
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

// Streaming starts on a new, empty file; one that cannot be made stops the
// graph from starting.
STDMETHODIMP CFileWriterStandin::Pause()
{
    CAutoLock lock(&m_csFilter);
    if (m_State == State_Stopped) {
        if (!m_pName)
            return E_FAIL;
        CloseFile();
        CAutoLock file(&m_csFile);
        m_hFile = CreateFileW(m_pName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_hFile == INVALID_HANDLE_VALUE)
            return HRESULT_FROM_WIN32(GetLastError());
    }
    return CBaseFilter::Pause();
}

STDMETHODIMP CFileWriterStandin::SetFileName(LPCOLESTR pszFileName, const AM_MEDIA_TYPE*)
{
    if (!pszFileName)
        return E_POINTER;
    CAutoLock lock(&m_csFilter);
    if (!IsStopped())
        return VFW_E_WRONG_STATE;
    const size_t bytes = (wcslen(pszFileName) + 1) * sizeof(WCHAR);
    WCHAR* copy = static_cast<WCHAR*>(CoTaskMemAlloc(bytes));
    if (!copy)
        return E_OUTOFMEMORY;
    memcpy(copy, pszFileName, bytes);
    CloseFile();
    CoTaskMemFree(m_pName);
    m_pName = copy;
    return S_OK;
}

STDMETHODIMP CFileWriterStandin::GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt)
{
    if (!ppszFileName)
        return E_POINTER;
    CAutoLock lock(&m_csFilter);
    *ppszFileName = nullptr;
    if (pmt)
        ZeroMemory(pmt, sizeof(*pmt));
    if (!m_pName)
        return E_FAIL;
    const size_t bytes = (wcslen(m_pName) + 1) * sizeof(WCHAR);
    *ppszFileName = static_cast<WCHAR*>(CoTaskMemAlloc(bytes));
    if (!*ppszFileName)
        return E_OUTOFMEMORY;
    memcpy(*ppszFileName, m_pName, bytes);
    if (pmt) {
        pmt->majortype = MEDIATYPE_Stream;
        pmt->subtype = MEDIASUBTYPE_NULL;
    }
    return S_OK;
}
