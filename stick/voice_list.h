#pragma once

#include "stick/config_rewrite.h"

#include <string>
#include <string_view>

namespace tamsiro {

class Stick;

// The voice list with the body of every "[VOICE]" section replaced by one
// naming the custom voice CUSVOICE.ODA (the stock voice line commented out,
// and a note when the stock file was deleted), over decoded text.
struct VoiceListText {
    std::string text;
    int voiceSections = 0;
};
VoiceListText WithCustomVoice(std::string_view decoded, bool maleVoiceRemoved);

// The stick's MCUSLIST.CFG naming the custom voice; a file without exactly
// one voice section is badly formed.
[[nodiscard]] PlannedConfig PlanVoiceList(const Stick& stick, bool maleVoiceRemoved);

}  // namespace tamsiro
