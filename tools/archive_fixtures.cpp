#include "tools/archive_fixtures.h"

#include "archive/archive_layout.h"

#include "host/binary_file.h"
#include "host/little_endian.h"

#include <algorithm>

namespace tamsiro {

bool WriteArchive(const std::string& path, const std::vector<ArchiveItem>& items) {
    const std::vector<unsigned char> bytes = ArchiveBytes(items);
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Write)) return false;
    const bool written = file.WriteExactly(bytes.data(), bytes.size());
    return file.Close() && written;
}

std::vector<unsigned char> ArchiveBytes(const std::vector<ArchiveItem>& items) {
    OdaHeader header;
    std::copy(kOdaMagic.begin(), kOdaMagic.end(), header.bytes.begin());
    for (std::size_t i = 4; i < kOdaHeaderSize; ++i) header.bytes[i] = static_cast<unsigned char>(0xA0 + i);

    std::vector<OdaEntry> table(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        OdaEntry& entry = table[i];
        std::copy_n(items[i].tag.begin(), std::min(items[i].tag.size(), kOdaTagSize),
                    entry.bytes.begin() + kOdaTagField);
        std::copy_n(items[i].name.begin(), std::min(items[i].name.size(), kOdaNameSize - 1),
                    entry.bytes.begin() + kOdaNameField);
        entry.SetSize(static_cast<std::uint32_t>(items[i].data.size()));
        StoreLe32(entry.bytes.data() + kOdaOpaqueField, static_cast<std::uint32_t>(0xC0DE0000u + i));
    }
    // Fixtures stay far below 2 GiB, so the layout always fits.
    (void)LayOutBackToBack(header, table);

    std::vector<unsigned char> out(header.bytes.begin(), header.bytes.end());
    for (const OdaEntry& entry : table) out.insert(out.end(), entry.bytes.begin(), entry.bytes.end());
    for (const ArchiveItem& item : items) out.insert(out.end(), item.data.begin(), item.data.end());
    return out;
}

std::size_t EntryFieldPosition(std::size_t index, std::size_t fieldOffset) {
    return kOdaHeaderSize + kOdaEntrySize * index + fieldOffset;
}

void PatchLe32(std::vector<unsigned char>& bytes, std::size_t position, std::uint32_t value) {
    if (position + 4 <= bytes.size()) StoreLe32(bytes.data() + position, value);
}

}  // namespace tamsiro
