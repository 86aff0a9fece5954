// Our DirectShow base classes, all in one include.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <amvideo.h>
#include <control.h>
#include <evcode.h>
#include <uuids.h>
#include <vfwmsgs.h>

#include "ComBase.h"
#include "AMThread.h"
#include "MediaType.h"
#include "BaseFilter.h"
#include "BasePin.h"
#include "TransformFilter.h"
#include "TransInPlaceFilter.h"
#include "Source.h"
#include "VideoCaps.h"
#include "BasePropertyPage.h"
#include "DllSetup.h"
#include "StrmGuids.h"
