#include "ui/win32/modal_dialog.h"

namespace tamsiro::win32 {

CModalDialog::CModalDialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR CModalDialog::DoModal() {
    const INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent_,
                                             &CModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

void CModalDialog::EndDialog(INT_PTR result) {
    if (hwnd_) ::EndDialog(hwnd_, result);
}

void CModalDialog::OnCommand(int id, int) {
    if (id == IDOK || id == IDCANCEL) EndDialog(id);
}

bool CModalDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR CALLBACK CModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CModalDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CModalDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CModalDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    // Messages sent while the window is being created arrive before
    // WM_INITDIALOG has told us which object we are.
    if (!self) return FALSE;

    if (message == WM_COMMAND) {
        self->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    INT_PTR result = FALSE;
    if (self->OnMessage(message, wParam, lParam, result)) return result;
    if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
    return FALSE;
}

}  // namespace tamsiro::win32
