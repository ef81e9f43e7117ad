// Fuzz target: the mode-flags transform on arbitrary stored bytes, as the
// rewrite applies it (text-mode decoding, WithVoiceMode, text-mode
// encoding). Checks the new file against a reference model, and that
// applying it twice gives the same file as once.
#include "fuzz/fuzz_support.h"
#include "host/text_mode.h"
#include "stick/mode_flags.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, data + size);
    const std::string once = EncodeTextMode(WithVoiceMode(DecodeTextMode(std::string(input.begin(), input.end()))));
    Require(once == ReferenceTextWrite(ReferenceModeFlags(input)), "new mode file");
    Require(EncodeTextMode(WithVoiceMode(DecodeTextMode(once))) == once, "idempotent");
    return 0;
}
