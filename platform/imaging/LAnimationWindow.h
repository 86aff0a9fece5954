// The bitmap window that multi-frame files would play in. Our files hold one
// frame each, so looping and animation are switches without effect.
#pragma once

#include "LBitmapWindow.h"

class LAnimationWindow : public LBitmapWindow {
public:
    L_INT EnableLoop(BOOL enable) { m_loop = enable; return SUCCESS; }
    L_INT EnableAutoAnimate(BOOL enable) { m_autoAnimate = enable; return SUCCESS; }
    BOOL IsLoopEnabled() const { return m_loop; }
    BOOL IsAutoAnimateEnabled() const { return m_autoAnimate; }

private:
    BOOL m_loop = FALSE;
    BOOL m_autoAnimate = FALSE;
};
