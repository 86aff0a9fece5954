#include "VideoInputs.h"

#include "Com.h"

#include <uuids.h>

namespace {

std::wstring ReadText(IPropertyBag* bag, LPCOLESTR name)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    std::wstring text;
    if (SUCCEEDED(bag->Read(name, &v, nullptr)) && V_VT(&v) == VT_BSTR)
        text = V_BSTR(&v);
    VariantClear(&v);
    return text;
}

// Calls visit(moniker, bag) for each device until it returns true.
template <class Visit>
HRESULT EachVideoInput(Visit visit)
{
    Com<ICreateDevEnum> devices;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  devices.OutVoid());
    Com<IEnumMoniker> monikers;
    if (SUCCEEDED(hr))
        hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Out(), 0);
    if (hr != S_OK || !monikers)
        return hr;
    Com<IMoniker> moniker;
    while (monikers->Next(1, moniker.Out(), nullptr) == S_OK) {
        Com<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.OutVoid())))
            continue;
        if (visit(moniker.Get(), bag.Get()))
            break;
    }
    return hr;
}

}  // namespace

std::vector<VideoInput> VideoInputs(HRESULT* phr)
{
    std::vector<VideoInput> inputs;
    const HRESULT hr = EachVideoInput([&](IMoniker*, IPropertyBag* bag) {
        inputs.push_back({ReadText(bag, L"FriendlyName"), ReadText(bag, L"CLSID")});
        return false;
    });
    if (phr)
        *phr = hr;
    return inputs;
}

HRESULT BindVideoInput(LPCWSTR name, IBaseFilter** filter)
{
    *filter = nullptr;
    HRESULT result = E_FAIL;
    const HRESULT hr = EachVideoInput([&](IMoniker* moniker, IPropertyBag* bag) {
        if (ReadText(bag, L"FriendlyName") != name)
            return false;
        result = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
        return true;
    });
    return hr == S_OK ? result : E_FAIL;
}
