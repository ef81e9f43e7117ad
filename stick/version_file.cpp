#include "stick/version_file.h"

#include "host/binary_file.h"
#include "host/little_endian.h"

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

// A bounds-checked view of the file: every read says whether the bytes
// were there.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    // The `size` bytes at `offset`, or nullptr when they run past the end.
    const unsigned char* At(std::int64_t offset, std::size_t size) const {
        if (offset < 0 || static_cast<std::uint64_t>(offset) + size > bytes_.size()) return nullptr;
        return reinterpret_cast<const unsigned char*>(bytes_.data()) + offset;
    }

private:
    std::string_view bytes_;
};

bool TagIs(const unsigned char* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

}  // namespace

VersionVerdict CheckVersionBytes(std::string_view bytes) {
    const ByteReader reader(bytes);
    const unsigned char* head = reader.At(0, 16);
    if (!head || !TagIs(&head[0], "VERS") || LoadLe32(&head[4]) != kFormatVersion || !TagIs(&head[8], "COME")) {
        return VersionVerdict::NotAiboMind;
    }

    const auto commentLength = static_cast<std::int32_t>(LoadLe32(&head[12]));
    if (commentLength < 0) return VersionVerdict::NotAiboMind;
    // A comment length past the end of the file makes the next read short.
    const std::int64_t versionAt = 16 + static_cast<std::int64_t>(commentLength);
    const unsigned char* version = reader.At(versionAt, 16);
    if (!version || !TagIs(&version[0], "VERS") || LoadLe32(&version[4]) != kVersionBlockLength ||
        LoadLe32(&version[8]) != kVersionWord) {
        return VersionVerdict::NotAiboMind;
    }
    if (LoadLe32(&version[12]) != kGeneration3) return VersionVerdict::NotGeneration3;

    const unsigned char* language = reader.At(versionAt + 16, 12);
    if (!language || !TagIs(&language[0], "CNCD") || LoadLe32(&language[4]) != kLanguageBlockLength) {
        return VersionVerdict::BadLanguageBlock;
    }
    if (LoadLe32(&language[8]) != kEnglish) return VersionVerdict::NotEnglish;
    return VersionVerdict::AiboMind3English;
}

VersionVerdict CheckVersionFile(const std::string& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
    return bytes ? CheckVersionBytes(*bytes) : VersionVerdict::NotAiboMind;
}

}  // namespace tamsiro
