#include "AfxCore.h"
#include "AfxImpl.h"
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cstdarg>
#include <cstdio>
#include <oleauto.h>

namespace {
// The empty string shares one never-freed buffer.
struct EmptyData {
    int nLength = 0;
    int nAlloc = 0;
    wchar_t sz[1] = {0};
} g_empty;
}

#define EMPTY_PSZ (g_empty.sz)

CString::CString() : m_pszData(EMPTY_PSZ) {}
CString::CString(const CString& s) : m_pszData(EMPTY_PSZ) { Assign(s.m_pszData, s.GetLength()); }
CString::CString(LPCWSTR psz) : m_pszData(EMPTY_PSZ) {
    if (psz && IS_INTRESOURCE(psz)) LoadString(LOWORD(reinterpret_cast<UINT_PTR>(psz)));
    else if (psz) Assign(psz, (int)wcslen(psz));
}
CString::CString(LPCWSTR pch, int nLength) : m_pszData(EMPTY_PSZ) { if (pch && nLength > 0) Assign(pch, nLength); }
CString::CString(LPCSTR psz) : m_pszData(EMPTY_PSZ) { *this = psz; }
CString::CString(wchar_t ch, int nRepeat) : m_pszData(EMPTY_PSZ) {
    if (nRepeat > 0) {
        Reserve(nRepeat);
        for (int i = 0; i < nRepeat; ++i) m_pszData[i] = ch;
        SetLength(nRepeat);
    }
}
CString::~CString() {
    if (m_pszData != EMPTY_PSZ) free(GetData());
}

int CString::GetLength() const { return GetData()->nLength; }

void CString::Reserve(int nLength) {
    if (m_pszData != EMPTY_PSZ && GetData()->nAlloc >= nLength) return;
    int nAlloc = nLength < 15 ? 15 : nLength + nLength / 2;
    Data* p = static_cast<Data*>(malloc(sizeof(Data) + (nAlloc + 1) * sizeof(wchar_t)));
    if (!p) AfxThrowMemoryException();
    p->nAlloc = nAlloc;
    wchar_t* psz = reinterpret_cast<wchar_t*>(p + 1);
    int nOld = GetLength();
    memcpy(psz, m_pszData, (nOld + 1) * sizeof(wchar_t));
    p->nLength = nOld;
    if (m_pszData != EMPTY_PSZ) free(GetData());
    m_pszData = psz;
}

void CString::SetLength(int nLength) {
    if (m_pszData == EMPTY_PSZ) { if (nLength == 0) return; Reserve(nLength); }
    GetData()->nLength = nLength;
    m_pszData[nLength] = 0;
}

void CString::Assign(LPCWSTR pch, int nLength) {
    if (nLength <= 0) { Empty(); return; }
    // pch may point into our own buffer (s = s.Mid(1)).
    if (m_pszData != EMPTY_PSZ && pch >= m_pszData && pch <= m_pszData + GetData()->nAlloc) {
        memmove(m_pszData, pch, nLength * sizeof(wchar_t));
        SetLength(nLength);
        return;
    }
    Reserve(nLength);
    memcpy(m_pszData, pch, nLength * sizeof(wchar_t));
    SetLength(nLength);
}

void CString::Append(LPCWSTR pch, int nLength) {
    if (nLength <= 0) return;
    int nOld = GetLength();
    if (m_pszData != EMPTY_PSZ && pch >= m_pszData && pch <= m_pszData + GetData()->nAlloc) {
        CString copy(pch, nLength);
        Append(copy.m_pszData, nLength);
        return;
    }
    Reserve(nOld + nLength);
    memcpy(m_pszData + nOld, pch, nLength * sizeof(wchar_t));
    SetLength(nOld + nLength);
}

void CString::Empty() {
    if (m_pszData != EMPTY_PSZ) free(GetData());
    m_pszData = EMPTY_PSZ;
}

void CString::SetAt(int nIndex, wchar_t ch) {
    if (nIndex >= 0 && nIndex < GetLength()) m_pszData[nIndex] = ch;
}

CString& CString::operator=(const CString& s) { if (this != &s) Assign(s.m_pszData, s.GetLength()); return *this; }
CString& CString::operator=(LPCWSTR psz) { if (psz) Assign(psz, (int)wcslen(psz)); else Empty(); return *this; }
CString& CString::operator=(LPCSTR psz) {
    if (!psz || !*psz) { Empty(); return *this; }
    int n = MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    Reserve(n);
    MultiByteToWideChar(CP_ACP, 0, psz, -1, m_pszData, n);
    SetLength(n - 1);
    return *this;
}
CString& CString::operator=(wchar_t ch) { Assign(&ch, 1); return *this; }
CString& CString::operator+=(const CString& s) { Append(s.m_pszData, s.GetLength()); return *this; }
CString& CString::operator+=(LPCWSTR psz) { if (psz) Append(psz, (int)wcslen(psz)); return *this; }
CString& CString::operator+=(wchar_t ch) { Append(&ch, 1); return *this; }

CString operator+(const CString& a, const CString& b) { CString s(a); s += b; return s; }
CString operator+(const CString& a, LPCWSTR b) { CString s(a); s += b; return s; }
CString operator+(LPCWSTR a, const CString& b) { CString s(a); s += b; return s; }
CString operator+(const CString& a, wchar_t b) { CString s(a); s += b; return s; }
CString operator+(wchar_t a, const CString& b) { CString s(a, 1); s += b; return s; }

int CString::Compare(LPCWSTR psz) const { return wcscmp(m_pszData, psz ? psz : L""); }
int CString::CompareNoCase(LPCWSTR psz) const { return _wcsicmp(m_pszData, psz ? psz : L""); }
int CString::Collate(LPCWSTR psz) const { return wcscoll(m_pszData, psz ? psz : L""); }

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength() - nFirst); }
CString CString::Mid(int nFirst, int nCount) const {
    int n = GetLength();
    if (nFirst < 0) nFirst = 0;
    if (nFirst > n) nFirst = n;
    if (nCount < 0) nCount = 0;
    if (nCount > n - nFirst) nCount = n - nFirst;
    return CString(m_pszData + nFirst, nCount);
}
CString CString::Left(int nCount) const { return Mid(0, nCount); }
CString CString::Right(int nCount) const {
    int n = GetLength();
    if (nCount < 0) nCount = 0;
    if (nCount > n) nCount = n;
    return CString(m_pszData + n - nCount, nCount);
}
CString CString::SpanIncluding(LPCWSTR set) const { return Left((int)wcsspn(m_pszData, set)); }
CString CString::SpanExcluding(LPCWSTR set) const { return Left((int)wcscspn(m_pszData, set)); }

CString& CString::MakeUpper() { if (GetLength()) CharUpperBuffW(m_pszData, GetLength()); return *this; }
CString& CString::MakeLower() { if (GetLength()) CharLowerBuffW(m_pszData, GetLength()); return *this; }
CString& CString::MakeReverse() {
    for (int i = 0, j = GetLength() - 1; i < j; ++i, --j) { wchar_t t = m_pszData[i]; m_pszData[i] = m_pszData[j]; m_pszData[j] = t; }
    return *this;
}

namespace {
bool InSet(wchar_t c, LPCWSTR set) { return set ? wcschr(set, c) != nullptr && c != 0 : iswspace(c) != 0; }
}
CString& CString::TrimRight(LPCWSTR set) {
    int n = GetLength();
    while (n > 0 && InSet(m_pszData[n - 1], set)) --n;
    if (n != GetLength()) { if (n == 0) Empty(); else SetLength(n); }
    return *this;
}
CString& CString::TrimLeft(LPCWSTR set) {
    int i = 0, n = GetLength();
    while (i < n && InSet(m_pszData[i], set)) ++i;
    if (i) Assign(m_pszData + i, n - i);
    return *this;
}
CString& CString::TrimRight() { return TrimRight(static_cast<LPCWSTR>(nullptr)); }
CString& CString::TrimLeft() { return TrimLeft(static_cast<LPCWSTR>(nullptr)); }
CString& CString::TrimRight(wchar_t ch) { wchar_t s[2] = {ch, 0}; return TrimRight(s); }
CString& CString::TrimLeft(wchar_t ch) { wchar_t s[2] = {ch, 0}; return TrimLeft(s); }
CString& CString::Trim() { TrimRight(); return TrimLeft(); }
CString& CString::Trim(wchar_t ch) { TrimRight(ch); return TrimLeft(ch); }
CString& CString::Trim(LPCWSTR set) { TrimRight(set); return TrimLeft(set); }

int CString::Replace(wchar_t chOld, wchar_t chNew) {
    int n = 0;
    if (chOld == chNew) return 0;
    for (int i = 0; i < GetLength(); ++i) if (m_pszData[i] == chOld) { m_pszData[i] = chNew; ++n; }
    return n;
}
int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew) {
    int nOld = pszOld ? (int)wcslen(pszOld) : 0;
    if (nOld == 0) return 0;
    int nNew = pszNew ? (int)wcslen(pszNew) : 0;
    CString out;
    int count = 0;
    LPCWSTR p = m_pszData;
    for (;;) {
        LPCWSTR hit = wcsstr(p, pszOld);
        if (!hit) break;
        out.Append(p, (int)(hit - p));
        out.Append(pszNew, nNew);
        p = hit + nOld;
        ++count;
    }
    if (count) { out.Append(p, (int)wcslen(p)); *this = out; }
    return count;
}
int CString::Remove(wchar_t ch) {
    int j = 0, n = GetLength();
    for (int i = 0; i < n; ++i) if (m_pszData[i] != ch) m_pszData[j++] = m_pszData[i];
    if (j != n) { if (j == 0) Empty(); else SetLength(j); }
    return n - j;
}
int CString::Insert(int nIndex, LPCWSTR psz) {
    int n = GetLength();
    if (nIndex < 0) nIndex = 0;
    if (nIndex > n) nIndex = n;
    CString out(m_pszData, nIndex);
    out += psz;
    out.Append(m_pszData + nIndex, n - nIndex);
    *this = out;
    return GetLength();
}
int CString::Insert(int nIndex, wchar_t ch) { wchar_t s[2] = {ch, 0}; return Insert(nIndex, s); }
int CString::Delete(int nIndex, int nCount) {
    int n = GetLength();
    if (nIndex < 0) nIndex = 0;
    if (nCount <= 0 || nIndex >= n) return n;
    if (nCount > n - nIndex) nCount = n - nIndex;
    memmove(m_pszData + nIndex, m_pszData + nIndex + nCount, (n - nIndex - nCount + 1) * sizeof(wchar_t));
    if (n - nCount == 0) Empty(); else SetLength(n - nCount);
    return GetLength();
}

int CString::Find(wchar_t ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength()) return -1;
    LPCWSTR p = wcschr(m_pszData + nStart, ch);
    return p && ch ? (int)(p - m_pszData) : -1;
}
int CString::Find(LPCWSTR pszSub, int nStart) const {
    if (!pszSub || nStart < 0 || nStart > GetLength()) return -1;
    if (!*pszSub) return nStart;
    LPCWSTR p = wcsstr(m_pszData + nStart, pszSub);
    return p ? (int)(p - m_pszData) : -1;
}
int CString::ReverseFind(wchar_t ch) const {
    LPCWSTR p = wcsrchr(m_pszData, ch);
    return p && ch ? (int)(p - m_pszData) : -1;
}
int CString::FindOneOf(LPCWSTR set) const {
    LPCWSTR p = wcspbrk(m_pszData, set);
    return p ? (int)(p - m_pszData) : -1;
}

// msvcrt's formatting, as Windows programs see it: %s is a wide string here.
void CString::FormatV(LPCWSTR pszFormat, va_list args) {
    if (!pszFormat) { Empty(); return; }
    va_list count;
    va_copy(count, args);
    int n = _vscwprintf(pszFormat, count);
    va_end(count);
    if (n <= 0) { Empty(); return; }
    CString out;
    out.Reserve(n);
    _vsnwprintf(out.m_pszData, n + 1, pszFormat, args);
    out.SetLength(n);
    *this = out;
}
void CString::Format(LPCWSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}
void CString::Format(UINT nFormatID, ...) {
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(fmt, args);
    va_end(args);
}
void CString::AppendFormat(LPCWSTR pszFormat, ...) {
    CString s;
    va_list args;
    va_start(args, pszFormat);
    s.FormatV(pszFormat, args);
    va_end(args);
    *this += s;
}

BOOL CString::LoadString(UINT nID) {
    LPCWSTR p = nullptr;
    int n = 0;
    if (!AfxImplLoadStringRaw(nID, &p, &n)) { Empty(); return FALSE; }
    Assign(p, n);
    return TRUE;
}

LPWSTR CString::GetBuffer(int nMinBufLength) {
    if (nMinBufLength < GetLength()) nMinBufLength = GetLength();
    if (nMinBufLength == 0) nMinBufLength = 1;
    Reserve(nMinBufLength);
    return m_pszData;
}
LPWSTR CString::GetBufferSetLength(int nNewLength) {
    GetBuffer(nNewLength);
    SetLength(nNewLength);
    return m_pszData;
}
void CString::ReleaseBuffer(int nNewLength) {
    if (m_pszData == EMPTY_PSZ) return;
    if (nNewLength < 0) nNewLength = (int)wcslen(m_pszData);
    if (nNewLength > GetData()->nAlloc) nNewLength = GetData()->nAlloc;
    SetLength(nNewLength);
}
BSTR CString::AllocSysString() const { return SysAllocStringLen(m_pszData, GetLength()); }
