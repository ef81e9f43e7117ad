#include "tests/fat/disk_regions.h"

#include <algorithm>

namespace tamsiro::crash {

namespace {

std::uint64_t Le(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size && at + i < bytes.size(); ++i)
        value |= std::uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    return value;
}

std::string Range(const char* what, std::uint64_t first, std::uint64_t last) {
    return std::string(what) + " " + std::to_string(first) + (first == last ? "" : "-" + std::to_string(last));
}

// The layout a FAT boot sector gives, or nothing for another file system.
bool ReadFatLayout(std::string_view boot, FatLayout& layout) {
    if (boot.size() < 512 || Le(boot, 510, 2) != 0xaa55) return false;
    layout.sectorSize = Le(boot, 11, 2);
    layout.sectorsPerCluster = Le(boot, 13, 1);
    layout.reservedSectors = Le(boot, 14, 2);
    layout.fatCount = Le(boot, 16, 1);
    const std::uint64_t rootEntries = Le(boot, 17, 2);
    layout.sectorsPerFat = Le(boot, 22, 2);
    if (layout.sectorsPerFat == 0) layout.sectorsPerFat = Le(boot, 36, 4);  // FAT32
    if (layout.sectorSize < 512 || layout.sectorSize % 512 != 0 || layout.sectorsPerCluster == 0 ||
        layout.fatCount == 0 || layout.sectorsPerFat == 0) {
        return false;
    }
    layout.rootSectors = (rootEntries * 32 + layout.sectorSize - 1) / layout.sectorSize;
    return true;
}

// Sectors first..last of the file system, a piece per region they cross.
std::string DescribeInFat(const FatLayout& layout, std::uint64_t first, std::uint64_t last) {
    struct Region {
        std::string name;
        std::uint64_t start, end;  // sectors, end excluded
    };
    std::vector<Region> regions{{"reserved sectors", 0, layout.reservedSectors}};
    for (std::uint64_t copy = 1; copy <= layout.fatCount; ++copy) {
        const std::uint64_t start = regions.back().end;
        regions.push_back({"FAT" + std::to_string(copy) + " sectors", start, start + layout.sectorsPerFat});
    }
    if (layout.rootSectors > 0) {
        const std::uint64_t start = regions.back().end;
        regions.push_back({"root folder sectors", start, start + layout.rootSectors});
    }
    const std::uint64_t data = regions.back().end;
    std::string text;
    for (const Region& region : regions) {
        if (last < region.start || first >= region.end) continue;
        text += (text.empty() ? "" : ", ") + Range(region.name.c_str(), std::max(first, region.start) - region.start,
                                                   std::min(last, region.end - 1) - region.start);
    }
    if (last >= data) {
        const std::uint64_t from = std::max(first, data) - data;
        text += (text.empty() ? "" : ", ") +
                Range("clusters", 2 + from / layout.sectorsPerCluster, 2 + (last - data) / layout.sectorsPerCluster);
    }
    return text;
}

}  // namespace

std::vector<std::uint64_t> PartitionOffsets(std::string_view mbr) {
    std::vector<std::uint64_t> offsets;
    if (mbr.size() < 512 || Le(mbr, 510, 2) != 0xaa55) return offsets;
    for (std::size_t slot = 0; slot < 4; ++slot) {
        const std::size_t at = 446 + 16 * slot;
        if (Le(mbr, at + 4, 1) == 0 || Le(mbr, at + 12, 4) == 0) continue;
        offsets.push_back(Le(mbr, at + 8, 4) * 512);
    }
    return offsets;
}

std::vector<Partition> ReadPartitions(std::string_view mbr, const std::vector<std::string>& names,
                                      const std::vector<std::string>& firstSectors) {
    std::vector<Partition> partitions;
    if (mbr.size() < 512 || Le(mbr, 510, 2) != 0xaa55) return partitions;
    for (std::size_t slot = 0; slot < 4; ++slot) {
        const std::size_t at = 446 + 16 * slot;
        if (Le(mbr, at + 4, 1) == 0 || Le(mbr, at + 12, 4) == 0) continue;
        Partition partition;
        const std::size_t index = partitions.size();
        partition.name = index < names.size() ? names[index] : "partition " + std::to_string(index + 1);
        partition.offset = Le(mbr, at + 8, 4) * 512;
        partition.length = Le(mbr, at + 12, 4) * 512;
        if (index < firstSectors.size()) partition.fat = ReadFatLayout(firstSectors[index], partition.layout);
        partitions.push_back(std::move(partition));
    }
    return partitions;
}

std::string DescribeWrite(const std::vector<Partition>& partitions, std::uint64_t offset, std::uint64_t length) {
    const std::uint64_t end = offset + (length == 0 ? 1 : length);
    for (const Partition& partition : partitions) {
        if (offset < partition.offset || offset >= partition.offset + partition.length) continue;
        const std::uint64_t from = offset - partition.offset;
        const std::uint64_t to = std::min(end, partition.offset + partition.length) - partition.offset - 1;
        std::string text = partition.name + " ";
        if (partition.fat) {
            text +=
                DescribeInFat(partition.layout, from / partition.layout.sectorSize, to / partition.layout.sectorSize);
        } else {
            text += Range("blocks", from / 4096, to / 4096);
        }
        if (end > partition.offset + partition.length) text += " and past its end";
        return text;
    }
    return Range("disk sectors", offset / 512, (end - 1) / 512);
}

}  // namespace tamsiro::crash
