#include "install/archive_words.h"

#include "archive/entry_file_names.h"
#include "archive/oda_format.h"
#include "archive/oda_text.h"
#include "host/file_system.h"

#include <system_error>

namespace tamsiro {

namespace {

std::string Why(const std::optional<Failure>& failure) {
    return failure ? FailureReasonText(*failure) : "the system gave no reason";
}

// ": why", where the host said why.
std::string WhyWhereKnown(const std::optional<Failure>& failure) {
    return failure ? ": " + FailureReasonText(*failure) : "";
}

std::string Entry(std::size_t index) { return "entry " + std::to_string(index) + ": "; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string FailureReasonText(const Failure& failure) {
    // The host's own words where it gave a code, as a terminal would say it.
    if (failure.systemCode != 0) return std::system_category().message(failure.systemCode);
    switch (failure.reason) {
    case FailureReason::NoRoom: return "No space left on device";
    case FailureReason::ReadOnly: return "Read-only file system";
    case FailureReason::DeviceGone: return "No such device";
    case FailureReason::NotFound: return "No such file or directory";
    case FailureReason::Denied: return "Permission denied";
    case FailureReason::Exists: return "File exists";
    case FailureReason::LinkOrSpecial: return IsFolder(failure.path) ? "Is a directory" : "not a regular file";
    case FailureReason::Io: return "Input/output error";
    case FailureReason::Damaged:
        return failure.action == FileAction::Read ? "the file ends sooner than expected"
                                                  : "it did not read back as it was written";
    case FailureReason::Interrupted: return "stopped on request";
    }
    return "the system gave no reason";
}

std::string ArchiveCheckText(const ArchiveCheckOutcome& outcome) {
    const std::string fileSize = std::to_string(outcome.fileSize);
    switch (outcome.verdict) {
    case ArchiveCheckVerdict::Sound: return {};
    case ArchiveCheckVerdict::NotOpened: return "cannot open the file for reading: " + Why(outcome.failure);
    case ArchiveCheckVerdict::SizeUnknown: return "cannot tell the size of the file";
    case ArchiveCheckVerdict::ShorterThanHeader:
        return "header: the file has " + fileSize + " bytes, fewer than the " + std::to_string(kOdaHeaderSize) +
               " of the header";
    case ArchiveCheckVerdict::HeaderUnreadable: return "header: cannot be read" + WhyWhereKnown(outcome.failure);
    case ArchiveCheckVerdict::WrongMagic:
        return "header: the magic is " + Quoted(PrintableBytes(outcome.magic)) + ", not " +
               Quoted(std::string(kOdaMagic.begin(), kOdaMagic.end()));
    case ArchiveCheckVerdict::NegativeCount:
        return "header: the entry count is negative (" + std::to_string(outcome.count) + ")";
    case ArchiveCheckVerdict::TablePastEnd:
        return "table: " + std::to_string(outcome.count) + " entries end at byte " + std::to_string(outcome.tableEnd) +
               ", past the end of the file (file size " + fileSize + ")";
    case ArchiveCheckVerdict::TooManyEntries:
        return "table: " + std::to_string(outcome.count) + " entries, more than the " + std::to_string(kMaxOdaEntries) +
               " Tamsiro handles";
    case ArchiveCheckVerdict::TableUnreadable:
        return Entry(outcome.entry) + "the table cannot be read from here on" + WhyWhereKnown(outcome.failure);
    case ArchiveCheckVerdict::NegativeOffset:
        return Entry(outcome.entry) + "the data offset is negative (" + std::to_string(outcome.offset) + ")";
    case ArchiveCheckVerdict::DataPastEnd:
        return Entry(outcome.entry) + "data ends past the end of the file (offset " + std::to_string(outcome.offset) +
               " + size " + std::to_string(outcome.size) + " = " + std::to_string(outcome.dataEnd) + ", file size " +
               fileSize + ")";
    }
    return {};
}

std::string ManifestOutcomeText(const ManifestOutcome& outcome) {
    const std::string where = outcome.entry ? Entry(*outcome.entry) : "";
    const std::string key = Quoted(ManifestKey(outcome.field));
    switch (outcome.verdict) {
    case ManifestVerdict::Read: return {};
    case ManifestVerdict::Unreadable: return "cannot be read" + WhyWhereKnown(outcome.failure);
    case ManifestVerdict::TokenTooLong:
        return "holds a string or number longer than " + std::to_string(kMaxManifestToken / 1024) + " KiB";
    case ManifestVerdict::TooDeep: return "nests deeper than " + std::to_string(kMaxManifestDepth) + " levels";
    case ManifestVerdict::NotJson: return "not valid JSON";
    case ManifestVerdict::OtherFormat:
        return "not a manifest of format " + Quoted(kManifestFormat) + " version " + std::to_string(kManifestVersion);
    case ManifestVerdict::TooManyEntries:
        return Quoted(ManifestKey(ManifestField::Entries)) + " lists more than the " + std::to_string(kMaxOdaEntries) +
               " entries an archive holds";
    case ManifestVerdict::NotAnObject: return where + "not an object";
    case ManifestVerdict::ListedTwice: return where + Quoted(outcome.file) + " is listed twice";
    case ManifestVerdict::FieldWrong: break;
    }
    switch (outcome.field) {
    case ManifestField::HeaderHex: return where + key + " is not " + std::to_string(kOdaHeaderSize) + " bytes of hex";
    case ManifestField::Entries: return where + key + " is not a list";
    case ManifestField::File: return where + key + " is not a plain file name in the folder";
    case ManifestField::TagHex: return where + key + " is not " + std::to_string(kOdaTagSize) + " bytes of hex";
    case ManifestField::NameFieldHex:
        return where + key + " is not at most " + std::to_string(kOdaNameSize) + " bytes of hex";
    case ManifestField::OpaqueHex: return where + key + " is not " + std::to_string(kOdaOpaqueSize) + " bytes of hex";
    case ManifestField::None: break;
    }
    return where + "a field is wrong";
}

std::string FolderOutcomeText(const FolderOutcome& outcome) {
    const std::string& path = outcome.path;
    const std::string why = Why(outcome.failure);
    const std::string manifest = kManifestFileName;
    switch (outcome.verdict) {
    case FolderVerdict::Done: return {};
    case FolderVerdict::ArchiveNotSound: return ArchiveCheckText(outcome.check);
    case FolderVerdict::ArchiveNotOpened: return "cannot open the archive: " + why;
    case FolderVerdict::NoRoom:
        return "not enough room in " + path + ": extracting needs " + std::to_string(outcome.neededBytes) +
               " bytes, the volume has " + std::to_string(outcome.freeBytes) +
               " free (entries that share data are each written in full)";
    case FolderVerdict::NotAFolder: return path + " exists and is not a folder";
    case FolderVerdict::FolderNotReadable: return "cannot look into " + path + ": " + why;
    case FolderVerdict::FolderNotEmpty: return path + " is not empty";
    case FolderVerdict::FolderNotCreated:
        return "cannot create the folder " + (outcome.failure ? outcome.failure->path : path) + ": " + why;
    case FolderVerdict::FileNotCreated: return "cannot create " + path + ": " + why;
    case FolderVerdict::EntryNotCopied: return Entry(outcome.entry) + "cannot copy its data to " + path + ": " + why;
    case FolderVerdict::ManifestNotWritten: return "cannot write " + path + ": " + why;
    case FolderVerdict::FileNotOpened: return "cannot open " + path + " for reading: " + why;
    case FolderVerdict::ManifestNotRead: return "cannot read " + path + ": " + why;
    case FolderVerdict::ManifestWrong: return manifest + ": " + ManifestOutcomeText(outcome.manifest);
    case FolderVerdict::EntryFileMissing: return Entry(outcome.entry) + "cannot open " + path + " for reading: " + why;
    case FolderVerdict::EntryFileSizeUnknown:
        return Entry(outcome.entry) + "cannot tell the size of " + path + ": " + why;
    case FolderVerdict::EntryFileTooLarge:
        return Entry(outcome.entry) + path + " is larger than an entry can be (4 GiB)";
    case FolderVerdict::FolderNotListed:
        return "cannot list " + path + " to tell whether it holds files " + manifest + " does not name";
    case FolderVerdict::FilesNotNamed: {
        const std::size_t count = outcome.leftOut ? outcome.leftOut->size() : 0;
        return "holds " + std::to_string(count) + (count == 1 ? " file " : " files ") + manifest + " does not name";
    }
    case FolderVerdict::ArchiveTooLarge: return "the archive would be too large: its data would start past 2 GiB";
    case FolderVerdict::TableNotWritten: return "cannot write the header and the table to " + path + ": " + why;
    case FolderVerdict::EntryFileShrank:
        return "cannot copy " + path + " into " + outcome.into + ": it is shorter than when packing began";
    case FolderVerdict::DataNotCopied: return "cannot copy " + path + " into " + outcome.into + ": " + why;
    case FolderVerdict::ArchiveNotFinished: return "cannot finish writing " + path + ": " + why;
    case FolderVerdict::ArchiveNotReplaced: return "cannot put the archive in the place of " + path + ": " + why;
    }
    return {};
}

std::string DiffOutcomeText(const ArchiveDiffOutcome& outcome) {
    switch (outcome.verdict) {
    case ArchiveDiffVerdict::Compared: return {};
    case ArchiveDiffVerdict::NotSound: return outcome.archive + ": " + ArchiveCheckText(outcome.check);
    case ArchiveDiffVerdict::NotOpened: return outcome.archive + ": cannot open the archive";
    }
    return {};
}

}  // namespace tamsiro
