// Fuzz target: the mode-flags rewrite on arbitrary text, through
// RewriteModeFlags on a stick folder. Checks the new file, the backup and
// the absence of messages against a reference model; applying it twice gives the
// same file as once.
#include "app/app_context.h"
#include "fuzz/fuzz_config_rewrite.h"
#include "stick/mode_flags.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const StickFolder stick;
    const Bytes input(data, data + size);
    if (!stick.Lay("MCUS", input.data(), input.size())) return 0;

    RecordingUi ui;
    AppContext context(ui, ScratchFolder());
    Require(RewriteModeFlags(context) && ui.messages.empty(), "rewritten without a message");
    const Bytes expected = AsBytes(ReferenceTextWrite(ReferenceModeFlags(input)));
    const auto first = stick.Read("MCUS", ".CFG");
    Require(first == expected, "new mode file");
    Require(stick.Read("MCUS", ".BAK") == input, "previous mode file kept");
    Require(!stick.Read("MCUS", ".TMP"), "no .TMP left");

    Require(RewriteModeFlags(context) && ui.messages.empty(), "second rewrite");
    Require(stick.Read("MCUS", ".CFG") == first, "idempotent");
    return 0;
}
