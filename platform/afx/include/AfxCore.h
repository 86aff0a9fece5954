// Core of the application framework layer: run-time classes, strings,
// collections, geometry, files and exceptions. Unicode only.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <tchar.h>
#include <oleauto.h>
#include <new>

#ifdef VELTRANE_AFX_BUILD
#define AFX_API __declspec(dllexport)
#else
#define AFX_API __declspec(dllimport)
#endif
// An extension library (Trevlo) builds with _AFXEXT to export its own classes;
// its users import them.
#ifdef _AFXEXT
#define AFX_EXT_CLASS __declspec(dllexport)
#else
#define AFX_EXT_CLASS __declspec(dllimport)
#endif
#define AFX_EXT_API AFX_EXT_CLASS
#define AFX_EXT_DATA AFX_EXT_CLASS
#define AFX_CDECL __cdecl
#define AFXAPI __stdcall
#define AFX_MSG_CALL
#define afx_msg

#ifndef ASSERT
#define ASSERT(f) ((void)0)
#endif
#define VERIFY(f) ((void)(f))
#define ASSERT_VALID(p) ((void)0)
#define TRACE(...) ((void)0)

// ---------------------------------------------------------------- exceptions between modules
// Every module links its own copy of the unwinder (the runtime is static), and
// a copy knows only the unwind tables of its own module, so an exception
// thrown in the framework library and caught in a program (or the other way
// round) would end in terminate(). Each module that includes this header
// therefore hands its tables to the framework's unwinder and takes the
// framework's tables into its own.
extern "C" {
void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);
typedef void (*AFX_REGISTER_FRAMES)(const void* begin, void* object);
typedef void* (*AFX_DEREGISTER_FRAMES)(const void* begin);
// The framework keeps every module's unwinder told of every other module's tables.
AFX_API void AFXAPI AfxShareUnwindTables(HMODULE hModule, AFX_REGISTER_FRAMES pfnRegister,
                                         AFX_DEREGISTER_FRAMES pfnDeregister, BOOL bShare);
AFX_API const void* AFXAPI AfxFindUnwindTables(HMODULE hModule);
}

namespace afx_unwind {
extern "C" IMAGE_DOS_HEADER __ImageBase;
struct ModuleTables {
    bool shared = false;
    ModuleTables() {
        HMODULE self = reinterpret_cast<HMODULE>(&__ImageBase);
        if (AfxFindUnwindTables(nullptr) == AfxFindUnwindTables(self)) return;   // the framework itself
        AfxShareUnwindTables(self, &__register_frame_info, &__deregister_frame_info, TRUE);
        shared = true;
        PrimeUnwinder();
    }
    // The unwinder sets up its register table on its first own throw; a catch
    // handler of this module may run under another module's throw before that.
    static void PrimeUnwinder() {
        try {
            throw 0;
        } catch (int) {
        }
    }
    ~ModuleTables() {
        if (shared) AfxShareUnwindTables(reinterpret_cast<HMODULE>(&__ImageBase), nullptr, nullptr, FALSE);
    }
};
inline ModuleTables g_moduleTables;
}

struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

class CArchive;
class CObject;
class CString;

// ---------------------------------------------------------------- run-time classes
struct AFX_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (PASCAL* m_pfnCreateObject)();
    CRuntimeClass* (PASCAL* m_pfnGetBaseClass)();

    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    static CRuntimeClass* FromName(LPCSTR lpszClassName);
    static CRuntimeClass* FromName(LPCWSTR lpszClassName);
};

// Each run-time class registers itself so FromName and serialisation can find it.
struct AFX_API AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name) \
public: \
    static CRuntimeClass* PASCAL GetThisClass(); \
    virtual CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name) \
    static CObject* PASCAL CreateObject();

#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name) \
    friend CArchive& AFXAPI operator>>(CArchive& ar, class_name*& pOb);

#define IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, pfnNew) \
    CRuntimeClass* PASCAL class_name::GetThisClass() { \
        static CRuntimeClass rc = { #class_name, (int)sizeof(class_name), wSchema, pfnNew, \
                                    &base_class_name::GetThisClass }; \
        return &rc; \
    } \
    CRuntimeClass* class_name::GetRuntimeClass() const { return class_name::GetThisClass(); } \
    static AFX_CLASSINIT _init_##class_name(class_name::GetThisClass());

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* PASCAL class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, 0xFFFF, &class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema) \
    CObject* PASCAL class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, wSchema, &class_name::CreateObject) \
    CArchive& AFXAPI operator>>(CArchive& ar, class_name*& pOb) { \
        pOb = (class_name*)ar.ReadObject(RUNTIME_CLASS(class_name)); return ar; }

class AFX_API CObject {
public:
    static CRuntimeClass* PASCAL GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const {}
protected:
    CObject() {}
private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define STATIC_DOWNCAST(class_name, pobj) (static_cast<class_name*>(pobj))
// The operand is evaluated once, so it may be a call that moves on, such as
// GetNextView(pos).
template <class T, class P>
inline T* AfxDynamicDownCast(P* pobj) {
    return pobj != nullptr && pobj->IsKindOf(RUNTIME_CLASS(T)) ? static_cast<T*>(pobj) : nullptr;
}
template <class T>
inline T* AfxDynamicDownCast(decltype(nullptr)) { return nullptr; }
#define DYNAMIC_DOWNCAST(class_name, pobj) (AfxDynamicDownCast<class_name>(pobj))

// ---------------------------------------------------------------- CString
// One pointer wide, so it crosses module boundaries by value; the buffer is
// owned by the framework library's heap (msvcrt's, shared by every module).
class AFX_API CString {
public:
    CString();
    CString(const CString& s);
    CString(LPCWSTR psz);
    CString(LPCWSTR pch, int nLength);
    CString(LPCSTR psz);
    CString(wchar_t ch, int nRepeat = 1);
    ~CString();

    int GetLength() const;
    BOOL IsEmpty() const { return GetLength() == 0; }
    void Empty();
    wchar_t GetAt(int nIndex) const { return m_pszData[nIndex]; }
    wchar_t operator[](int nIndex) const { return m_pszData[nIndex]; }
    void SetAt(int nIndex, wchar_t ch);
    operator LPCWSTR() const { return m_pszData; }
    LPCWSTR GetString() const { return m_pszData; }

    CString& operator=(const CString& s);
    CString& operator=(LPCWSTR psz);
    CString& operator=(LPCSTR psz);
    CString& operator=(wchar_t ch);
    CString& operator+=(const CString& s);
    CString& operator+=(LPCWSTR psz);
    CString& operator+=(wchar_t ch);

    int Compare(LPCWSTR psz) const;
    int CompareNoCase(LPCWSTR psz) const;
    int Collate(LPCWSTR psz) const;

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCWSTR pszCharSet) const;
    CString SpanExcluding(LPCWSTR pszCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& Trim(wchar_t ch);
    CString& Trim(LPCWSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t ch);
    CString& TrimLeft(LPCWSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(wchar_t ch);
    CString& TrimRight(LPCWSTR pszTargets);

    int Replace(wchar_t chOld, wchar_t chNew);
    int Replace(LPCWSTR pszOld, LPCWSTR pszNew);
    int Remove(wchar_t ch);
    int Insert(int nIndex, wchar_t ch);
    int Insert(int nIndex, LPCWSTR psz);
    int Delete(int nIndex, int nCount = 1);

    int Find(wchar_t ch, int nStart = 0) const;
    int Find(LPCWSTR pszSub, int nStart = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(LPCWSTR pszCharSet) const;

    void AFX_CDECL Format(LPCWSTR pszFormat, ...);
    void AFX_CDECL Format(UINT nFormatID, ...);
    void FormatV(LPCWSTR pszFormat, va_list args);
    void AFX_CDECL AppendFormat(LPCWSTR pszFormat, ...);
    BOOL LoadString(UINT nID);

    LPWSTR GetBuffer(int nMinBufLength);
    LPWSTR GetBuffer() { return GetBuffer(0); }
    LPWSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    BSTR AllocSysString() const;

private:
    struct Data { int nLength; int nAlloc; };
    Data* GetData() const { return reinterpret_cast<Data*>(m_pszData) - 1; }
    void Assign(LPCWSTR pch, int nLength);
    void Append(LPCWSTR pch, int nLength);
    void Reserve(int nLength);
    void SetLength(int nLength);
    LPWSTR m_pszData;
};

AFX_API CString operator+(const CString& a, const CString& b);
AFX_API CString operator+(const CString& a, LPCWSTR b);
AFX_API CString operator+(LPCWSTR a, const CString& b);
AFX_API CString operator+(const CString& a, wchar_t b);
AFX_API CString operator+(wchar_t a, const CString& b);
inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCWSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCWSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCWSTR a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

// ---------------------------------------------------------------- geometry
class CSize : public tagSIZE {
public:
    CSize() { cx = cy = 0; }
    CSize(int x, int y) { cx = x; cy = y; }
    CSize(SIZE s) { cx = s.cx; cy = s.cy; }
    BOOL operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
    BOOL operator!=(SIZE s) const { return !(*this == s); }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
};

class CPoint : public tagPOINT {
public:
    CPoint() { x = y = 0; }
    CPoint(int ix, int iy) { x = ix; y = iy; }
    CPoint(POINT p) { x = p.x; y = p.y; }
    CPoint(SIZE s) { x = s.cx; y = s.cy; }
    explicit CPoint(DWORD dw) { x = (short)LOWORD(dw); y = (short)HIWORD(dw); }
    void Offset(int dx, int dy) { x += dx; y += dy; }
    void Offset(POINT p) { x += p.x; y += p.y; }
    void Offset(SIZE s) { x += s.cx; y += s.cy; }
    BOOL operator==(POINT p) const { return x == p.x && y == p.y; }
    BOOL operator!=(POINT p) const { return !(*this == p); }
    void operator+=(SIZE s) { x += s.cx; y += s.cy; }
    void operator-=(SIZE s) { x -= s.cx; y -= s.cy; }
    void operator+=(POINT p) { x += p.x; y += p.y; }
    void operator-=(POINT p) { x -= p.x; y -= p.y; }
    CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
    CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
    CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
};

class CRect : public tagRECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
    CRect(LPCRECT p) { left = p->left; top = p->top; right = p->right; bottom = p->bottom; }
    CRect(POINT p, SIZE s) { left = p.x; top = p.y; right = p.x + s.cx; bottom = p.y + s.cy; }
    CRect(POINT tl, POINT br) { left = tl.x; top = tl.y; right = br.x; bottom = br.y; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(this); }
    CPoint& BottomRight() { return *(reinterpret_cast<CPoint*>(this) + 1); }
    const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(this); }
    const CPoint& BottomRight() const { return *(reinterpret_cast<const CPoint*>(this) + 1); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL IsRectNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }
    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void CopyRect(LPCRECT p) { ::CopyRect(this, p); }
    BOOL EqualRect(LPCRECT p) const { return ::EqualRect(this, p); }
    void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
    void InflateRect(SIZE s) { ::InflateRect(this, s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
    void DeflateRect(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
    void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
    void OffsetRect(POINT p) { ::OffsetRect(this, p.x, p.y); }
    void OffsetRect(SIZE s) { ::OffsetRect(this, s.cx, s.cy); }
    void NormalizeRect() {
        if (left > right) { LONG t = left; left = right; right = t; }
        if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
    }
    BOOL IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b); }
    BOOL SubtractRect(LPCRECT a, LPCRECT b) { return ::SubtractRect(this, a, b); }
    BOOL operator==(const RECT& r) const { return ::EqualRect(this, &r); }
    BOOL operator!=(const RECT& r) const { return !::EqualRect(this, &r); }
    void operator+=(POINT p) { OffsetRect(p); }
    void operator-=(POINT p) { OffsetRect(-p.x, -p.y); }
    CRect operator+(POINT p) const { CRect r(*this); r.OffsetRect(p); return r; }
    CRect operator-(POINT p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
    void operator&=(const RECT& r) { ::IntersectRect(this, this, &r); }
    void operator|=(const RECT& r) { ::UnionRect(this, this, &r); }
    CRect operator&(const RECT& r) const { CRect o; ::IntersectRect(&o, this, &r); return o; }
    CRect operator|(const RECT& r) const { CRect o; ::UnionRect(&o, this, &r); return o; }
};

// ---------------------------------------------------------------- exceptions
class AFX_API CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() {}
    virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0);
    void Delete() { delete this; }
};

class AFX_API CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
};

class AFX_API CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
};

class AFX_API CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
        invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
        lockViolation, diskFull, endOfFile
    };
    explicit CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    static int PASCAL OsErrorToException(LONG lOsError);
    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class AFX_API CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
    explicit CArchiveException(int cause = none, LPCWSTR lpszArchiveName = nullptr);
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    int m_cause;
    CString m_strFileName;
};

AFX_API void AFXAPI AfxThrowMemoryException();
AFX_API void AFXAPI AfxThrowNotSupportedException();
AFX_API void AFXAPI AfxThrowFileException(int cause, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);
AFX_API void AFXAPI AfxThrowArchiveException(int cause, LPCWSTR lpszArchiveName = nullptr);

// The framework throws exception objects by pointer; the catcher deletes them.
#define TRY try
#define CATCH(class_name, e) catch (class_name* e)
#define AND_CATCH(class_name, e) catch (class_name* e)
#define END_CATCH
#define CATCH_ALL(e) catch (CException* e)
#define AND_CATCH_ALL(e) catch (CException* e)
#define END_CATCH_ALL
#define THROW(e) throw e
#define THROW_LAST() throw

// ---------------------------------------------------------------- files
class AFX_API CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        shareCompat = 0x0000, shareExclusive = 0x0010, shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030, shareDenyNone = 0x0040, modeNoInherit = 0x0080,
        modeCreate = 0x1000, modeNoTruncate = 0x2000, typeText = 0x4000, typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile();
    explicit CFile(HANDLE hFile);
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;

    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual void Flush();
    virtual void Close();
    virtual void Abort();
    virtual CString GetFileName() const;
    virtual CString GetFilePath() const { return m_strFileName; }
    static void PASCAL Remove(LPCWSTR lpszFileName);
    static void PASCAL Rename(LPCWSTR lpszOldName, LPCWSTR lpszNewName);
    HANDLE m_hFile;
    static const HANDLE hFileNull;
protected:
    CString m_strFileName;
    BOOL m_bCloseOnDelete;
};

// Text mode: lines end in CR LF on disk and in a single LF in memory; the text
// is stored as ANSI (the code page of the process), as a text-mode stream does.
class AFX_API CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile();
    CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CStdioFile() override;
    BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    virtual void WriteString(LPCWSTR lpsz);
    virtual BOOL ReadString(CString& rString);
    virtual LPWSTR ReadString(LPWSTR lpsz, UINT nMax);
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetPosition() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;
    FILE* m_pStream;
};

// ---------------------------------------------------------------- collections
class AFX_API CPtrArray : public CObject {
    DECLARE_DYNAMIC(CPtrArray)
public:
    CPtrArray();
    ~CPtrArray() override;
    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
    void RemoveAll() { SetSize(0); }
    void FreeExtra() {}
    void* GetAt(INT_PTR i) const { return m_pData[i]; }
    void SetAt(INT_PTR i, void* p) { m_pData[i] = p; }
    void*& ElementAt(INT_PTR i) { return m_pData[i]; }
    void** GetData() { return m_pData; }
    void SetAtGrow(INT_PTR i, void* p);
    INT_PTR Add(void* p) { INT_PTR i = m_nSize; SetAtGrow(i, p); return i; }
    INT_PTR Append(const CPtrArray& src);
    void Copy(const CPtrArray& src);
    void InsertAt(INT_PTR i, void* p, INT_PTR nCount = 1);
    void RemoveAt(INT_PTR i, INT_PTR nCount = 1);
    void* operator[](INT_PTR i) const { return m_pData[i]; }
    void*& operator[](INT_PTR i) { return m_pData[i]; }
private:
    void** m_pData;
    INT_PTR m_nSize;
    INT_PTR m_nMaxSize;
};

class AFX_API CStringArray : public CObject {
    DECLARE_SERIAL(CStringArray)
public:
    CStringArray();
    ~CStringArray() override;
    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
    void RemoveAll() { SetSize(0); }
    const CString& GetAt(INT_PTR i) const { return m_pData[i]; }
    void SetAt(INT_PTR i, LPCWSTR s) { m_pData[i] = s; }
    CString& ElementAt(INT_PTR i) { return m_pData[i]; }
    void SetAtGrow(INT_PTR i, LPCWSTR s);
    INT_PTR Add(LPCWSTR s) { INT_PTR i = m_nSize; SetAtGrow(i, s); return i; }
    INT_PTR Add(const CString& s) { return Add(static_cast<LPCWSTR>(s)); }
    void Copy(const CStringArray& src);
    void InsertAt(INT_PTR i, LPCWSTR s, INT_PTR nCount = 1);
    void RemoveAt(INT_PTR i, INT_PTR nCount = 1);
    const CString& operator[](INT_PTR i) const { return m_pData[i]; }
    CString& operator[](INT_PTR i) { return m_pData[i]; }
    void Serialize(CArchive& ar) override;
private:
    CString* m_pData;
    INT_PTR m_nSize;
    INT_PTR m_nMaxSize;
};

// A doubly linked list of T; POSITION is a node pointer.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
    struct CNode { CNode* pNext; CNode* pPrev; TYPE data; };
public:
    static CRuntimeClass* PASCAL GetThisClass() { return CObject::GetThisClass(); }
    CList() : m_pHead(nullptr), m_pTail(nullptr), m_nCount(0) {}
    ~CList() override { RemoveAll(); }
    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    TYPE& GetHead() { return m_pHead->data; }
    const TYPE& GetHead() const { return m_pHead->data; }
    TYPE& GetTail() { return m_pTail->data; }
    const TYPE& GetTail() const { return m_pTail->data; }
    TYPE RemoveHead() { CNode* n = m_pHead; TYPE v = n->data; Unlink(n); return v; }
    TYPE RemoveTail() { CNode* n = m_pTail; TYPE v = n->data; Unlink(n); return v; }
    POSITION AddHead(ARG_TYPE v) { return InsertBefore(reinterpret_cast<POSITION>(m_pHead), v); }
    POSITION AddTail(ARG_TYPE v) { return InsertAfter(reinterpret_cast<POSITION>(m_pTail), v); }
    void RemoveAll() { while (m_pHead) Unlink(m_pHead); }
    POSITION GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pHead); }
    POSITION GetTailPosition() const { return reinterpret_cast<POSITION>(m_pTail); }
    TYPE& GetNext(POSITION& pos) { CNode* n = Node(pos); pos = reinterpret_cast<POSITION>(n->pNext); return n->data; }
    const TYPE& GetNext(POSITION& pos) const { CNode* n = Node(pos); pos = reinterpret_cast<POSITION>(n->pNext); return n->data; }
    TYPE& GetPrev(POSITION& pos) { CNode* n = Node(pos); pos = reinterpret_cast<POSITION>(n->pPrev); return n->data; }
    const TYPE& GetPrev(POSITION& pos) const { CNode* n = Node(pos); pos = reinterpret_cast<POSITION>(n->pPrev); return n->data; }
    TYPE& GetAt(POSITION pos) { return Node(pos)->data; }
    const TYPE& GetAt(POSITION pos) const { return Node(pos)->data; }
    void SetAt(POSITION pos, ARG_TYPE v) { Node(pos)->data = v; }
    void RemoveAt(POSITION pos) { Unlink(Node(pos)); }
    POSITION InsertBefore(POSITION pos, ARG_TYPE v) {
        CNode* at = Node(pos);
        CNode* n = new CNode{at, at ? at->pPrev : m_pTail, TYPE(v)};
        if (!at) { n->pNext = nullptr; n->pPrev = m_pTail; }
        Link(n);
        return reinterpret_cast<POSITION>(n);
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE v) {
        CNode* at = Node(pos);
        CNode* n = new CNode{at ? at->pNext : m_pHead, at, TYPE(v)};
        Link(n);
        return reinterpret_cast<POSITION>(n);
    }
    POSITION Find(ARG_TYPE v, POSITION startAfter = nullptr) const {
        CNode* n = startAfter ? Node(startAfter)->pNext : m_pHead;
        for (; n; n = n->pNext) if (n->data == v) return reinterpret_cast<POSITION>(n);
        return nullptr;
    }
    POSITION FindIndex(INT_PTR i) const {
        if (i < 0 || i >= m_nCount) return nullptr;
        CNode* n = m_pHead;
        while (i-- > 0) n = n->pNext;
        return reinterpret_cast<POSITION>(n);
    }
private:
    static CNode* Node(POSITION p) { return reinterpret_cast<CNode*>(p); }
    void Link(CNode* n) {
        if (n->pPrev) n->pPrev->pNext = n; else m_pHead = n;
        if (n->pNext) n->pNext->pPrev = n; else m_pTail = n;
        ++m_nCount;
    }
    void Unlink(CNode* n) {
        if (n->pPrev) n->pPrev->pNext = n->pNext; else m_pHead = n->pNext;
        if (n->pNext) n->pNext->pPrev = n->pPrev; else m_pTail = n->pPrev;
        --m_nCount;
        delete n;
    }
    CNode* m_pHead;
    CNode* m_pTail;
    INT_PTR m_nCount;
};

class AFX_API CObList : public CList<CObject*, CObject*> {
public:
    static CRuntimeClass* PASCAL GetThisClass();
    CRuntimeClass* GetRuntimeClass() const override;
};

class AFX_API CPtrList : public CList<void*, void*> {
public:
    static CRuntimeClass* PASCAL GetThisClass();
    CRuntimeClass* GetRuntimeClass() const override;
};

// ---------------------------------------------------------------- archives
// Enough for documents: raw values, strings and run-time-class objects.
class AFX_API CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2 };
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    ~CArchive();
    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);
    void Flush() {}
    void Close() {}
    void Abort() {}
    void WriteString(LPCWSTR lpsz);
    BOOL ReadString(CString& rString);
    void WriteObject(const CObject* pOb);
    CObject* ReadObject(const CRuntimeClass* pClass);
    CArchive& operator<<(BYTE v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(WORD v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(LONG v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(DWORD v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(int v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(UINT v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(short v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(float v) { Write(&v, sizeof v); return *this; }
    CArchive& operator<<(double v) { Write(&v, sizeof v); return *this; }
    CArchive& operator>>(BYTE& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(WORD& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(LONG& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(DWORD& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(int& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(UINT& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(short& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(float& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator>>(double& v) { Need(&v, sizeof v); return *this; }
    CArchive& operator<<(const CString& s);
    CArchive& operator>>(CString& s);
    CArchive& operator<<(const CObject* pOb) { WriteObject(pOb); return *this; }
    class CDocument* m_pDocument;
private:
    void Need(void* p, UINT n);
    CFile* m_pFile;
    UINT m_nMode;
};

// ---------------------------------------------------------------- globals
AFX_API HINSTANCE AFXAPI AfxGetInstanceHandle();
AFX_API HINSTANCE AFXAPI AfxGetResourceHandle();
AFX_API void AFXAPI AfxSetResourceHandle(HINSTANCE hInstResource);
AFX_API HINSTANCE AFXAPI AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);
AFX_API BOOL AFXAPI AfxFreeLibrary(HINSTANCE hInstLib);
AFX_API HINSTANCE AFXAPI AfxLoadLibrary(LPCWSTR lpszModuleName);
AFX_API BOOL AFXAPI AfxExtractSubString(CString& rString, LPCWSTR lpszFullString, int iSubString, wchar_t chSep = L'\n');

// Extension libraries (Trevlo) share the framework's state; nothing to chain.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};
AFX_API BOOL AFXAPI AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
AFX_API void AFXAPI AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

class AFX_API CDynLinkLibrary : public CObject {
public:
    CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    HMODULE m_hModule;
    HMODULE m_hResource;
};
