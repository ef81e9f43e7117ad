#include "ui/win32/tamsiro_dlg.h"

#include "catalogue/sound_catalogue.h"
#include "host/file_system.h"
#include "install/restore_command.h"
#include "install/save_command.h"
#include "install/start_sequence.h"
#include "install/stick_status.h"
#include "ui/ui_texts.h"
#include "ui/win32/about_dlg.h"
#include "ui/win32/res/resource.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
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

// A control's whole text.
std::string ControlText(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    if (!control) return {};
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    const int length = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

// A button shows "&" before the letter of its keyboard shortcut; a set's
// label is shown as its file spells it.
std::string WithoutShortcut(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        shown += c;
        if (c == '&') shown += '&';
    }
    return shown;
}

// The place of the group a row of the six belongs to, if `id` is one.
std::optional<std::size_t> CategoryPlaceOfRow(int id) {
    for (std::size_t place = 0; place < kFirstChoiceIds.size(); ++place) {
        if (id >= ChoiceId(place, 0) && id <= ChoiceId(place, kRowsPerCategory - 1)) return place;
    }
    return std::nullopt;
}

constexpr std::size_t kMostOtherSets = IDC_OTHER_SET_LAST - IDC_OTHER_SET_1 + 1;

// The dialog template's measures, in dialog units: where the Games group
// ends, the margins, the rows' spacing and the buttons' row.
constexpr int kGroupsBottom = 270;
constexpr int kMargin = 7;
constexpr int kGap = 2;
constexpr int kRowIndent = 9;
constexpr int kRowStep = 12;
constexpr int kRowHeight = 10;
constexpr int kGroupWidth = 152;
constexpr int kLineHeight = 8;
constexpr int kButtonHeight = 14;

// The status line's separator, " · ", in the code page the ...A functions
// take; a plain hyphen where that page has no middle dot.
std::string WordsSeparator() {
    if (::GetACP() == CP_UTF8) return " \xC2\xB7 ";
    const wchar_t dot = L'\u00B7';
    std::array<char, 8> bytes{};
    BOOL lost = FALSE;
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, &dot, 1, bytes.data(), static_cast<int>(bytes.size()), nullptr, &lost);
    if (length <= 0 || lost) return " - ";
    return " " + std::string(bytes.data(), static_cast<std::size_t>(length)) + " ";
}

// Dialog units as pixels, for this dialog's font.
RECT Pixels(HWND dialog, int x, int y, int width, int height) {
    RECT rect{x, y, x + width, y + height};
    ::MapDialogRect(dialog, &rect);
    return rect;
}

// How tall `text` is when wrapped at `width` pixels in the dialog's font.
int TextHeight(HWND dialog, const std::string& text, int width) {
    const HDC dc = ::GetDC(dialog);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    ::DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(dialog, dc);
    return rect.bottom - rect.top;
}

int TextWidth(HWND dialog, const std::string& text) {
    const HDC dc = ::GetDC(dialog);
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(dialog, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(dialog, dc);
    return size.cx;
}

void Place(HWND dialog, int id, int x, int y, int width, int height) {
    if (const HWND control = ::GetDlgItem(dialog, id))
        ::SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    const RowFileLabels labels = ShownFileLabels();
    for (std::size_t place = 0; place < kCategoriesInDialogOrder.size(); ++place) {
        for (int row = 0; row < kRowsPerCategory; ++row) {
            if (start->rows.IsAvailable(place, row)) continue;
            if (const HWND control = ::GetDlgItem(Handle(), ChoiceId(place, row))) ::EnableWindow(control, FALSE);
            greyed_.push_back(
                {ChoiceId(place, row), RowChoice(context_, place, labels[place][static_cast<std::size_t>(row)])});
        }
    }
    ShowOtherSets();
    ShowStickStatus();
    CenterOverOwner(Handle());
    return TRUE;
}

void CTamsiroDlg::ShowOtherSets() {
    otherSets_ = ExtraChoices(context_);
    if (otherSets_.size() > kMostOtherSets) otherSets_.resize(kMostOtherSets);
    if (otherSets_.empty()) return;
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const auto font = static_cast<WPARAM>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));
    auto make = [&](const std::string& text, DWORD style, int id) {
        const HWND control =
            ::CreateWindowExA(0, "Button", text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control) ::SendMessageA(control, WM_SETFONT, font, FALSE);
        return control;
    };
    make(TAMSIRO_OTHER_SETS_CAPTION, BS_GROUPBOX | WS_GROUP, IDC_OTHER_SETS);
    for (std::size_t i = 0; i < otherSets_.size(); ++i) {
        const SetChoice& set = otherSets_[i];
        const int id = IDC_OTHER_SET_1 + static_cast<int>(i);
        // Not automatic: a row here and the rows of its own group exclude
        // each other across boxes (OnChoiceClicked).
        const HWND row = make(WithoutShortcut(ExtraChoiceText(set)), BS_RADIOBUTTON | (i == 0 ? WS_GROUP : 0), id);
        if (row && !set.missingFile.empty()) {
            ::EnableWindow(row, FALSE);
            greyed_.push_back({id, set});
        }
    }
}

void CTamsiroDlg::LayOut() {
    const HWND dialog = Handle();
    RECT client{};
    ::GetClientRect(dialog, &client);
    const RECT margin = Pixels(dialog, kMargin, kGap, kRowIndent, kRowStep);
    const int left = margin.left;
    const int gap = margin.top;
    const int width = client.right - 2 * left;
    int y = Pixels(dialog, 0, kGroupsBottom, 0, 0).top;

    if (!otherSets_.empty()) {
        // As wide as the groups, or as the dialog where a row needs it.
        const RECT row = Pixels(dialog, kRowIndent, kRowStep, 14, kRowHeight);
        const int indent = row.left;
        const int step = row.top;
        const int rowHeight = row.bottom - row.top;
        int rowWidth = 0;
        for (const SetChoice& set : otherSets_) rowWidth = std::max(rowWidth, TextWidth(dialog, ExtraChoiceText(set)));
        rowWidth += row.right - row.left;  // the round button and its gap
        const int groupWidth = Pixels(dialog, 0, 0, kGroupWidth, 0).right;
        const int boxWidth = std::clamp(indent + rowWidth + gap, groupWidth, width);
        const int top = y + gap;
        const int firstRow = top + Pixels(dialog, 0, kRowHeight, 0, 0).top;
        const int count = static_cast<int>(otherSets_.size());
        const int boxHeight = (firstRow - top) + step * (count - 1) + rowHeight + 2 * gap;
        Place(dialog, IDC_OTHER_SETS, left, top, boxWidth, boxHeight);
        for (int i = 0; i < count; ++i) {
            Place(dialog, IDC_OTHER_SET_1 + i, left + indent, firstRow + step * i,
                  std::min(rowWidth, boxWidth - indent - gap), rowHeight);
        }
        y = top + boxHeight;
    }

    y += 2 * gap;
    const int line = Pixels(dialog, 0, 0, 0, kLineHeight).bottom;
    Place(dialog, IDC_STICK_ROOT, left, y, width, line);
    y += line + gap;
    const int status = TextHeight(dialog, ControlText(dialog, IDC_STICK_STATUS), width);
    Place(dialog, IDC_STICK_STATUS, left, y, width, status);
    y += status + gap;
    // As tall as the longest thing it may say, so that pointing at a row
    // never moves the buttons.
    const HWND missing = ::GetDlgItem(dialog, IDC_MISSING_FILES);
    if (missing) ::ShowWindow(missing, greyed_.empty() ? SW_HIDE : SW_SHOWNA);
    if (!greyed_.empty()) {
        int tallest = TextHeight(dialog, missingFiles_, width);
        for (const GreyedRow& row : greyed_)
            tallest = std::max(tallest, TextHeight(dialog, MissingFileLine(row.choice), width));
        Place(dialog, IDC_MISSING_FILES, left, y, width, tallest);
        y += tallest + gap;
    }

    y += gap;
    const RECT restore = Pixels(dialog, kMargin, 0, 82, kButtonHeight);
    const RECT save = Pixels(dialog, 95, 0, 45, kButtonHeight);
    const RECT cancel = Pixels(dialog, 145, 0, 45, kButtonHeight);
    const int buttonHeight = restore.bottom - restore.top;
    Place(dialog, IDC_RESTORE, restore.left, y, restore.right - restore.left, buttonHeight);
    Place(dialog, IDC_SAVE, save.left, y, save.right - save.left, buttonHeight);
    Place(dialog, IDCANCEL, cancel.left, y, cancel.right - cancel.left, buttonHeight);
    y += buttonHeight + Pixels(dialog, 0, kMargin, 0, 0).top;

    RECT frame{0, 0, client.right, y};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(dialog, nullptr, TRUE);
}

void CTamsiroDlg::ShowStickStatus() {
    if (!stick_) return;
    const DialogStatusWords words = DialogWordsOf(ReadStickStatus(context_, *stick_));
    ::SetDlgItemTextA(Handle(), IDC_STICK_ROOT, StickRootLine(stick_->Root()).c_str());
    ::SetDlgItemTextA(Handle(), IDC_STICK_STATUS, StickWordsLine(words, WordsSeparator()).c_str());
    std::vector<SetChoice> greyed;
    for (const GreyedRow& row : greyed_) greyed.push_back(row.choice);
    missingFiles_ = MissingFilesLine(greyed);
    pointedRow_ = 0;
    ::SetDlgItemTextA(Handle(), IDC_MISSING_FILES, missingFiles_.c_str());
    LayOut();
}

void CTamsiroDlg::ShowMissingFileAt(POINT point) {
    int pointed = 0;
    const SetChoice* choice = nullptr;
    for (const GreyedRow& row : greyed_) {
        const HWND control = ::GetDlgItem(Handle(), row.id);
        RECT rect{};
        if (!control || !::GetWindowRect(control, &rect)) continue;
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
        if (!::PtInRect(&rect, point)) continue;
        pointed = row.id;
        choice = &row.choice;
        break;
    }
    if (pointed == pointedRow_) return;
    pointedRow_ = pointed;
    ::SetDlgItemTextA(Handle(), IDC_MISSING_FILES, choice ? MissingFileLine(*choice).c_str() : missingFiles_.c_str());
}

std::vector<SetChoice> CTamsiroDlg::CheckedOtherSets() const {
    std::vector<SetChoice> checked;
    for (std::size_t i = 0; i < otherSets_.size(); ++i) {
        if (::IsDlgButtonChecked(Handle(), IDC_OTHER_SET_1 + static_cast<int>(i)) == BST_CHECKED)
            checked.push_back(otherSets_[i]);
    }
    return checked;
}

void CTamsiroDlg::OnChoiceClicked(int id) {
    std::optional<std::size_t> place = CategoryPlaceOfRow(id);
    const bool otherSet = id >= IDC_OTHER_SET_1 && id < IDC_OTHER_SET_1 + static_cast<int>(otherSets_.size());
    if (otherSet) {
        place = otherSets_[static_cast<std::size_t>(id - IDC_OTHER_SET_1)].categoryPlace;
        ::CheckDlgButton(Handle(), id, BST_CHECKED);
        for (int row = 0; row < kRowsPerCategory; ++row)
            ::CheckDlgButton(Handle(), ChoiceId(*place, row), BST_UNCHECKED);
    }
    if (!place) return;
    for (std::size_t i = 0; i < otherSets_.size(); ++i) {
        const int other = IDC_OTHER_SET_1 + static_cast<int>(i);
        if (other != id && otherSets_[i].categoryPlace == *place) ::CheckDlgButton(Handle(), other, BST_UNCHECKED);
    }
}

void CTamsiroDlg::Restore() {
    if (!stick_) return;
    // The dialog stays open afterwards: the user may Save again or leave.
    (void)RestoreStockSounds(context_, *stick_);
    ShowStickStatus();
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
    return WithExtraChoices(SelectionOfRows(checked, ShownFileLabels()), CheckedOtherSets());
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
        if (notifyCode != BN_CLICKED || !stick_) return;
        OnSave(context_, *stick_, Selection());
        if (!ui_.DialogEnded()) ShowStickStatus();
        return;
    }
    if (id == IDC_RESTORE) {
        if (notifyCode == BN_CLICKED) Restore();
        return;
    }
    if (notifyCode == BN_CLICKED) OnChoiceClicked(id);
    CModalDialog::OnCommand(id, notifyCode);
}

bool CTamsiroDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
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
        } else {
            Restore();
        }
        return true;
    }
    case WM_MOUSEMOVE:
        // A disabled row passes the pointer on to the dialog.
        ShowMissingFileAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return false;
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
