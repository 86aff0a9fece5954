#include "AfxTestScript.h"
#include "AfxImpl.h"
#include <deque>
#include <mutex>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {
struct ScriptState {
    std::mutex lock;
    bool loaded = false;   // the environment was consulted
    bool active = false;
    std::deque<CString> lines;   // "kind rest"
    CString record;
};
ScriptState& State() { static ScriptState s; return s; }

void Split(const CString& text, std::deque<CString>& out) {
    CString cur;
    for (int i = 0; i <= text.GetLength(); ++i) {
        wchar_t c = i < text.GetLength() ? text[i] : L'\n';
        if (c == L'\n' || c == L'\r' || c == L';') {
            cur.Trim();
            if (!cur.IsEmpty() && cur[0] != L'#') out.push_back(cur);
            cur.Empty();
        } else {
            cur += c;
        }
    }
}

void LoadFromEnvironment(ScriptState& s) {
    if (s.loaded) return;
    s.loaded = true;
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VELTRANE_AFX_SCRIPT", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    s.active = true;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return;   // scripted but empty: everything is unanswered
    CString text;
    char buf[1024];
    size_t got;
    std::string bytes;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, got);
    fclose(f);
    // The script is UTF-8, so paths with any characters can be given.
    int n8 = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    if (n8 > 0) {
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), text.GetBufferSetLength(n8), n8);
        text.ReleaseBuffer(n8);
    }
    Split(text, s.lines);
}

int ButtonId(const CString& word) {
    static const struct { LPCWSTR name; int id; } names[] = {
        {L"IDOK", IDOK}, {L"IDCANCEL", IDCANCEL}, {L"IDABORT", IDABORT}, {L"IDRETRY", IDRETRY},
        {L"IDIGNORE", IDIGNORE}, {L"IDYES", IDYES}, {L"IDNO", IDNO}, {L"IDCLOSE", IDCLOSE},
        {L"IDTRYAGAIN", IDTRYAGAIN}, {L"IDCONTINUE", IDCONTINUE},
    };
    for (auto& n : names) if (word.CompareNoCase(n.name) == 0) return n.id;
    return (int)wcstol(word, nullptr, 0);
}

LPCWSTR KindName(AfxScriptKind k) {
    switch (k) {
    case kScriptMsgBox: return L"msgbox";
    case kScriptSave: return L"save";
    case kScriptOpen: return L"open";
    case kScriptFolder: return L"folder";
    case kScriptPrint: return L"print";
    case kScriptColor: return L"color";
    case kScriptDialog: return L"dialog";
    }
    return L"";
}

// Takes " filter N" / " copies N" off the end of rest.
int TakeOption(CString& rest, LPCWSTR option) {
    CString lower(rest);
    lower.MakeLower();
    CString key = CString(L" ") + option + L" ";
    int at = lower.Find(key);
    if (at < 0) return 0;
    int value = (int)wcstol((LPCWSTR)rest + at + key.GetLength(), nullptr, 0);
    rest = rest.Left(at);
    rest.TrimRight();
    return value;
}
}

void AFXAPI AfxTestSetScript(LPCWSTR lpszScript) {
    ScriptState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    s.loaded = true;
    s.lines.clear();
    s.active = lpszScript != nullptr;
    if (lpszScript) Split(CString(lpszScript), s.lines);
}

BOOL AFXAPI AfxTestIsScripted() {
    ScriptState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    LoadFromEnvironment(s);
    return s.active;
}

CString AFXAPI AfxTestGetRecord() {
    ScriptState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    return s.record;
}

void AFXAPI AfxTestClearRecord() {
    ScriptState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    s.record.Empty();
}

BOOL AfxImplScriptNext(AfxScriptKind kind, AfxScriptAnswer& answer, LPCWSTR caption, LPCWSTR text, UINT flags,
                       UINT nTemplate) {
    ScriptState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    LoadFromEnvironment(s);
    if (!s.active) return FALSE;

    answer = AfxScriptAnswer();
    answer.bCancel = TRUE;
    BOOL found = FALSE;
    LPCWSTR name = KindName(kind);
    int nameLen = (int)wcslen(name);
    for (auto it = s.lines.begin(); it != s.lines.end(); ++it) {
        const CString& line = *it;
        if (line.GetLength() < nameLen || _wcsnicmp(line, name, nameLen) != 0) continue;
        if (line.GetLength() > nameLen && !iswspace(line[nameLen])) continue;
        CString rest = line.Mid(nameLen);
        rest.Trim();
        if (kind == kScriptDialog) {
            // "dialog <template> <button>": only the named template's dialog takes it.
            int sp = rest.Find(L' ');
            if (sp < 0 || (UINT)wcstoul(rest.Left(sp), nullptr, 0) != nTemplate) continue;
            rest = rest.Mid(sp + 1);
            rest.Trim();
        }
        s.lines.erase(it);
        found = TRUE;
        if (rest.CompareNoCase(L"cancel") == 0) break;
        answer.bCancel = FALSE;
        switch (kind) {
        case kScriptMsgBox: answer.nValue = ButtonId(rest); break;
        case kScriptDialog: {
            // An optional "<control>=<text>" after the button fills that control first.
            int sp = rest.Find(L' ');
            answer.nValue = ButtonId(sp < 0 ? rest : rest.Left(sp));
            if (sp >= 0) answer.strText = rest.Mid(sp + 1).TrimLeft();
            break;
        }
        case kScriptSave: case kScriptOpen: answer.nValue = TakeOption(rest, L"filter"); answer.strText = rest; break;
        case kScriptPrint: { CString r = L" " + rest; answer.nValue = TakeOption(r, L"copies"); break; }
        case kScriptColor: answer.nValue = (int)wcstoul(rest, nullptr, 0); break;
        case kScriptFolder: answer.strText = rest; break;
        }
        break;
    }
    // Dialogs without a scripted click simply run; everything else is recorded.
    if (kind == kScriptDialog && !found) return FALSE;

    CString entry;
    entry.Format(L"%s|%s|%s|0x%X%s\n", name, caption ? caption : L"", text ? text : L"", flags,
                 found ? L"" : L"|unanswered");
    s.record += entry;
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"VELTRANE_AFX_RECORD", path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        if (FILE* f = _wfopen(path, L"ab")) {
            int len = WideCharToMultiByte(CP_UTF8, 0, entry, -1, nullptr, 0, nullptr, nullptr);
            std::string utf8(len > 0 ? len - 1 : 0, '\0');
            if (len > 1) WideCharToMultiByte(CP_UTF8, 0, entry, -1, &utf8[0], len, nullptr, nullptr);
            fwrite(utf8.data(), 1, utf8.size(), f);
            fclose(f);
        }
    }
    return TRUE;
}

int WINAPI AfxScriptedMessageBox(HWND hWnd, LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType) {
    AfxScriptAnswer a;
    if (AfxImplScriptNext(kScriptMsgBox, a, lpszCaption, lpszText, nType)) {
        if (!a.bCancel) return a.nValue;
        // Nothing scripted: the box's own cancel answer (or its only button).
        UINT buttons = nType & MB_TYPEMASK;
        return buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : buttons == MB_ABORTRETRYIGNORE ? IDABORT : IDCANCEL;
    }
    return ::MessageBoxW(hWnd, lpszText, lpszCaption, nType);
}
