#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

class AppContext;
class Stick;

// The voice list with the body of every "[VOICE]" section replaced by one
// naming the custom voice CUSVOICE.ODA (the stock voice line commented out,
// and a note when the stock file was deleted), over decoded text.
struct VoiceListText {
    std::string text;
    int voiceSections = 0;
};
VoiceListText WithCustomVoice(std::string_view decoded, bool maleVoiceRemoved);

// Rewrites the stick's MCUSLIST.CFG to name the custom voice; the previous
// file is kept as MCUSLIST.BAK. A file without exactly one voice section is
// left as it is.
[[nodiscard]] bool RewriteVoiceList(AppContext& context, const Stick& stick, bool maleVoiceRemoved);

}  // namespace tamsiro
