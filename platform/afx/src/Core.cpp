#include "AfxCore.h"
#include "AfxImpl.h"
#include <cstdio>
#include <cstring>
#include <vector>
#include <mutex>
#include <io.h>
#include <fcntl.h>

// ---------------------------------------------------------------- run-time classes
namespace {
std::vector<CRuntimeClass*>& ClassRegistry() { static std::vector<CRuntimeClass*> v; return v; }
std::mutex& ClassRegistryLock() { static std::mutex m; return m; }
}

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) {
    std::lock_guard<std::mutex> lock(ClassRegistryLock());
    ClassRegistry().push_back(pNewClass);
}

CObject* CRuntimeClass::CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
    for (const CRuntimeClass* p = this; p; ) {
        if (p == pBaseClass) return TRUE;
        CRuntimeClass* next = p->m_pfnGetBaseClass ? p->m_pfnGetBaseClass() : nullptr;
        if (next == p) break;
        p = next;
    }
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR name) {
    std::lock_guard<std::mutex> lock(ClassRegistryLock());
    for (CRuntimeClass* p : ClassRegistry()) if (strcmp(p->m_lpszClassName, name) == 0) return p;
    return nullptr;
}
CRuntimeClass* CRuntimeClass::FromName(LPCWSTR name) {
    char narrow[256];
    WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
    return FromName(narrow);
}

static CRuntimeClass* PASCAL NoBaseClass() { return nullptr; }
CRuntimeClass* PASCAL CObject::GetThisClass() {
    static CRuntimeClass rc = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, &NoBaseClass};
    return &rc;
}
CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }
CObject::~CObject() {}
BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }
BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }
void CObject::Serialize(CArchive&) {}

// ---------------------------------------------------------------- exceptions
IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError) *lpszError = 0;
    return FALSE;
}

int CException::ReportError(UINT nType, UINT nMessageID) {
    wchar_t sz[512];
    if (GetErrorMessage(sz, 512)) return AfxMessageBox(sz, nType);
    CString s;
    if (nMessageID == 0) nMessageID = AFX_IDP_COMMAND_FAILURE;
    s.LoadString(nMessageID);
    return AfxMessageBox(s, nType);
}

CFileException::CFileException(int cause, LONG lOsError, LPCWSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

BOOL CFileException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = m_cause + AFX_IDP_FILE_NONE;
    CString s;
    int cause = m_cause < none || m_cause > endOfFile ? genericException : m_cause;
    AfxFormatString1(s, AFX_IDP_FILE_NONE + cause, m_strFileName.IsEmpty() ? L"" : (LPCWSTR)m_strFileName);
    if (lpszError && nMaxError) lstrcpynW(lpszError, s, nMaxError);
    return TRUE;
}

int PASCAL CFileException::OsErrorToException(LONG e) {
    switch (e) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: case ERROR_BAD_PATHNAME: case ERROR_INVALID_DRIVE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK: case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

CArchiveException::CArchiveException(int cause, LPCWSTR lpszArchiveName) : m_cause(cause), m_strFileName(lpszArchiveName) {}
BOOL CArchiveException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    CString s;
    AfxFormatString1(s, m_cause == badClass || m_cause == badSchema ? AFX_IDP_ARCH_BADFORMAT : AFX_IDP_ARCH_GENERIC,
                     m_strFileName);
    if (lpszError && nMaxError) lstrcpynW(lpszError, s, nMaxError);
    return TRUE;
}

void AFXAPI AfxThrowMemoryException() { throw new CMemoryException; }
void AFXAPI AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AFXAPI AfxThrowFileException(int cause, LONG lOsError, LPCWSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}
void AFXAPI AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName) {
    throw new CArchiveException(cause, lpszArchiveName);
}

// ---------------------------------------------------------------- files
IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE), m_bCloseOnDelete(FALSE) {}
CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE) {}
CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) : m_hFile(INVALID_HANDLE_VALUE), m_bCloseOnDelete(FALSE) {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}
CFile::~CFile() {
    if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete) ::CloseHandle(m_hFile);
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (m_hFile != INVALID_HANDLE_VALUE) Close();
    m_strFileName = lpszFileName;
    DWORD access = 0;
    switch (nOpenFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;
    switch (nOpenFlags & 0x70) {
    case shareCompat: case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    }
    DWORD create = OPEN_EXISTING;
    if (nOpenFlags & modeCreate) create = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    HANDLE h = ::CreateFileW(lpszFileName, access, share, nullptr, create, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (pError) {
            pError->m_lOsError = (LONG)::GetLastError();
            pError->m_cause = CFileException::OsErrorToException(pError->m_lOsError);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    DWORD got = 0;
    if (nCount == 0) return 0;
    if (!::ReadFile(m_hFile, lpBuf, nCount, &got, nullptr))
        AfxThrowFileException(CFileException::OsErrorToException((LONG)::GetLastError()), (LONG)::GetLastError(), m_strFileName);
    return got;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    DWORD put = 0;
    if (nCount == 0) return;
    if (!::WriteFile(m_hFile, lpBuf, nCount, &put, nullptr))
        AfxThrowFileException(CFileException::OsErrorToException((LONG)::GetLastError()), (LONG)::GetLastError(), m_strFileName);
    if (put != nCount) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    LARGE_INTEGER li, out;
    li.QuadPart = lOff;
    if (!::SetFilePointerEx(m_hFile, li, &out, nFrom))
        AfxThrowFileException(CFileException::badSeek, (LONG)::GetLastError(), m_strFileName);
    return (ULONGLONG)out.QuadPart;
}
ULONGLONG CFile::GetPosition() const {
    LARGE_INTEGER zero{}, out{};
    ::SetFilePointerEx(m_hFile, zero, &out, FILE_CURRENT);
    return (ULONGLONG)out.QuadPart;
}
ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER n{};
    ::GetFileSizeEx(m_hFile, &n);
    return (ULONGLONG)n.QuadPart;
}
void CFile::SetLength(ULONGLONG n) {
    Seek((LONGLONG)n, begin);
    if (!::SetEndOfFile(m_hFile)) AfxThrowFileException(CFileException::genericException, (LONG)::GetLastError(), m_strFileName);
}
void CFile::Flush() { if (m_hFile != INVALID_HANDLE_VALUE) ::FlushFileBuffers(m_hFile); }
void CFile::Close() {
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
}
void CFile::Abort() { Close(); }
CString CFile::GetFileName() const {
    int i = m_strFileName.ReverseFind(L'\\');
    int j = m_strFileName.ReverseFind(L'/');
    if (j > i) i = j;
    return m_strFileName.Mid(i + 1);
}
void PASCAL CFile::Remove(LPCWSTR name) {
    if (!::DeleteFileW(name)) AfxThrowFileException(CFileException::OsErrorToException((LONG)::GetLastError()), (LONG)::GetLastError(), name);
}
void PASCAL CFile::Rename(LPCWSTR a, LPCWSTR b) {
    if (!::MoveFileW(a, b)) AfxThrowFileException(CFileException::OsErrorToException((LONG)::GetLastError()), (LONG)::GetLastError(), a);
}

CStdioFile::CStdioFile() : m_pStream(nullptr) {}
CStdioFile::CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags) : m_pStream(nullptr) {
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}
CStdioFile::~CStdioFile() { if (m_pStream) fclose(m_pStream); m_pStream = nullptr; m_hFile = INVALID_HANDLE_VALUE; }

BOOL CStdioFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    if (!CFile::Open(lpszFileName, nOpenFlags & ~(UINT)(typeText | typeBinary), pError)) return FALSE;
    wchar_t mode[8] = {0};
    int i = 0;
    UINT rw = nOpenFlags & 3;
    if (nOpenFlags & modeCreate) mode[i++] = (nOpenFlags & modeNoTruncate) ? L'a' : L'w';
    else if (rw == modeWrite) mode[i++] = L'a';
    else mode[i++] = L'r';
    if (rw == modeReadWrite || (mode[0] != L'r' && rw == modeRead)) mode[i++] = L'+';
    mode[i++] = (nOpenFlags & typeBinary) ? L'b' : L't';
    int osFlags = (nOpenFlags & typeBinary) ? _O_BINARY : _O_TEXT;
    if (rw == modeRead) osFlags |= _O_RDONLY;
    int fd = _open_osfhandle((intptr_t)m_hFile, osFlags);
    m_pStream = fd >= 0 ? _wfdopen(fd, mode) : nullptr;
    if (!m_pStream) {
        if (fd >= 0) _close(fd); else CFile::Close();
        m_hFile = INVALID_HANDLE_VALUE;
        if (pError) { pError->m_cause = CFileException::genericException; pError->m_strFileName = lpszFileName; }
        return FALSE;
    }
    m_bCloseOnDelete = FALSE;   // the stream owns the handle now
    return TRUE;
}

// The text is kept as ANSI on disk; msvcrt's text mode turns "\n" into CR LF.
void CStdioFile::WriteString(LPCWSTR lpsz) {
    if (!m_pStream || !lpsz) return;
    int n = WideCharToMultiByte(CP_ACP, 0, lpsz, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> buf(n > 0 ? n : 1);
    WideCharToMultiByte(CP_ACP, 0, lpsz, -1, buf.data(), n, nullptr, nullptr);
    if (fputs(buf.data(), m_pStream) == EOF)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

BOOL CStdioFile::ReadString(CString& rString) {
    rString.Empty();
    if (!m_pStream) return FALSE;
    std::vector<char> line;
    int c;
    BOOL any = FALSE;
    while ((c = fgetc(m_pStream)) != EOF) {
        any = TRUE;
        if (c == '\n') break;
        line.push_back((char)c);
    }
    if (!any) return FALSE;
    line.push_back(0);
    rString = line.data();
    return TRUE;
}

LPWSTR CStdioFile::ReadString(LPWSTR lpsz, UINT nMax) {
    CString s;
    if (!nMax || !ReadString(s)) return nullptr;
    lstrcpynW(lpsz, s, nMax);
    return lpsz;
}
UINT CStdioFile::Read(void* lpBuf, UINT nCount) { return m_pStream ? (UINT)fread(lpBuf, 1, nCount, m_pStream) : 0; }
void CStdioFile::Write(const void* lpBuf, UINT nCount) {
    if (m_pStream && fwrite(lpBuf, 1, nCount, m_pStream) != nCount)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}
ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom) {
    if (!m_pStream || _fseeki64(m_pStream, lOff, nFrom) != 0)
        AfxThrowFileException(CFileException::badSeek, -1, m_strFileName);
    return (ULONGLONG)_ftelli64(m_pStream);
}
ULONGLONG CStdioFile::GetPosition() const { return m_pStream ? (ULONGLONG)_ftelli64(m_pStream) : 0; }
void CStdioFile::Flush() { if (m_pStream) fflush(m_pStream); }
void CStdioFile::Close() {
    if (m_pStream) {
        int r = fclose(m_pStream);
        m_pStream = nullptr;
        m_hFile = INVALID_HANDLE_VALUE;
        if (r != 0) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
    }
    m_hFile = INVALID_HANDLE_VALUE;
}
void CStdioFile::Abort() { if (m_pStream) fclose(m_pStream); m_pStream = nullptr; m_hFile = INVALID_HANDLE_VALUE; }

// ---------------------------------------------------------------- collections
IMPLEMENT_DYNAMIC(CPtrArray, CObject)
IMPLEMENT_SERIAL(CStringArray, CObject, 0)

CRuntimeClass* PASCAL CObList::GetThisClass() {
    static CRuntimeClass rc = {"CObList", (int)sizeof(CObList), 0xFFFF, nullptr, &CObject::GetThisClass};
    return &rc;
}
CRuntimeClass* CObList::GetRuntimeClass() const { return GetThisClass(); }
CRuntimeClass* PASCAL CPtrList::GetThisClass() {
    static CRuntimeClass rc = {"CPtrList", (int)sizeof(CPtrList), 0xFFFF, nullptr, &CObject::GetThisClass};
    return &rc;
}
CRuntimeClass* CPtrList::GetRuntimeClass() const { return GetThisClass(); }

CPtrArray::CPtrArray() : m_pData(nullptr), m_nSize(0), m_nMaxSize(0) {}
CPtrArray::~CPtrArray() { free(m_pData); }
void CPtrArray::SetSize(INT_PTR nNewSize, INT_PTR) {
    if (nNewSize < 0) nNewSize = 0;
    if (nNewSize > m_nMaxSize) {
        INT_PTR nMax = m_nMaxSize + m_nMaxSize / 2;
        if (nMax < nNewSize) nMax = nNewSize;
        if (nMax < 8) nMax = 8;
        void** p = static_cast<void**>(realloc(m_pData, nMax * sizeof(void*)));
        if (!p) AfxThrowMemoryException();
        m_pData = p;
        m_nMaxSize = nMax;
    }
    for (INT_PTR i = m_nSize; i < nNewSize; ++i) m_pData[i] = nullptr;
    m_nSize = nNewSize;
}
void CPtrArray::SetAtGrow(INT_PTR i, void* p) { if (i >= m_nSize) SetSize(i + 1); m_pData[i] = p; }
INT_PTR CPtrArray::Append(const CPtrArray& src) {
    INT_PTR old = m_nSize;
    SetSize(m_nSize + src.m_nSize);
    for (INT_PTR i = 0; i < src.m_nSize; ++i) m_pData[old + i] = src.m_pData[i];
    return old;
}
void CPtrArray::Copy(const CPtrArray& src) { if (this != &src) { SetSize(0); Append(src); } }
void CPtrArray::InsertAt(INT_PTR i, void* p, INT_PTR nCount) {
    if (nCount <= 0 || i < 0) return;
    INT_PTR old = m_nSize;
    if (i >= old) { SetSize(i + nCount); }
    else {
        SetSize(old + nCount);
        memmove(m_pData + i + nCount, m_pData + i, (old - i) * sizeof(void*));
    }
    for (INT_PTR k = 0; k < nCount; ++k) m_pData[i + k] = p;
}
void CPtrArray::RemoveAt(INT_PTR i, INT_PTR nCount) {
    if (i < 0 || nCount <= 0 || i >= m_nSize) return;
    if (nCount > m_nSize - i) nCount = m_nSize - i;
    memmove(m_pData + i, m_pData + i + nCount, (m_nSize - i - nCount) * sizeof(void*));
    m_nSize -= nCount;
}

CStringArray::CStringArray() : m_pData(nullptr), m_nSize(0), m_nMaxSize(0) {}
CStringArray::~CStringArray() { delete[] m_pData; }
void CStringArray::SetSize(INT_PTR nNewSize, INT_PTR) {
    if (nNewSize < 0) nNewSize = 0;
    if (nNewSize > m_nMaxSize) {
        INT_PTR nMax = m_nMaxSize + m_nMaxSize / 2;
        if (nMax < nNewSize) nMax = nNewSize;
        if (nMax < 8) nMax = 8;
        CString* p = new CString[nMax];
        for (INT_PTR i = 0; i < m_nSize; ++i) p[i] = m_pData[i];
        delete[] m_pData;
        m_pData = p;
        m_nMaxSize = nMax;
    }
    for (INT_PTR i = nNewSize; i < m_nSize; ++i) m_pData[i].Empty();
    m_nSize = nNewSize;
}
void CStringArray::SetAtGrow(INT_PTR i, LPCWSTR s) { if (i >= m_nSize) SetSize(i + 1); m_pData[i] = s; }
void CStringArray::Copy(const CStringArray& src) {
    if (this == &src) return;
    SetSize(src.m_nSize);
    for (INT_PTR i = 0; i < m_nSize; ++i) m_pData[i] = src.m_pData[i];
}
void CStringArray::InsertAt(INT_PTR i, LPCWSTR s, INT_PTR nCount) {
    if (nCount <= 0 || i < 0) return;
    CString value(s);
    INT_PTR old = m_nSize;
    SetSize((i > old ? i : old) + nCount);
    for (INT_PTR k = m_nSize - 1; k >= i + nCount; --k) m_pData[k] = m_pData[k - nCount];
    for (INT_PTR k = 0; k < nCount; ++k) m_pData[i + k] = value;
}
void CStringArray::RemoveAt(INT_PTR i, INT_PTR nCount) {
    if (i < 0 || nCount <= 0 || i >= m_nSize) return;
    if (nCount > m_nSize - i) nCount = m_nSize - i;
    for (INT_PTR k = i; k + nCount < m_nSize; ++k) m_pData[k] = m_pData[k + nCount];
    SetSize(m_nSize - nCount);
}
void CStringArray::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar << (DWORD)m_nSize;
        for (INT_PTR i = 0; i < m_nSize; ++i) ar << m_pData[i];
    } else {
        DWORD n = 0;
        ar >> n;
        SetSize(n);
        for (INT_PTR i = 0; i < m_nSize; ++i) ar >> m_pData[i];
    }
}

// ---------------------------------------------------------------- archives
CArchive::CArchive(CFile* pFile, UINT nMode, int, void*) : m_pDocument(nullptr), m_pFile(pFile), m_nMode(nMode) {}
CArchive::~CArchive() {}
UINT CArchive::Read(void* lpBuf, UINT nMax) { return m_pFile->Read(lpBuf, nMax); }
void CArchive::Write(const void* lpBuf, UINT nMax) {
    if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly, m_pFile->GetFilePath());
    m_pFile->Write(lpBuf, nMax);
}
void CArchive::Need(void* p, UINT n) {
    if (Read(p, n) != n) AfxThrowArchiveException(CArchiveException::endOfFile, m_pFile->GetFilePath());
}
// Strings are stored as a length prefix and UTF-16 text.
CArchive& CArchive::operator<<(const CString& s) {
    DWORD n = (DWORD)s.GetLength();
    *this << n;
    Write((LPCWSTR)s, n * sizeof(wchar_t));
    return *this;
}
CArchive& CArchive::operator>>(CString& s) {
    DWORD n = 0;
    *this >> n;
    if (n > 0x10000000) AfxThrowArchiveException(CArchiveException::badIndex, m_pFile->GetFilePath());
    LPWSTR p = s.GetBufferSetLength((int)n);
    Need(p, n * sizeof(wchar_t));
    s.ReleaseBuffer((int)n);
    return *this;
}
void CArchive::WriteString(LPCWSTR lpsz) { Write(lpsz, (UINT)wcslen(lpsz) * sizeof(wchar_t)); }
BOOL CArchive::ReadString(CString& rString) {
    rString.Empty();
    wchar_t c;
    BOOL any = FALSE;
    while (Read(&c, sizeof c) == sizeof c) {
        any = TRUE;
        if (c == L'\n') break;
        if (c != L'\r') rString += c;
    }
    return any;
}
void CArchive::WriteObject(const CObject* pOb) {
    if (!pOb) { *this << (WORD)0; return; }
    CRuntimeClass* rc = pOb->GetRuntimeClass();
    WORD len = (WORD)strlen(rc->m_lpszClassName);
    *this << len;
    Write(rc->m_lpszClassName, len);
    *this << (WORD)rc->m_wSchema;
    const_cast<CObject*>(pOb)->Serialize(*this);
}
CObject* CArchive::ReadObject(const CRuntimeClass* pClass) {
    WORD len = 0;
    *this >> len;
    if (len == 0) return nullptr;
    char name[256];
    if (len >= sizeof name) AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
    Need(name, len);
    name[len] = 0;
    WORD schema = 0;
    *this >> schema;
    CRuntimeClass* rc = CRuntimeClass::FromName(name);
    if (!rc || (pClass && !rc->IsDerivedFrom(pClass)))
        AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
    if (rc->m_wSchema != schema) AfxThrowArchiveException(CArchiveException::badSchema, m_pFile->GetFilePath());
    CObject* p = rc->CreateObject();
    if (!p) AfxThrowArchiveException(CArchiveException::badClass, m_pFile->GetFilePath());
    try { p->Serialize(*this); } catch (...) { delete p; throw; }
    return p;
}

// ---------------------------------------------------------------- resources
namespace {
HINSTANCE g_hResource = nullptr;
HINSTANCE g_hFramework = nullptr;
}

HINSTANCE AfxImplFrameworkModule() {
    if (!g_hFramework) {
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&AfxImplFrameworkModule), &g_hFramework);
    }
    return g_hFramework;
}

HINSTANCE AFXAPI AfxGetInstanceHandle() { return ::GetModuleHandleW(nullptr); }
HINSTANCE AFXAPI AfxGetResourceHandle() { return g_hResource ? g_hResource : AfxGetInstanceHandle(); }
void AFXAPI AfxSetResourceHandle(HINSTANCE h) { g_hResource = h; }

HINSTANCE AFXAPI AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType) {
    HINSTANCE order[3] = {AfxGetResourceHandle(), AfxGetInstanceHandle(), AfxImplFrameworkModule()};
    for (HINSTANCE h : order)
        if (h && ::FindResourceW(h, lpszName, lpszType)) return h;
    return AfxGetResourceHandle();
}

BOOL AfxImplLoadStringRaw(UINT nID, LPCWSTR* p, int* n) {
    HINSTANCE order[3] = {AfxGetResourceHandle(), AfxGetInstanceHandle(), AfxImplFrameworkModule()};
    for (HINSTANCE h : order) {
        if (!h) continue;
        LPCWSTR s = nullptr;
        int len = ::LoadStringW(h, nID, reinterpret_cast<LPWSTR>(&s), 0);
        if (len > 0 && s) { *p = s; *n = len; return TRUE; }
    }
    return FALSE;
}

BOOL AFXAPI AfxFreeLibrary(HINSTANCE h) {
    if (h && h == g_hResource) g_hResource = nullptr;
    return h ? ::FreeLibrary(h) : FALSE;
}
HINSTANCE AFXAPI AfxLoadLibrary(LPCWSTR name) { return ::LoadLibraryW(name); }

BOOL AFXAPI AfxExtractSubString(CString& r, LPCWSTR s, int i, wchar_t sep) {
    r.Empty();
    if (!s) return FALSE;
    while (i-- > 0) {
        s = wcschr(s, sep);
        if (!s) return FALSE;
        ++s;
    }
    LPCWSTR end = wcschr(s, sep);
    r = CString(s, end ? (int)(end - s) : (int)wcslen(s));
    return TRUE;
}

BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    state.bInitialized = TRUE;
    state.hModule = hModule;
    state.hResource = hModule;
    return TRUE;
}
void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) { state.bInitialized = FALSE; }
CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL) : m_hModule(state.hModule), m_hResource(state.hResource) {}

// ---------------------------------------------------------------- unwind tables
// The tables are the module's .eh_frame section. Its long name is kept only in
// the file's string table, so it is found as the loaded, non-discardable
// section with a long name whose first entry is a CIE.
const void* AFXAPI AfxFindUnwindTables(HMODULE hModule) {
    if (!hModule) hModule = AfxImplFrameworkModule();
    auto* base = reinterpret_cast<const BYTE*>(hModule);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* sec = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++sec) {
        if (sec->Name[0] != '/' || (sec->Characteristics & IMAGE_SCN_MEM_DISCARDABLE)) continue;
        if (!(sec->Characteristics & IMAGE_SCN_CNT_INITIALIZED_DATA) || sec->Misc.VirtualSize < 8) continue;
        const DWORD* p = reinterpret_cast<const DWORD*>(base + sec->VirtualAddress);
        if (p[0] != 0 && p[0] < sec->Misc.VirtualSize && p[1] == 0) return p;
    }
    return nullptr;
}

namespace {
struct UnwindClient {
    HMODULE module;
    const void* tables;
    AFX_REGISTER_FRAMES reg;
    AFX_DEREGISTER_FRAMES dereg;
};
// One module's tables made known to one unwinder (null: the framework's own).
struct UnwindRegistration {
    HMODULE into;
    const void* tables;
    void* object[16];
};
std::vector<UnwindClient>& Clients() { static std::vector<UnwindClient> v; return v; }
std::vector<UnwindRegistration*>& Registrations() { static std::vector<UnwindRegistration*> v; return v; }
std::mutex& SharedLock() { static std::mutex m; return m; }

void Register(HMODULE into, AFX_REGISTER_FRAMES reg, const void* tables) {
    if (!tables) return;
    UnwindRegistration* r = new UnwindRegistration{into, tables, {}};
    reg(tables, r->object);
    Registrations().push_back(r);
}
}

void AFXAPI AfxShareUnwindTables(HMODULE hModule, AFX_REGISTER_FRAMES pfnRegister, AFX_DEREGISTER_FRAMES pfnDeregister,
                                 BOOL bShare) {
    std::lock_guard<std::mutex> g(SharedLock());
    auto& clients = Clients();
    auto& regs = Registrations();
    if (bShare) {
        for (const UnwindClient& c : clients) if (c.module == hModule) return;
        const void* tables = AfxFindUnwindTables(hModule);
        const void* own = AfxFindUnwindTables(nullptr);
        if (!tables || tables == own || !pfnRegister || !pfnDeregister) return;
        Register(nullptr, &__register_frame_info, tables);
        Register(hModule, pfnRegister, own);
        for (const UnwindClient& c : clients) {
            Register(hModule, pfnRegister, c.tables);
            Register(c.module, c.reg, tables);
        }
        clients.push_back(UnwindClient{hModule, tables, pfnRegister, pfnDeregister});
        afx_unwind::ModuleTables::PrimeUnwinder();
        return;
    }
    const void* tables = nullptr;
    for (size_t i = 0; i < clients.size(); ++i)
        if (clients[i].module == hModule) { tables = clients[i].tables; break; }
    if (!tables) return;
    for (size_t i = 0; i < regs.size();) {
        UnwindRegistration* r = regs[i];
        if (r->into != hModule && r->tables != tables) { ++i; continue; }
        if (!r->into) {
            __deregister_frame_info(r->tables);
        } else {
            for (const UnwindClient& c : clients)
                if (c.module == r->into) { c.dereg(r->tables); break; }
        }
        delete r;
        regs.erase(regs.begin() + (std::ptrdiff_t)i);
    }
    for (size_t i = 0; i < clients.size(); ++i)
        if (clients[i].module == hModule) { clients.erase(clients.begin() + (std::ptrdiff_t)i); break; }
}
