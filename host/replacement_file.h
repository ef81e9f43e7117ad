#pragma once

#include "host/binary_file.h"
#include "host/failure.h"

#include <string>
#include <string_view>

namespace tamsiro {

// A file that takes its target's place only once it is whole, in the
// calling sequence of git's lockfile.h: open a temporary name beside the
// target exclusively, write (here, or by a checked copy to TemporaryPath()),
// flush and check, then commit by a rename that is flushed under the new
// name and then in its folder, as a rename on FAT must be to last. Until
// it is committed nothing under the target's name has changed; one that is
// never committed is removed when it goes out of scope.
class ReplacementFile {
public:
    // The temporary is the target's path with `suffix`.
    explicit ReplacementFile(std::string target, std::string_view suffix = ".partial");
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& Target() const { return target_; }
    const std::string& TemporaryPath() const { return temporary_; }

    // Creates the temporary afresh (whatever was left at its name goes
    // first), for writing here.
    [[nodiscard]] bool Open();
    BinaryFile& Stream() { return file_; }
    // Writes bytes held in memory, flushes them, and reads them back.
    [[nodiscard]] bool WriteChecked(std::string_view bytes);

    // Puts the temporary in the target's place. Replace takes the place of
    // a file there; Keep refuses one (a record, once made, stays).
    enum class Existing { Replace, Keep };
    [[nodiscard]] bool Commit(Existing existing = Existing::Replace);

    // Why the last step that failed did.
    const Failure& LastFailure() const { return failure_; }

private:
    bool Fail(const Failure& failure);

    std::string target_;
    std::string temporary_;
    BinaryFile file_;
    bool committed_ = false;
    Failure failure_;
};

// The whole of `bytes` as the file at `target`, the safe way.
[[nodiscard]] bool WriteReplacement(const std::string& target, std::string_view bytes, Failure* failure = nullptr);

}  // namespace tamsiro
