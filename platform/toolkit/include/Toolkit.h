// The whole toolkit layer.
#pragma once
#include "ToolkitCore.h"
#include "ToolkitBars.h"
#include "ToolkitFrame.h"
#include "ToolkitControls.h"
