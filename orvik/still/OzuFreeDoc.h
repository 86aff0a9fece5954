// The document of one still image. The picture lives in the view's display
// window; the document holds the file name, loads the file into that
// window, titles untitled images "Image1", "Image2", ... and asks whether to
// save a changed image when it closes.
#pragma once

#include <AfxWindows.h>

class COzuFreeView;

class COzuFreeDoc : public CDocument {
    DECLARE_DYNCREATE(COzuFreeDoc)
public:
    COzuFreeDoc();

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCWSTR lpszPathName) override;
    void OnCloseDocument() override;

    // Loads the file named in m_szFileName into the view's display window;
    // the library's result (1 is success). On failure the library's error
    // box, and with closeOnFailure 1 the still-image window closes.
    int LoadImage(int closeOnFailure);
    // The first view, or null while the document has none.
    COzuFreeView* GetView() const;

    // The opened file's path in the ANSI code page; empty when untitled.
    char m_szFileName[260];

    // Untitled documents of the process so far; never lowered.
    static int s_nUntitledCount;
};
