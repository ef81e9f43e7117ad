#pragma once

#include <windows.h>

namespace tamsiro::win32 {

// Over the owner when it is on screen, else in the middle of the monitor's
// work area; never off that area.
void CenterOverOwner(HWND hwnd);

// A modal dialog built from a template resource, in the manner of the
// classic framework dialogs: derive, override the handlers you need, call
// DoModal. The object outlives its window.
class CModalDialog {
public:
    CModalDialog(int templateId, HWND parent);
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // Runs the dialog until it ends; returns its result, or -1 when the
    // window could not be created.
    INT_PTR DoModal();

    HWND Handle() const { return hwnd_; }

protected:
    // Return TRUE to let the dialog manager give the focus to the first
    // control with a tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // IDOK and IDCANCEL end the dialog with their own identifier.
    virtual void OnCommand(int id, int notifyCode);
    // Everything else; return true when handled, with the value the dialog
    // procedure should return in `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    void EndDialog(INT_PTR result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
};

}  // namespace tamsiro::win32
