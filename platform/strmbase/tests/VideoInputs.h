// The video input devices as a peer program finds them: through the system
// device enumerator, in its order.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <string>
#include <vector>

struct VideoInput {
    std::wstring name;   // "FriendlyName"
    std::wstring clsid;  // "CLSID" of the filter behind it, as text
};

// *hr gets the enumerator's answer (S_FALSE for an empty category).
std::vector<VideoInput> VideoInputs(HRESULT* hr = nullptr);

// The filter of the first device with exactly this friendly name.
HRESULT BindVideoInput(LPCWSTR name, IBaseFilter** filter);
