#pragma once

#include "archive/byte_source.h"
#include "archive/oda_format.h"
#include "host/binary_file.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tamsiro {

// An audio archive in memory: its byte source (a file or bytes in memory),
// the 64 header bytes and the whole entry table. Entry data is never loaded
// here; readers take it from Source() entry by entry. An archive being
// written (Create) has an output file instead.
//
// A fresh object has no source, a header of zeros and no table. Close()
// closes the source and the file and frees the table (the header bytes stay
// as they were); closing twice is harmless and the destructor closes.
class OdaArchive {
public:
    OdaArchive() = default;
    ~OdaArchive() { Close(); }
    OdaArchive(const OdaArchive&) = delete;
    OdaArchive& operator=(const OdaArchive&) = delete;

    // Opens the file for binary reading and loads the header and the table
    // (one read of N blocks of 144 bytes). False when the file does not
    // open, the header is short, the magic is not "ODAR", the count is
    // negative or above kMaxOdaEntries, or the table would run past the end
    // of the file (checked before anything is allocated), or the table is
    // short. On false the
    // object may be partly filled; Close() (or the destructor) cleans up.
    [[nodiscard]] bool Open(const std::string& path);
    // The same over bytes in memory, which must outlive the archive (or its
    // next Open or Close).
    [[nodiscard]] bool OpenBytes(std::span<const unsigned char> bytes);
    // The same over any source, which the archive then owns.
    [[nodiscard]] bool OpenSource(std::unique_ptr<ByteSource> source);

    // Creates the file for binary writing ("wb"), keeping the header and
    // table the caller has filled in. The merge builds its output this way.
    [[nodiscard]] bool Create(const std::string& path);

    void Close();
    bool IsOpen() const { return source_ != nullptr || file_.IsOpen(); }

    // Position of the first entry with the key's tag (4 raw bytes) and name
    // (up to its terminator, at most the field's 128 bytes), if any. Uses an
    // index on (tag, name) built once, on the first look-up after Open, so
    // a merge costs base + selected entries rather than their product.
    std::optional<std::size_t> Find(const OdaEntry& key) const;

    // The entry count at header offset 8.
    std::int32_t Count() const { return header_.Count(); }
    // The i-th table entry; 0 <= i < TableSize().
    const OdaEntry& Entry(std::size_t i) const { return table_[i]; }
    std::size_t TableSize() const { return table_.size(); }

    // Direct access for the merge.
    const OdaHeader& Header() const { return header_; }
    OdaHeader& MutableHeader() { return header_; }
    const std::vector<OdaEntry>& Table() const { return table_; }
    // Writable table; the look-up index is rebuilt on the next Find.
    std::vector<OdaEntry>& MutableTable();
    // The bytes of an opened archive; only valid while it is open.
    ByteSource& Source() { return *source_; }
    // The output of an archive made by Create.
    BinaryFile& File() { return file_; }
    // Size of the source as it was when opened (bytes), or -1.
    std::int64_t FileSize() const { return fileSize_; }

private:
    void BuildIndex() const;

    std::unique_ptr<ByteSource> source_;
    BinaryFile file_;
    OdaHeader header_{};
    std::vector<OdaEntry> table_;
    std::int64_t fileSize_ = -1;

    // Open-addressing hash set of table positions (position + 1; 0 = empty),
    // keyed on the entry's tag and name. Built lazily by Find.
    mutable std::vector<std::uint32_t> slots_;
    mutable bool indexValid_ = false;
};

}  // namespace tamsiro
