#pragma once

#include "tools/archive_fixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tamsiro::samples {

// Generated stand-ins for a robot's memory stick and for downloaded sound
// sets. Tests, the demo workspace and the benchmarks all build on these;
// nothing here comes from a real stick.

struct VersionFields {
    std::string leadingTag = "VERS";
    std::int32_t formatVersion = 1;
    std::string commentTag = "COME";
    std::string comment = "AiboMind 3 sample stick";
    bool overrideCommentLength = false;  // write commentLength instead of comment.size()
    std::int32_t commentLength = 0;
    std::string versionTag = "VERS";
    std::int32_t versionBlockLength = 8;
    std::uint32_t versionWord = 0x00700100;
    std::int32_t generation = 3;
    bool languageBlock = true;
    std::string languageTag = "CNCD";
    std::int32_t languageBlockLength = 4;
    std::int32_t language = 3;
};

std::vector<unsigned char> VersionFileBytes(const VersionFields& fields);

// Deterministic sample audio: a short 8-bit tone, `size` bytes long.
std::vector<unsigned char> SyntheticTone(std::size_t size, unsigned seed);

// The stick's sound archive: `count` entries with tags and names in the
// stick's style (tag "WAVE", names like "SND0007.WAV"), short tones.
std::vector<ArchiveItem> StickSoundEntries(int count, std::size_t bytesPerEntry = 1024);

// A Main sound set replacing every `stride`-th entry of StickSoundEntries,
// with different (recognisable) audio.
std::vector<ArchiveItem> MainSetEntries(int stickEntryCount, int stride, unsigned seed,
                                        std::size_t bytesPerEntry = 900);

inline constexpr const char* kSampleVoiceList =
    "# voice list\n"
    "[GENERAL]\n"
    "1\n"
    "[VOICE]\n"
    "1\n"
    "1 1 /MS/OPEN-R/MW/DATA/E/AD003000.ODA\n"
    "[SOUND]\n"
    "2\n";

inline constexpr const char* kSampleModeFlags =
    "# modes\n"
    "1 BASIC\n"
    "0 VOICE\n"
    "1 USER\n"
    "1 DANCE\n";

struct StickOptions {
    int soundEntries = 40;
    bool withMarker = true;
    bool withVersion = true;
    VersionFields version{};  // {}: designated initialisers may leave it out
    bool withSoundArchive = true;
    bool withVoiceList = true;
    bool withModeFlags = true;
    bool withMaleVoice = true;
    bool upperCaseNames = false;  // MEMSTICK.IND and AD003000.ODA as some sticks have them
};

// Writes a complete stick tree below `root` (created if missing), text
// files with CR LF line ends as the stick's software writes them.
bool WriteSampleStick(const std::string& root, const StickOptions& options = {});

// Writes DATA_{prefix}_{label}.ODA files into `folder` for the given row
// indexes (0 to 5) of each category.
struct SoundSetRows {
    std::vector<int> main{};  // {}: designated initialisers may leave any row out
    std::vector<int> voice{};
    std::vector<int> games{};
};
bool WriteSampleSoundSets(const std::string& folder, const SoundSetRows& rows, int stickEntryCount = 40);

// File-name label of row k ("MiniTilda" for the sixth).
std::string RowFileLabel(int row);

// Text as the stick stores it: every LF preceded by CR.
std::string WithCrLf(const std::string& text);

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool WriteText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);

}  // namespace tamsiro::samples
