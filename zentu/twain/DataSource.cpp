#include "DataSource.h"
#include "ZentuTwainRes.h"

#include <commctrl.h>
#include <commdlg.h>
#include <cstring>
#include <new>

namespace {

// The application's memory-transfer buffer: a pointer, or a handle to lock.
class AppBuffer {
public:
    explicit AppBuffer(const TW_MEMORY& m) : m_memory(m)
    {
        m_bytes = (m.Flags & TWMF_HANDLE) ? static_cast<BYTE*>(GlobalLock(m.TheMem)) : static_cast<BYTE*>(m.TheMem);
    }
    ~AppBuffer()
    {
        if ((m_memory.Flags & TWMF_HANDLE) && m_bytes)
            GlobalUnlock(m_memory.TheMem);
    }
    AppBuffer(const AppBuffer&) = delete;
    AppBuffer& operator=(const AppBuffer&) = delete;
    BYTE* Bytes() const { return m_bytes; }

private:
    TW_MEMORY m_memory;
    BYTE* m_bytes;
};

DWORD DibStride(int width)
{
    return DWORD((width * 24 + 31) >> 5) * 4;
}

void CenterWindow(HWND window, HWND over)
{
    RECT r, area;
    GetWindowRect(window, &r);
    if (!over || !GetWindowRect(over, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

CDataSource::CDataSource() = default;

CDataSource::~CDataSource()
{
    CloseSession();
}

TW_UINT16 CDataSource::Fail(TW_UINT16 condition)
{
    m_condition = condition;
    return TWRC_FAILURE;
}

void CDataSource::LoadIdentity()
{
    if (m_identityLoaded)
        return;
    m_identityLoaded = true;
    TW_IDENTITY& id = m_identity;
    id.Id = 0;
    id.Version.MajorNum = 1;
    id.Version.MinorNum = 0;
    id.Version.Language = 86;
    id.Version.Country = 86;
    LoadStringA(g_twainModule, IDS_INFO, id.Version.Info, sizeof id.Version.Info);
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 8;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    LoadStringA(g_twainModule, IDS_MANUFACTURER, id.Manufacturer, sizeof id.Manufacturer);
    LoadStringA(g_twainModule, IDS_FAMILY, id.ProductFamily, sizeof id.ProductFamily);
    LoadStringA(g_twainModule, IDS_PRODUCT, id.ProductName, sizeof id.ProductName);
}

TW_UINT16 CDataSource::Entry(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    LoadIdentity();
    // One application at a time; another's MSG_OPENDS goes on to be told so.
    if (m_app.Id != 0 && (!origin || origin->Id != m_app.Id) && !(dat == DAT_IDENTITY && msg == MSG_OPENDS))
        return TWRC_FAILURE;

    if (msg == MSG_PROCESSEVENT) {
        TW_EVENT* event = static_cast<TW_EVENT*>(data);
        if (event && event->pEvent && m_dialog && IsDialogMessageA(m_dialog, static_cast<MSG*>(event->pEvent))) {
            event->TWMessage = MSG_NULL;
            return TWRC_DSEVENT;
        }
        return TWRC_NOTDSEVENT;
    }
    if (dg != DG_CONTROL && dat != DAT_STATUS)
        m_condition = TWCC_SUCCESS;
    return Dispatch(origin, dg, dat, msg, data);
}

TW_UINT16 CDataSource::Dispatch(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    if (dg == DG_CONTROL) {
        switch (dat) {
        case DAT_CAPABILITY: return Capability(msg, static_cast<TW_CAPABILITY*>(data));
        case DAT_IDENTITY: return Identity(origin, msg, static_cast<pTW_IDENTITY>(data));
        case DAT_PENDINGXFERS: return PendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
        case DAT_SETUPMEMXFER: return SetupMemory(msg, static_cast<TW_SETUPMEMXFER*>(data));
        case DAT_SETUPFILEXFER: return SetupFile(msg, static_cast<TW_SETUPFILEXFER*>(data));
        case DAT_USERINTERFACE: return UserInterface(msg, static_cast<TW_USERINTERFACE*>(data));
        case DAT_STATUS: {
            TW_STATUS* status = static_cast<TW_STATUS*>(data);
            if (msg != MSG_GET)
                return Fail(TWCC_BADPROTOCOL);
            if (!status)
                return Fail(TWCC_BADVALUE);
            status->ConditionCode = m_condition;
            status->Reserved = 0;
            m_condition = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        }
        case DAT_XFERGROUP: {
            TW_UINT32* group = static_cast<TW_UINT32*>(data);
            if (msg == MSG_SET)
                return TWRC_SUCCESS;
            if (msg != MSG_GET && msg != MSG_GETCURRENT && msg != MSG_GETDEFAULT && msg != MSG_RESET)
                return Fail(TWCC_BADPROTOCOL);
            if (!group)
                return Fail(TWCC_BADVALUE);
            *group = DG_IMAGE;
            return TWRC_SUCCESS;
        }
        }
    } else if (dg == DG_IMAGE) {
        switch (dat) {
        case DAT_IMAGEINFO: return ImageInfo(msg, static_cast<TW_IMAGEINFO*>(data));
        case DAT_IMAGELAYOUT: return ImageLayout(msg, static_cast<TW_IMAGELAYOUT*>(data));
        case DAT_IMAGEMEMXFER: return MemoryTransfer(msg, static_cast<TW_IMAGEMEMXFER*>(data));
        case DAT_IMAGENATIVEXFER: return NativeTransfer(msg, static_cast<TW_HANDLE*>(data));
        case DAT_IMAGEFILEXFER: return FileTransfer(msg);
        case DAT_PALETTE8: {
            TW_PALETTE8* palette = static_cast<TW_PALETTE8*>(data);
            if (msg != MSG_GET)
                return Fail(TWCC_BADPROTOCOL);
            if (!In(TwainState::Open, TwainState::Ready))
                return Fail(TWCC_SEQERROR);
            if (!palette)
                return Fail(TWCC_BADVALUE);
            palette->NumColors = 0;
            palette->PaletteType = TWPA_CIE;
            return TWRC_SUCCESS;
        }
        }
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 CDataSource::Capability(TW_UINT16 msg, TW_CAPABILITY* cap)
{
    TW_UINT16 condition = TWCC_SUCCESS;
    const TW_UINT16 rc = m_caps.Handle(msg, cap, &condition);
    // Applications older than 1.6 know no code past TWCC_BADDEST.
    if (condition > TWCC_BADDEST && m_app.ProtocolMajor < 2 && m_app.ProtocolMinor <= 5)
        condition = TWCC_BADCAP;
    m_condition = condition;
    return rc;
}

TW_UINT16 CDataSource::Identity(pTW_IDENTITY origin, TW_UINT16 msg, pTW_IDENTITY data)
{
    switch (msg) {
    case MSG_GET:
        if (!data)
            return Fail(TWCC_BADVALUE);
        *data = m_identity;
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        if (m_state != TwainState::Loaded)
            return Fail(TWCC_MAXCONNECTIONS);
        if (!data || !origin)
            return Fail(TWCC_BADVALUE);
        if (!m_session) {
            std::unique_ptr<CCameraSession> session(new (std::nothrow) CCameraSession);
            if (session)
                session->device = CUSBDevice::Create();
            if (!session || !session->device) {
                char text[64] = {};
                LoadStringA(g_twainModule, IDS_OPEN_FAILED, text, sizeof text);
                MessageBoxA(nullptr, text, "", MB_OK | MB_ICONWARNING);
                return Fail(TWCC_SEQERROR);
            }
            m_session = std::move(session);
        }
        m_app = *origin;
        m_identity = *data;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&DialogProc), &m_self);
        m_state = TwainState::Open;
        return TWRC_SUCCESS;
    case MSG_CLOSEDS:
        if (!In(TwainState::Open, TwainState::Transferring))
            return Fail(TWCC_SEQERROR);
        CloseSession();
        m_app = TW_IDENTITY{};
        m_state = TwainState::Loaded;
        if (m_self) {
            // The manager holds the module too while it calls in here.
            FreeLibrary(m_self);
            m_self = nullptr;
        }
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

void CDataSource::CloseSession()
{
    if (m_dialog)
        DestroyWindow(m_dialog);  // stops the preview
    m_dialog = nullptr;
    m_session.reset();
}

TW_UINT16 CDataSource::UserInterface(TW_UINT16 msg, TW_USERINTERFACE* ui)
{
    switch (msg) {
    case MSG_ENABLEDS: {
        if (m_state != TwainState::Open)
            return Fail(TWCC_SEQERROR);
        if (!ui)
            return Fail(TWCC_BADVALUE);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        m_parent = static_cast<HWND>(ui->hParent);
        m_noUi = !ui->ShowUI;
        // The dialog's WM_INITDIALOG starts the preview; it must find the
        // state enabled, since the first frame may already be offered.
        m_state = TwainState::Enabled;
        m_dialog = CreateDialogParamA(g_twainModule, MAKEINTRESOURCEA(g_twainChinese ? IDD_SOURCE_ZH : IDD_SOURCE_EN),
                                      IsWindow(m_parent) ? m_parent : nullptr, DialogProc, LPARAM(this));
        if (!m_dialog) {
            m_state = TwainState::Open;
            return Fail(TWCC_LOWMEMORY);
        }
        if (ui->ShowUI) {
            CenterWindow(m_dialog, nullptr);
            ShowWindow(m_dialog, SW_SHOW);
        }
        return TWRC_SUCCESS;
    }
    case MSG_DISABLEDS:
        if (!In(TwainState::Enabled, TwainState::Transferring))
            return Fail(TWCC_SEQERROR);
        if (m_dialog)
            DestroyWindow(m_dialog);
        m_dialog = nullptr;
        if (m_session)
            m_session->strips.reset();
        m_state = TwainState::Open;
        return TWRC_SUCCESS;
    }
    return Fail(TWCC_BADPROTOCOL);
}

TW_UINT16 CDataSource::PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending)
{
    if (msg != MSG_GET && msg != MSG_ENDXFER && msg != MSG_RESET)
        return Fail(TWCC_BADPROTOCOL);
    if (!pending)
        return Fail(TWCC_BADVALUE);
    const bool ok = msg == MSG_GET     ? In(TwainState::Open, TwainState::Transferring)
                    : msg == MSG_RESET ? In(TwainState::Ready, TwainState::Transferring)
                                       : m_state == TwainState::Transferring;
    if (!ok)
        return Fail(TWCC_SEQERROR);
    pending->Count = 0;
    pending->EOJ = 0;
    if (msg != MSG_GET) {
        if (m_session)
            m_session->strips.reset();
        m_state = TwainState::Enabled;
    }
    return TWRC_SUCCESS;
}

TW_UINT16 CDataSource::SetupMemory(TW_UINT16 msg, TW_SETUPMEMXFER* setup)
{
    if (msg != MSG_GET)
        return Fail(TWCC_BADPROTOCOL);
    if (!In(TwainState::Open, TwainState::Ready))
        return Fail(TWCC_SEQERROR);
    if (!setup)
        return Fail(TWCC_BADVALUE);
    int w = 0, h = 0;
    if (m_session)
        m_session->device->GetFrameSize(&w, &h);
    if (w > 0 && h > 0) {
        setup->MinBufSize = setup->MaxBufSize = setup->Preferred = TW_UINT32(w) * TW_UINT32(h) * 3;
    } else {
        setup->MinBufSize = 0x4000;
        setup->MaxBufSize = setup->Preferred = 0xFFFF;
    }
    return TWRC_SUCCESS;
}

TW_UINT16 CDataSource::SetupFile(TW_UINT16 msg, TW_SETUPFILEXFER* setup)
{
    if (msg != MSG_GET && msg != MSG_GETCURRENT && msg != MSG_GETDEFAULT && msg != MSG_SET)
        return Fail(TWCC_BADPROTOCOL);
    if (!In(TwainState::Open, TwainState::Ready))
        return Fail(TWCC_SEQERROR);
    if (!setup || !m_session)
        return Fail(TWCC_BADVALUE);
    if (msg == MSG_SET) {
        // The field need not be terminated: at most 255 characters are taken.
        char name[256] = {};
        std::memcpy(name, setup->FileName, 255);
        HANDLE f = CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return Fail(TWCC_BADVALUE);
        CloseHandle(f);
        std::memcpy(m_session->fileName, name, sizeof name);
        return TWRC_SUCCESS;
    }
    char name[MAX_PATH] = {};
    char title[64] = {};
    LoadStringA(g_twainModule, IDS_SAVE_TITLE, title, sizeof title);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_dialog ? m_dialog : (IsWindow(m_parent) ? m_parent : nullptr);
    ofn.lpstrFilter = "Image Files\0*.bmp\0All Files\0*.*\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = "bmp";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&ofn))
        return Fail(TWCC_SUCCESS);  // the operator cancelled
    std::memset(setup->FileName, 0, sizeof setup->FileName);
    std::memcpy(setup->FileName, name, strnlen(name, 255));
    setup->Format = TWFF_BMP;
    setup->VRefNum = 0;
    return TWRC_SUCCESS;
}

TW_UINT16 CDataSource::ImageInfo(TW_UINT16 msg, TW_IMAGEINFO* info)
{
    if (msg != MSG_GET)
        return Fail(TWCC_BADPROTOCOL);
    if (m_state != TwainState::Ready)
        return Fail(TWCC_SEQERROR);
    if (!info)
        return Fail(TWCC_BADVALUE);
    int w = 0, h = 0;
    m_session->device->GetFrameSize(&w, &h);
    *info = TW_IMAGEINFO{};
    info->ImageWidth = w;
    info->ImageLength = h;
    info->SamplesPerPixel = 3;
    for (int i = 0; i < 4; i++)
        info->BitsPerSample[i] = 8;
    info->BitsPerPixel = 24;
    info->Planar = 0;
    info->PixelType = TWPT_RGB;
    info->Compression = TWCP_NONE;
    return TWRC_SUCCESS;
}

TW_UINT16 CDataSource::ImageLayout(TW_UINT16 msg, TW_IMAGELAYOUT* layout)
{
    if (msg == MSG_SET || msg == MSG_RESET)
        return TWRC_SUCCESS;
    if (msg != MSG_GET && msg != MSG_GETCURRENT && msg != MSG_GETDEFAULT)
        return Fail(TWCC_BADPROTOCOL);
    if (!layout)
        return Fail(TWCC_BADVALUE);
    int w = 0, h = 0;
    if (m_session)
        m_session->device->GetFrameSize(&w, &h);
    *layout = TW_IMAGELAYOUT{};
    layout->Frame.Left = layout->Frame.Top = CCapabilityTable::ToFix32(0);
    layout->Frame.Right = CCapabilityTable::ToFix32(float(w));
    layout->Frame.Bottom = CCapabilityTable::ToFix32(float(h));
    return TWRC_SUCCESS;
}

HGLOBAL CDataSource::NativeDib()
{
    int w = 0, h = 0;
    m_session->device->GetFrameSize(&w, &h);
    if (w <= 0 || h <= 0)
        return nullptr;
    const DWORD imageBytes = DibStride(w) * DWORD(h);
    HGLOBAL dib = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + imageBytes);
    if (!dib)
        return nullptr;
    BITMAPINFOHEADER* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = w;
    header->biHeight = h;
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biCompression = BI_RGB;
    header->biSizeImage = imageBytes;
    const FrameDescriptor frame = {reinterpret_cast<BYTE*>(header + 1), imageBytes, false};
    const int grabbed = m_session->device->GrabFrame(&frame);
    GlobalUnlock(dib);
    if (!grabbed) {
        GlobalFree(dib);
        return nullptr;
    }
    return dib;
}

TW_UINT16 CDataSource::NativeTransfer(TW_UINT16 msg, TW_HANDLE* dib)
{
    if (msg != MSG_GET)
        return Fail(TWCC_BADPROTOCOL);
    if (m_state != TwainState::Ready)
        return Fail(TWCC_SEQERROR);
    if (!dib)
        return Fail(TWCC_BADVALUE);
    HGLOBAL h = NativeDib();
    if (!h)
        return Fail(TWCC_OPERATIONERROR);
    *dib = h;
    m_state = TwainState::Transferring;
    return TWRC_XFERDONE;
}

TW_UINT16 CDataSource::FileTransfer(TW_UINT16 msg)
{
    if (msg != MSG_GET)
        return Fail(TWCC_BADPROTOCOL);
    if (m_state != TwainState::Ready)
        return Fail(TWCC_SEQERROR);
    HGLOBAL dib = NativeDib();
    if (!dib)
        return Fail(TWCC_OPERATIONERROR);
    const SIZE_T dibBytes = GlobalSize(dib);
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    const DWORD imageBytes = ((24 * DWORD(header->biWidth) + 31) / 32) * DWORD(header->biHeight) * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfSize = imageBytes + 54;
    file.bfOffBits = 54;
    bool written = false;
    HANDLE f = CreateFileA(m_session->fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD put = 0, put2 = 0;
        const DWORD body = DWORD(sizeof(BITMAPINFOHEADER) + imageBytes);
        written = body <= dibBytes && WriteFile(f, &file, sizeof file, &put, nullptr) && put == sizeof file &&
                  WriteFile(f, header, body, &put2, nullptr) && put2 == body;
        CloseHandle(f);
        if (!written)
            DeleteFileA(m_session->fileName);
    }
    GlobalUnlock(dib);
    GlobalFree(dib);
    if (!written)
        return Fail(TWCC_OPERATIONERROR);
    m_condition = TWCC_SUCCESS;
    m_state = TwainState::Transferring;
    return TWRC_XFERDONE;
}

// Strips of whole rows, each at most the application's buffer long; the
// buffer is the application's and is never reallocated.
TW_UINT16 CDataSource::MemoryTransfer(TW_UINT16 msg, TW_IMAGEMEMXFER* xfer)
{
    if (msg != MSG_GET)
        return Fail(TWCC_BADPROTOCOL);
    CCameraSession* s = m_session.get();
    const bool continuing = m_state == TwainState::Transferring && s && s->strips;
    if (m_state != TwainState::Ready && !continuing)
        return Fail(TWCC_BADPROTOCOL);
    if (!xfer)
        return Fail(TWCC_BADVALUE);
    if (!continuing) {
        int w = 0, h = 0;
        s->device->GetFrameSize(&w, &h);
        const DWORD bytes = DWORD(w) * DWORD(h) * 3;
        s->strips.reset(w > 0 && h > 0 ? new (std::nothrow) BYTE[bytes] : nullptr);
        const FrameDescriptor frame = {s->strips.get(), bytes, true};
        if (!s->strips || !s->device->GrabFrame(&frame)) {
            s->strips.reset();
            return Fail(TWCC_OPERATIONERROR);
        }
        s->stripWidth = w;
        s->stripHeight = h;
        s->nextRow = 0;
    }
    const DWORD row = DWORD(s->stripWidth) * 3;
    const DWORD rows = std::min<DWORD>(xfer->Memory.Length / row, DWORD(s->stripHeight - s->nextRow));
    AppBuffer buffer(xfer->Memory);
    if (rows == 0 || !buffer.Bytes()) {
        // Not one row fits: nothing was handed over, the application may try
        // again with a larger buffer.
        if (!continuing)
            s->strips.reset();
        return Fail(TWCC_BADVALUE);
    }
    std::memcpy(buffer.Bytes(), s->strips.get() + size_t(s->nextRow) * row, size_t(rows) * row);
    xfer->Compression = TWCP_NONE;
    xfer->BytesPerRow = row;
    xfer->Columns = DWORD(s->stripWidth);
    xfer->Rows = rows;
    xfer->XOffset = 0;
    xfer->YOffset = DWORD(s->nextRow);
    xfer->BytesWritten = rows * row;
    s->nextRow += int(rows);
    m_state = TwainState::Transferring;
    if (s->nextRow < s->stripHeight)
        return TWRC_SUCCESS;
    s->strips.reset();
    return TWRC_XFERDONE;
}

void CDataSource::Notify(TW_UINT16 msg)
{
    HMODULE dsm = LoadLibraryA("twain_32.dll");
    if (!dsm)
        return;
    DSMENTRYPROC entry = reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void*>(GetProcAddress(dsm, "DSM_Entry")));
    // From this source to its application: the manager finds the source by
    // the origin.
    if (entry)
        entry(&m_identity, &m_app, DG_CONTROL, DAT_NULL, msg, nullptr);
    FreeLibrary(dsm);
}

void CDataSource::OnCapture()
{
    if (m_state != TwainState::Enabled)
        return;
    m_state = TwainState::Ready;
    Notify(MSG_XFERREADY);
}

void CDataSource::OnFirstFrame()
{
    if (m_noUi)
        OnCapture();
}

void CDataSource::OnPreviewFailed()
{
    // Without the dialog on screen nobody could press Cancel.
    if (m_noUi)
        Notify(MSG_CLOSEDSREQ);
}

INT_PTR CALLBACK CDataSource::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        CDataSource* ds = reinterpret_cast<CDataSource*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, LONG_PTR(ds));
        ds->m_dialog = dialog;
        ds->m_session->device->OnInitDialog(dialog);
        return TRUE;
    }
    CDataSource* ds = reinterpret_cast<CDataSource*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!ds || !ds->m_session)
        return FALSE;
    CUSBDevice* device = ds->m_session->device.get();
    switch (msg) {
    case CUSBDevice::kFrameMessage:
        if (device->OnFrameMessage(dialog, wParam))
            ds->OnFirstFrame();
        else if (!wParam)
            ds->OnPreviewFailed();
        return TRUE;
    case WM_DRAWITEM:
        device->OnDrawItem(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CAPTURE: ds->OnCapture(); return TRUE;
        case IDCANCEL: ds->Notify(MSG_CLOSEDSREQ); return TRUE;
        default: device->OnCommand(dialog, wParam, lParam); return TRUE;
        }
    case WM_DESTROY:
        // Only the preview ends with the dialog; the session lives until
        // MSG_CLOSEDS.
        device->StopPreview();
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// The module

namespace {
CDataSource* g_source = nullptr;
}

extern "C" TW_UINT16 WINAPI DS_Entry(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                      TW_MEMREF data)
{
    return g_source ? g_source->Entry(origin, dg, dat, msg, data) : TWRC_FAILURE;
}

// Plain memory work only: nothing here may wait on a thread or load a module.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_twainModule = instance;
        const LANGID lang = GetUserDefaultLangID();
        g_twainChinese = PRIMARYLANGID(lang) == LANG_CHINESE && SUBLANGID(lang) == 2;
        DisableThreadLibraryCalls(instance);
        g_source = new (std::nothrow) CDataSource;
        return g_source != nullptr;
    }
    if (reason == DLL_PROCESS_DETACH) {
        // At process exit the threads are gone already; a FreeLibrary comes
        // only with no session open, since a session holds the module.
        if (!reserved)
            delete g_source;
        g_source = nullptr;
    }
    return TRUE;
}
