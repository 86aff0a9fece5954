// CXGraphDll on a built graph: the camera's properties and controls, flips,
// counters, frame grabs, property pages and the forwarders to Sorvane.
#include "TrevloImpl.h"

#include "Sorvane.h"

#include <olectl.h>

#include <vector>

namespace {

// f over the capture filter's interface I; E_FAIL without a filter.
template <class I, class F>
HRESULT WithInterface(IBaseFilter* filter, REFIID iid, F f)
{
    if (!filter)
        return E_FAIL;
    Com<I> i;
    HRESULT hr = filter->QueryInterface(iid, i.OutVoid());
    if (FAILED(hr))
        return hr;
    return f(i.Get());
}

}  // namespace

// ---------------------------------------------------------- video properties

HRESULT CXGraphDll::GetRange(VIDEOPROPERTY prop, long* pMin, long* pMax, long* pDefault, long*)
{
    if (!pMin || !pMax || !pDefault)
        return E_FAIL;
    return WithInterface<IAMVideoProcAmp>(m_pCaptureFilter, IID_IAMVideoProcAmp, [&](IAMVideoProcAmp* amp) {
        long step = 0, caps = 0;
        return amp->GetRange(prop, pMin, pMax, &step, pDefault, &caps);
    });
}

HRESULT CXGraphDll::SetVideoProperty(VIDEOPROPERTY prop, long value, long flags)
{
    return WithInterface<IAMVideoProcAmp>(m_pCaptureFilter, IID_IAMVideoProcAmp,
                                          [&](IAMVideoProcAmp* amp) { return amp->Set(prop, value, flags); });
}

HRESULT CXGraphDll::GetVideoProperty(VIDEOPROPERTY prop, long* pValue, long* pFlags)
{
    if (!pValue)
        return E_FAIL;
    return WithInterface<IAMVideoProcAmp>(m_pCaptureFilter, IID_IAMVideoProcAmp,
                                          [&](IAMVideoProcAmp* amp) { return amp->Get(prop, pValue, pFlags); });
}

// ----------------------------------------------------------- camera controls

HRESULT CXGraphDll::GetCameraControlRange(CAMERACONTROL prop, long* pMin, long* pMax, long* pDefault)
{
    if (!pMin || !pMax || !pDefault)
        return E_FAIL;
    return WithInterface<IAMCameraControl>(m_pCaptureFilter, IID_IAMCameraControl, [&](IAMCameraControl* control) {
        long step = 0, caps = 0;
        return control->GetRange(prop, pMin, pMax, &step, pDefault, &caps);
    });
}

HRESULT CXGraphDll::SetCameraControl(CAMERACONTROL prop, long value, BOOL automatic)
{
    return WithInterface<IAMCameraControl>(m_pCaptureFilter, IID_IAMCameraControl, [&](IAMCameraControl* control) {
        return control->Set(prop, value, automatic ? CameraControl_Flags_Auto : CameraControl_Flags_Manual);
    });
}

HRESULT CXGraphDll::GetCameraControl(CAMERACONTROL prop, long* pValue, long* pFlags)
{
    if (!pValue)
        return E_FAIL;
    return WithInterface<IAMCameraControl>(m_pCaptureFilter, IID_IAMCameraControl,
                                           [&](IAMCameraControl* control) { return control->Get(prop, pValue, pFlags); });
}

// --------------------------------------------------------------------- flips

static long FlipFlag(FLIPTYPE type)
{
    return type == FLIP_HORIZONTAL ? VideoControlFlag_FlipHorizontal : VideoControlFlag_FlipVertical;
}

// The camera's video control, the pin it is asked about and that pin's
// mode; the capture pin, else with previewToo the preview pin.
static HRESULT ReadVideoMode(IBaseFilter* filter, ICaptureGraphBuilder2* builder, bool previewToo,
                             Com<IAMVideoControl>& control, Com<IPin>& pin, long* mode)
{
    HRESULT hr = filter->QueryInterface(IID_IAMVideoControl, control.OutVoid());
    if (FAILED(hr) || !control)
        return E_NOINTERFACE;
    hr = builder->FindPin(filter, PINDIR_OUTPUT, &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, FALSE, 0, pin.Out());
    if ((FAILED(hr) || !pin) && previewToo)
        hr = builder->FindPin(filter, PINDIR_OUTPUT, &PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, FALSE, 0, pin.Out());
    if (FAILED(hr) || !pin)
        return FAILED(hr) ? hr : E_FAIL;
    return control->GetMode(pin.Get(), mode);
}

HRESULT CXGraphDll::SetFlip(FLIPTYPE type, BOOL on)
{
    if (!m_pCaptureFilter || !m_pBuilder)
        return E_POINTER;
    Com<IAMVideoControl> control;
    Com<IPin> pin;
    long mode = 0;
    const HRESULT hr = ReadVideoMode(m_pCaptureFilter, m_pBuilder, false, control, pin, &mode);
    if (FAILED(hr))
        return hr;
    mode = on ? (mode | FlipFlag(type)) : (mode & ~FlipFlag(type));
    return control->SetMode(pin.Get(), mode);
}

HRESULT CXGraphDll::GetFlip(FLIPTYPE type, BOOL* pOn)
{
    if (!m_pCaptureFilter || !m_pBuilder || !pOn)
        return E_POINTER;
    Com<IAMVideoControl> control;
    Com<IPin> pin;
    long mode = 0;
    const HRESULT hr = ReadVideoMode(m_pCaptureFilter, m_pBuilder, true, control, pin, &mode);
    if (FAILED(hr))
        return hr;
    *pOn = (mode & FlipFlag(type)) ? 1 : 0;
    return hr;
}

// ------------------------------------------------------------------ counters

HRESULT CXGraphDll::GetAvgFrameRate(float* pFps)
{
    if (!m_pGraph || !pFps)
        return E_POINTER;
    Com<IQualProp> qual;
    HRESULT hr = FindInGraph(m_pGraph, IID_IQualProp, qual.OutVoid());
    if (FAILED(hr))
        return hr;
    int hundredths = 0;
    hr = qual->get_AvgFrameRate(&hundredths);
    if (SUCCEEDED(hr))
        *pFps = float(hundredths * 0.01);
    return hr;
}

HRESULT CXGraphDll::GetNumNotDropped(long* pFrames)
{
    if (!m_pGraph || !pFrames)
        return E_POINTER;
    Com<IAMDroppedFrames> dropped;
    HRESULT hr = FindInGraph(m_pGraph, IID_IAMDroppedFrames, dropped.OutVoid());
    if (FAILED(hr))
        return hr;
    return dropped->GetNumNotDropped(pFrames);
}

// --------------------------------------------------------------- frame sizes

HRESULT CXGraphDll::InitVideoSizeCombo(CComboBox* pCombo)
{
    if (!pCombo)
        return E_POINTER;
    pCombo->ResetContent();
    for (INT_PTR i = 0; i < m_aSizes.GetSize(); ++i) {
        const SizeEntry* e = static_cast<const SizeEntry*>(m_aSizes.GetAt(i));
        if (e->subtype != MEDIASUBTYPE_RGB24)
            continue;
        CString text;
        text.Format(L"%d X %d", int(e->width), int(e->height));
        const int item = pCombo->AddString(text);
        if (e->width == m_lWidth && e->height == m_lHeight)
            pCombo->SetCurSel(item);
    }
    return S_OK;
}

// --------------------------------------------------------------- frame grabs

HRESULT CXGraphDll::CaptureToBuf(long* size, BYTE* buffer)
{
    if (!m_pCaptureFilter || !m_pGrabber || !size)
        return E_POINTER;
    long needed = 0;
    HRESULT hr = m_pGrabber->GetCurrentBuffer(&needed, nullptr);
    if (FAILED(hr))
        return hr;
    if (buffer) {
        // *size is what the caller's buffer holds: never more is written.
        if (*size < needed) {
            *size = needed;
            return E_OUTOFMEMORY;
        }
        long copied = *size;
        hr = m_pGrabber->GetCurrentBuffer(&copied, reinterpret_cast<long*>(buffer));
        if (FAILED(hr))
            return hr;
        needed = copied;
    }
    *size = needed;
    return S_OK;
}

HRESULT CXGraphDll::CaptureOneFrame(CString file)
{
    if (!m_pCaptureFilter || !m_pGrabber)
        return E_POINTER;
    long size = 0;
    HRESULT hr = m_pGrabber->GetCurrentBuffer(&size, nullptr);
    if (FAILED(hr))
        return hr;
    if (size <= 0)
        return E_FAIL;
    std::vector<BYTE> frame(static_cast<size_t>(size));
    hr = m_pGrabber->GetCurrentBuffer(&size, reinterpret_cast<long*>(frame.data()));
    if (FAILED(hr))
        return hr;
    AM_MEDIA_TYPE mt = {};
    hr = m_pGrabber->GetConnectedMediaType(&mt);
    if (FAILED(hr))
        return hr;
    const VIDEOINFOHEADER* vih = VideoInfo(&mt);
    if (!vih) {
        FreeMediaTypeBlock(mt);
        return E_FAIL;
    }
    const BITMAPINFOHEADER bih = vih->bmiHeader;
    FreeMediaTypeBlock(mt);
    // The frame as a screen bitmap, which proves the header describes it.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &bih, CBM_INIT, frame.data(), reinterpret_cast<const BITMAPINFO*>(&bih),
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (!bitmap)
        return E_FAIL;
    DeleteObject(bitmap);

    std::vector<BYTE> out(58 + size_t(size));
    const DWORD fileSize = DWORD(size) + 58, zero = 0, offset = 58;
    out[0] = 'B';
    out[1] = 'M';
    memcpy(&out[2], &fileSize, 4);
    memcpy(&out[6], &zero, 4);
    memcpy(&out[10], &offset, 4);
    memcpy(&out[14], &bih, 40);
    memcpy(&out[54], &zero, 4);
    memcpy(&out[58], frame.data(), size_t(size));

    HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    const BOOL ok = WriteFile(h, out.data(), DWORD(out.size()), &written, nullptr) && written == out.size();
    const DWORD error = ok ? 0 : GetLastError();
    CloseHandle(h);
    if (!ok) {
        // A part-written picture is worse than none.
        DeleteFileW(file);
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    return S_OK;
}

HRESULT CXGraphDll::SetCaptureFile(wchar_t* path)
{
    if (!m_pFileSink)
        return E_POINTER;
    return m_pFileSink->SetFileName(path, nullptr);
}

// ------------------------------------------------------------ property pages

HRESULT CXGraphDll::ShowPages(IBaseFilter* filter)
{
    if (!filter)
        return E_FAIL;
    Com<ISpecifyPropertyPages> specify;
    HRESULT hr = filter->QueryInterface(IID_ISpecifyPropertyPages, specify.OutVoid());
    if (FAILED(hr))
        return hr;
    FILTER_INFO info = {};
    hr = filter->QueryFilterInfo(&info);
    if (FAILED(hr))
        return hr;
    if (info.pGraph)
        info.pGraph->Release();
    CAUUID pages = {};
    if (SUCCEEDED(specify->GetPages(&pages))) {
        IUnknown* object = filter;
        OleCreatePropertyFrame(m_hParentWnd, 0, 0, info.achName, 1, &object, pages.cElems, pages.pElems, 0, 0,
                               nullptr);
        CoTaskMemFree(pages.pElems);
    }
    return hr;
}

HRESULT CXGraphDll::ShowVideoPropertyPages() { return ShowPages(m_pCaptureFilter); }
HRESULT CXGraphDll::ShowSorvanePropertyPages() { return ShowPages(m_pSorvaneFilter); }

// ---------------------------------------------------------------- forwarders

#define TREVLO_FORWARD(member, params, args)             \
    HRESULT CXGraphDll::member params                    \
    {                                                    \
        return m_pSorvane ? m_pSorvane->member args : E_POINTER; \
    }

TREVLO_FORWARD(put_EnableProcess, (BOOL b), (b))
TREVLO_FORWARD(put_Flip, (BOOL b), (b))
TREVLO_FORWARD(put_Mirror, (BOOL b), (b))
TREVLO_FORWARD(put_Gray, (BOOL b), (b))
TREVLO_FORWARD(put_Invert, (BOOL b), (b))
TREVLO_FORWARD(put_Binary, (BOOL b, long threshold), (b, threshold))
TREVLO_FORWARD(put_Emboss, (BOOL b), (b))
TREVLO_FORWARD(put_Sharp, (BOOL b), (b))
TREVLO_FORWARD(put_AddOne, (BOOL b), (b))
TREVLO_FORWARD(put_Multiply, (BOOL b, long tenths), (b, tenths))
TREVLO_FORWARD(put_RgbGain, (BOOL b, long r, long g, long bl), (b, r, g, bl))
TREVLO_FORWARD(put_MaskOverlay, (BOOL b, BYTE** mask), (b, mask))
TREVLO_FORWARD(get_EnableProcess, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Flip, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Mirror, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Gray, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Invert, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Binary, (BOOL* pb, long* pThreshold), (pb, pThreshold))
TREVLO_FORWARD(get_Emboss, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Sharp, (BOOL* pb), (pb))
TREVLO_FORWARD(get_AddOne, (BOOL* pb), (pb))
TREVLO_FORWARD(get_Multiply, (BOOL* pb, long* pTenths), (pb, pTenths))
TREVLO_FORWARD(get_RgbGain, (BOOL* pb, long* pR, long* pG, long* pB), (pb, pR, pG, pB))
TREVLO_FORWARD(get_MaskOverlay, (BOOL* pb), (pb))
