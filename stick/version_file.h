#pragma once

#include <string>
#include <string_view>

namespace tamsiro {

// What the stick's version file OPEN-R\APP\VERSION says about the software
// on it. Only AiboMind 3, English edition, is accepted.
enum class VersionVerdict {
    AiboMind3English,
    NotAiboMind,
    NotGeneration3,
    BadLanguageBlock,
    NotEnglish,
};

// Reads the tagged blocks of a version file's bytes.
[[nodiscard]] VersionVerdict CheckVersionBytes(std::string_view bytes);

// The same for the file at a host path; a file that cannot be read is
// "not AiboMind".
[[nodiscard]] VersionVerdict CheckVersionFile(const std::string& path);

}  // namespace tamsiro
