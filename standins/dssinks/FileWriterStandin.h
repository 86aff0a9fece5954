// A stand-in for the platform's File Writer, whose input pin offers IStream
// beside IMemInputPin, as AVI Mux needs it to write and then go back for the
// file's headers. Wine's File Writer offers only IMemInputPin, so Wine's mux
// cannot write through it; tests put this one in its place for a while.
#pragma once

#include "Strmbase.h"

class CFileWriterStandin;

class CFileWriterPin : public CBaseInputPin, public IStream {
public:
    CFileWriterPin(CFileWriterStandin* pFilter, CCritSec* pLock, HRESULT* phr);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    HRESULT CheckMediaType(const CMediaType* pmt) override;
    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;

    // IStream, on the open file
    STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    STDMETHODIMP Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
    STDMETHODIMP SetSize(ULARGE_INTEGER libNewSize) override;
    STDMETHODIMP CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override;
    STDMETHODIMP Commit(DWORD grfCommitFlags) override;
    STDMETHODIMP Revert() override;
    STDMETHODIMP LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) override;
    STDMETHODIMP Stat(STATSTG* pstatstg, DWORD grfStatFlag) override;
    STDMETHODIMP Clone(IStream** ppstm) override;

private:
    CFileWriterStandin* m_pWriter;
};

class CFileWriterStandin : public CBaseFilter, public IFileSinkFilter {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);
    ~CFileWriterStandin() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_pin : nullptr; }
    STDMETHODIMP Pause() override;

    // IFileSinkFilter
    STDMETHODIMP SetFileName(LPCOLESTR pszFileName, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName, AM_MEDIA_TYPE* pmt) override;

private:
    friend class CFileWriterPin;
    CFileWriterStandin(LPUNKNOWN pUnk, HRESULT* phr);
    void CloseFile();

    CCritSec m_csFilter;
    CCritSec m_csFile;  // the handle and its position
    CFileWriterPin m_pin;
    WCHAR* m_pName = nullptr;
    // Open from the start of streaming until the next start, the next name
    // or the filter's end: the mux writes its headers once it has stopped.
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
