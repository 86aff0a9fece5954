#include "OzuFreeDoc.h"

IMPLEMENT_DYNCREATE(COzuFreeDoc, CDocument)

COzuFreeDoc::COzuFreeDoc() {}
