#pragma once

#include <string>

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

// Reads the tagged blocks of the version file at `path` (a host path).
VersionVerdict CheckVersionFile(const std::string& path);

// The message shown for a rejected stick; empty for an accepted one.
std::string VersionVerdictMessage(VersionVerdict verdict);

}  // namespace tamsiro
