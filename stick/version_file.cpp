#include "stick/version_file.h"

#include "app/binary_file.h"
#include "app/little_endian.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tamsiro {

namespace {

// Layout: "VERS" 1 "COME" n <n bytes of comment>
//         "VERS" 8 <version word> <generation>
//         "CNCD" 4 <language>
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::uint32_t kVersionBlockLength = 8;
constexpr std::uint32_t kVersionWord = 0x00700100;
constexpr std::uint32_t kGeneration3 = 3;
constexpr std::uint32_t kLanguageBlockLength = 4;
constexpr std::uint32_t kEnglish = 3;

bool TagIs(const unsigned char* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

}  // namespace

VersionVerdict CheckVersionFile(const std::string& path) {
    BinaryFile file;
    std::array<unsigned char, 16> block{};
    if (!file.Open(path, BinaryFile::Mode::Read) || file.ReadBlocks(block.data(), block.size(), 1) != 1 ||
        !TagIs(&block[0], "VERS") || LoadLe32(&block[4]) != kFormatVersion || !TagIs(&block[8], "COME")) {
        return VersionVerdict::NotAiboMind;
    }

    const auto commentLength = static_cast<std::int32_t>(LoadLe32(&block[12]));
    if (commentLength < 0) return VersionVerdict::NotAiboMind;
    // A comment length past the end of the file just makes the next read short.
    file.Seek(16 + static_cast<std::int64_t>(commentLength));
    if (file.ReadBlocks(block.data(), block.size(), 1) != 1 || !TagIs(&block[0], "VERS") ||
        LoadLe32(&block[4]) != kVersionBlockLength || LoadLe32(&block[8]) != kVersionWord) {
        return VersionVerdict::NotAiboMind;
    }
    if (LoadLe32(&block[12]) != kGeneration3) return VersionVerdict::NotGeneration3;

    if (file.ReadBlocks(block.data(), 12, 1) != 1 || !TagIs(&block[0], "CNCD") || LoadLe32(&block[4]) != kLanguageBlockLength) {
        return VersionVerdict::BadLanguageBlock;
    }
    if (LoadLe32(&block[8]) != kEnglish) return VersionVerdict::NotEnglish;
    return VersionVerdict::AiboMind3English;
}

std::string VersionVerdictMessage(VersionVerdict verdict) {
    switch (verdict) {
        case VersionVerdict::AiboMind3English: return {};
        case VersionVerdict::NotAiboMind: return "Not AiboMind";
        case VersionVerdict::NotGeneration3: return "Not AiboMind3\nUse other tools for AiboMind1 or 2";
        case VersionVerdict::BadLanguageBlock: return "Not AiboMind Eng\nBad language";
        case VersionVerdict::NotEnglish: return "Not AiboMind Engish";
    }
    return "Not AiboMind";
}

}  // namespace tamsiro
