// Fuzz target: the archive check, then extract and pack of what passes it.
// Checks the check against the format's rule (in memory and on disk alike),
// that extract keeps every entry's file inside its folder whatever the
// names, and that pack gives back the archive laid out back to back.
#include "archive/archive_check.h"
#include "archive/archive_folder.h"
#include "fuzz/fuzz_support.h"

#include <filesystem>

using namespace tamsiro;
using namespace tamsiro::fuzz;

namespace {

// Sound: it opens, and every entry's data lies inside the file.
bool ReferenceSound(const Bytes& bytes) {
    if (!ReferenceOpens(bytes)) return false;
    for (std::size_t i = 0; i < ReferenceCount(bytes); ++i) {
        const std::int64_t offset = static_cast<std::int32_t>(LoadLe32(ReferenceEntry(bytes, i) + 132));
        if (offset < 0 || offset + LoadLe32(ReferenceEntry(bytes, i) + 136) > static_cast<std::int64_t>(bytes.size()))
            return false;
    }
    return true;
}

// The same archive with its data back to back after the table.
Bytes ReferenceRepacked(const Bytes& bytes) {
    const std::size_t count = ReferenceCount(bytes);
    Bytes out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(64 + 144 * count));
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char* entry = out.data() + 64 + 144 * i;
        const std::size_t offset = LoadLe32(entry + 132);
        const std::size_t size = LoadLe32(entry + 136);
        StoreLe32(entry + 132, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                   bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    const std::string& scratch = ScratchFolder();
    const std::string archive = scratch + "/A.ODA";
    const std::string folder = scratch + "/out";
    const std::string packed = scratch + "/B.ODA";
    if (!WriteFileBytes(archive, data, size)) return 0;
    const Bytes bytes(data, data + size);

    const ArchiveCheckOutcome check = CheckArchiveBytes(bytes);
    Require(check.Sound() == ReferenceSound(bytes), "the check agrees with the format");
    Require(CheckArchiveFile(archive) == check, "the check reads a file as it reads memory");
    if (!check.Sound()) return 0;

    std::error_code ignored;
    fs::remove_all(folder, ignored);
    Require(ExtractArchive(archive, folder).Ok(), "a sound archive extracts");
    std::size_t files = 0;
    for (const auto& item : fs::directory_iterator(folder)) files += item.is_regular_file() ? 1 : 0;
    Require(files == ReferenceCount(bytes) + 1, "one file per entry and the manifest, all inside the folder");
    for (const auto& item : fs::directory_iterator(scratch)) {
        const std::string name = item.path().filename().string();
        Require(name == "A.ODA" || name == "out" || name == "B.ODA", "nothing written beside the folder");
    }
    Require(PackArchive(folder, packed).Ok(), "an extracted folder packs");
    Require(ReadFileBytes(packed) == ReferenceRepacked(bytes), "pack lays the archive out back to back");
    return 0;
}
