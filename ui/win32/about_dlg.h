#pragma once

#include "ui/win32/modal_dialog.h"
#include "ui/win32/res/resource.h"

namespace tamsiro::win32 {

// The About box: its template says everything, OK closes it.
class CAboutDlg : public CModalDialog {
public:
    explicit CAboutDlg(HWND parent) : CModalDialog(IDD_ABOUTBOX, parent) {}
};

}  // namespace tamsiro::win32
