#include "LBase.h"

#include "ImagingRes.h"
#include "ThisModule.h"

#include <atomic>
#include <string>

namespace {

constexpr int kListLength = 8;

struct ErrorList {
    L_INT codes[kListLength];
    int count;
};

thread_local ErrorList t_errors;

std::atomic<LBase::MessageBoxFunction> g_messageBox{nullptr};

UINT TextFor(L_INT code)
{
    switch (code) {
    case LERR_NO_MEMORY: return IDS_IMAGING_NO_MEMORY;
    case LERR_NO_BITMAP: return IDS_IMAGING_NO_BITMAP;
    case LERR_FILE_READ: return IDS_IMAGING_FILE_READ;
    case LERR_FILE_WRITE: return IDS_IMAGING_FILE_WRITE;
    case LERR_FILE_FORMAT: return IDS_IMAGING_FILE_FORMAT;
    case LERR_FILE_NOT_FOUND: return IDS_IMAGING_FILE_NOT_FOUND;
    case LERR_FILE_CORRUPT: return IDS_IMAGING_FILE_CORRUPT;
    case LERR_IMAGE_TOO_LARGE: return IDS_IMAGING_TOO_LARGE;
    case LERR_INV_PARAMETER: return IDS_IMAGING_INV_PARAMETER;
    case LERR_BITS_PER_PIXEL: return IDS_IMAGING_BITS_PER_PIXEL;
    case LERR_CLIPBOARD: return IDS_IMAGING_CLIPBOARD;
    case LERR_NO_WINDOW: return IDS_IMAGING_NO_WINDOW;
    default: return IDS_IMAGING_ERROR_FAILURE;
    }
}

std::wstring LoadText(UINT id)
{
    const wchar_t* text = nullptr;
    const int n = LoadStringW(ThisModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 ? std::wstring(text, size_t(n)) : std::wstring();
}

}  // namespace

L_INT LBase::LoadLibraries(UINT)
{
    return SUCCESS;
}

void LBase::UnloadLibraries(UINT)
{
}

L_INT LBase::Fail(L_INT code)
{
    ErrorList& list = t_errors;
    if (list.count == kListLength) {
        for (int i = 1; i < kListLength; ++i)
            list.codes[i - 1] = list.codes[i];
        --list.count;
    }
    list.codes[list.count++] = code;
    return code;
}

void LBase::DisplayErrorFromList(HWND owner, int)
{
    ErrorList& list = t_errors;
    if (list.count == 0)
        return;
    std::wstring text;
    for (int i = 0; i < list.count; ++i) {
        if (!text.empty())
            text += L"\r\n";
        text += LoadText(TextFor(list.codes[i]));
    }
    list.count = 0;
    const MessageBoxFunction show = g_messageBox.load();
    (show ? show : MessageBoxW)(owner, text.c_str(), LoadText(IDS_IMAGING_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void LBase::SetMessageBoxFunction(MessageBoxFunction show)
{
    g_messageBox.store(show);
}

L_INT LBase::EnableCallBack(BOOL enable)
{
    // No operation reports progress, so there is nothing to call back; the
    // switch is kept for callers that read it.
    m_callBack = enable;
    return SUCCESS;
}
