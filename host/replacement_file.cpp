#include "host/replacement_file.h"

#include "host/file_system.h"

#include <utility>

namespace tamsiro {

ReplacementFile::ReplacementFile(std::string target, std::string_view suffix)
    : target_(std::move(target)), temporary_(target_ + std::string(suffix)) {}

ReplacementFile::~ReplacementFile() {
    if (committed_) return;
    (void)file_.Close();
    if (KindAt(temporary_) != PathKind::Missing) DiscardFile(temporary_);
}

bool ReplacementFile::Fail(const Failure& failure) {
    failure_ = failure;
    return false;
}

bool ReplacementFile::Open() {
    DiscardFile(temporary_);
    return file_.Open(temporary_, BinaryFile::Mode::CreateNew) || Fail(file_.LastFailure());
}

bool ReplacementFile::WriteChecked(std::string_view bytes) {
    if (!file_.IsOpen() && !Open()) return false;
    if (!file_.WriteExactly(bytes.data(), bytes.size()) || !file_.Flush() || !file_.Close()) {
        return Fail(file_.LastFailure());
    }
    Failure readFailure;
    const std::optional<std::string> back = ReadWholeFile(temporary_, bytes.size(), &readFailure);
    if (!back) return Fail(readFailure);
    return *back == bytes || Fail({FileAction::Check, FailureReason::Damaged, temporary_});
}

bool ReplacementFile::Commit(Existing existing) {
    if (file_.IsOpen() && (!file_.Flush() || !file_.Close())) return Fail(file_.LastFailure());
    // Each flushes the file under its new name, then the folder.
    Failure failure;
    const bool renamed = existing == Existing::Replace ? ReplaceFile(temporary_, target_, &failure)
                                                       : RenameFile(temporary_, target_, &failure);
    if (!renamed) return Fail(failure);
    committed_ = true;
    return true;
}

bool WriteReplacement(const std::string& target, std::string_view bytes, Failure* failure) {
    ReplacementFile file(target);
    if (file.WriteChecked(bytes) && file.Commit()) return true;
    return Failed(failure, file.LastFailure());
}

}  // namespace tamsiro
