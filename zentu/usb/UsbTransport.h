// The Zentu camera's kernel-driver protocol: vendor requests over one control
// code, sensor bring-up, and raw frames read in chunks with four reads in
// flight. Also used by the Hestral library (same driver, other chunk sizes).
#pragma once
#include <windows.h>
#include <cstdint>
#include "Pipeline.h"

constexpr DWORD IOCTL_CAMERA_VENDOR_REQUEST = 0x222059;
constexpr DWORD kChunkBufferBytes = 524800; // one chunk of up to 524,288 and 512 spare
constexpr BYTE kRequestStatusOk = 8;

struct CUsbTransport {
    uint32_t chunkSize;
    uint32_t frameSize;
    int32_t rawWidth;
    int32_t rawHeight;
    BYTE chunks[4][kChunkBufferBytes];
    int32_t open;
    HANDLE device;
    HANDLE readEvents[4]; // the reads' completion events, kept from frame to frame
};

// A transport with the handle invalid and the open flag clear; null when
// its memory or its read events cannot be had.
CUsbTransport* CreateTransport();
int OpenTransport(CUsbTransport* t);
void GetRawFrameGeometry(CUsbTransport* t, int sizeIndex);
int WriteSensorRegister(CUsbTransport* t, WORD value, WORD reg);
int ReadSensorRegister(CUsbTransport* t, WORD* value);
int ReadDeviceMemory(CUsbTransport* t, WORD address, WORD* word);
int InitSensor(CUsbTransport* t);
void ConfigureSensorWindow(int sizeIndex, CUsbTransport* t);
void SetSensorGain(CUsbTransport* t, int gain);
// The exposure in rows, and the fast (48 MHz) or normal pixel clock.
void SetSensorExposure(CUsbTransport* t, WORD rows);
void SetSensorSpeed(CUsbTransport* t, bool fast);
WORD SensorGainRegister(int gain);
void UsbStartStream(CUsbTransport* t);
void UsbStopStream(CUsbTransport* t);
// 1 a whole frame, 0 no frame this time, negative a failed read.
int ReadRawFrame(CUsbTransport* t, BYTE* destination);
void FreeTransport(CUsbTransport* t);
// Makes the reads in flight fail at once, so that a stalled camera cannot
// hold a reader for ever; ReadRawFrame then returns negative.
void CancelTransportReads(CUsbTransport* t);
// The defect table of a size from the camera's memory; the list is emptied
// first, so any failure leaves it empty. Nonzero on success.
int ReadDefectTable(CUsbTransport* t, int sizeIndex, DefectList* list);

// The pieces shared with other clients of the driver.
// One vendor request; the reply bytes and their number come back.
BOOL SendVendorRequest(HANDLE device, BYTE direction, BYTE request, WORD value, WORD index,
                       BYTE* reply, DWORD replyBytes, DWORD* got);
// One raw frame of frameSize bytes in chunks of chunkSize (at most
// kChunkBufferBytes) through four overlapped reads, each whole chunk straight
// into the destination where it fits, the rest through the chunk buffers.
// readEvents: four manual-reset events of the caller's for the reads, or null
// to have them made for this frame alone. 1 a whole frame, 0 none this time,
// negative a failed read; the destination's bytes count only on 1.
int ReadChunkedFrame(HANDLE device, BYTE (*chunks)[kChunkBufferBytes], DWORD chunkSize,
                     DWORD frameSize, BYTE* destination, const HANDLE* readEvents = nullptr);
// The four events a caller keeps for ReadChunkedFrame; false (none left
// open) when one cannot be made.
bool CreateReadEvents(HANDLE (&events)[4]);
void CloseReadEvents(HANDLE (&events)[4]);
using ReadWordFn = int (*)(void* context, WORD address, WORD* word);
int ReadDefectTableWith(ReadWordFn readWord, void* context, int sizeIndex, DefectList* list);

// Capture start as both deliverables run it: open, geometry, bring-up,
// window, pixel clock, exposure limits, defect table, exposure and gain.
// Returns the transport, or null (and nothing left open) when any step failed.
CUsbTransport* StartCaptureSequence(ZentuOwner& owner);
// Capture stop after the frame reader has ended: stream off, free.
void StopCaptureSequence(CUsbTransport* t);
