// Fuzz target: a stick's record (STICK.JSON) on arbitrary bytes, as a
// hand-edited or damaged one would come. It never throws, and a base it
// accepts never leaves the program folder.
#include "fuzz/fuzz_support.h"
#include "stick/stick_record.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<StickRecordText> record = ParseStickRecord(text);
    if (!record) return 0;
    Require(!record->identity.empty(), "a record has an identity");
    const std::string& base = record->base;
    Require(base.empty() || (base.find("..") == std::string::npos && base.find(':') == std::string::npos &&
                             base.front() != '/' && base.front() != '\\'),
            "a base stays inside the program folder");
    return 0;
}
