// File-level services that need no picture.
#pragma once

#include "LBase.h"

class LBaseFile : public LBase {
public:
    // Fills the default load options; size is the caller's record size.
    static L_INT GetDefaultLoadFileOption(pLOADFILEOPTION options, UINT size);
};
