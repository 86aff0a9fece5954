// One application's session with the camera, from MSG_OPENDS to MSG_CLOSEDS.
#pragma once
#include "USBDevice.h"

#include <memory>

struct CCameraSession {
    std::unique_ptr<CUSBDevice> device;
    char fileName[256] = {};  // for file transfers, at most 255 characters
    // A memory transfer's picture, taken at its first strip so that every
    // strip comes from the same frame; the next row to hand out.
    std::unique_ptr<BYTE[]> strips;
    int stripWidth = 0, stripHeight = 0, nextRow = 0;
};
