#include "RulerFile.h"

#include "MeasureTypes.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const char kLineEnd[] = "\r\r\n";
// Far beyond any sensor; keeps the arithmetic on the ends inside int.
const int kMaxCoordinate = 1000000;

std::string Ansi(const CString& s)
{
    int n = WideCharToMultiByte(CP_ACP, 0, s, s.GetLength(), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    if (n)
        WideCharToMultiByte(CP_ACP, 0, s, s.GetLength(), &out[0], n, nullptr, nullptr);
    return out;
}

CString Wide(const std::string& s)
{
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
    CString out;
    if (n) {
        LPWSTR p = out.GetBuffer(n);
        MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), p, n);
        out.ReleaseBuffer(n);
    }
    return out;
}

bool ParseInt(const std::string& text, int& value)
{
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p)
        return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    while (*end == ' ' || *end == '\t') ++end;
    if (*end || errno == ERANGE || v < -kMaxCoordinate || v > kMaxCoordinate)
        return false;
    value = int(v);
    return true;
}

}  // namespace

bool ParseDecimal(LPCWSTR text, double& value)
{
    if (!text)
        return false;
    CString s(text);
    s.Trim();
    if (s.IsEmpty())
        return false;
    const int comma = s.Find(L',');
    if (comma >= 0) {
        // One decimal comma and no point besides it; "1,234.5" is ambiguous.
        if (s.Find(L',', comma + 1) >= 0 || s.Find(L'.') >= 0)
            return false;
        s.SetAt(comma, L'.');
    }
    // Digits, one point, a sign and an exponent only: wcstod would also take
    // "inf", "nan" and hexadecimal forms.
    for (int i = 0; i < s.GetLength(); ++i) {
        const wchar_t c = s[i];
        if (!(iswdigit(c) || c == L'.' || c == L'+' || c == L'-' || c == L'e' || c == L'E'))
            return false;
    }
    wchar_t* end = nullptr;
    const double v = std::wcstod(s, &end);
    if (end == (LPCWSTR)s || *end || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

std::string FormatRulerFile(const RulerFile& r)
{
    std::string out;
    for (const CString* s : {&r.xResult, &r.yResult, &r.xReal, &r.yReal})
        out += Ansi(*s) + kLineEnd;
    const int numbers[] = {100, r.xLength + 100, r.xLength, 100, r.yLength + 100, r.yLength, r.unit};
    for (int n : numbers)
        out += std::to_string(n) + kLineEnd;
    return out;
}

bool ParseRulerFile(const std::string& bytes, RulerFile& out)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size() && lines.size() <= 11) {
        size_t lf = bytes.find('\n', start);
        size_t stop = lf == std::string::npos ? bytes.size() : lf;
        size_t end = stop;
        while (end > start && bytes[end - 1] == '\r')
            --end;
        lines.push_back(bytes.substr(start, end - start));
        start = lf == std::string::npos ? bytes.size() : lf + 1;
    }
    if (lines.size() != 11 || bytes.find('\0') != std::string::npos)
        return false;

    RulerFile r;
    r.xResult = Wide(lines[0]);
    r.yResult = Wide(lines[1]);
    r.xReal = Wide(lines[2]);
    r.yReal = Wide(lines[3]);
    double xResult, yResult, xReal, yReal;
    if (!ParseDecimal(r.xResult, xResult) || !ParseDecimal(r.yResult, yResult) || !ParseDecimal(r.xReal, xReal) ||
        !ParseDecimal(r.yReal, yReal))
        return false;
    int* ints[] = {&r.xStart, &r.xEnd, &r.xLength, &r.yStart, &r.yEnd, &r.yLength, &r.unit};
    for (int i = 0; i < 7; ++i)
        if (!ParseInt(lines[4 + i], *ints[i]))
            return false;
    if (r.unit < 0 || r.unit >= kMeasureUnitCount)
        return false;
    // The bar is placed from the ends, so the arms they make must be real
    // too, not only the lengths written beside them.
    if (r.xLength <= 0 || r.yLength <= 0 || r.xEnd - r.xStart <= 0 || r.yEnd - r.yStart <= 0 || xReal <= 0 ||
        yReal <= 0)
        return false;
    out = r;
    return true;
}
