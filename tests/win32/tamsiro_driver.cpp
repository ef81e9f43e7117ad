// Drives Tamsiro.exe the way a person would, through window messages, and
// checks what it shows. Runs on Windows or under Wine beside the program.
//
//   tamsiro_driver <script>
//
// The script has one step a line ('#' starts a comment). Texts may use \n
// for a line feed; paths are taken as written.
//
//   start <exe>                  launch the program (its folder is the cwd)
//   attach <exe-name>            take over the program, started by the runner
//   chooser <path>               the stick chooser: type the path, press Open
//   chooser-cancel               the stick chooser: press Cancel
//   message <text>               an OK box with this text: press OK
//   ask <yes|no> <default yes|no> <text>
//                                a Yes/No box: check its default, answer
//   dialog                       the selection dialog is up and takes input
//   enabled <ids|none>           exactly these choices can be picked (the
//                                eighteen rows and the other sets' rows)
//   checked <ids|none>           exactly these choices are picked
//   click <id>                   pick a choice
//   text <id> <text>             the dialog's control shows this text
//   status <text>                the status line under the groups says this
//                                (the stick's line, \n, what it holds)
//   missing <text|none>          the missing-file line says this, or is
//                                not there
//   point <id>                   move the pointer onto a control
//   layout                       the controls under the groups are in order
//   save | cancel                press Save or Cancel
//   restore-button               press "Restore stock sounds..."
//   enter                        press Enter where the focus is
//   ok-command                   the OK command, as the dialog manager sends it
//   help                         press F1 in the selection dialog
//   opened <title>               another program opened a window with
//                                this title: close it
//   progress <required|optional|none>
//                                a progress window came up while the
//                                program worked (optional: if one did, it
//                                behaved; none: it did not); any progress
//                                window seen must be owned by the dialog,
//                                have a bar and never share the screen
//                                with a message box
//   about <command>              choose About from the system menu
//   about-ok                     close the About box
//   restore                      choose "Restore stock sounds..." from the system menu
//   snap <file.bmp>              picture of the window in front
//   delete <path>                delete a file behind the program's back
//   replace-with-folder <path>   put a folder where a file was
//   exit                         the program ends by itself
//
// Prints one line a step; exit code 0 when every step held, 1 otherwise.
// On a failure the program under test is terminated.

#include "ui/ui_texts.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kMainTitle = TAMSIRO_DIALOG_CAPTION;
constexpr const char* kChooserTitle = TAMSIRO_CHOOSER_TITLE;
constexpr const char* kAboutTitle = TAMSIRO_ABOUT_CAPTION;
constexpr int kSaveId = 1003;
constexpr int kRestoreId = 1006;
constexpr int kStickRootId = 1007;
constexpr int kStickStatusId = 1008;
constexpr int kMissingFilesId = 1009;
constexpr int kOtherSetsId = 1100;
constexpr int kFirstOtherSetId = 1101;
constexpr int kLastOtherSetId = 1199;
constexpr int kLastGamesRowId = 1036;
constexpr int kChoiceIds[] = {1011, 1012, 1013, 1014, 1015, 1016, 1021, 1022, 1023,
                              1024, 1025, 1026, 1031, 1032, 1033, 1034, 1035, 1036};
// The open-file dialog's file-name box: a combo box in the Explorer style,
// an edit control in the old style.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;
constexpr int kFileTypeCombo = 0x470;
constexpr int kReadOnlyCheck = 0x410;

DWORD g_timeoutMs = 30000;

struct Failure {
    std::string what;
};

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    // Cross-process: WM_GETTEXT is marshalled, and a hung target can't hang us.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                             &length))
        return {};
    return std::string(text, std::min<std::size_t>(length, sizeof text - 1));
}

// A window's text in UTF-8, as the scripts are written: whatever the code
// pages of the program and of this driver.
std::string WindowTextUtf8(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    const int wideLength = static_cast<int>(std::min<std::size_t>(length, sizeof text / sizeof text[0] - 1));
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, wideLength, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out + "\"";
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

class Session {
public:
    ~Session() { Kill(); }

    void Start(const std::string& exe) {
        const auto slash = exe.find_last_of("\\/");
        const std::string folder = slash == std::string::npos ? "." : exe.substr(0, slash);
        const std::string name = exe.substr(slash == std::string::npos ? 0 : slash + 1);
        applicationName_ = name.substr(0, name.find_last_of('.'));
        // Paths as the script has them, in UTF-8: the program's folder may
        // lie outside this console's code page.
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + Wide(exe) + L"\"";
        // A fresh Wine prefix may still be settling when the first program
        // starts, and then CreateProcess fails with an internal error once.
        bool created = false;
        DWORD error = 0;
        for (int attempt = 0; attempt < 5 && !created; ++attempt) {
            if (attempt > 0) Sleep(1000);
            created = CreateProcessW(Wide(exe).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     Wide(folder).c_str(), &startup, &process_);
            error = created ? 0 : GetLastError();
            if (!created && error != ERROR_INTERNAL_ERROR) break;
        }
        if (!created) throw Failure{"cannot start " + exe + " (error " + std::to_string(error) + ")"};
        CloseHandle(process_.hThread);
        started_ = true;
    }

    // Takes over a program started by someone else (a path too long for
    // CreateProcess, say): the first process with this file name.
    void Attach(const std::string& exeName) {
        applicationName_ = exeName.substr(0, exeName.find_last_of('.'));
        const DWORD start = GetTickCount();
        while (!started_) {
            const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32 entry{};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32First(snapshot, &entry); more && !started_;
                 more = Process32Next(snapshot, &entry)) {
                if (_stricmp(entry.szExeFile, exeName.c_str()) != 0) continue;
                process_.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION,
                                                FALSE, entry.th32ProcessID);
                process_.dwProcessId = entry.th32ProcessID;
                started_ = process_.hProcess != nullptr;
            }
            CloseHandle(snapshot);
            if (started_) return;
            if (GetTickCount() - start > g_timeoutMs) throw Failure{"no process " + exeName + " to attach to"};
            Sleep(50);
        }
    }

    bool Running() const { return started_ && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

    void Kill() {
        if (!started_) return;
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        started_ = false;
    }

    const std::string& ApplicationName() const { return applicationName_; }

    // Visible dialog-class top-level windows of the program.
    std::vector<HWND> Dialogs() const {
        struct Search {
            DWORD pid;
            std::vector<HWND> found;
        } search{process_.dwProcessId, {}};
        EnumWindows(
            [](HWND hwnd, LPARAM lParam) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lParam);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (pid == s->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32770") s->found.push_back(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The one window that takes input now: visible and enabled.
    HWND Front() const {
        HWND front = nullptr;
        for (HWND hwnd : Dialogs()) {
            if (IsWindowEnabled(hwnd)) front = hwnd;
        }
        return front;
    }

    std::string Screen() const {
        std::string out;
        for (HWND hwnd : Dialogs()) {
            out += "\n    window " + Quoted(WindowText(hwnd)) + (IsWindowEnabled(hwnd) ? "" : " (disabled)");
        }
        return out.empty() ? "\n    no window" : out;
    }

    // Whether a progress window came up so far. Every wait looks for it, so
    // it is seen whatever step the driver is at while the program works.
    bool ProgressSeen() const { return progressSeen_; }

    // Polls until `ready` holds; fails on timeout or when the program ends.
    void WaitUntil(const std::string& what, const std::function<bool()>& ready) const {
        const DWORD start = GetTickCount();
        for (;;) {
            LookForProgress();
            if (ready()) return;
            if (!Running()) throw Failure{"program ended while waiting for " + what};
            if (GetTickCount() - start > g_timeoutMs)
                throw Failure{"timed out waiting for " + what + "; on screen:" + Screen()};
            Sleep(20);
        }
    }

    // Waits for a front window with this title.
    HWND WaitForFront(const std::string& what, const std::function<bool(const std::string&)>& titleMatches) const {
        HWND found = nullptr;
        WaitUntil(what, [&] {
            const HWND front = Front();
            if (front && titleMatches(WindowText(front))) {
                found = front;
                return true;
            }
            return false;
        });
        return found;
    }

    void WaitGone(HWND hwnd, const std::string& what) const {
        WaitUntil(what + " to close", [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
    }

    HWND MainDialog() const {
        for (HWND hwnd : Dialogs()) {
            if (WindowText(hwnd) == kMainTitle) return hwnd;
        }
        throw Failure{"the selection dialog is not shown; on screen:" + Screen()};
    }

    void WaitExit() {
        const DWORD result = WaitForSingleObject(process_.hProcess, g_timeoutMs);
        if (result != WAIT_OBJECT_0) throw Failure{"program still running; on screen:" + Screen()};
    }

private:
    // The progress window is owned by the selection dialog, has a bar and
    // is never up together with a message box (boxes carry the program's
    // name as caption).
    void LookForProgress() const {
        const std::vector<HWND> windows = Dialogs();
        for (HWND window : windows) {
            if (WindowText(window) != TAMSIRO_PROGRESS_CAPTION) continue;
            progressSeen_ = true;
            if (!FindWindowExA(window, nullptr, "msctls_progress32", nullptr))
                throw Failure{"the progress window has no progress bar"};
            const HWND owner = GetWindow(window, GW_OWNER);
            if (!owner || WindowText(owner) != kMainTitle)
                throw Failure{"the progress window is not owned by the selection dialog"};
            for (HWND other : windows) {
                // Seen again after the box: both were up at once.
                if (WindowText(other) == applicationName_ && IsWindowVisible(other) && IsWindowVisible(window))
                    throw Failure{"a message box showed while the progress window was open; on screen:" + Screen()};
            }
        }
    }

    PROCESS_INFORMATION process_{};
    bool started_ = false;
    std::string applicationName_;
    mutable bool progressSeen_ = false;
};

struct Child {
    HWND hwnd;
    int id;
    std::string className;
    std::string text;
    LONG style;
};

std::vector<Child> ChildrenOf(HWND parent) {
    std::vector<Child> children;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto* list = reinterpret_cast<std::vector<Child>*>(lParam);
            if (IsWindowVisible(hwnd)) {
                list->push_back(
                    {hwnd, GetDlgCtrlID(hwnd), ClassOf(hwnd), WindowText(hwnd), GetWindowLongA(hwnd, GWL_STYLE)});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

bool IsButtonClass(const std::string& name) { return _stricmp(name.c_str(), "Button") == 0; }
bool IsStaticClass(const std::string& name) { return _stricmp(name.c_str(), "Static") == 0; }

// The pixels of a screen rectangle, or of an icon drawn on a plain
// background of the same size.
std::vector<DWORD> Pixels(int width, int height, const std::function<void(HDC memory, HDC screen)>& draw) {
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    draw(memory, screen);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

// Which of the system's message-box icons a box shows. The icon handle of
// another process can't be read here, so the pixels on screen are compared
// with each icon drawn on the same background.
std::string IconKind(HWND iconControl) {
    RECT rect{};
    GetWindowRect(iconControl, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return "none";
    const auto shown = Pixels(width, height, [&](HDC dc, HDC screen) {
        BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    });
    const DWORD background = shown.front();
    struct Kind {
        const char* name;
        LPCSTR id;
    };
    const Kind kinds[] = {
        {"warning", IDI_WARNING}, {"error", IDI_ERROR}, {"information", IDI_INFORMATION}, {"question", IDI_QUESTION}};
    std::string best = "unknown";
    std::size_t fewest = shown.size() / 20 + 1;  // a few stray pixels are fine
    for (const Kind& kind : kinds) {
        const auto drawn = Pixels(width, height, [&](HDC dc, HDC) {
            const HBRUSH brush =
                CreateSolidBrush(RGB(background >> 16 & 0xFF, background >> 8 & 0xFF, background & 0xFF));
            const RECT all{0, 0, width, height};
            FillRect(dc, &all, brush);
            DeleteObject(brush);
            DrawIconEx(dc, 0, 0, LoadIconA(nullptr, kind.id), 0, 0, 0, nullptr, DI_NORMAL);
        });
        std::size_t differing = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) differing += shown[i] != drawn[i];
        if (differing < fewest) {
            fewest = differing;
            best = kind.name;
        }
    }
    return best;
}

// What a message box shows.
struct Box {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // identifiers, sorted
    int defaultButton = 0;
    HWND icon = nullptr;
};

Box ReadBox(HWND box) {
    Box read;
    read.caption = WindowText(box);
    for (const Child& child : ChildrenOf(box)) {
        if (IsStaticClass(child.className)) {
            if ((child.style & SS_TYPEMASK) == SS_ICON) {
                read.icon = child.hwnd;
            } else if (!child.text.empty()) {
                read.text += child.text;
            }
        } else if (IsButtonClass(child.className)) {
            read.buttons.push_back(child.id);
            if ((child.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) read.defaultButton = child.id;
        }
    }
    std::sort(read.buttons.begin(), read.buttons.end());
    return read;
}

std::string ButtonsText(const std::vector<int>& ids) {
    std::string out;
    for (int id : ids) {
        out += out.empty() ? "" : ",";
        out += id == IDOK       ? "OK"
               : id == IDYES    ? "Yes"
               : id == IDNO     ? "No"
               : id == IDCANCEL ? "Cancel"
                                : std::to_string(id);
    }
    return out;
}

void Press(HWND dialog, int buttonId, const std::string& what) {
    const HWND button = GetDlgItem(dialog, buttonId);
    if (!button) throw Failure{"no " + what + " button"};
    PostMessageA(button, BM_CLICK, 0, 0);
}

std::set<int> ParseIds(const std::string& list) {
    std::set<int> ids;
    if (list == "none") return ids;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (!item.empty()) ids.insert(std::stoi(item));
    }
    return ids;
}

std::string IdsText(const std::set<int>& ids) {
    if (ids.empty()) return "none";
    std::string out;
    for (int id : ids) {
        if (!out.empty()) out += ',';
        out += std::to_string(id);
    }
    return out;
}

void SaveBitmap(HWND window, const std::string& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD imageSize = stride * height;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    info.bmiHeader.biSizeImage = imageSize;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!out) throw Failure{"cannot write " + path};
}

// One step; returns what to print on success.
std::string RunStep(Session& session, const std::string& command, const std::string& argument) {
    if (command == "timeout") {
        g_timeoutMs = static_cast<DWORD>(std::stoul(argument)) * 1000;
        return "timeout " + argument + " s";
    }
    if (command == "start") {
        session.Start(argument);
        return "started " + argument;
    }
    if (command == "attach") {
        session.Attach(argument);
        return "attached to " + argument;
    }
    if (command == "chooser" || command == "chooser-cancel") {
        const HWND chooser =
            session.WaitForFront("the stick chooser", [](const std::string& t) { return t == kChooserTitle; });
        HWND name = GetDlgItem(chooser, kFileNameCombo);
        if (!name) name = GetDlgItem(chooser, kFileNameEdit);
        if (!name) throw Failure{"the chooser has no file-name box"};
        const std::string initial = WindowText(name);
        if (initial != TAMSIRO_CHOOSER_FILE)
            throw Failure{"the chooser offers " + Quoted(initial) + ", not " + Quoted(TAMSIRO_CHOOSER_FILE)};
        const std::string filter = WindowText(GetDlgItem(chooser, kFileTypeCombo));
        if (filter != TAMSIRO_CHOOSER_FILTER_NAME) throw Failure{"the chooser's file type is " + Quoted(filter)};
        const HWND readOnly = GetDlgItem(chooser, kReadOnlyCheck);
        if (readOnly && IsWindowVisible(readOnly)) throw Failure{"the chooser shows its read-only check box"};
        if (command == "chooser-cancel") {
            Press(chooser, IDCANCEL, "Cancel");
            session.WaitGone(chooser, "the chooser");
            return "chooser: cancelled";
        }
        DWORD_PTR ignored = 0;
        // Wide, as the script is UTF-8 and the driver's code page may not be.
        const std::wstring path = Wide(argument);
        SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000,
                            &ignored);
        Press(chooser, IDOK, "Open");
        session.WaitGone(chooser, "the chooser");
        return "chooser: opened " + argument;
    }
    if (command == "message" || command == "ask") {
        std::string text = argument;
        int answer = IDOK;
        int expectedDefault = IDOK;
        std::vector<int> expectedButtons{IDOK};
        if (command == "ask") {
            std::stringstream in(argument);
            std::string answerWord, defaultWord, defaultValue;
            in >> answerWord >> defaultWord >> defaultValue;
            if (defaultWord != "default" || (answerWord != "yes" && answerWord != "no") ||
                (defaultValue != "yes" && defaultValue != "no"))
                throw Failure{"script: ask <yes|no> default <yes|no> <text>"};
            std::getline(in >> std::ws, text);
            answer = answerWord == "yes" ? IDYES : IDNO;
            expectedDefault = defaultValue == "yes" ? IDYES : IDNO;
            expectedButtons = {IDYES, IDNO};
        }
        text = Unescape(text);
        const HWND box = session.WaitForFront("a message box " + Quoted(text), [](const std::string& t) {
            // No title at all: a window that went while it was asked.
            return !t.empty() && t != kMainTitle && t != kChooserTitle && t != kAboutTitle &&
                   t != TAMSIRO_PROGRESS_CAPTION;
        });
        Box read;
        // The box fills in its controls as it is created.
        session.WaitUntil("the message box's text and buttons", [&] {
            read = ReadBox(box);
            return !read.text.empty() && !read.buttons.empty();
        });
        std::string problems;
        if (read.caption != session.ApplicationName())
            problems += "\n    caption " + Quoted(read.caption) + ", expected " + Quoted(session.ApplicationName());
        if (read.text != text) problems += "\n    text " + Quoted(read.text) + ", expected " + Quoted(text);
        if (read.buttons != expectedButtons)
            problems += "\n    buttons " + ButtonsText(read.buttons) + ", expected " + ButtonsText(expectedButtons);
        if (read.defaultButton != expectedDefault)
            problems += "\n    default button " + ButtonsText({read.defaultButton}) + ", expected " +
                        ButtonsText({expectedDefault});
        // Painting may lag behind the controls' creation.
        std::string icon = "none";
        if (read.icon) {
            const DWORD start = GetTickCount();
            while ((icon = IconKind(read.icon)) != "warning" && GetTickCount() - start < 3000) Sleep(50);
        }
        if (icon != "warning") problems += "\n    icon " + icon + ", expected warning";
        if (!problems.empty()) throw Failure{"unexpected message box:" + problems};
        Press(box, answer, ButtonsText({answer}));
        session.WaitGone(box, "the message box");
        return command + " " + Quoted(text) + " [" + ButtonsText(read.buttons) + ", default " +
               ButtonsText({read.defaultButton}) + "] -> " + ButtonsText({answer});
    }
    if (command == "dialog") {
        session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        return "selection dialog shown";
    }
    if (command == "enter") {
        // Keys go to the control with the focus; the dialog's own message
        // loop turns Enter into a command.
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) || !thread.hwndFocus)
            throw Failure{"no control has the focus"};
        const std::string target = "Enter on control " + std::to_string(GetDlgCtrlID(thread.hwndFocus)) + " " +
                                   Quoted(WindowText(thread.hwndFocus));
        PostMessageA(thread.hwndFocus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(thread.hwndFocus, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
        return target;
    }
    if (command == "help") {
        // F1 becomes WM_HELP only as real keyboard input, which goes to the
        // window in the foreground.
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        SetForegroundWindow(dialog);
        session.WaitUntil("the selection dialog in the foreground", [&] { return GetForegroundWindow() == dialog; });
        INPUT keys[2]{};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wVk = VK_F1;
        }
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, keys, sizeof(INPUT)) != 2) throw Failure{"cannot type F1"};
        return "pressed F1";
    }
    if (command == "opened") {
        // Another program's window, such as the text editor F1 starts.
        HWND window = nullptr;
        session.WaitUntil("a window " + Quoted(argument), [&] {
            window = FindWindowA(nullptr, argument.c_str());
            return window && IsWindowVisible(window);
        });
        PostMessageA(window, WM_CLOSE, 0, 0);
        session.WaitGone(window, Quoted(argument));
        return "window " + Quoted(argument) + " opened and closed";
    }
    if (command == "progress") {
        if (argument != "required" && argument != "optional" && argument != "none")
            throw Failure{"script: progress <required|optional|none>"};
        if (session.ProgressSeen()) {
            if (argument == "none") throw Failure{"a progress window came up for a short step"};
            return "progress window shown";
        }
        if (argument == "required") throw Failure{"no progress window appeared"};
        return "no progress window";
    }
    if (command == "enabled" || command == "checked") {
        const HWND dialog = session.MainDialog();
        std::set<int> actual;
        auto read = [&](int id, HWND control) {
            const bool on = command == "enabled" ? IsWindowEnabled(control) != FALSE
                                                 : SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (on) actual.insert(id);
        };
        for (int id : kChoiceIds) {
            const HWND control = GetDlgItem(dialog, id);
            if (!control) throw Failure{"no choice " + std::to_string(id)};
            read(id, control);
        }
        for (int id = kFirstOtherSetId; id <= kLastOtherSetId; ++id) {
            if (const HWND control = GetDlgItem(dialog, id)) read(id, control);
        }
        const std::set<int> expected = ParseIds(argument);
        if (actual != expected) throw Failure{command + " " + IdsText(actual) + ", expected " + IdsText(expected)};
        return command + " " + IdsText(actual);
    }
    if (command == "click") {
        const HWND dialog = session.MainDialog();
        const int id = std::stoi(argument);
        const HWND control = GetDlgItem(dialog, id);
        if (!control) throw Failure{"no control " + argument};
        if (!IsWindowEnabled(control)) throw Failure{"choice " + argument + " is disabled and can't be clicked"};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        session.WaitUntil("choice " + argument + " to be checked",
                          [&] { return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED; });
        return "clicked " + argument + " " + Quoted(WindowText(control));
    }
    if (command == "text") {
        const HWND dialog = session.MainDialog();
        const auto space = argument.find(' ');
        const int id = std::stoi(argument.substr(0, space));
        const std::string expected = space == std::string::npos ? "" : argument.substr(space + 1);
        const HWND control = GetDlgItem(dialog, id);
        if (!control || !IsWindowVisible(control)) throw Failure{"no control " + std::to_string(id) + " on screen"};
        const std::string shown = WindowTextUtf8(control);
        if (shown != expected) throw Failure{"control " + std::to_string(id) + " says " + Quoted(shown)};
        return "control " + std::to_string(id) + " says " + Quoted(shown);
    }
    if (command == "status" || command == "missing") {
        // Read again until it holds: the line follows what the program just did.
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        const bool none = command == "missing" && argument == "none";
        const std::string expected = Unescape(argument);
        std::string shown;
        auto read = [&] {
            if (command == "missing") {
                const HWND line = GetDlgItem(dialog, kMissingFilesId);
                return line && IsWindowVisible(line) ? WindowTextUtf8(line) : std::string();
            }
            return WindowTextUtf8(GetDlgItem(dialog, kStickRootId)) + "\n" +
                   WindowTextUtf8(GetDlgItem(dialog, kStickStatusId));
        };
        try {
            session.WaitUntil(command + " line " + Quoted(expected), [&] {
                shown = read();
                return none ? shown.empty() : shown == expected;
            });
        } catch (const Failure&) {
            throw Failure{"the " + command + " line says " + Quoted(shown) + ", expected " +
                          (none ? std::string("nothing") : Quoted(expected))};
        }
        return command + " " + Quoted(shown);
    }
    if (command == "point") {
        const HWND dialog = session.MainDialog();
        const HWND control = GetDlgItem(dialog, std::stoi(argument));
        if (!control) throw Failure{"no control " + argument};
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        // Posted to the dialog, as the system does over a disabled control.
        PostMessageA(dialog, WM_MOUSEMOVE, 0, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
        return "pointed at " + argument + " " + Quoted(WindowText(control));
    }
    if (command == "layout") {
        const HWND dialog = session.MainDialog();
        RECT client{};
        GetClientRect(dialog, &client);
        auto rectOf = [&](int id) {
            RECT rect{};
            const HWND control = GetDlgItem(dialog, id);
            if (!control || !IsWindowVisible(control)) throw Failure{"no control " + std::to_string(id) + " on screen"};
            GetWindowRect(control, &rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
            return rect;
        };
        std::string problems;
        for (const Child& child : ChildrenOf(dialog)) {
            RECT rect{};
            GetWindowRect(child.hwnd, &rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
            if (rect.left < 0 || rect.top < 0 || rect.right > client.right || rect.bottom > client.bottom)
                problems +=
                    "\n    control " + std::to_string(child.id) + " " + Quoted(child.text) + " lies outside the dialog";
        }
        // Top to bottom: the groups, the other sets, the status, the buttons.
        int bottom = rectOf(kLastGamesRowId).bottom;
        if (GetDlgItem(dialog, kOtherSetsId)) {
            const RECT box = rectOf(kOtherSetsId);
            if (box.top < bottom) problems += "\n    the other sets' box overlaps the Games group";
            for (int id = kFirstOtherSetId; GetDlgItem(dialog, id); ++id) {
                const RECT row = rectOf(id);
                if (row.top < box.top || row.bottom > box.bottom || row.right > box.right)
                    problems += "\n    row " + std::to_string(id) + " lies outside the other sets' box";
            }
            bottom = box.bottom;
        }
        for (int id : {kStickRootId, kStickStatusId}) {
            const RECT line = rectOf(id);
            if (line.top < bottom) problems += "\n    status line " + std::to_string(id) + " overlaps what is above";
            bottom = line.bottom;
        }
        if (const HWND missing = GetDlgItem(dialog, kMissingFilesId); missing && IsWindowVisible(missing)) {
            const RECT line = rectOf(kMissingFilesId);
            if (line.top < bottom) problems += "\n    the missing-file line overlaps what is above";
            bottom = line.bottom;
        }
        const RECT restore = rectOf(kRestoreId), save = rectOf(kSaveId), cancel = rectOf(IDCANCEL);
        if (restore.top != save.top || save.top != cancel.top) problems += "\n    the buttons are not in one row";
        if (restore.top < bottom) problems += "\n    the buttons overlap the status line";
        if (!(restore.right <= save.left && save.right <= cancel.left))
            problems += "\n    the buttons are not Restore, Save, Cancel from the left";
        if (!problems.empty()) throw Failure{"the dialog's layout:" + problems};
        return "layout in order";
    }
    if (command == "restore-button") {
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        const HWND button = GetDlgItem(dialog, kRestoreId);
        if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) throw Failure{"no Restore button"};
        if (WindowText(button) != TAMSIRO_RESTORE_ENTRY)
            throw Failure{"the Restore button says " + Quoted(WindowText(button))};
        Press(dialog, kRestoreId, "Restore");
        return "pressed " + Quoted(WindowText(button));
    }
    if (command == "save" || command == "cancel") {
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        Press(dialog, command == "save" ? kSaveId : IDCANCEL, command);
        return "pressed " + command;
    }
    if (command == "ok-command") {
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return "sent the OK command";
    }
    if (command == "about") {
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        PostMessageA(dialog, WM_SYSCOMMAND, static_cast<WPARAM>(std::stoul(argument, nullptr, 0)), 0);
        const HWND about = session.WaitForFront("the About box", [](const std::string& t) { return t == kAboutTitle; });
        // Its texts, top to bottom.
        const std::vector<std::string> expectedTexts{TAMSIRO_ABOUT_VERSION, TAMSIRO_ABOUT_CREDIT_1,
                                                     TAMSIRO_ABOUT_CREDIT_2};
        std::vector<std::string> texts;
        bool ok = false, icon = false;
        session.WaitUntil("the About box's texts and OK button", [&] {
            texts.clear();
            for (const Child& child : ChildrenOf(about)) {
                if (IsStaticClass(child.className) && (child.style & SS_TYPEMASK) != SS_ICON)
                    texts.push_back(child.text);
                icon = icon || (IsStaticClass(child.className) && (child.style & SS_TYPEMASK) == SS_ICON);
                ok = ok || (child.id == IDOK && child.text == "OK" && (child.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
            }
            return texts == expectedTexts && ok && icon;
        });
        const LONG style = GetWindowLongA(about, GWL_STYLE);
        const LONG frame = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        if ((style & frame) != frame) throw Failure{"the About box lacks its caption, system menu or modal frame"};
        return "About box shown";
    }
    if (command == "restore") {
        const HWND dialog =
            session.WaitForFront("the selection dialog", [](const std::string& t) { return t == kMainTitle; });
        // Wine keeps menus inside their process, so the entry itself can't be
        // read from here: the command is sent as choosing it would.
        PostMessageA(dialog, WM_SYSCOMMAND, 0x0020, 0);
        return "chose Restore stock sounds";
    }
    if (command == "about-ok") {
        const HWND about = session.WaitForFront("the About box", [](const std::string& t) { return t == kAboutTitle; });
        Press(about, IDOK, "OK");
        session.WaitGone(about, "the About box");
        return "About box closed";
    }
    if (command == "snap") {
        const HWND front = session.WaitForFront("a window", [](const std::string&) { return true; });
        // Let it finish painting.
        Sleep(500);
        SaveBitmap(front, argument);
        return "snap of " + Quoted(WindowText(front)) + " -> " + argument;
    }
    if (command == "delete") {
        if (!DeleteFileA(argument.c_str())) throw Failure{"cannot delete " + argument};
        return "deleted " + argument;
    }
    if (command == "replace-with-folder") {
        DeleteFileA(argument.c_str());
        if (!CreateDirectoryA(argument.c_str(), nullptr)) throw Failure{"cannot create folder " + argument};
        return "folder in place of " + argument;
    }
    if (command == "exit") {
        session.WaitExit();
        return "program ended";
    }
    throw Failure{"script: unknown step " + Quoted(command)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tamsiro_driver <script>\n");
        return 2;
    }
    std::ifstream script(argv[1]);
    if (!script) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    // The pointer out of the program's way: where it rests over the dialog,
    // the system may report it there and change what the dialog says.
    SetCursorPos(0, 0);
    Session session;
    std::string line;
    int lineNumber = 0;
    while (std::getline(script, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first);
        const auto space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
        try {
            std::printf("  ok    %s\n", RunStep(session, command, argument).c_str());
        } catch (const Failure& failure) {
            std::printf("  FAIL  line %d: %s\n        %s\n", lineNumber, line.c_str(), failure.what.c_str());
            std::fflush(stdout);
            session.Kill();
            return 1;
        } catch (const std::exception& error) {
            std::printf("  FAIL  line %d: %s\n        script error: %s\n", lineNumber, line.c_str(), error.what());
            std::fflush(stdout);
            session.Kill();
            return 1;
        }
        std::fflush(stdout);
    }
    if (session.Running()) {
        std::printf("  FAIL  the script ended with the program still running\n");
        session.Kill();
        return 1;
    }
    return 0;
}
