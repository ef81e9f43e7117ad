#include "stick/voice_list.h"

#include "host/text_mode.h"
#include "stick/config_rewrite.h"
#include "stick/stick_files.h"

namespace tamsiro {

VoiceListText WithCustomVoice(std::string_view decoded, bool maleVoiceRemoved) {
    constexpr std::string_view kVoiceHeader = "[VOICE]";
    VoiceListText out;
    bool skipping = false;
    // Lines longer than the reader's pieces are handled piece by piece, as
    // the stick's own tools do.
    for (const std::string_view piece : LinePieces(decoded)) {
        if (piece.front() != '[') {
            if (!skipping) out.text += piece;
            continue;
        }
        out.text += piece;
        skipping = false;
        if (piece.substr(0, kVoiceHeader.size()) == kVoiceHeader) {
            out.text += "1\n";
            out.text += "1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\n";
            out.text += "#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n";
            if (maleVoiceRemoved) out.text += "# -- AD003000.ODA file deleted to free up space\n";
            ++out.voiceSections;
            skipping = true;
        }
    }
    return out;
}

PlannedConfig PlanVoiceList(const Stick& stick, bool maleVoiceRemoved) {
    return PlanStickConfig(stick, stick_files::kVoiceListStem, [maleVoiceRemoved](std::string_view decoded) {
        VoiceListText voiceList = WithCustomVoice(decoded, maleVoiceRemoved);
        return TransformedConfig{std::move(voiceList.text), voiceList.voiceSections == 1};
    });
}

}  // namespace tamsiro
