#include "ui/win32/tamsiro_dlg.h"

#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "ui/ui_texts.h"
#include "ui/win32/about_dlg.h"
#include "ui/win32/res/resource.h"

#include <shellapi.h>

#include <array>
#include <utility>

namespace tamsiro::win32 {

// The dialog template numbers its choices as the core's catalogue does;
// the resource compiler can't check that, so this file does.
static_assert(IDC_MAIN_1 == kMainFirstId && IDC_MAIN_6 == kMainFirstId + kRowsPerCategory - 1);
static_assert(IDC_VOICE_1 == kVoiceFirstId && IDC_VOICE_6 == kVoiceFirstId + kRowsPerCategory - 1);
static_assert(IDC_GAMES_1 == kGamesFirstId && IDC_GAMES_6 == kGamesFirstId + kRowsPerCategory - 1);
static_assert(IDC_VOICE_6 == kMiniVoiceId);

CTamsiroDlg::CTamsiroDlg(std::string applicationName, std::string programFolder)
    : CModalDialog(IDD_MAIN, nullptr),
      ui_(std::move(applicationName)),
      context_(ui_, std::move(programFolder)),
      icon_(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      // The 16x16 picture of the same icon, so the caption shows the
      // drawing made for that size rather than a shrunken 32x32 one.
      smallIcon_(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED))) {}

BOOL CTamsiroDlg::OnInitDialog() {
    ui_.AttachDialog(Handle());
    AddSystemMenuEntries();
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));

    // On failure the sequence has already ended the dialog; it then closes
    // without being shown for input.
    stick_ = RunStartSequence(context_);
    return TRUE;
}

void CTamsiroDlg::AddSystemMenuEntries() {
    const HMENU systemMenu = ::GetSystemMenu(Handle(), FALSE);
    if (!systemMenu) return;
    std::array<char, 128> text{};
    if (::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, text.data(), static_cast<int>(text.size())) <= 0) return;
    ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text.data());
    if (::LoadStringA(::GetModuleHandleA(nullptr), IDS_RESTORE, text.data(), static_cast<int>(text.size())) > 0) {
        ::AppendMenuA(systemMenu, MF_STRING, IDM_RESTORE, text.data());
    }
}

void CTamsiroDlg::ShowHelp() {
    // The usage text that ships beside the program, in whatever opens text.
    const std::string readme = context_.DataFilePath("README.txt");
    if (FileExists(readme)) {
        const auto opened = reinterpret_cast<INT_PTR>(
            ::ShellExecuteA(Handle(), "open", readme.c_str(), nullptr, context_.ProgramFolder().c_str(), SW_SHOWNORMAL));
        if (opened > 32) return;
    }
    ui_.ShowMessage(TAMSIRO_HELP_MISSING);
}

void CTamsiroDlg::OnCommand(int id, int notifyCode) {
    if (ui_.InsideStep()) return;
    if (id == IDC_SAVE) {
        if (notifyCode == BN_CLICKED && stick_) OnSave(context_, *stick_);
        return;
    }
    CModalDialog::OnCommand(id, notifyCode);
}

bool CTamsiroDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
    case WM_SETCURSOR:
        if (!ui_.Busy()) return false;
        AnswerSetCursorWithWait(Handle());
        result = TRUE;
        return true;
    case WM_HELP:
        if (!ui_.InsideStep()) ShowHelp();
        result = TRUE;
        return true;
    case WM_SYSCOMMAND: {
        const WPARAM command = wParam & 0xFFF0;
        if (command != IDM_ABOUTBOX && command != IDM_RESTORE) return false;
        result = TRUE;
        if (ui_.InsideStep()) return true;
        if (command == IDM_ABOUTBOX) {
            CAboutDlg about(Handle());
            about.DoModal();
        } else if (stick_) {
            // The dialog stays open afterwards: the user may Save again or leave.
            (void)RestoreStockSounds(context_, *stick_);
        }
        return true;
    }
    case WM_PAINT:
        if (!::IsIconic(Handle())) return false;
        PaintMinimized();
        result = TRUE;
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(icon_);
        return true;
    default:
        return false;
    }
}

void CTamsiroDlg::PaintMinimized() {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(Handle(), &paint);
    ::SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, icon_);
    ::EndPaint(Handle(), &paint);
}

}  // namespace tamsiro::win32
