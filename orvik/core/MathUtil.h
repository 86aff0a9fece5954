// Small helpers of the camera dialogs and commands: rounding, resolution texts.
#pragma once

// Rounds value in place to `decimals` places, halves away from zero. Values
// too large to carry that many decimals, and decimals outside 0..9, leave it
// as it is.
void RoundFloat(float& value, int decimals);

// The resolution index of a resolution combo box text, "640 X 480" (0) to
// "2592 X 1944" (5); `current` for any other text.
int OrvikResolutionIndex(const wchar_t* text, int current);
