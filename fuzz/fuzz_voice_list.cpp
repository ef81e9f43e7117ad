// Fuzz target: the voice-list rewrite on arbitrary text, through
// RewriteVoiceList on a stick folder. The first input byte chooses whether
// the male voice was removed; the rest is MCUSLIST.CFG. Checks the new file,
// the backup and the messages against a reference model.
#include "app/app_context.h"
#include "fuzz/fuzz_config_rewrite.h"
#include "stick/voice_list.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const StickFolder stick;
    if (size < 1) return 0;
    const bool maleVoiceRemoved = data[0] & 1;
    const Bytes input(data + 1, data + size);
    if (!stick.Lay("MCUSLIST", input.data(), input.size())) return 0;

    RecordingUi ui;
    AppContext context(ui, ScratchFolder());
    const bool rewritten = RewriteVoiceList(context, maleVoiceRemoved);

    int sections = 0;
    const Bytes expected = AsBytes(ReferenceTextWrite(ReferenceVoiceList(input, maleVoiceRemoved, sections)));
    Require(stick.Read("MCUSLIST", ".TMP") == std::nullopt || sections != 1, "no .TMP left after a rotation");
    if (sections != 1) {
        Require(!rewritten && ui.messages == std::vector<std::string>{"Error: bad MCUSLIST.CFG format"}, "bad format");
        Require(stick.Read("MCUSLIST", ".CFG") == input, ".CFG untouched");
        Require(stick.Read("MCUSLIST", ".TMP") == expected, ".TMP holds the new text");
        return 0;
    }
    Require(rewritten && ui.messages.empty(), "rewritten without a message");
    Require(stick.Read("MCUSLIST", ".CFG") == expected, "new voice list");
    Require(stick.Read("MCUSLIST", ".BAK") == input, "previous voice list kept");
    return 0;
}
