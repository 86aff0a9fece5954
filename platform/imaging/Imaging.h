// The imaging layer: bitmaps, BMP and JPEG files, processing and bitmap
// windows for Orvik's still images. One include for the callers.
#pragma once

#include "LBase.h"
#include "LBitmapBase.h"
#include "LBitmap.h"
#include "LBaseFile.h"
#include "LFile.h"
#include "LDialogFile.h"
#include "LBitmapWindow.h"
#include "LAnimationWindow.h"
