#include "ui/win32/win32_user_interface.h"

#include "ui/ui_texts.h"
#include "ui/win32/modal_dialog.h"
#include "ui/win32/res/resource.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace tamsiro::win32 {

namespace {

// Steps shorter than this pass without a window.
constexpr ULONGLONG kProgressDelayMs = 500;

// TAMSIRO_PROGRESS_DELAY_MS overrides the delay, so that the end-to-end
// tests see the window however fast the machine copies.
ULONGLONG ProgressDelayMs() {
    std::array<char, 16> value{};
    const DWORD length =
        ::GetEnvironmentVariableA("TAMSIRO_PROGRESS_DELAY_MS", value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size()) return kProgressDelayMs;
    return std::strtoull(value.data(), nullptr, 10);
}
constexpr int kProgressRange = 1000;

int ProgressPosition(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return 0;
    if (done >= total) return kProgressRange;
    return static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * kProgressRange);
}

bool IsUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// The progress window only shows; it has nothing to close or cancel.
INT_PTR CALLBACK ProgressWindowProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) return FALSE;
    if (message == WM_SETCURSOR) {
        AnswerSetCursorWithWait(hwnd);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void AnswerSetCursorWithWait(HWND dialog) {
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
}

std::string FilterFromBarNotation(const std::string& barNotation) {
    std::string filter = barNotation;
    for (char& c : filter) {
        if (c == '|') c = '\0';
    }
    // c_str() adds the last of the terminating NULs.
    return filter;
}

Win32UserInterface::Win32UserInterface(std::string applicationName)
    : applicationName_(std::move(applicationName)), progressDelayMs_(ProgressDelayMs()) {}

Win32UserInterface::~Win32UserInterface() { CloseProgressWindow(); }

void Win32UserInterface::ShowMessage(const std::string& text) {
    CloseProgressWindow();
    ::MessageBoxA(dialog_, text.c_str(), applicationName_.c_str(), MB_ICONWARNING | MB_OK);
}

bool Win32UserInterface::Ask(const std::string& text, DefaultButton defaultButton) {
    CloseProgressWindow();
    const UINT defaultFlag = defaultButton == DefaultButton::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
    return ::MessageBoxA(dialog_, text.c_str(), applicationName_.c_str(), MB_ICONWARNING | MB_YESNO | defaultFlag) ==
           IDYES;
}

void Win32UserInterface::ShowBusyCursor(bool busy) {
    busy_ = busy;
    ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

std::optional<std::string> Win32UserInterface::PromptForMarker(const std::string& suggestedFolder) {
    CloseProgressWindow();
    std::array<char, MAX_PATH> file{};
    lstrcpynA(file.data(), TAMSIRO_CHOOSER_FILE, static_cast<int>(file.size()));
    const std::string filter = FilterFromBarNotation(TAMSIRO_CHOOSER_FILTER_BARS);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog_;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = TAMSIRO_CHOOSER_TITLE;
    ofn.lpstrDefExt = TAMSIRO_CHOOSER_EXTENSION;
    // A stick found by itself: the chooser opens in its root.
    if (!suggestedFolder.empty()) ofn.lpstrInitialDir = suggestedFolder.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
    return std::string(file.data());
}

void Win32UserInterface::EndDialog(DialogResult result) {
    CloseProgressWindow();
    dialogEnded_ = true;
    if (dialog_) ::EndDialog(dialog_, static_cast<INT_PTR>(result));
}

void Win32UserInterface::ShowProgress(const ProgressReport& progress) {
    const ULONGLONG now = ::GetTickCount64();
    if (!stepStarted_) stepStarted_ = now;
    // Not on the last report of a step: a window that flashes up and
    // vanishes at once tells nothing.
    const bool finishing = progress.total > 0 && progress.done >= progress.total;
    if (!progressWindow_ && !finishing && now - *stepStarted_ >= progressDelayMs_) OpenProgressWindow();
    if (progressWindow_) {
        if (progress.step != shownStep_) {
            ::SetDlgItemTextA(progressWindow_, IDC_PROGRESS_STEP, progress.step.c_str());
            shownStep_ = progress.step;
        }
        ::SendDlgItemMessageA(progressWindow_, IDC_PROGRESS_BAR, PBM_SETPOS,
                              ProgressPosition(progress.done, progress.total), 0);
    }
    PumpMessages();
}

void Win32UserInterface::EndProgress() { CloseProgressWindow(); }

void Win32UserInterface::OpenProgressWindow() {
    if (!dialog_) return;
    progressWindow_ = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), dialog_,
                                           &ProgressWindowProc, 0);
    if (!progressWindow_) return;
    ::SendDlgItemMessageA(progressWindow_, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kProgressRange);
    CenterOverOwner(progressWindow_);
    // Shown before the dialog is disabled, so that the activation passes to
    // it and not to another program.
    ::ShowWindow(progressWindow_, SW_SHOW);
    ::EnableWindow(dialog_, FALSE);
    ::UpdateWindow(progressWindow_);
}

void Win32UserInterface::CloseProgressWindow() {
    stepStarted_.reset();
    shownStep_.clear();
    if (!progressWindow_) return;
    // Enabled before the window goes, so that the activation returns to it.
    ::EnableWindow(dialog_, TRUE);
    ::DestroyWindow(progressWindow_);
    progressWindow_ = nullptr;
}

void Win32UserInterface::PumpMessages() {
    pumping_ = true;
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the dialog's own loop.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        const bool forProgressWindow =
            progressWindow_ && (message.hwnd == progressWindow_ || ::IsChild(progressWindow_, message.hwnd));
        if (IsUserInput(message.message) && !forProgressWindow) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    pumping_ = false;
}

}  // namespace tamsiro::win32
