// Recording of the live picture. The writer and the recording flag change
// together under m_recordLock, and every frame reaches the writer under it
// too, so a frame step never meets a writer being deleted: stopping needs no
// wait for a step to finish.
#include "OrvikDoc.h"

#include <AviWriter.h>
#include <CameraSdk.h>
#include <Globals.h>
#include <RecordRate.h>

namespace {

int RecordRate(int previous) {
    int width = 0, height = 0;
    if (IsHestralCamType() && g_HestralSdk.CameraGetImageSize)
        g_HestralSdk.CameraGetImageSize(&width, &height);
    return ChooseRecordRate(g_CamType, width, previous);
}

}  // namespace

void COrvikDoc::StartRecording(LPCWSTR file) {
    std::lock_guard<std::mutex> hold(m_recordLock);
    delete m_pAviWriter;
    m_pAviWriter = new CAviWriter;
    g_nRecordFrameRate = RecordRate(g_nRecordFrameRate);
    m_pAviWriter->Init(file, mmioFOURCC('W', 'M', 'V', '3'), DWORD(g_nRecordFrameRate));
    m_bRecording = true;
}

void COrvikDoc::PauseRecording(bool paused) {
    std::lock_guard<std::mutex> hold(m_recordLock);
    m_bRecording = !paused;
}

void COrvikDoc::StopRecording() {
    CAviWriter* writer;
    {
        std::lock_guard<std::mutex> hold(m_recordLock);
        m_bRecording = false;
        writer = m_pAviWriter;
        m_pAviWriter = nullptr;
    }
    // Closing completes the file; no frame can reach the writer any more.
    delete writer;
}

bool COrvikDoc::AppendRecordingFrame(HBITMAP frame) {
    std::lock_guard<std::mutex> hold(m_recordLock);
    if (!m_bRecording || !m_pAviWriter || !frame) return false;
    return SUCCEEDED(m_pAviWriter->AddFrame(frame));
}
