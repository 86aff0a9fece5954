// The camera as the TWAIN session and its source dialog see it. The getters
// return 1, or 0 for a null out pointer; the setters return 0.
#pragma once
#include <windows.h>

// Where GrabFrame copies the current frame. A memory transfer takes the
// operator's RGB/BGR choice; native and file transfers always take the
// frame as it is, an upright DIB's pixels.
struct FrameDescriptor {
    BYTE* buffer;
    DWORD length;
    bool memoryTransfer;
};

class CTWAIN {
public:
    virtual ~CTWAIN() = default;
    // Of the open stream; 0 and 0 while none is open.
    virtual int GetFrameSize(int* width, int* height) = 0;
    virtual int StartPreview() = 0;
    virtual void StopPreview() = 0;
    // 1 with the current frame copied; 0 without a frame or with too small a buffer.
    virtual int GrabFrame(const FrameDescriptor* frame) = 0;
    // The source dialog's messages that belong to the camera.
    virtual void OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) = 0;
    // Message 1124: true for the first frame of a preview.
    virtual bool OnFrameMessage(HWND dialog, WPARAM ok) = 0;
    virtual void OnDrawItem(HWND dialog, const DRAWITEMSTRUCT* item) = 0;
    virtual void OnInitDialog(HWND dialog) = 0;
    virtual int GetSize(int* index) = 0;
    virtual int GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) = 0;
    virtual int SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) = 0;
    virtual int GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) = 0;
    virtual int SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) = 0;
    virtual int GetGamma(BYTE* gamma) = 0;
    virtual int SetGamma(BYTE gamma) = 0;
    virtual int GetContrast(BYTE* contrast) = 0;
    virtual int SetContrast(BYTE contrast) = 0;
    virtual int GetSaturation(int* enable, BYTE* value) = 0;
    virtual int SetSaturation(int enable, BYTE value) = 0;
    virtual int GetWhiteBlack(int* mono) = 0;
    virtual int SetWhiteBlack(int mono) = 0;
    virtual int GetVFlip(int* flip) = 0;
    virtual int SetVFlip(int flip) = 0;
    virtual int GetHFlip(int* mirror) = 0;
    virtual int SetHFlip(int mirror) = 0;
    virtual int GetHZ(int* fiftyHz) = 0;
    virtual int SetHZ(int fiftyHz) = 0;
    virtual int SetParaTeam(BYTE set) = 0;
    virtual int GetParaTeam(BYTE* set) = 0;
    virtual int SaveParaTeam() = 0;
    virtual int GetExposureUnit(int* microseconds) = 0;
};
