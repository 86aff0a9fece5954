#include "DialogInit.h"

#include <AfxCore.h>

#include <set>
#include <string>

void AddDialogInitItems(HWND dlg, UINT templateId) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(240));
    if (!res) return;
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    const DWORD total = SizeofResource(module, res);
    if (!p) return;
    std::set<WORD> seen, skipped;
    // Each entry: control id, 16-bit message, byte count, ANSI text with its NUL.
    for (DWORD at = 0; at + 8 <= total;) {
        const WORD id = *reinterpret_cast<const WORD*>(p + at);
        if (id == 0) break;
        const WORD message = *reinterpret_cast<const WORD*>(p + at + 2);
        const DWORD length = *reinterpret_cast<const DWORD*>(p + at + 4);
        at += 8;
        if (at + length > total) break;
        HWND control = GetDlgItem(dlg, id);
        const bool combo = message == 0x0403;  // CB_ADDSTRING as the template stores it
        if (control && combo && seen.insert(id).second && SendMessageW(control, CB_GETCOUNT, 0, 0) > 0)
            skipped.insert(id);
        if (control && combo && !skipped.count(id)) {
            std::string text(reinterpret_cast<const char*>(p + at), length);
            text = text.c_str();
            const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
            std::wstring wide(n > 0 ? n : 1, L'\0');
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        at += length;
    }
}
