#pragma once

// Plain models of the archive reader and the merge, written for clarity
// rather than speed: a linear Find and the whole archive in memory. The
// unit tests, the fuzzers and the Windows end-to-end fixtures check the
// real code against them.

#include "host/little_endian.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace tamsiro::test {

using Bytes = std::vector<unsigned char>;

// Whether Open succeeds: magic, a count that is not negative, and a table
// that fits in the file (the reader refuses counts past the file's end).
inline bool ReferenceOpens(const Bytes& archive) {
    if (archive.size() < 64 || std::memcmp(archive.data(), "ODAR", 4) != 0) return false;
    const std::int64_t count = static_cast<std::int32_t>(LoadLe32(archive.data() + 8));
    return count >= 0 && 64 + 144 * count <= static_cast<std::int64_t>(archive.size());
}

inline std::size_t ReferenceCount(const Bytes& archive) {
    return static_cast<std::size_t>(LoadLe32(archive.data() + 8));
}

inline const unsigned char* ReferenceEntry(const Bytes& archive, std::size_t i) {
    return archive.data() + 64 + 144 * i;
}

// Find as a linear scan: names as zero-terminated texts within 128 bytes, then tags.
inline int ReferenceFind(const Bytes& archive, const unsigned char* key) {
    const std::size_t n = ReferenceCount(archive);
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char* entry = ReferenceEntry(archive, i);
        if (std::strncmp(reinterpret_cast<const char*>(entry + 4), reinterpret_cast<const char*>(key + 4), 128) == 0 &&
            std::memcmp(entry, key, 4) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The merge as first designed, with the fixes (zero-size entries are valid, data
// past the end of its file and negative offsets are errors). Empty when the
// build counts an error. Both archives must open.
inline std::optional<Bytes> ReferenceMerge(const Bytes& base, const Bytes& selected) {
    const std::size_t n = ReferenceCount(base);
    Bytes out(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(64 + 144 * n));
    bool failed = false;
    for (std::size_t i = 0; i < n; ++i) {
        const int j = ReferenceFind(selected, ReferenceEntry(base, i));
        const Bytes& source = j >= 0 ? selected : base;
        const unsigned char* from =
            j >= 0 ? ReferenceEntry(selected, static_cast<std::size_t>(j)) : ReferenceEntry(base, i);
        const std::int64_t offset = static_cast<std::int32_t>(LoadLe32(from + 132));
        const std::uint32_t size = LoadLe32(from + 136);
        unsigned char* entry = out.data() + 64 + 144 * i;
        StoreLe32(entry + 136, size);
        StoreLe32(entry + 132, static_cast<std::uint32_t>(out.size()));
        if (offset < 0 || offset + size > static_cast<std::int64_t>(source.size())) {
            failed = true;
            continue;
        }
        out.insert(out.end(), source.begin() + offset, source.begin() + offset + size);
    }
    if (failed) return std::nullopt;
    return out;
}

}  // namespace tamsiro::test
