// The live picture's mirror (horizontal) and flip (vertical) applied to the
// camera of the configured path from the program-wide flags: the video
// dialog's flip handlers and the live document's flip commands use it.
#pragma once

enum LiveFlipAxis { kFlipHorizontal = 0, kFlipVertical = 1 };

// The flag of `axis` (g_HorizontalFlip or g_VerticalFlip) to the camera:
// Marrowin both flags at once, the UVC property library for sub-types 5 to 7,
// the live graph's processing filter for the other DirectShow cameras, the
// Hestral library's mirror. False when the camera refused it or there is none.
bool ApplyLiveFlip(LiveFlipAxis axis);
