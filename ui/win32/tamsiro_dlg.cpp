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

namespace {

// The dialog template's choices: row k of a category is its first control
// plus k. The resource compiler can't check that the template numbers them
// so, so this file does.
constexpr std::array<int, kCategoriesInDialogOrder.size()> kFirstChoiceIds = [] {
    std::array<int, kCategoriesInDialogOrder.size()> ids{};
    ids[kMainPlace] = IDC_MAIN_1;
    ids[kVoicePlace] = IDC_VOICE_1;
    ids[kGamesPlace] = IDC_GAMES_1;
    return ids;
}();

constexpr int ChoiceId(std::size_t categoryPlace, int row) { return kFirstChoiceIds[categoryPlace] + row; }

static_assert(IDC_MAIN_6 == ChoiceId(kMainPlace, kRowsPerCategory - 1));
static_assert(IDC_VOICE_6 == ChoiceId(kVoicePlace, kRowsPerCategory - 1));
static_assert(IDC_GAMES_6 == ChoiceId(kGamesPlace, kRowsPerCategory - 1));
static_assert(IDC_VOICE_6 == ChoiceId(kVoicePlace, kMaleVoiceRemovalRow));

// A row's text as the dialog shows it; labels are short, and only what fits
// the buffer counts (see FileLabelOf).
std::string ChoiceText(HWND dialog, int id) {
    std::array<char, 64> text{};
    const HWND control = ::GetDlgItem(dialog, id);
    if (!control) return {};
    const int length = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace

CTamsiroDlg::CTamsiroDlg(std::string applicationName, std::string programFolder)
    : CModalDialog(IDD_MAIN, nullptr),
      ui_(std::move(applicationName)),
      context_(ui_, std::move(programFolder)),
      icon_(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      // The 16x16 picture of the same icon, so the caption shows the
      // drawing made for that size rather than a shrunken 32x32 one.
      smallIcon_(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED))) {}

BOOL CTamsiroDlg::OnInitDialog() {
    ui_.AttachDialog(Handle());
    AddSystemMenuEntries();
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));

    // On failure the sequence has already ended the dialog; it then closes
    // without being shown for input.
    std::optional<DialogStart> start = RunStartSequence(context_, ShownFileLabels());
    if (!start) return TRUE;
    stick_ = std::move(start->stick);
    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        for (int row = 0; row < kRowsPerCategory; ++row) {
            if (start->rows.IsAvailable(place, row)) continue;
            if (const HWND control = ::GetDlgItem(Handle(), ChoiceId(place, row))) ::EnableWindow(control, FALSE);
        }
    }
    return TRUE;
}

RowFileLabels CTamsiroDlg::ShownFileLabels() const {
    // The data files are named after what the rows say, as the template has it.
    RowFileLabels labels;
    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        for (int row = 0; row < kRowsPerCategory; ++row) {
            labels[place][static_cast<std::size_t>(row)] = FileLabelOf(ChoiceText(Handle(), ChoiceId(place, row)));
        }
    }
    return labels;
}

SaveSelection CTamsiroDlg::Selection() const {
    CheckedRows checked;
    auto checkedRow = [&](std::size_t place) -> std::optional<int> {
        for (int row = 0; row < kRowsPerCategory; ++row) {
            if (::IsDlgButtonChecked(Handle(), ChoiceId(place, row)) == BST_CHECKED) return row;
        }
        return std::nullopt;
    };
    checked.main = checkedRow(kMainPlace);
    checked.voice = checkedRow(kVoicePlace);
    checked.games = checkedRow(kGamesPlace);
    return SelectionOfRows(checked, ShownFileLabels());
}

void CTamsiroDlg::AddSystemMenuEntries() {
    const HMENU systemMenu = ::GetSystemMenu(Handle(), FALSE);
    if (!systemMenu) return;
    std::array<char, 128> text{};
    if (::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, text.data(), static_cast<int>(text.size())) <= 0)
        return;
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
        const auto opened = reinterpret_cast<INT_PTR>(::ShellExecuteA(Handle(), "open", readme.c_str(), nullptr,
                                                                      context_.ProgramFolder().c_str(), SW_SHOWNORMAL));
        if (opened > 32) return;
    }
    ui_.ShowMessage(TAMSIRO_HELP_MISSING);
}

void CTamsiroDlg::OnCommand(int id, int notifyCode) {
    if (ui_.InsideStep()) return;
    if (id == IDC_SAVE) {
        if (notifyCode == BN_CLICKED && stick_) OnSave(context_, *stick_, Selection());
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
    case WM_QUERYDRAGICON: result = reinterpret_cast<INT_PTR>(icon_); return true;
    default: return false;
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
