#include "ui/win32/win32_user_interface.h"

#include "ui/ui_texts.h"

#include <commdlg.h>

#include <array>
#include <utility>

namespace tamsiro::win32 {

namespace {

// Labels are short; longer texts are cut as the core expects.
constexpr int kControlTextBytes = 64;

}  // namespace

std::string FilterFromBarNotation(const std::string& barNotation) {
    std::string filter = barNotation;
    for (char& c : filter) {
        if (c == '|') c = '\0';
    }
    // c_str() adds the last of the terminating NULs.
    return filter;
}

Win32UserInterface::Win32UserInterface(std::string applicationName) : applicationName_(std::move(applicationName)) {}

void Win32UserInterface::ShowMessage(const std::string& text) {
    ::MessageBoxA(dialog_, text.c_str(), applicationName_.c_str(), MB_ICONWARNING | MB_OK);
}

bool Win32UserInterface::Ask(const std::string& text, DefaultButton defaultButton) {
    const UINT defaultFlag = defaultButton == DefaultButton::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
    return ::MessageBoxA(dialog_, text.c_str(), applicationName_.c_str(), MB_ICONWARNING | MB_YESNO | defaultFlag) == IDYES;
}

void Win32UserInterface::ShowBusyCursor(bool busy) {
    ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

std::optional<std::string> Win32UserInterface::PromptForMarker(const std::string& /*suggestedFolder*/) {
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
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
    return std::string(file.data());
}

std::string Win32UserInterface::ControlText(int controlId) {
    std::array<char, kControlTextBytes> text{};
    const HWND control = ::GetDlgItem(dialog_, controlId);
    if (!control) return {};
    const int length = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

void Win32UserInterface::DisableControl(int controlId) {
    if (const HWND control = ::GetDlgItem(dialog_, controlId)) ::EnableWindow(control, FALSE);
}

bool Win32UserInterface::IsChecked(int controlId) {
    return ::IsDlgButtonChecked(dialog_, controlId) == BST_CHECKED;
}

void Win32UserInterface::EndDialog(DialogResult result) {
    if (dialog_) ::EndDialog(dialog_, static_cast<INT_PTR>(result));
}

}  // namespace tamsiro::win32
