// Small helpers for tests that build DirectShow graphs of Wine's filters
// around ours.
#pragma once

#include "Com.h"
#include "Strmbase.h"
#include "TestSource.h"

#include <vector>

// The first pin of the given direction, or null.
IPin* FindPin(IBaseFilter* filter, PIN_DIRECTION dir, int skip = 0);

// A Sample Grabber that keeps the last RGB24 frame, in the graph.
HRESULT AddGrabber(IGraphBuilder* graph, LPCWSTR name, Com<IBaseFilter>* filter, Com<ISampleGrabber>* grabber);

// Runs the graph until `frames` frames have left the source and every
// grabber holds one, then stops it. False on timeout.
bool RunUntilFrames(IGraphBuilder* graph, CTestSource* source, LONG frames,
                    const std::vector<ISampleGrabber*>& grabbers, DWORD timeoutMs = 10000);

// The grabber's last frame.
std::vector<BYTE> GrabbedFrame(ISampleGrabber* grabber);

// A filter of Wine's, by class id.
HRESULT CreateFilter(REFCLSID clsid, Com<IBaseFilter>* filter);
