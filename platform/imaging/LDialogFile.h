// The file dialogs bound to a bitmap.
#pragma once

#include "LBase.h"

class LBitmapBase;

// DoModalOpen options.
enum : UINT {
    DLG_FO_AUTOPROCESS = 1,   // load the chosen file into the bitmap
    DLG_FO_SHOWPREVIEW = 2,   // accepted; the dialog has no preview pane
    DLG_FO_FILEINFO = 4,      // accepted; the dialog shows no file details
};

class LDialogFile : public LBase {
public:
    explicit LDialogFile(LBitmapBase* bitmap) : m_bitmap(bitmap) {}

    // The common Open dialog for BMP and JPEG files. On OK the bitmap is named
    // after the chosen file and, with DLG_FO_AUTOPROCESS, loads it at the
    // file's own depth. Cancel answers LERR_DLG_CANCELED and changes nothing.
    L_INT DoModalOpen(HWND owner, UINT flags = DLG_FO_AUTOPROCESS);

private:
    LBitmapBase* m_bitmap;
};
