#include "OzuFreeDoc.h"

#include "Globals.h"
#include "OzuFreeView.h"
#include "Resource.h"

#include <AfxTestScript.h>

#include <cstring>

IMPLEMENT_DYNCREATE(COzuFreeDoc, CDocument)

int COzuFreeDoc::s_nUntitledCount = 0;

COzuFreeDoc::COzuFreeDoc() { std::memset(m_szFileName, 0, sizeof m_szFileName); }

BOOL COzuFreeDoc::OnNewDocument()
{
    ++s_nUntitledCount;
    CString title;
    title.Format(L"%s%d", L"Image", s_nUntitledCount);
    SetTitle(title);
    return TRUE;
}

BOOL COzuFreeDoc::OnOpenDocument(LPCWSTR lpszPathName)
{
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;
    std::memset(m_szFileName, 0, sizeof m_szFileName);
    // The library and the saving commands know the picture by its ANSI name:
    // a name the code page cannot spell, or one longer than the buffer, would
    // open or later overwrite another file.
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lpszPathName, -1, m_szFileName, 256, nullptr,
                                        &lossy);
    if (n == 0 || lossy) {
        std::memset(m_szFileName, 0, sizeof m_szFileName);
        CString text;
        AfxFormatString1(text, AFX_IDP_FAILED_TO_OPEN_DOC, lpszPathName);
        CString invalid;
        invalid.LoadString(AFX_IDP_INVALID_FILENAME);
        AfxMessageBox(text + L"\n" + invalid, MB_OK | MB_ICONEXCLAMATION | OrvikRtlFlag());
        return FALSE;
    }
    return LoadImage(0) == SUCCESS;
}

COzuFreeView* COzuFreeDoc::GetView() const
{
    POSITION pos = GetFirstViewPosition();
    return pos ? DYNAMIC_DOWNCAST(COzuFreeView, GetNextView(pos)) : nullptr;
}

int COzuFreeDoc::LoadImage(int closeOnFailure)
{
    COzuFreeView* view = GetView();
    if (!AfxGetApp() || !view)
        return 0;
    CStillImageWnd& wnd = view->m_wndImage;
    wnd.SetFileName(m_szFileName);
    LOADFILEOPTION options = {};
    LBaseFile::GetDefaultLoadFileOption(&options, sizeof options);
    options.PageNumber = 0;
    options.Reserved1 = 0;
    FILEINFO info = {};
    info.uStructSize = sizeof info;
    wnd.File().GetInfo(&info, sizeof info, FILEINFO_TOTALPAGES, &options);
    wnd.EnableLoop(TRUE);
    wnd.EnableAutoAnimate(TRUE);
    const int rc = wnd.Load(info.BitsPerPixel, ORDER_BGRORGRAY, &options, nullptr);
    if (rc == SUCCESS && g_bLangArabic)
        wnd.Reverse();
    if (rc != SUCCESS) {
        LBase::DisplayErrorFromList(nullptr, 0);
        if (closeOnFailure == 1)
            if (CFrameWnd* frame = view->GetParentFrame())
                frame->DestroyWindow();
    }
    return rc;
}

void COzuFreeDoc::OnCloseDocument()
{
    COzuFreeView* view = GetView();
    if (view && view->m_bModified && view->m_bSavePrompt) {
        CString text, caption;
        text.LoadString(IDS_SAVE_IMAGE_PROMPT);
        caption.LoadString(IDS_HINT);
        const UINT type = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TOPMOST | OrvikRtlFlag();
        // Yes with a cancelled or failed save keeps the window and its
        // changes: the user asked for them to be kept.
        if (AfxScriptedMessageBox(view->GetSafeHwnd(), text, caption, type) == IDYES && !view->SaveImage())
            return;
    }
    CDocument::OnCloseDocument();
}
