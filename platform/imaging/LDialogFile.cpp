#include "LDialogFile.h"

#include "ImagingRes.h"
#include "ThisModule.h"
#include "LBitmapBase.h"

#include <commdlg.h>

#include <string>

L_INT LDialogFile::DoModalOpen(HWND owner, UINT flags)
{
    // The filter is one string with '|' between its parts, as resources
    // cannot hold the zeros the dialog wants.
    const wchar_t* text = nullptr;
    const int n = LoadStringW(ThisModule(), IDS_IMAGING_OPEN_FILTER, reinterpret_cast<LPWSTR>(&text), 0);
    std::wstring filter = n > 0 ? std::wstring(text, size_t(n)) : std::wstring(L"*.*||");
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn))
        return CommDlgExtendedError() == 0 ? L_INT(LERR_DLG_CANCELED) : Fail(LERR_NO_WINDOW);
    // The bitmap's file name is ANSI: a name the code page cannot hold
    // exactly is refused rather than turned into another file's name.
    char ansi[MAX_PATH * 2];
    BOOL lossy = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, ansi, sizeof ansi, nullptr, &lossy);
    if (bytes <= 0 || lossy)
        return Fail(LERR_FILE_NOT_FOUND);
    if (flags & DLG_FO_AUTOPROCESS) {
        const L_INT rc = m_bitmap->Load(path, 0);
        if (rc != SUCCESS)
            return rc;
    }
    m_bitmap->SetFileName(ansi);
    return SUCCESS;
}
