#pragma once

// [Camera] CamType: which camera road Orvik takes. The values are the
// settings file's; start-up makes anything outside them kCamNone.
enum CamType : int {
    kCamMarrowin = 0,    // the Marrowin library, "Camera-S3K"
    kCamNone = 1,        // still images only, no live preview
    kCamDirectShow = 2,  // a Trevlo graph; CamSubType picks the model
    kCamHestralT6M = 3,  // types 3..6: the Hestral library
    kCamHestralT4M = 4,
    kCamHestralT2W = 5,
    kCamHestralT8M = 6,
};
