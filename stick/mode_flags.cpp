#include "stick/mode_flags.h"

#include "host/text_mode.h"
#include "stick/config_rewrite.h"
#include "stick/stick_files.h"

#include <array>
#include <utility>

namespace tamsiro {

std::string WithVoiceMode(std::string_view decoded) {
    // Whole lines only: a flag line without its line feed, or with a
    // trailing blank, is left alone.
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kSwitches = {{
        {"1 BASIC\n", "0 BASIC\n"},
        {"0 VOICE\n", "1 VOICE\n"},
        {"1 USER\n", "0 USER\n"},
    }};
    std::string out;
    out.reserve(decoded.size());
    for (const std::string_view piece : LinePieces(decoded)) {
        std::string_view written = piece;
        for (const auto& [from, to] : kSwitches) {
            if (piece == from) written = to;
        }
        out += written;
    }
    return out;
}

PlannedConfig PlanModeFlags(const Stick& stick) {
    return PlanStickConfig(stick, stick_files::kModeFlagsStem, [](std::string_view decoded) {
        return TransformedConfig{WithVoiceMode(decoded), true};
    });
}

}  // namespace tamsiro
