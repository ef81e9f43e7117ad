#include "stick/mode_flags.h"

#include "app/text_file.h"
#include "stick/config_rewrite.h"

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace tamsiro {

void CopyWithVoiceMode(TextReader& input, TextWriter& output) {
    // Whole lines only: a flag line without its line feed, or with a
    // trailing blank, is left alone.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kSwitches = {{
        {"1 BASIC\n", "0 BASIC\n"},
        {"0 VOICE\n", "1 VOICE\n"},
        {"1 USER\n", "0 USER\n"},
    }};
    std::string piece;
    while (input.ReadPiece(piece)) {
        std::string_view written = piece;
        for (const auto& [from, to] : kSwitches) {
            if (piece == from) written = to;
        }
        output.Write(written);
    }
}

bool RewriteModeFlags(AppContext& context) {
    static constexpr ConfigRewriteMessages kMessages{
        "Error: Missing MCUS.CFG file",
        "Error: Can't create new MCUS.CFG file",
        "Error: Failed to write new MCUS.CFG file",
        nullptr,
        "Error: Failed to rename files (MCUS.*)",
    };
    return RewriteStickConfig(context, "OPEN-R\\MW\\DATA\\P\\MCUS", kMessages, [](TextReader& input, TextWriter& output) {
        CopyWithVoiceMode(input, output);
        return true;
    });
}

}  // namespace tamsiro
