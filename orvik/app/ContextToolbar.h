// A toolbar that keeps a row of its own and shows or hides ranges of its
// command buttons.
#pragma once

#include <Toolkit.h>

class CContextToolbar : public CBCGPToolBar {
    DECLARE_SERIAL(CContextToolbar)
public:
    CContextToolbar();
    // All the room there is while the bar has its row to itself.
    int GetAvailableExpandSize() const override;
    // Every button whose command lies in first..last (inclusive) shown or
    // hidden; the layout recomputed when adjust is set.
    void ShowCommandButtons(UINT first, UINT last, BOOL show, BOOL adjust);
};
