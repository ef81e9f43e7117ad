#pragma once

#include "host/little_endian.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace tamsiro {

// The audio archive container shared by the stick's DYNAUDIO.ODA, the base
// archive, the Main sound sets and the work archive. All integers are
// 32-bit little-endian on disk.
//
//   0        4        magic "ODAR"
//   4        4        opaque, carried through a merge
//   8        4        entry count, signed
//   12       52       opaque, carried through a merge
//   64       144 * N  entry table
//   ...               entry data, wherever the entries point

inline constexpr std::size_t kOdaHeaderSize = 64;
inline constexpr std::size_t kOdaEntrySize = 144;
inline constexpr std::size_t kOdaNameSize = 128;
inline constexpr std::size_t kOdaCountOffset = 8;
inline constexpr std::array<char, 4> kOdaMagic = {'O', 'D', 'A', 'R'};

// The largest data offset a table entry can hold (the field is signed).
inline constexpr std::int64_t kMaxOdaOffset = std::numeric_limits<std::int32_t>::max();

// The most entries Tamsiro handles in one table (18 MiB of table). Real
// archives hold a few thousand; a larger count is refused before anything is
// allocated, so that every command's memory stays bounded (a merge holds
// three tables) whatever a file claims.
inline constexpr std::int32_t kMaxOdaEntries = 1 << 17;

// The 64 header bytes exactly as on disk.
struct OdaHeader {
    std::array<unsigned char, kOdaHeaderSize> bytes{};

    bool HasMagic() const { return std::memcmp(bytes.data(), kOdaMagic.data(), 4) == 0; }
    std::int32_t Count() const { return static_cast<std::int32_t>(LoadLe32(bytes.data() + kOdaCountOffset)); }
    void SetCount(std::int32_t count) { StoreLe32(bytes.data() + kOdaCountOffset, static_cast<std::uint32_t>(count)); }
};

// Where each field of a 144-byte table entry starts, and the sizes of the
// raw ones.
inline constexpr std::size_t kOdaTagField = 0;           // type tag, 4 raw bytes
inline constexpr std::size_t kOdaNameField = 4;          // name, zero-terminated within the field
inline constexpr std::size_t kOdaDataOffsetField = 132;  // data offset from the start of the file, signed
inline constexpr std::size_t kOdaSizeField = 136;        // data size, unsigned
inline constexpr std::size_t kOdaOpaqueField = 140;      // opaque, carried through a merge
inline constexpr std::size_t kOdaTagSize = 4;
inline constexpr std::size_t kOdaOpaqueSize = 4;

static_assert(kOdaTagField + kOdaTagSize == kOdaNameField);
static_assert(kOdaNameField + kOdaNameSize == kOdaDataOffsetField);
static_assert(kOdaOpaqueField + kOdaOpaqueSize == kOdaEntrySize);

// One 144-byte table entry exactly as on disk; accessors decode the fields.
struct OdaEntry {
    std::array<unsigned char, kOdaEntrySize> bytes{};

    const unsigned char* Tag() const { return bytes.data() + kOdaTagField; }
    const char* NameField() const { return reinterpret_cast<const char*>(bytes.data() + kOdaNameField); }
    // The name up to its terminator, or the whole field when it has none.
    std::string_view Name() const {
        const void* end = std::memchr(NameField(), 0, kOdaNameSize);
        return {NameField(),
                end ? static_cast<std::size_t>(static_cast<const char*>(end) - NameField()) : kOdaNameSize};
    }
    // Tag and name as one run of bytes (they lie back to back). Two keys are
    // equal exactly when tag and name are: the name part holds no zero
    // byte, so different name lengths always differ.
    std::string_view Key() const { return {reinterpret_cast<const char*>(Tag()), kOdaTagSize + Name().size()}; }
    std::int32_t Offset() const { return static_cast<std::int32_t>(LoadLe32(bytes.data() + kOdaDataOffsetField)); }
    std::uint32_t Size() const { return LoadLe32(bytes.data() + kOdaSizeField); }
    const unsigned char* Opaque() const { return bytes.data() + kOdaOpaqueField; }
    void SetOffset(std::int32_t offset) {
        StoreLe32(bytes.data() + kOdaDataOffsetField, static_cast<std::uint32_t>(offset));
    }
    void SetSize(std::uint32_t size) { StoreLe32(bytes.data() + kOdaSizeField, size); }
};

static_assert(sizeof(OdaHeader) == kOdaHeaderSize);
static_assert(sizeof(OdaEntry) == kOdaEntrySize);

}  // namespace tamsiro
