// Still capture of the live camera and the mask file of the mask operations.
#include "OrvikDoc.h"

#include "CameraSdk.h"
#include "GdiScope.h"
#include "LiveFrame.h"
#include "MarkerOverlay.h"
#include "PellixVideoWnd.h"
#include "RealTime.h"
#include "Resource.h"
#include "Settings.h"
#include "StillFrame.h"
#include <AfxDialogs.h>
#include "VideoWnd.h"
#include <Globals.h>
#include <Hestral.h>
#include <ROREREverizaZizidodu.h>
#include <Trevlo.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// Frame format of a Marrowin still: the whole sensor.
constexpr WORD kPellixStillWidth = 2592;
constexpr WORD kPellixStillHeight = 1944;
constexpr DWORD kFormatSettleMs = 200;
// The UVC grab disturbs the DSP gains; they are set again this long after it.
constexpr DWORD kUvcGainRestoreMs = 300;
// JPEG quality factor of a still (2 is the best).
constexpr int kStillQFactor = 10;

// UVC still resolutions by the capture dialog's selection.
const SIZE kUvcStillSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {2048, 1536}, {2592, 1944}};

const wchar_t kNoFrame[] = L"No picture could be taken from the camera; nothing was saved.";
const wchar_t kNotWritten[] = L"The picture could not be written to the file.";
const wchar_t kBadType[] = L"A picture can be saved only as a .jpg or a .bmp file.";
const wchar_t kUnsupportedSize[] = L"The camera takes no still at this resolution; nothing was saved.";
const wchar_t kAnsiPath[] =
    L"The camera library cannot write to this path: its name has characters the system's code page lacks.";

void Report(LPCWSTR text) { AfxMessageBox(text, MB_OK | MB_ICONSTOP | OrvikRtlFlag()); }

}  // namespace

// "bmp" or "jpg", with or without the dot, in any case; 0 for neither.
int StillFileFormat(LPCWSTR ext) {
    if (!ext) return 0;
    if (*ext == L'.') ++ext;
    if (_wcsicmp(ext, L"bmp") == 0) return FILE_BMP;
    if (_wcsicmp(ext, L"jpg") == 0) return FILE_JFIF;
    return 0;
}

namespace {
bool Allocate(std::vector<BYTE>& buffer, size_t bytes) {
    try {
        buffer.assign(bytes, 0);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Written through the imaging library, JPEG encoded from memory; a failed
// save leaves no file behind.
}  // namespace

bool StillFrameToBitmap(const CStillFrame& still, LBitmapBase& bitmap) {
    const int rows = std::abs(still.height);
    if (still.width <= 0 || rows == 0 || still.stride < still.width * 3 ||
        still.pixels.size() < (size_t)still.stride * rows)
        return false;
    const int dibStride = Dib24Stride(still.width);
    const BYTE* bits = still.pixels.data();
    std::vector<BYTE> packed;
    if (still.stride != dibStride) {
        if (!Allocate(packed, (size_t)dibStride * rows)) return false;
        for (int y = 0; y < rows; ++y)
            std::memcpy(&packed[(size_t)y * dibStride], bits + (size_t)y * still.stride, (size_t)still.width * 3);
        bits = packed.data();
    }
    BITMAPINFO info = Dib24Info(still.width, still.height);
    return bitmap.ConvertFromDIB(&info, bits) == SUCCESS;
}

bool WriteStillFrame(const CStillFrame& still, LPCWSTR path, int format) {
    LBitmap bitmap;
    if (!StillFrameToBitmap(still, bitmap)) return false;
    const L_INT saved = format == FILE_JFIF ? bitmap.Save(path, FILE_JFIF, 24, kStillQFactor) : bitmap.Save(path, FILE_BMP, 24);
    if (saved != SUCCESS) {
        ::DeleteFileW(path);
        return false;
    }
    return true;
}

namespace {
// The path in the ANSI code page, or false when a character has no exact
// counterpart there (the library would write another name).
bool ToAnsiPath(LPCWSTR path, std::string& out) {
    BOOL lossy = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.assign((size_t)n, '\0');
    lossy = FALSE;
    n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, &out[0], n, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.resize((size_t)n - 1);
    // Round trip: a code page that maps without a default character but not back is refused too.
    std::wstring back((size_t)n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, out.c_str(), -1, &back[0], n);
    return std::wcscmp(back.c_str(), path) == 0;
}
}  // namespace

// ---------------------------------------------------------------- Marrowin
// The whole sensor at the given sub-sampling, the frame format put back after.
bool COrvikDoc::GrabPellixFrame(CStillFrame& still, int subX, int subY) {
    if (!g_PellixSdk.Pellix_GetFrameFormat || !g_PellixSdk.Pellix_SetFrameFormat || !g_PellixSdk.Pellix_GetBitmap)
        return false;
    PellixFrameFormat current = {}, least = {}, most = {};
    if (g_PellixSdk.Pellix_GetFrameFormat(&current, &least, &most) != 0) return false;
    PellixFrameFormat format = {0, 0, kPellixStillWidth, kPellixStillHeight, (BYTE)subX, 1, (BYTE)subY, 1};
    if (g_PellixSdk.Pellix_SetFrameFormat(&format) == 0) ::Sleep(kFormatSettleMs);

    // The header call fails before filling anything when acquisition is not
    // running, and a timed-out data call leaves the buffer as it was.
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    bool ok = g_PellixSdk.Pellix_GetBitmap(&header, nullptr) == 0 && header.biBitCount == 24 && header.biWidth > 0 &&
              header.biHeight != 0;
    if (ok) {
        const BITMAPINFOHEADER sized = header;
        still.width = sized.biWidth;
        still.height = sized.biHeight;
        still.stride = sized.biWidth * 3;
        ok = Allocate(still.pixels, (size_t)still.stride * std::abs(still.height));
        if (ok) {
            CWaitCursor wait;
            ok = g_PellixSdk.Pellix_GetBitmap(&header, still.pixels.data()) == 0 && header.biWidth == sized.biWidth &&
                 header.biHeight == sized.biHeight;
        }
    }
    if (g_PellixSdk.Pellix_SetFrameFormat(&current) == 0) ::Sleep(kFormatSettleMs);
    return ok;
}

bool COrvikDoc::GrabPellixStill(CStillFrame& still) {
    if (!GrabPellixFrame(still, m_nSingleCapSubX, m_nSingleCapSubY)) {
        Report(kNoFrame);
        return false;
    }

    // The same processing the live picture gets.
    CPellixVideoWnd::ApplyRealtimeProcessing(*this, still.pixels.data(), still.width, std::abs(still.height), still.stride);

    // The marker was chosen in display pixels; the still has frame pixels.
    const int displayWidth = m_nDisplayWidth;
    int unit = MarkerUnit();
    bool marker = m_bSaveWithMarker && m_bRealtimeEnable && m_nOverlayKind != kMarkerNone;
    if (unit <= 0 || displayWidth <= 0)
        marker = false;
    else
        unit = (int)(((long long)unit * still.width + displayWidth - 1) / displayWidth);
    if (marker || m_bSaveWithTime) {
        // The burn-in wants DIB rows; Marrowin rows are packed, which is the same for its widths.
        if (still.stride != Dib24Stride(still.width) ||
            BurnInStill(still.pixels.data(), still.width, std::abs(still.height), m_settings.markerColor, unit,
                        (MarkerKind)m_nOverlayKind.load(), marker, m_bSaveWithTime) != 0)
            ::OutputDebugStringW(L"COrvikDoc: still saved without its marker and time");
    }
    return true;
}

// ---------------------------------------------------------------- DirectShow
bool COrvikDoc::GrabGraphStill(CStillFrame& still) {
    if (LPCWSTR failure = GrabGraphFrame(still, IsUvcCamera() && !g_bTimedSeriesRunning)) {
        Report(failure);
        return false;
    }
    return true;
}

// The reason when there is no frame, else null.
LPCWSTR COrvikDoc::GrabGraphFrame(CStillFrame& still, bool uvcSizes) {
    CXGraphDll* graph = GetCaptureGraph();
    int selection = g_nUvcStillResolution;
    if (uvcSizes && (selection < 0 || selection >= (int)(sizeof kUvcStillSizes / sizeof kUvcStillSizes[0]))) selection = 3;
    if (uvcSizes && selection <= 1) return kUnsupportedSize;
    if (uvcSizes && selection >= 3) {
        const int w = kUvcStillSizes[selection].cx, h = kUvcStillSizes[selection].cy;
        const int stride = Dib24Stride(w);
        int length = 0;
        bool ok = Allocate(still.pixels, (size_t)stride * h);
        if (ok) {
            CWaitCursor wait;
            GetImage_GetRGBBuffer(w, h, nullptr, 0, &length);
            ok = length >= stride * h &&
                 GetImage_GetRGBBuffer(w, h, still.pixels.data(), (int)still.pixels.size(), &length) != 0 &&
                 length >= stride * h;
        }
        if (!ok) return kNoFrame;
        still.width = w;
        still.height = h;  // bottom-up
        still.stride = stride;
        return nullptr;
    }

    // The grabber's frame: its size as the grabber gives it, the picture's
    // rows no more than that size holds.
    long size = 0, width = 0, height = 0;
    bool ok = graph && SUCCEEDED(graph->CaptureToBuf(&size, nullptr)) && size > 0 &&
              SUCCEEDED(graph->GetVideoSize(width, height)) && width > 0 && height != 0 &&
              Allocate(still.pixels, (size_t)size) && SUCCEEDED(graph->CaptureToBuf(&size, still.pixels.data())) &&
              size > 0;
    if (ok) {
        still.width = (int)width;
        still.stride = Dib24Stride(still.width);
        const long rows = std::min<long>(std::labs(height), size / still.stride);
        still.height = (int)rows;
        ok = rows > 0;
    }
    return ok ? nullptr : kNoFrame;
}

// ---------------------------------------------------------------- Hestral
bool COrvikDoc::GrabHestralStill(CStillFrame& still) {
    if (!GrabHestralFrame(still)) {
        Report(kNoFrame);
        return false;
    }
    return true;
}

bool COrvikDoc::GrabHestralFrame(CStillFrame& still) {
    int width = 0, height = 0;
    bool ok = g_HestralSdk.CameraGetImageSize && g_HestralSdk.CameraCaptureToBuf &&
              g_HestralSdk.CameraGetImageSize(&width, &height) == CAMERA_OK && width > 0 && height > 0;
    if (ok) {
        still.width = width;
        still.height = height;  // bottom-up
        still.stride = width * 3;
        // Room for padded rows, as the library's callers have always given it.
        ok = Allocate(still.pixels, (size_t)Dib24Stride(width) * height) &&
             g_HestralSdk.CameraCaptureToBuf(still.pixels.data(), 1) == CAMERA_OK;
    }
    return ok;
}

bool COrvikDoc::SaveHestralFile(LPCWSTR path, LPCWSTR ext) {
    CString base(path);
    const int dot = base.ReverseFind(L'.');
    const int slash = std::max(base.ReverseFind(L'\\'), base.ReverseFind(L'/'));
    if (dot > slash) base = base.Left(dot);
    std::string narrow;
    if (!ToAnsiPath(base, narrow)) {
        Report(kAnsiPath);
        return false;
    }
    const int flags = StillFileFormat(ext) == FILE_BMP ? CAMERA_FILE_BMP : CAMERA_FILE_JPEG;
    ILiveFrame* frame = GetLiveFrame();
    const int mode = frame && frame->GetResolutionFlag() == 0 ? 2 : 0;
    if (CameraCaptureFile(narrow.c_str(), flags, 100, mode) != CAMERA_OK) {
        Report(kNotWritten);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- frames for a still-image document
// Type 6 through the library's own file: "temp.bmp" beside the program, its
// size as the file has it.
bool COrvikDoc::GrabHestralFileFrame(CStillFrame& still) {
    std::string narrow;
    if (!ToAnsiPath(g_strAppFolder + L"temp", narrow)) return false;
    const CString file = g_strAppFolder + L"temp.bmp";
    // An earlier capture's file must not pass for this one.
    ::DeleteFileW(file);
    const int mode = ReadIniLong(ini::kNodrel, L"Resolution", L"11") == 0 ? 0 : 2;
    if (CameraCaptureFile(narrow.c_str(), CAMERA_FILE_BMP, 100, mode) != CAMERA_OK) return false;
    LBitmap bitmap;
    if (bitmap.Load((LPCWSTR)file, 24, ORDER_BGRORGRAY) != SUCCESS || bitmap.GetBitsPerPixel() != 24) return false;
    still.width = bitmap.GetWidth();
    const int rows = bitmap.GetHeight();
    still.height = -rows;  // GetRow counts from the top
    still.stride = Dib24Stride(still.width);
    if (still.width <= 0 || rows <= 0 || !Allocate(still.pixels, (size_t)still.stride * rows)) return false;
    for (int y = 0; y < rows; ++y)
        if (bitmap.GetRow(&still.pixels[(size_t)y * still.stride], y, (DWORD)still.stride) <= 0) return false;
    return true;
}

bool COrvikDoc::GrabViewFrame(CStillFrame& still) {
    switch (g_CamType) {
    case kCamMarrowin: return GrabPellixFrame(still, 1, 1);
    case kCamDirectShow: return GrabGraphFrame(still, IsUvcCamera()) == nullptr;
    case kCamHestralT8M: return GrabHestralFileFrame(still);
    default: return IsHestralCamType() && GrabHestralFrame(still);
    }
}

// ---------------------------------------------------------------- stills
bool COrvikDoc::SaveStill(LPCWSTR path, LPCWSTR ext) {
    const int format = StillFileFormat(ext);
    if (!path || !*path || !format) {
        Report(kBadType);
        return false;
    }
    if (g_CamType == kCamHestralT8M) return SaveHestralFile(path, ext);
    CStillFrame still;
    bool grabbed = false;
    if (g_CamType == kCamMarrowin)
        grabbed = GrabPellixStill(still);
    else if (g_CamType == kCamDirectShow)
        grabbed = GrabGraphStill(still);
    else if (g_CamType >= kCamHestralT6M && g_CamType <= kCamHestralT2W)
        grabbed = GrabHestralStill(still);
    if (!grabbed) return false;
    if (!WriteStillFrame(still, path, format)) {
        Report(kNotWritten);
        return false;
    }
    return true;
}

void COrvikDoc::OnSaveStill() {
    if (g_CamType == kCamDirectShow) {
        CXGraphDll* graph = GetCaptureGraph();
        long size = 0;
        if (!graph || FAILED(graph->CaptureToBuf(&size, nullptr)) || size <= 0) return;
    }
    CFileDialog dlg(FALSE, L".jpg", L"Image", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    L"JPG Files(*.jpg)|*.jpg|BMP Files(*.bmp)|*.bmp||");
    if (dlg.DoModal() == IDOK) SaveStill(dlg.GetPathName(), dlg.GetFileExt());
    if (IsUvcCamera()) {
        ::Sleep(kUvcGainRestoreMs);
        SetDSP_RedGainValue(g_nUvcRedGain);
        SetDSP_GreenGainValue(g_nUvcGreenGain);
        SetDSP_BlueGainValue(g_nUvcBlueGain);
        CString trace;
        trace.Format(L"g_nBlue:%d", g_nUvcBlueGain);
        ::OutputDebugStringW(trace);
    }
}

// ---------------------------------------------------------------- mask
void COrvikDoc::OnLoadMask() {
    CWnd* owner = AfxGetMainWnd();
    if (m_maskBitmap.DialogFile().DoModalOpen(owner ? owner->GetSafeHwnd() : nullptr,
                                              DLG_FO_AUTOPROCESS | DLG_FO_SHOWPREVIEW | DLG_FO_FILEINFO) != SUCCESS)
        return;
    const char* name = m_maskBitmap.GetFileName();
    ::OutputDebugStringA(name);
    const int bpp = m_maskBitmap.GetBitsPerPixel();
    if (bpp != 24 && bpp != 32) {
        CString text;
        text.LoadString(IDS_MASK_DEPTH);
        AfxMessageBox(text, MB_OK | OrvikRtlFlag());
        return;
    }
    // The imaging layer gives every file's rows top-down, whatever order the
    // file stores them in (a BMP's run bottom-up), so the mask already runs
    // as the frame does and no file type is turned over.
    auto mask = std::make_shared<CLiveMask>();
    mask->width = m_maskBitmap.GetWidth();
    mask->height = m_maskBitmap.GetHeight();
    mask->stride = Dib24Stride(mask->width);
    if (mask->width <= 0 || mask->height <= 0 || !Allocate(mask->pixels, (size_t)mask->stride * mask->height)) return;
    const int bytesPerPixel = bpp / 8;
    std::vector<BYTE> row((size_t)m_maskBitmap.GetBytesPerLine());
    for (int y = 0; y < mask->height; ++y) {
        if (m_maskBitmap.GetRow(row.data(), y, (DWORD)row.size()) <= 0) return;
        BYTE* out = &mask->pixels[(size_t)y * mask->stride];
        for (int x = 0; x < mask->width; ++x) std::memcpy(out + 3 * x, &row[(size_t)x * bytesPerPixel], 3);
    }
    SetMask(std::move(mask));
}
