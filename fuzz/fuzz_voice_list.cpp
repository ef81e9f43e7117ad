// Fuzz target: the voice-list transform on arbitrary stored bytes, as the
// rewrite applies it (text-mode decoding, WithCustomVoice, text-mode
// encoding). The first input byte chooses whether the male voice was
// removed; the rest is MCUSLIST.CFG. Checks the new file and the count of
// voice sections against a reference model.
#include "fuzz/fuzz_support.h"
#include "host/text_mode.h"
#include "stick/voice_list.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool maleVoiceRemoved = data[0] & 1;
    const Bytes input(data + 1, data + size);

    const VoiceListText voiceList =
        WithCustomVoice(DecodeTextMode(std::string(input.begin(), input.end())), maleVoiceRemoved);
    int sections = 0;
    const std::string expected = ReferenceTextWrite(ReferenceVoiceList(input, maleVoiceRemoved, sections));
    Require(voiceList.voiceSections == sections, "voice sections");
    Require(EncodeTextMode(voiceList.text) == expected, "new voice list");
    return 0;
}
