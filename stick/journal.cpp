#include "stick/journal.h"

#include "app/app_context.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/replacement_file.h"
#include "host/text_bytes.h"
#include "stick/stick_files.h"

#include <charconv>
#include <memory>

namespace tamsiro {

namespace {

constexpr std::string_view kHeaderV1 = "TAMSIRO JOURNAL 1";
constexpr std::string_view kHeaderV2 = "TAMSIRO JOURNAL 2";
constexpr std::string_view kNoHash = "-";
// Far more than any journal holds; a larger file is not one.
constexpr std::uint64_t kLargestJournal = 1u << 20;

std::vector<std::string_view> FieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return fields;
        line.remove_prefix(tab + 1);
    }
}

std::optional<std::uint64_t> NumberOf(std::string_view text, int base = 10) {
    std::uint64_t value = 0;
    if (text.empty()) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A field that must be a path: no tab or line feed can be in it (they end
// fields), and an empty one is allowed only where the format says so.
bool WritableField(std::string_view text) { return text.find_first_of("\t\n") == std::string_view::npos; }

}  // namespace

std::string JournalText(const Journal& journal) {
    std::string text(kHeaderV2);
    text += "\nstick\t" + journal.stickRoot + "\n";
    if (!journal.stickIdentity.empty()) text += "identity\t" + journal.stickIdentity + "\n";
    for (const JournalEntry& entry : journal.entries) {
        const std::string size = std::to_string(entry.size.value_or(0));
        if (entry.kind == JournalEntry::Kind::Aside) {
            text += "aside\t" + entry.stickPath + "\t" + size + "\n";
        } else {
            const std::string hash = entry.hash ? Hex64(*entry.hash) : std::string(kNoHash);
            text += "file\t" + entry.stickPath + "\t" + entry.previous + "\t" + size + "\t" + hash + "\n";
        }
    }
    for (const std::string& path : journal.scratch) text += "scratch\t" + path + "\n";
    return text;
}

std::optional<Journal> ParseJournal(std::string_view text) {
    Journal journal;
    const std::size_t firstEnd = text.find('\n');
    const std::string_view header = text.substr(0, firstEnd);
    if (header == kHeaderV1) {
        journal.version = 1;
    } else if (header != kHeaderV2) {
        return std::nullopt;
    }
    if (firstEnd == std::string_view::npos) return std::nullopt;
    text.remove_prefix(firstEnd + 1);
    bool stickNamed = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        // Every line ends with a line feed: one that does not was cut off.
        if (end == std::string_view::npos) return std::nullopt;
        const std::vector<std::string_view> fields = FieldsOf(text.substr(0, end));
        text.remove_prefix(end + 1);
        const std::string_view kind = fields.front();
        if (kind == "stick" && fields.size() == 2) {
            journal.stickRoot = fields[1];
            stickNamed = true;
        } else if (kind == "identity" && fields.size() == 2) {
            journal.stickIdentity = fields[1];
        } else if (kind == "scratch" && fields.size() == 2) {
            journal.scratch.emplace_back(fields[1]);
        } else if (kind == "file" && journal.version == 1 && fields.size() == 3) {
            if (fields[1].empty()) return std::nullopt;
            journal.entries.push_back(
                {JournalEntry::Kind::Previous, std::string(fields[1]), std::string(fields[2]), {}, {}});
        } else if (kind == "aside" && journal.version == 1 && fields.size() == 4) {
            if (fields[1].empty()) return std::nullopt;
            journal.entries.push_back({JournalEntry::Kind::Aside, std::string(fields[1]), {}, {}, {}});
        } else if (kind == "file" && journal.version == 2 && fields.size() == 5) {
            const auto size = NumberOf(fields[3]);
            const auto hash = fields[4] == kNoHash ? std::optional<std::uint64_t>() : NumberOf(fields[4], 16);
            if (!size || (fields[4] != kNoHash && !hash) || fields[1].empty()) return std::nullopt;
            journal.entries.push_back(
                {JournalEntry::Kind::Previous, std::string(fields[1]), std::string(fields[2]), size, hash});
        } else if (kind == "aside" && journal.version == 2 && fields.size() == 3) {
            const auto size = NumberOf(fields[2]);
            if (!size || fields[1].empty()) return std::nullopt;
            journal.entries.push_back({JournalEntry::Kind::Aside, std::string(fields[1]), {}, size, {}});
        } else if (kind == "stick" || kind == "identity" || kind == "scratch" || kind == "file" || kind == "aside") {
            // A known record with the wrong fields: the journal is not whole.
            return std::nullopt;
        }
    }
    if (!stickNamed || journal.stickRoot.empty()) return std::nullopt;
    return journal;
}

bool JournalNamesStick(const Journal& journal, std::string_view root, std::string_view identity) {
    if (!journal.stickIdentity.empty() && !identity.empty()) return journal.stickIdentity == identity;
    return journal.stickRoot == root;
}

JournalOnDisk LoadJournal(const AppContext& context) {
    JournalOnDisk onDisk;
    const std::string path = context.DataFilePath(program_files::kJournal);
    if (KindAt(path) == PathKind::Missing) return onDisk;
    const std::optional<std::string> text = ReadWholeFile(path, kLargestJournal);
    std::optional<Journal> journal = text ? ParseJournal(*text) : std::nullopt;
    if (!journal) {
        onDisk.presence = JournalPresence::Unreadable;
        return onDisk;
    }
    onDisk.presence = JournalPresence::Readable;
    onDisk.journal = std::move(*journal);
    return onDisk;
}

bool SaveJournal(const AppContext& context, const Journal& journal, Failure* failure) {
    const std::string path = context.DataFilePath(program_files::kJournal);
    for (const JournalEntry& entry : journal.entries) {
        if (!WritableField(entry.stickPath) || !WritableField(entry.previous)) {
            return Failed(failure, {FileAction::Write, FailureReason::LinkOrSpecial, path});
        }
    }
    if (!WritableField(journal.stickRoot) || !WritableField(journal.stickIdentity)) {
        return Failed(failure, {FileAction::Write, FailureReason::LinkOrSpecial, path});
    }
    // The journal counts from the moment it has its name, so it gets it
    // only once it is whole and on the disk.
    return WriteReplacement(path, JournalText(journal), failure);
}

bool RemoveJournal(const AppContext& context, Failure* failure) {
    // The deletion flushes the folder: the change is over once it is done.
    return DeleteFileAt(context.DataFilePath(program_files::kJournal), failure);
}

void DiscardPartialJournal(const AppContext& context) {
    DiscardFile(context.DataFilePath(program_files::kJournalPartial));
}

std::optional<FileFingerprint> FingerprintOf(const std::string& path) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) return std::nullopt;
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const auto buffer = std::make_unique<unsigned char[]>(kChunk);
    FileFingerprint fingerprint;
    Fnv1a hash;
    for (;;) {
        const std::size_t got = std::fread(buffer.get(), 1, kChunk, file.Handle());
        hash.Add(buffer.get(), got);
        fingerprint.size += got;
        if (got < kChunk) break;
    }
    if (std::ferror(file.Handle())) return std::nullopt;
    fingerprint.hash = hash.Value();
    return fingerprint;
}

}  // namespace tamsiro
