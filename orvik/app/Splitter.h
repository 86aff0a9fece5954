// An MDI child frame that splits its document's views two by two.
#pragma once

#include <AfxExtension.h>
#include <AfxWindows.h>

class CMySplitterWnd : public CMDIChildWnd {
    DECLARE_DYNCREATE(CMySplitterWnd)
public:
    CMySplitterWnd();
    CSplitterWnd m_wndSplitter;
protected:
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
};
