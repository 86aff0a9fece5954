// The TWAIN session of the Zentu source: states 3 to 7, the triplets it
// answers, its source dialog and the transfers. DS_Entry runs on the
// application's thread, and so does everything here.
#pragma once
#include "CameraSession.h"
#include "CapabilityTable.h"
#include "TwainProtocol.h"

#include <memory>

enum class TwainState { Loaded = 3, Open = 4, Enabled = 5, Ready = 6, Transferring = 7 };

class CDataSource {
public:
    CDataSource();
    ~CDataSource();
    CDataSource(const CDataSource&) = delete;
    CDataSource& operator=(const CDataSource&) = delete;

    TW_UINT16 Entry(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

private:
    // Fails with a condition code: TWRC_FAILURE.
    TW_UINT16 Fail(TW_UINT16 condition);
    bool In(TwainState low, TwainState high) const { return m_state >= low && m_state <= high; }
    TW_UINT16 Dispatch(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* cap);
    TW_UINT16 Identity(pTW_IDENTITY origin, TW_UINT16 msg, pTW_IDENTITY data);
    TW_UINT16 UserInterface(TW_UINT16 msg, TW_USERINTERFACE* ui);
    TW_UINT16 PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending);
    TW_UINT16 SetupMemory(TW_UINT16 msg, TW_SETUPMEMXFER* setup);
    TW_UINT16 SetupFile(TW_UINT16 msg, TW_SETUPFILEXFER* setup);
    TW_UINT16 ImageInfo(TW_UINT16 msg, TW_IMAGEINFO* info);
    TW_UINT16 ImageLayout(TW_UINT16 msg, TW_IMAGELAYOUT* layout);
    TW_UINT16 NativeTransfer(TW_UINT16 msg, TW_HANDLE* dib);
    TW_UINT16 MemoryTransfer(TW_UINT16 msg, TW_IMAGEMEMXFER* xfer);
    TW_UINT16 FileTransfer(TW_UINT16 msg);
    // The current frame as a DIB in movable memory, or null.
    HGLOBAL NativeDib();
    void CloseSession();
    void LoadIdentity();

    // To the application through the Source Manager.
    void Notify(TW_UINT16 msg);

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnFirstFrame();
    void OnPreviewFailed();
    void OnCapture();

    std::unique_ptr<CCameraSession> m_session;
    CCapabilityTable m_caps;
    TW_IDENTITY m_identity = {};
    TW_IDENTITY m_app = {};
    bool m_identityLoaded = false;
    TW_UINT16 m_condition = TWCC_SUCCESS;
    TwainState m_state = TwainState::Loaded;
    HWND m_parent = nullptr;
    HWND m_dialog = nullptr;
    // Enabled without the source dialog shown: the first frame is offered
    // to the application at once, and a camera failure asks it to close.
    bool m_noUi = false;
    // Held from MSG_OPENDS to MSG_CLOSEDS, so that the module stays loaded
    // while its threads may run.
    HMODULE m_self = nullptr;
};
