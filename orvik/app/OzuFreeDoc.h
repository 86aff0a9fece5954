// The still-image document. For now an image without content.
#pragma once

#include <AfxWindows.h>

class COzuFreeDoc : public CDocument {
    DECLARE_DYNCREATE(COzuFreeDoc)
public:
    COzuFreeDoc();
};
