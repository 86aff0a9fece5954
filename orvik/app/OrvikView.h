// The live-preview view. The view made by New preview is the one live
// preview; until the video windows exist it shows an empty video area.
#pragma once

#include <AfxWindows.h>

class COrvikDoc;

class COrvikView : public CView {
    DECLARE_DYNCREATE(COrvikView)
public:
    COrvikView();
    ~COrvikView() override;
    COrvikDoc* GetDocument() const;
    void OnDraw(CDC* pDC) override;
protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
    bool m_bLive;
};
