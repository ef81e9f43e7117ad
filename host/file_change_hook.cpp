#include "host/file_change_hook.h"

#include "host/change_marker.h"
#include "host/file_system.h"
#include "host/power_cut.h"

#include <csignal>
#include <cstdlib>
#include <utility>

namespace tamsiro {

namespace {

unsigned long changes = 0;
FileChangeRecorder* recorder = nullptr;
FailingRead* failingRead = nullptr;
FailingChange* failingChange = nullptr;

bool NamesFile(const std::string& path, const std::string& fileName) {
    const std::size_t slash = path.find_last_of("/\\");
    return EqualIgnoringAsciiCase(slash == std::string::npos ? path : path.substr(slash + 1), fileName);
}

unsigned long NumberIn(const char* variable) {
    const char* text = std::getenv(variable);
    return text ? std::strtoul(text, nullptr, 10) : 0UL;
}

unsigned long CrashPoint() {
    static const unsigned long point = NumberIn("TAMSIRO_CRASH_AT");
    return point;
}

// The count only grows, so operation k fails once per process.
unsigned long FailurePoint() {
    static const unsigned long point = NumberIn("TAMSIRO_FAIL_AT");
    return point;
}

bool CrashModeIs(const char* wanted) {
    const char* mode = std::getenv("TAMSIRO_CRASH_MODE");
    return mode && std::string(mode) == wanted;
}

// TAMSIRO_CRASH_MODE=power: the crash point cuts the machine's power
// instead, so that what the host had not yet written is lost as well.
bool CutsPower() {
    static const bool power = CrashModeIs("power");
    return power;
}

// TAMSIRO_CRASH_MODE=interrupt: the crash point is a Ctrl-C (SIGINT) that
// arrives just before the operation, which then goes ahead.
bool Interrupts() {
    static const bool interrupt = CrashModeIs("interrupt");
    return interrupt;
}

const char* NameOf(FileOperation operation) {
    switch (operation) {
    case FileOperation::Write: return "write";
    case FileOperation::Flush: return "flush";
    case FileOperation::Rename: return "rename";
    case FileOperation::Replace: return "replace";
    case FileOperation::Delete: return "delete";
    }
    return "change";
}

// Counts operation `changes + 1`, marks it for a recording of the device's
// writes, then fails, crashes or goes on as the environment asks.
bool CountFileChange(const char* operation, const std::string& path) {
    ++changes;
    MarkFileChange(changes, operation, path);
    if (changes == FailurePoint()) return false;
    // _Exit skips destructors, atexit handlers and stdio flushes, as a
    // crash or a pulled plug would.
    if (changes != CrashPoint()) return true;
    if (Interrupts()) {
        (void)std::raise(SIGINT);
        return true;
    }
    if (CutsPower()) CutPower();
    std::_Exit(86);
}

}  // namespace

bool BeforeFileChange() { return CountFileChange("change", {}); }

bool BeforeFileChange(FileOperation operation, const std::string& path, const std::string& target,
                      unsigned long long bytes) {
    if (!CountFileChange(NameOf(operation), target.empty() ? path : path + " -> " + target)) return false;
    if (failingChange && failingChange->operation_ == operation && NamesFile(path, failingChange->fileName_)) {
        return false;
    }
    if (recorder) recorder->changes_.push_back({operation, path, target, bytes});
    return true;
}

bool BeforeFileRead(const std::string& path) { return !failingRead || !NamesFile(path, failingRead->fileName_); }

bool BeforeDeviceRead(const std::string& path) {
    for (const FailingRead* read = failingRead; read; read = read->outer_) {
        if (read->where_ == FailingRead::Where::PastCache && NamesFile(path, read->fileName_)) return false;
    }
    return true;
}

unsigned long FileChangesSoFar() { return changes; }

FileChangeRecorder::FileChangeRecorder() { recorder = this; }

FileChangeRecorder::~FileChangeRecorder() {
    if (recorder == this) recorder = nullptr;
}

FailingRead::FailingRead(std::string fileName, Where where)
    : fileName_(std::move(fileName)), where_(where), outer_(failingRead) {
    failingRead = this;
}

FailingRead::~FailingRead() {
    if (failingRead == this) failingRead = outer_;
}

FailingChange::FailingChange(FileOperation operation, std::string fileName)
    : operation_(operation), fileName_(std::move(fileName)) {
    failingChange = this;
}

FailingChange::~FailingChange() {
    if (failingChange == this) failingChange = nullptr;
}

}  // namespace tamsiro
