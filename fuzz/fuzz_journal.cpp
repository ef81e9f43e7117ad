// Fuzz target: the journal's parser on arbitrary bytes, as a journal left
// by a crash, an older Tamsiro or a hand would come. A journal that parses
// is written back and must parse to the same text; what it names is only
// what the format allows (a non-empty stick path per entry, a stick).
#include "fuzz/fuzz_support.h"
#include "stick/journal.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<Journal> journal = ParseJournal(text);
    if (!journal) return 0;
    Require(!journal->stickRoot.empty(), "a journal names its stick");
    for (const JournalEntry& entry : journal->entries) {
        Require(!entry.stickPath.empty(), "an entry names its stick file");
        Require(entry.kind == JournalEntry::Kind::Previous || entry.previous.empty(), "an aside keeps no copy");
    }
    // Fields with a tab or a line feed cannot come out of a parse.
    const std::string written = JournalText(*journal);
    const std::optional<Journal> again = ParseJournal(written);
    Require(again.has_value(), "what was read writes back as a journal");
    Require(JournalText(*again) == written, "and reads back the same");
    return 0;
}
