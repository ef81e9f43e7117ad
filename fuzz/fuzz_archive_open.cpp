// Fuzz target: opening an archive and looking entries up.
// Checks Open against the format's rule and Find against a linear scan.
#include "archive/oda_archive.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <cstring>

using namespace tamsiro;
using namespace tamsiro::fuzz;

namespace {

// The reference's way of saying "not found".
int AsIndex(std::optional<std::size_t> found) { return found ? static_cast<int>(*found) : -1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, data + size);

    OdaArchive archive;
    const bool opened = archive.OpenBytes({data, size});
    Require(opened == ReferenceOpens(bytes), "Open agrees with the format");
    if (!opened) {
        archive.Close();
        Require(archive.TableSize() == 0 && !archive.IsOpen(), "Close after a failed Open");
        return 0;
    }
    const std::size_t count = ReferenceCount(bytes);
    Require(archive.TableSize() == count && archive.Count() == static_cast<std::int32_t>(count), "table size");
    Require(std::memcmp(archive.Header().bytes.data(), data, 64) == 0, "header bytes");

    // Every entry's own key, and the same key with a byte changed.
    for (std::size_t i = 0; i < count; ++i) {
        const OdaEntry& entry = archive.Entry(i);
        Require(std::memcmp(entry.bytes.data(), ReferenceEntry(bytes, i), 144) == 0, "entry bytes");
        const std::optional<std::size_t> found = archive.Find(entry);
        Require(AsIndex(found) == ReferenceFind(bytes, entry.bytes.data()), "Find of an entry's key");
        Require(found && *found <= i, "first occurrence");

        OdaEntry changed = entry;
        const std::size_t at = (i * 37 + size) % 132;
        changed.bytes[at] = static_cast<unsigned char>(changed.bytes[at] + 1);
        Require(AsIndex(archive.Find(changed)) == ReferenceFind(bytes, changed.bytes.data()), "Find of a changed key");
    }
    OdaEntry empty;
    Require(AsIndex(archive.Find(empty)) == ReferenceFind(bytes, empty.bytes.data()), "Find of an empty key");

    archive.Close();
    archive.Close();
    Require(!archive.Find(empty), "Find after Close");
    return 0;
}
