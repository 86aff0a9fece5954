// Small pieces the camera adjust panels share: their picture buttons, "%d"
// labels, and enabling every control at once.
#pragma once

#include <ToolkitControls.h>

// The video control dialog's lamp buttons, which the panels' presets follow.
constexpr UINT kVideoBoxLed = 1104;
constexpr UINT kVideoBoxHalogen = 1105;

struct AdjustButton {
    CBCGPButton* button;
    UINT image, caption, tip;
};
// Flat picture buttons with a hand cursor, their captions and tooltips from
// the string table.
void DressAdjustButtons(const AdjustButton* buttons, size_t count);

void SetLabelInt(HWND dlg, UINT id, int value);
void EnableChildren(HWND dlg, BOOL enable);
