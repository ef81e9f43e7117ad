#pragma once

#include "host/failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsiro {

class AppContext;

// The journal of a change to a stick: TAMSIRO.JNL in the program folder.
//
// While it exists, a change to the stick it names may be half done, and the
// next start puts every file it names back as it was. It is written whole
// under a temporary name, flushed and renamed into place before the first
// byte on the stick changes, and deleted only once every change is on the
// stick, flushed and read back. It lives in the program folder because the
// kept bytes it points to are there, and because nothing of Tamsiro's own
// is written onto a stick.
//
// It is text, one record a line, fields separated by a tab, lines ending
// with a line feed. The first line is the header:
//
//     TAMSIRO JOURNAL 2
//
// then, in any order:
//
//     stick    <root>                      the stick's root folder (host path)
//     identity <identity>                  the stick's identity (see StickIdentity)
//     file     <stick path> <previous> <size> <hash>
//     aside    <stick path> <size>
//     scratch  <host path>
//
// `file`: the stick file was `previous` before the change, a host path in
// the program folder (a stock record or a copy made for this change), of
// <size> bytes with the 64-bit FNV-1a <hash> in hex ("-" where it was not
// taken). An empty `previous` (size 0, hash "-") says the file was provably
// not on the stick.
//
// `aside`: the stick file of <size> bytes is set aside on the stick itself
// (X.PRV beside X) once its step has begun; until then it is still under
// its own name.
//
// `scratch`: a copy made for this change only, removed once it is over.
//
// Version 1 journals (from an older Tamsiro) have no identity, no sizes and
// hashes, and name aside files by host path: `aside <stick path> <aside
// host path> <original host path>`. They are read, and rolled back the same
// way, without the checks the sizes allow.
//
// A journal that cannot be parsed (an unknown header, a record with too few
// fields) is not trusted at all; unknown record kinds are skipped, so that a
// later version may add some.

struct JournalEntry {
    enum class Kind { Previous, Aside };
    Kind kind = Kind::Previous;
    std::string stickPath;
    // Previous: the host path of the bytes from before (empty: there were
    // none). Aside: empty.
    std::string previous;
    std::optional<std::uint64_t> size;  // nothing in version 1 journals
    std::optional<std::uint64_t> hash;  // Previous entries only, where it was taken

    bool WasAbsent() const { return kind == Kind::Previous && previous.empty(); }
};

struct Journal {
    int version = 2;
    std::string stickRoot;
    std::string stickIdentity;  // empty in version 1 journals
    std::vector<JournalEntry> entries;
    std::vector<std::string> scratch;
};

// The bytes of a journal, and a journal from bytes (nothing when they are
// not a journal this version reads).
std::string JournalText(const Journal& journal);
[[nodiscard]] std::optional<Journal> ParseJournal(std::string_view text);

// Whether a journal is about the stick with this root and identity: by
// identity when the journal has one (a stick mounted elsewhere after it was
// pulled out is the same stick), else by its root.
[[nodiscard]] bool JournalNamesStick(const Journal& journal, std::string_view root, std::string_view identity);

// The journal in the program folder, if there is one.
enum class JournalPresence { None, Readable, Unreadable };
struct JournalOnDisk {
    JournalPresence presence = JournalPresence::None;
    Journal journal;
};
[[nodiscard]] JournalOnDisk LoadJournal(const AppContext& context);

// Writes the journal (temporary name, flush, check, rename, folder flush).
[[nodiscard]] bool SaveJournal(const AppContext& context, const Journal& journal, Failure* failure = nullptr);
// Removes it (and flushes its folder); false when it is still there.
[[nodiscard]] bool RemoveJournal(const AppContext& context, Failure* failure = nullptr);
// Removes what a journal write cut short left.
void DiscardPartialJournal(const AppContext& context);

// The size and hash of a file's bytes, read in full; nothing when it does
// not read to its end.
struct FileFingerprint {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
};
[[nodiscard]] std::optional<FileFingerprint> FingerprintOf(const std::string& path);

}  // namespace tamsiro
