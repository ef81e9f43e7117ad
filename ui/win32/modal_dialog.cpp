#include "ui/win32/modal_dialog.h"

namespace tamsiro::win32 {

void CenterOverOwner(HWND hwnd) {
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;
    RECT around = area;
    const HWND owner = ::GetWindow(hwnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &around);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = (around.left + around.right - width) / 2;
    int y = (around.top + around.bottom - height) / 2;
    if (x + width > area.right) x = area.right - width;
    if (y + height > area.bottom) y = area.bottom - height;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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
        // Centred, as Windows users expect (the templates say 0, 0), and
        // before the handler runs: the boxes and the file dialog that the
        // start shows are placed by this hidden window.
        CenterOverOwner(hwnd);
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
