#include "archive/oda_archive.h"

#include "host/text_bytes.h"

#include <cstring>
#include <string_view>

namespace tamsiro {

namespace {

std::string_view KeyOf(const OdaEntry& entry) { return entry.Key(); }

std::uint64_t HashOf(std::string_view key) {
    Fnv1a hash;
    hash.Add(key);
    return hash.Value() ^ (hash.Value() >> 29);
}

}  // namespace

bool OdaArchive::Open(const std::string& path) {
    Close();
    auto file = std::make_unique<FileSource>();
    if (!file->Open(path)) return false;
    return OpenSource(std::move(file));
}

bool OdaArchive::OpenBytes(std::span<const unsigned char> bytes) {
    Close();
    return OpenSource(std::make_unique<MemorySource>(bytes));
}

bool OdaArchive::OpenSource(std::unique_ptr<ByteSource> source) {
    Close();
    source_ = std::move(source);
    if (!source_->ReadAt(0, header_.bytes.data(), kOdaHeaderSize)) return false;
    if (!header_.HasMagic()) return false;

    const std::int32_t count = header_.Count();
    if (count < 0 || count > kMaxOdaEntries) return false;
    // Refuse a table that would run past the end of the file before
    // allocating it: an absurd count must not cost memory.
    fileSize_ = source_->Size();
    const std::int64_t tableEnd =
        static_cast<std::int64_t>(kOdaHeaderSize) + static_cast<std::int64_t>(kOdaEntrySize) * count;
    if (fileSize_ < 0 || tableEnd > fileSize_) return false;

    table_.resize(static_cast<std::size_t>(count));
    // One read of N blocks; N = 0 reads nothing and succeeds.
    return source_->ReadAt(static_cast<std::int64_t>(kOdaHeaderSize), table_.data(), kOdaEntrySize * table_.size());
}

bool OdaArchive::Create(const std::string& path) {
    source_.reset();
    (void)file_.Close();
    fileSize_ = -1;
    return file_.Open(path, BinaryFile::Mode::Write);
}

void OdaArchive::Close() {
    source_.reset();
    (void)file_.Close();
    std::vector<OdaEntry>().swap(table_);
    std::vector<std::uint32_t>().swap(slots_);
    indexValid_ = false;
    fileSize_ = -1;
}

std::vector<OdaEntry>& OdaArchive::MutableTable() {
    indexValid_ = false;
    return table_;
}

void OdaArchive::BuildIndex() const {
    std::size_t capacity = 16;
    while (capacity < table_.size() * 2) capacity *= 2;
    slots_.assign(capacity, 0);
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const std::string_view key = KeyOf(table_[i]);
        std::size_t slot = static_cast<std::size_t>(HashOf(key)) & mask;
        for (;;) {
            const std::uint32_t held = slots_[slot];
            if (held == 0) {
                slots_[slot] = static_cast<std::uint32_t>(i + 1);
                break;
            }
            // The first occurrence wins: a later duplicate is not indexed.
            if (KeyOf(table_[held - 1]) == key) break;
            slot = (slot + 1) & mask;
        }
    }
    indexValid_ = true;
}

std::optional<std::size_t> OdaArchive::Find(const OdaEntry& key) const {
    if (table_.empty()) return std::nullopt;
    if (!indexValid_) BuildIndex();
    const std::string_view wanted = KeyOf(key);
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = static_cast<std::size_t>(HashOf(wanted)) & mask;
    for (;;) {
        const std::uint32_t held = slots_[slot];
        if (held == 0) return std::nullopt;
        if (KeyOf(table_[held - 1]) == wanted) return held - 1;
        slot = (slot + 1) & mask;
    }
}

}  // namespace tamsiro
