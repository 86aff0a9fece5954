// The still-image view. For now it knows only whether its picture has
// unsaved changes, which closing the frame asks about.
#pragma once

#include <AfxWindows.h>

class COzuFreeView : public CScrollView {
    DECLARE_DYNCREATE(COzuFreeView)
public:
    COzuFreeView();
    // The picture was changed since it was last saved.
    BOOL m_bModified;
    // Asked on closing whether to save the picture.
    BOOL m_bSavePrompt;
    virtual BOOL HasUnsavedChanges() const { return m_bModified && m_bSavePrompt; }
    virtual void SaveImage() {}
    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
};
