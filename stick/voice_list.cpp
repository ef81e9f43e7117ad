#include "stick/voice_list.h"

#include "app/text_file.h"
#include "stick/config_rewrite.h"

#include <string>
#include <string_view>

namespace tamsiro {

int CopyWithCustomVoice(TextReader& input, TextWriter& output, bool maleVoiceRemoved) {
    constexpr std::string_view kVoiceHeader = "[VOICE]";
    int voiceSections = 0;
    bool skipping = false;
    std::string piece;
    // Lines longer than the reader's pieces are handled piece by piece, as
    // the stick's own tools do.
    while (input.ReadPiece(piece)) {
        if (piece.front() != '[') {
            if (!skipping) output.Write(piece);
            continue;
        }
        output.Write(piece);
        skipping = false;
        if (std::string_view(piece).substr(0, kVoiceHeader.size()) == kVoiceHeader) {
            output.Write("1\n");
            output.Write("1 1 /MS/OPEN-R/MW/DATA/P/CUSVOICE.ODA\n");
            output.Write("#1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n");
            if (maleVoiceRemoved) output.Write("# -- AD003000.ODA file deleted to free up space\n");
            ++voiceSections;
            skipping = true;
        }
    }
    return voiceSections;
}

bool RewriteVoiceList(AppContext& context, bool maleVoiceRemoved) {
    static constexpr ConfigRewriteMessages kMessages{
        "Error: Missing MCUSLIST.CFG file",
        "Error: Can't create new MCUSLIST.CFG file",
        "Error: Failed to write new MCUSLIST.CFG file",
        "Error: bad MCUSLIST.CFG format",
        "Error: Failed to rename files (MCUSLIST.*)",
    };
    return RewriteStickConfig(context, "OPEN-R\\MW\\DATA\\P\\MCUSLIST", kMessages,
                              [maleVoiceRemoved](TextReader& input, TextWriter& output) {
                                  return CopyWithCustomVoice(input, output, maleVoiceRemoved) == 1;
                              });
}

}  // namespace tamsiro
