// What the live preview asks of the program's main frame: its camera dialogs
// (video, capture, the adjust dialogs, the UVC panel), full screen, and the
// modal dialogs of recording and capture settings. The main frame implements
// it; a test frame implements it to watch the live view from outside.
#pragma once

#include <AfxWindows.h>

class COrvikDoc;
class CVideoWnd;

// The camera dialogs of the task pane.
enum LiveDialog {
    kLiveVideoBox = 0,      // video control: flips, pause, live, resolution
    kLiveCaptureBox = 1,    // capture: single stills and timed series
    kLivePellixAdjust = 2,  // Marrowin adjust
    kLiveHestralAdjust = 3, // Hestral adjust
    kLiveUvcPanel = 4,      // UVC camera panel
};

class ILiveFrame {
public:
    virtual ~ILiveFrame() = default;

    // Every control of the dialog enabled (FALSE) or disabled (TRUE); a dialog
    // that does not exist is left alone.
    virtual void LockCameraDialog(LiveDialog dialog, BOOL lock) = 0;
    // The video dialog's flip check boxes (1000, 1001) set from the two
    // program-wide flip flags.
    virtual void UpdateFlipChecks() = 0;
    // Check state of the video dialog's box 1000 or 1001 (the update handlers
    // of the flip commands check as it does); the flag itself without one.
    virtual BOOL GetFlipCheck(UINT id) = 0;
    // The video dialog's flip handlers: apply the flags to the live camera.
    virtual void OnHorizontalFlip() = 0;
    virtual void OnVerticalFlip() = 0;
    // A message for the video dialog (0x501 after a Hestral camera started).
    virtual void PostToVideoBox(UINT message) = 0;
    // The Marrowin adjust dialog's one-shot auto exposure.
    virtual void RunPellixAutoExposure() = 0;
    // The UVC panel takes the live video window and loads its settings.
    virtual void StartUvcPanel(CVideoWnd* videoWnd) = 0;
    // The Hestral adjust dialog's controls unlocked and its settings loaded.
    virtual void StartHestralAdjust() = 0;
    // 0 after the video dialog chose the high resolution, 1 the low one.
    virtual int GetResolutionFlag() = 0;
    // The window of a camera dialog, or null when it does not exist.
    virtual HWND GetCameraDialogWnd(LiveDialog) { return nullptr; }
    // The video dialog's resolution choice (0 high, 1 low), and its light
    // source (0 LED, 1 halogen) handed to the dialog that applies it.
    virtual void SetResolutionFlag(int) {}
    virtual void SetLightSource(int) {}
    // The main frame's full-screen mode toggled.
    virtual void ToggleFullScreen() = 0;
    // The modal recording dialog (195) and capture settings dialog (179) on
    // the document.
    virtual INT_PTR DoRecordDialog(COrvikDoc* doc) = 0;
    virtual INT_PTR DoCaptureSettingsDialog(COrvikDoc* doc) = 0;
};

// The main window as the live preview sees it; null when there is none or
// it is not such a frame.
inline ILiveFrame* GetLiveFrame() { return dynamic_cast<ILiveFrame*>(AfxGetMainWnd()); }
