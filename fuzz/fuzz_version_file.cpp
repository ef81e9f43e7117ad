// Fuzz target: the stick's version-file check, against its rules applied
// straight to the bytes.
#include "fuzz/fuzz_support.h"
#include "install/messages.h"
#include "stick/version_file.h"

using namespace tamsiro;
using namespace tamsiro::fuzz;

namespace {

VersionVerdict Reference(const Bytes& b) {
    auto tagAt = [&](std::int64_t at, const char* tag) { return std::memcmp(b.data() + at, tag, 4) == 0; };
    const auto size = static_cast<std::int64_t>(b.size());
    if (size < 16 || !tagAt(0, "VERS") || LoadLe32(&b[4]) != 1 || !tagAt(8, "COME")) return VersionVerdict::NotAiboMind;
    const std::int64_t n = static_cast<std::int32_t>(LoadLe32(&b[12]));
    if (n < 0) return VersionVerdict::NotAiboMind;
    const std::int64_t at = 16 + n;
    if (at + 16 > size || !tagAt(at, "VERS") || LoadLe32(&b[at + 4]) != 8 || LoadLe32(&b[at + 8]) != 0x00700100) {
        return VersionVerdict::NotAiboMind;
    }
    if (LoadLe32(&b[at + 12]) != 3) return VersionVerdict::NotGeneration3;
    if (at + 28 > size || !tagAt(at + 16, "CNCD") || LoadLe32(&b[at + 20]) != 4)
        return VersionVerdict::BadLanguageBlock;
    if (LoadLe32(&b[at + 24]) != 3) return VersionVerdict::NotEnglish;
    return VersionVerdict::AiboMind3English;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const VersionVerdict verdict = CheckVersionBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    Require(verdict == Reference(Bytes(data, data + size)), "verdict agrees with the reference check");
    const std::string message = VersionVerdictMessage(verdict);
    Require(message.empty() == (verdict == VersionVerdict::AiboMind3English), "message for a rejection only");
    return 0;
}
