// The stand-in "WMV3" compressor for Video for Windows: an installable
// driver that AVIFile opens as vidc.WMV3. It makes the same key frames as the
// DirectShow stand-in (WmvRle.h) and decodes nothing.
//
// Test hook: with WMV3_STANDIN_FAIL_FROM=n in the environment, compressing
// frame n or later fails, as a full disk or a broken codec would.
#include <windows.h>
#include <vfw.h>

#include <cstdlib>
#include <cwchar>
#include <new>

#include "WmvRle.h"

namespace {

struct Instance {
    LONG failFrom = -1;  // first frame number that fails; -1 for none
};

LONG FailFromEnvironment()
{
    char text[32];
    const DWORD n = GetEnvironmentVariableA("WMV3_STANDIN_FAIL_FROM", text, sizeof text);
    return n > 0 && n < sizeof text ? std::atol(text) : -1;
}

LRESULT Open(LPARAM lParam2)
{
    const ICOPEN* open = reinterpret_cast<const ICOPEN*>(lParam2);
    // The session open (no parameters) only asks whether the driver loads.
    if (!open)
        return 1;
    if (open->fccType != ICTYPE_VIDEO) {
        return 0;
    }
    // The stand-in compresses; it has no decoder.
    if (open->dwFlags != ICMODE_COMPRESS && open->dwFlags != ICMODE_QUERY) {
        const_cast<ICOPEN*>(open)->dwError = ICERR_UNSUPPORTED;
        return 0;
    }
    Instance* instance = new (std::nothrow) Instance;
    if (!instance) {
        const_cast<ICOPEN*>(open)->dwError = ICERR_MEMORY;
        return 0;
    }
    const_cast<ICOPEN*>(open)->dwError = ICERR_OK;
    return reinterpret_cast<LRESULT>(instance);
}

LRESULT Info(ICINFO* info, DWORD size)
{
    if (!info)
        return sizeof(ICINFO);
    if (size < sizeof(ICINFO))
        return 0;
    *info = ICINFO{};
    info->dwSize = sizeof(ICINFO);
    info->fccType = ICTYPE_VIDEO;
    info->fccHandler = kWmvRleFourcc;
    info->dwFlags = 0;  // every frame a key frame; no quality or data rate
    info->dwVersion = 1;
    info->dwVersionICM = ICVERSION;
    wcscpy(info->szName, L"WMV3");
    wcscpy(info->szDescription, L"Stand-in WMV3 (run-length test double)");
    return sizeof(ICINFO);
}

bool OutputFits(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out)
{
    return out->biCompression == kWmvRleFourcc && out->biWidth == in->biWidth && out->biHeight == in->biHeight;
}

LRESULT Query(const BITMAPINFO* in, const BITMAPINFO* out)
{
    if (!in || !WmvRleAccepts(in->bmiHeader))
        return ICERR_BADFORMAT;
    if (out && !OutputFits(&in->bmiHeader, &out->bmiHeader))
        return ICERR_BADFORMAT;
    return ICERR_OK;
}

LRESULT GetFormat(const BITMAPINFO* in, BITMAPINFO* out)
{
    if (!out)
        return sizeof(BITMAPINFOHEADER);
    if (!in || !WmvRleAccepts(in->bmiHeader))
        return ICERR_BADFORMAT;
    out->bmiHeader = WmvRleOutputFormat(in->bmiHeader);
    return ICERR_OK;
}

LRESULT Compress(const Instance* instance, ICCOMPRESS* c)
{
    if (!c || !c->lpbiInput || !c->lpbiOutput || !c->lpInput || !c->lpOutput ||
        !WmvRleAccepts(*c->lpbiInput) || !OutputFits(c->lpbiInput, c->lpbiOutput))
        return ICERR_BADFORMAT;
    if (instance->failFrom >= 0 && c->lFrameNum >= instance->failFrom)
        return ICERR_ERROR;
    const BITMAPINFOHEADER& in = *c->lpbiInput;
    const int stride = ((in.biWidth * 24 + 31) / 32) * 4;
    c->lpbiOutput->biSizeImage = DWORD(WmvRleEncode(static_cast<const uint8_t*>(c->lpInput), in.biWidth,
                                                    in.biHeight, stride, static_cast<uint8_t*>(c->lpOutput)));
    if (c->lpdwFlags)
        *c->lpdwFlags = AVIIF_KEYFRAME;
    if (c->lpckid)
        *c->lpckid = 0;
    return ICERR_OK;
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR, UINT msg, LPARAM lParam1, LPARAM lParam2)
{
    Instance* instance = reinterpret_cast<Instance*>(id);
    switch (msg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
        return 1;
    case DRV_OPEN:
        return Open(lParam2);
    case DRV_CLOSE:
        if (id > 1)
            delete instance;
        return 1;
    case DRV_QUERYCONFIGURE:
        return 0;
    case ICM_GETINFO:
        return Info(reinterpret_cast<ICINFO*>(lParam1), DWORD(lParam2));
    case ICM_GETDEFAULTQUALITY:
        if (lParam1)
            *reinterpret_cast<DWORD*>(lParam1) = ICQUALITY_HIGH;
        return ICERR_OK;
    case ICM_COMPRESS_QUERY:
        return Query(reinterpret_cast<const BITMAPINFO*>(lParam1), reinterpret_cast<const BITMAPINFO*>(lParam2));
    case ICM_COMPRESS_GET_FORMAT:
        return GetFormat(reinterpret_cast<const BITMAPINFO*>(lParam1), reinterpret_cast<BITMAPINFO*>(lParam2));
    case ICM_COMPRESS_GET_SIZE: {
        const BITMAPINFO* in = reinterpret_cast<const BITMAPINFO*>(lParam1);
        return in ? LRESULT(WmvRleMaxSize(in->bmiHeader.biWidth, in->bmiHeader.biHeight)) : 0;
    }
    case ICM_COMPRESS_BEGIN:
        if (id <= 1)
            return ICERR_ERROR;
        instance->failFrom = FailFromEnvironment();
        return Query(reinterpret_cast<const BITMAPINFO*>(lParam1), reinterpret_cast<const BITMAPINFO*>(lParam2));
    case ICM_COMPRESS:
        return id > 1 ? Compress(instance, reinterpret_cast<ICCOMPRESS*>(lParam1)) : ICERR_ERROR;
    case ICM_COMPRESS_END:
        return ICERR_OK;
    default:
        return msg >= DRV_USER ? ICERR_UNSUPPORTED : DefDriverProc(id, nullptr, msg, lParam1, lParam2);
    }
}
