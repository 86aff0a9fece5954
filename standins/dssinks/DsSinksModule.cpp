// The COM server of the stand-ins for the platform's sinks that Wine's
// versions cannot play: a File Writer whose pin offers IStream and a Video
// Mixing Renderer that takes RGB24. It registers nothing itself: a test
// files them under the platform's classes for as long as it needs them.
#include "FileWriterStandin.h"
#include "VideoSinkStandin.h"

CFactoryTemplate g_Templates[] = {
    {L"File Writer", &CLSID_FileWriter, CFileWriterStandin::CreateInstance, nullptr, nullptr},
    {L"Video Mixing Renderer", &CLSID_VideoMixingRenderer, CVideoSinkStandin::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    return DllEntryPoint(hInstance, dwReason, lpReserved);
}
