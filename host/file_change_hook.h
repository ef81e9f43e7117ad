#pragma once

#include <string>
#include <vector>

namespace tamsiro {

// Called by the file layer just before every operation that changes a file:
// create, write, flush, rename, delete, copy. It counts them; when the
// environment variable TAMSIRO_CRASH_AT holds a number k, the process ends
// abruptly (no clean-up, no flush of its own buffers) just before operation
// k. The crash-point tests use it to stop a Save at every step. With
// TAMSIRO_CRASH_MODE=power it cuts the machine's power there instead
// (see power_cut.h), for tests in a throwaway virtual machine; with
// TAMSIRO_CRASH_MODE=interrupt it raises SIGINT there and goes on.
// With TAMSIRO_FAIL_AT=k, operation k fails once instead: false comes
// back, and the caller reports failure without doing it, as if the host
// had said EIO. The injected-failure tests use it.
// With TAMSIRO_MARK_DEVICE=DEVICE:OFFSET each operation is also marked on
// that device (change_marker.h), for the FAT test's write recordings.
[[nodiscard]] bool BeforeFileChange();

// The same, for the operations whose order matters to durability; they are
// also recorded while a FileChangeRecorder is alive.
enum class FileOperation { Write, Flush, Rename, Replace, Delete };
[[nodiscard]] bool BeforeFileChange(FileOperation operation, const std::string& path, const std::string& target = {},
                                    unsigned long long bytes = 0);

// Called before a stick file is opened for reading where a read failure
// must stop the work (keeping the stick's files). False while a
// FailingRead names the file: the open fails as an unreadable file would.
[[nodiscard]] bool BeforeFileRead(const std::string& path);

// Called before a stick file is opened for reading past the cache (the
// check of what reached the device). False while a FailingRead past the
// cache names the file.
[[nodiscard]] bool BeforeDeviceRead(const std::string& path);

// Operations counted so far in this process.
unsigned long FileChangesSoFar();

struct RecordedFileChange {
    FileOperation operation;
    std::string path;
    std::string target;            // renames and replacements
    unsigned long long bytes = 0;  // writes
};

// Records the writes, flushes, renames and deletions made during its life,
// for tests that check their order (a file is flushed before it is renamed
// into place) and for counting the bytes a Save writes.
class FileChangeRecorder {
public:
    FileChangeRecorder();
    ~FileChangeRecorder();
    FileChangeRecorder(const FileChangeRecorder&) = delete;
    FileChangeRecorder& operator=(const FileChangeRecorder&) = delete;

    const std::vector<RecordedFileChange>& Changes() const { return changes_; }

private:
    friend bool BeforeFileChange(FileOperation, const std::string&, const std::string&, unsigned long long);
    std::vector<RecordedFileChange> changes_;
};

// While alive, every read of a file whose name is `fileName` (any case)
// fails: through BeforeFileRead (a stick file the host cannot read), or,
// `pastCache`, through BeforeDeviceRead (what a broken cluster chain gives
// when the device itself is read).
class FailingRead {
public:
    enum class Where { Stream, PastCache };
    explicit FailingRead(std::string fileName, Where where = Where::Stream);
    ~FailingRead();
    FailingRead(const FailingRead&) = delete;
    FailingRead& operator=(const FailingRead&) = delete;

private:
    friend bool BeforeFileRead(const std::string&);
    friend bool BeforeDeviceRead(const std::string&);
    std::string fileName_;
    Where where_;
    FailingRead* outer_;
};

// While alive, every operation of that kind on a file whose name is
// `fileName` (any case) fails without being done, as if the host had said
// EIO: a deletion the stick refuses, say.
class FailingChange {
public:
    FailingChange(FileOperation operation, std::string fileName);
    ~FailingChange();
    FailingChange(const FailingChange&) = delete;
    FailingChange& operator=(const FailingChange&) = delete;

private:
    friend bool BeforeFileChange(FileOperation, const std::string&, const std::string&, unsigned long long);
    FileOperation operation_;
    std::string fileName_;
};

}  // namespace tamsiro
