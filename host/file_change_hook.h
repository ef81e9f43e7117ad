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
// (see power_cut.h), for tests in a throwaway virtual machine.
void BeforeFileChange();

// The same, for the operations whose order matters to durability; they are
// also recorded while a FileChangeRecorder is alive.
enum class FileOperation { Write, Flush, Rename, Replace, Delete };
void BeforeFileChange(FileOperation operation, const std::string& path, const std::string& target = {},
                      unsigned long long bytes = 0);

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
    friend void BeforeFileChange(FileOperation, const std::string&, const std::string&, unsigned long long);
    std::vector<RecordedFileChange> changes_;
};

}  // namespace tamsiro
